// Type-safe views of the pointer collections: CTypedPtrArray, CTypedPtrList, CTypedPtrMap.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/List.h"
#include "platform/core/Map.h"

// BASE_CLASS is CObArray or CPtrArray (or a class derived from one); TYPE a pointer type.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS {
 public:
  TYPE GetAt(INT_PTR i) const { return (TYPE)BASE_CLASS::GetAt(i); }
  TYPE& ElementAt(INT_PTR i) { return reinterpret_cast<TYPE&>(BASE_CLASS::ElementAt(i)); }
  void SetAt(INT_PTR i, TYPE p) { BASE_CLASS::SetAt(i, p); }
  void SetAtGrow(INT_PTR i, TYPE p) { BASE_CLASS::SetAtGrow(i, p); }
  INT_PTR Add(TYPE p) { return BASE_CLASS::Add(p); }
  INT_PTR Append(const CTypedPtrArray& src) { return BASE_CLASS::Append(src); }
  void Copy(const CTypedPtrArray& src) { BASE_CLASS::Copy(src); }
  void InsertAt(INT_PTR i, TYPE p, INT_PTR count = 1) { BASE_CLASS::InsertAt(i, p, count); }
  void InsertAt(INT_PTR start, CTypedPtrArray* other) { BASE_CLASS::InsertAt(start, other); }
  TYPE operator[](INT_PTR i) const { return (TYPE)BASE_CLASS::GetAt(i); }
  TYPE& operator[](INT_PTR i) { return ElementAt(i); }
  TYPE* GetData() { return reinterpret_cast<TYPE*>(BASE_CLASS::GetData()); }
  const TYPE* GetData() const { return reinterpret_cast<const TYPE*>(BASE_CLASS::GetData()); }
};

// BASE_CLASS is CObList or CPtrList; TYPE a pointer type.
template <class BASE_CLASS, class TYPE>
class CTypedPtrList : public BASE_CLASS {
 public:
  explicit CTypedPtrList(INT_PTR blockSize = 10) : BASE_CLASS(blockSize) {}
  TYPE& GetHead() { return reinterpret_cast<TYPE&>(BASE_CLASS::GetHead()); }
  TYPE GetHead() const { return (TYPE)BASE_CLASS::GetHead(); }
  TYPE& GetTail() { return reinterpret_cast<TYPE&>(BASE_CLASS::GetTail()); }
  TYPE GetTail() const { return (TYPE)BASE_CLASS::GetTail(); }
  TYPE RemoveHead() { return (TYPE)BASE_CLASS::RemoveHead(); }
  TYPE RemoveTail() { return (TYPE)BASE_CLASS::RemoveTail(); }
  POSITION AddHead(TYPE p) { return BASE_CLASS::AddHead(p); }
  POSITION AddTail(TYPE p) { return BASE_CLASS::AddTail(p); }
  void AddHead(CTypedPtrList* other) { BASE_CLASS::AddHead(other); }
  void AddTail(CTypedPtrList* other) { BASE_CLASS::AddTail(other); }
  TYPE& GetNext(POSITION& pos) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetNext(pos)); }
  TYPE GetNext(POSITION& pos) const { return (TYPE)BASE_CLASS::GetNext(pos); }
  TYPE& GetPrev(POSITION& pos) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetPrev(pos)); }
  TYPE GetPrev(POSITION& pos) const { return (TYPE)BASE_CLASS::GetPrev(pos); }
  TYPE& GetAt(POSITION pos) { return reinterpret_cast<TYPE&>(BASE_CLASS::GetAt(pos)); }
  TYPE GetAt(POSITION pos) const { return (TYPE)BASE_CLASS::GetAt(pos); }
  void SetAt(POSITION pos, TYPE p) { BASE_CLASS::SetAt(pos, p); }
};

// BASE_CLASS is one of the map classes; VALUE a pointer type.
template <class BASE_CLASS, class KEY, class VALUE>
class CTypedPtrMap : public BASE_CLASS {
 public:
  explicit CTypedPtrMap(INT_PTR blockSize = 10) : BASE_CLASS(blockSize) {}
  BOOL Lookup(typename BASE_CLASS::BASE_ARG_KEY key, VALUE& value) const {
    typename BASE_CLASS::BASE_VALUE v;
    BOOL found = BASE_CLASS::Lookup(key, v);
    if (found) value = (VALUE)v;
    return found;
  }
  VALUE& operator[](typename BASE_CLASS::BASE_ARG_KEY key) {
    return reinterpret_cast<VALUE&>(BASE_CLASS::operator[](key));
  }
  void SetAt(KEY key, VALUE value) { BASE_CLASS::SetAt(key, value); }
  BOOL RemoveKey(KEY key) { return BASE_CLASS::RemoveKey(key); }
  void GetNextAssoc(POSITION& pos, KEY& key, VALUE& value) const {
    typename BASE_CLASS::BASE_KEY k;
    typename BASE_CLASS::BASE_VALUE v;
    BASE_CLASS::GetNextAssoc(pos, k, v);
    key = (KEY)k;
    value = (VALUE)v;
  }
};
