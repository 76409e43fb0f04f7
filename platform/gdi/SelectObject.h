// Scoped selection of drawing objects: the object a device context held before is put back when the
// scope ends, also when it ends by an exception or an early return.
#pragma once

#include "platform/gdi/DC.h"

// Selects `object` (a pen, brush, font, bitmap or any CGdiObject) into the device context; the object
// must outlive the selector, so declare it first.
template <class T>
class CSelectObject {
 public:
  CSelectObject(CDC* dc, T* object) : m_dc(dc), m_old(dc->SelectObject(object)) {}
  CSelectObject(CDC& dc, T* object) : CSelectObject(&dc, object) {}
  ~CSelectObject() {
    if (m_old) m_dc->SelectObject(m_old);
  }
  CSelectObject(const CSelectObject&) = delete;
  CSelectObject& operator=(const CSelectObject&) = delete;

  // What the device context held before.
  T* GetOld() const { return m_old; }

 private:
  CDC* m_dc;
  T* m_old;
};

// The same for a stock object (NULL_BRUSH, HOLLOW_BRUSH, BLACK_PEN...).
class CSelectStockObject {
 public:
  CSelectStockObject(CDC* dc, int index) : m_dc(dc), m_old(dc->SelectStockObject(index)) {}
  CSelectStockObject(CDC& dc, int index) : CSelectStockObject(&dc, index) {}
  ~CSelectStockObject() {
    if (m_old) m_dc->SelectObject(m_old);
  }
  CSelectStockObject(const CSelectStockObject&) = delete;
  CSelectStockObject& operator=(const CSelectStockObject&) = delete;

 private:
  CDC* m_dc;
  CGdiObject* m_old;
};
