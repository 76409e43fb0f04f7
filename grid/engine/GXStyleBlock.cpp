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
  CObject* object = ar.ReadObject(nullptr);
  auto* array = dynamic_cast<CObArray*>(object);
  if (!array) {
    delete object;
    return styles;
  }
  styles.reset(array);
  if (array->GetSize() != (INT_PTR)rows * (INT_PTR)cols) styles.reset();
  for (INT_PTR i = 0; styles && i < array->GetSize(); ++i)
    if (array->GetAt(i) && !dynamic_cast<CGXStyle*>(array->GetAt(i))) styles.reset();
  return styles;
}
