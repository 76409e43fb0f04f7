// Module icons as bitmaps.
#include "motion/modules/MotionModule.h"

#include "platform/gdi/GdiObject.h"

HBITMAP CMotionModule::GetBitmap() const {
  DWORD size = 0;
  const void* bytes = GetBitmapResource(size);
  if (!bytes) return nullptr;
  HBITMAP bitmap = CreateBitmapFromBytes(static_cast<const BYTE*>(bytes), size);
  if (bitmap) MapBitmap3DColors(bitmap);
  return bitmap;
}

HBITMAP CMotionModulesArray::GetModuleBitmap(int index) const {
  return index >= 0 && index < GetSize() ? GetAt(index)->GetBitmap() : nullptr;
}
