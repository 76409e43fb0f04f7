#include "grid/engine/GXStyleBlock.h"

#include "grid/engine/GXStyle.h"
#include "platform/core/Archive.h"

void GXDeleteStyles(CObArray* a) {
  if (!a) return;
  for (INT_PTR i = 0; i < a->GetSize(); ++i) delete a->GetAt(i);
  delete a;
}

GXStyleArrayPtr GXReadStyleBlock(CArchive& ar, DWORD rows, DWORD cols) {
  GXStyleArrayPtr styles(nullptr, GXDeleteStyles);
  // The array is read here rather than by its own Serialize, so that every entry is checked as it
  // comes: an entry repeated, the array itself, or any back-reference would be owned twice.
  UINT schema = 0;
  DWORD tag = 0;
  CRuntimeClass* cls = ar.ReadClass(RUNTIME_CLASS(CObArray), &schema, &tag);
  if (cls != RUNTIME_CLASS(CObArray)) return styles;  // null, a back-reference or a derived array
  styles.reset(new CObArray);
  ar.MapObject(styles.get());
  const DWORD_PTR count = ar.ReadCount();
  if (count != (DWORD_PTR)rows * cols) return GXStyleArrayPtr(nullptr, GXDeleteStyles);
  for (DWORD_PTR i = 0; i < count; ++i) styles->Add(ar.ReadNewObject(RUNTIME_CLASS(CGXStyle)));
  return styles;
}
