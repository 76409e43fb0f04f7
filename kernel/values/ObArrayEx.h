// The pointer array under every model collection; an owning array deletes what it removes.
#pragma once

#include "platform/core/Collections.h"

// T derives from CObject with its CObject base first, as the pointer slots are shared with CObArray.
template <class T>
class CObArrayEx : public CObArray {
 public:
  explicit CObArrayEx(int owns = TRUE) : m_bOwnsElements(owns) {}
  CObArrayEx(const CObArrayEx&) = delete;
  CObArrayEx& operator=(const CObArrayEx&) = delete;
  ~CObArrayEx() override { RemoveAll(); }

  int GetOwnsElements() const { return m_bOwnsElements; }
  // Switched off while elements move to another array without being deleted.
  void SetOwnsElements(int owns) { m_bOwnsElements = owns; }

  void RemoveAll() {
    if (m_bOwnsElements) {
      // Deleted one by one with the slot cleared first, so an element's destructor never sees
      // a dangling pointer in the array.
      for (INT_PTR i = 0; i < CObArray::GetSize(); ++i) {
        CObject* p = CObArray::GetAt(i);
        CObArray::SetAt(i, nullptr);
        delete p;
      }
    }
    CObArray::RemoveAll();
  }
  void RemoveAt(int index, int count = 1) {
    if (index < 0 || count < 0 || (INT_PTR)index + count > CObArray::GetSize()) AfxThrowInvalidArgException();
    if (m_bOwnsElements) {
      for (int i = index; i < index + count; ++i) {
        CObject* p = CObArray::GetAt(i);
        CObArray::SetAt(i, nullptr);
        delete p;
      }
    }
    CObArray::RemoveAt(index, count);
  }
  void RemoveNulls() {
    for (INT_PTR i = CObArray::GetSize() - 1; i >= 0; --i)
      if (!CObArray::GetAt(i)) CObArray::RemoveAt(i);
  }
  int Find(T* p) const {
    if (!p) return -1;
    const CObject* o = p;
    for (INT_PTR i = 0; i < CObArray::GetSize(); ++i)
      if (CObArray::GetAt(i) == o) return (int)i;
    return -1;
  }

  T* GetAt(int i) const { return static_cast<T*>(CObArray::GetAt(i)); }
  T* operator[](int i) const { return GetAt(i); }
  T*& ElementAt(int i) { return reinterpret_cast<T*&>(CObArray::ElementAt(i)); }
  T*& operator[](int i) { return ElementAt(i); }
  void SetAt(int i, T* p) { CObArray::SetAt(i, p); }
  int Add(T* p) { return (int)CObArray::Add(p); }
  int GetSize() const { return (int)CObArray::GetSize(); }
  void InsertAt(int index, T* p, int count = 1) { CObArray::InsertAt(index, p, count); }
  void InsertAt(int index, CObArrayEx<T>* other) { CObArray::InsertAt(index, other); }
  void FreeExtra() { CObArray::FreeExtra(); }
  void SetSize(int size, int growBy = -1) { CObArray::SetSize(size, growBy); }
  void Copy(const CObArrayEx<T>& src) { CObArray::Copy(src); }
  int Append(const CObArrayEx<T>& src) { return (int)CObArray::Append(src); }

  // Deep copy through T's copy constructor; null entries stay null.
  void CopyDuplicatedElements(const CObArrayEx<T>& src) {
    if (&src == this) return;
    RemoveAll();
    for (int i = 0; i < src.GetSize(); ++i) {
      T* e = src.GetAt(i);
      Add(e ? new T(*e) : nullptr);
    }
  }
  // Deep copy of polymorphic elements: each copy is created from the source element's run-time
  // class and assigned through T's virtual copy assignment.
  void CopyDynamicDuplicatedElements(const CObArrayEx<T>& src) {
    if (&src == this) return;
    RemoveAll();
    for (int i = 0; i < src.GetSize(); ++i) {
      T* e = src.GetAt(i);
      T* copy = nullptr;
      if (e) {
        CObject* o = e->GetRuntimeClass()->CreateObject();
        if (o && o->IsKindOf(T::GetThisClass())) {
          copy = static_cast<T*>(o);
          *copy = *e;
        } else {
          delete o;
        }
      }
      Add(copy);
    }
  }

 private:
  int m_bOwnsElements;
};
