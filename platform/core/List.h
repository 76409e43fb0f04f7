// CList and the framework's list classes: doubly linked lists walked with POSITION values.
#pragma once

#include "platform/core/Array.h"

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
 protected:
  struct CNode {
    CNode* pNext;
    CNode* pPrev;
    TYPE data;
  };

 public:
  explicit CList(INT_PTR blockSize = 10) : m_nBlockSize(blockSize) {}
  CList(const CList&) = delete;
  CList& operator=(const CList&) = delete;
  ~CList() override { RemoveAll(); }

  INT_PTR GetCount() const { return m_nCount; }
  INT_PTR GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }

  TYPE& GetHead() { return NonEmpty(m_pNodeHead)->data; }
  const TYPE& GetHead() const { return NonEmpty(m_pNodeHead)->data; }
  TYPE& GetTail() { return NonEmpty(m_pNodeTail)->data; }
  const TYPE& GetTail() const { return NonEmpty(m_pNodeTail)->data; }

  TYPE RemoveHead() {
    CNode* n = NonEmpty(m_pNodeHead);
    TYPE v = std::move(n->data);
    Unlink(n);
    return v;
  }
  TYPE RemoveTail() {
    CNode* n = NonEmpty(m_pNodeTail);
    TYPE v = std::move(n->data);
    Unlink(n);
    return v;
  }
  POSITION AddHead(ARG_TYPE e) { return Link(new CNode{nullptr, nullptr, TYPE(e)}, nullptr, m_pNodeHead); }
  POSITION AddTail(ARG_TYPE e) { return Link(new CNode{nullptr, nullptr, TYPE(e)}, m_pNodeTail, nullptr); }
  void AddHead(const CList* other) {
    if (!other) AfxThrowInvalidArgException();
    std::vector<TYPE> copy = other->Values();
    for (auto it = copy.rbegin(); it != copy.rend(); ++it) AddHead(*it);
  }
  void AddTail(const CList* other) {
    if (!other) AfxThrowInvalidArgException();
    for (const TYPE& v : other->Values()) AddTail(v);
  }
  void RemoveAll() {
    for (CNode* n = m_pNodeHead; n;) {
      CNode* next = n->pNext;
      delete n;
      n = next;
    }
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
  }

  POSITION GetHeadPosition() const { return (POSITION)m_pNodeHead; }
  POSITION GetTailPosition() const { return (POSITION)m_pNodeTail; }
  TYPE& GetNext(POSITION& pos) {
    CNode* n = At(pos);
    pos = (POSITION)n->pNext;
    return n->data;
  }
  const TYPE& GetNext(POSITION& pos) const {
    CNode* n = At(pos);
    pos = (POSITION)n->pNext;
    return n->data;
  }
  TYPE& GetPrev(POSITION& pos) {
    CNode* n = At(pos);
    pos = (POSITION)n->pPrev;
    return n->data;
  }
  const TYPE& GetPrev(POSITION& pos) const {
    CNode* n = At(pos);
    pos = (POSITION)n->pPrev;
    return n->data;
  }
  TYPE& GetAt(POSITION pos) { return At(pos)->data; }
  const TYPE& GetAt(POSITION pos) const { return At(pos)->data; }
  void SetAt(POSITION pos, ARG_TYPE e) { At(pos)->data = e; }
  void RemoveAt(POSITION pos) { Unlink(At(pos)); }
  // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
  POSITION InsertBefore(POSITION pos, ARG_TYPE e) {
    if (!pos) return AddHead(e);
    CNode* at = At(pos);
    return Link(new CNode{nullptr, nullptr, TYPE(e)}, at->pPrev, at);
  }
  POSITION InsertAfter(POSITION pos, ARG_TYPE e) {
    if (!pos) return AddTail(e);
    CNode* at = At(pos);
    return Link(new CNode{nullptr, nullptr, TYPE(e)}, at, at->pNext);
  }
  // The first element equal to `value` after `startAfter` (or from the head); nullptr when none.
  POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const {
    CNode* n = startAfter ? At(startAfter)->pNext : m_pNodeHead;
    for (; n; n = n->pNext)
      if (n->data == value) return (POSITION)n;
    return nullptr;
  }
  // nullptr when the index is out of range.
  POSITION FindIndex(INT_PTR index) const {
    if (index < 0 || index >= m_nCount) return nullptr;
    CNode* n = m_pNodeHead;
    while (index--) n = n->pNext;
    return (POSITION)n;
  }

  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar.WriteCount((DWORD_PTR)m_nCount);
      for (CNode* n = m_pNodeHead; n; n = n->pNext) SerializeElement(ar, n->data);
    } else {
      DWORD_PTR count = ar.ReadCount();
      for (DWORD_PTR i = 0; i < count; ++i) {
        TYPE v{};
        SerializeElement(ar, v);
        AddTail(v);
      }
    }
  }

 protected:
  CNode* At(POSITION pos) const {
    if (!pos) AfxThrowInvalidArgException();
    return static_cast<CNode*>(pos);
  }
  CNode* NonEmpty(CNode* n) const {
    if (!n) AfxThrowInvalidArgException();
    return n;
  }
  POSITION Link(CNode* n, CNode* prev, CNode* next) {
    n->pPrev = prev;
    n->pNext = next;
    (prev ? prev->pNext : m_pNodeHead) = n;
    (next ? next->pPrev : m_pNodeTail) = n;
    ++m_nCount;
    return (POSITION)n;
  }
  void Unlink(CNode* n) {
    (n->pPrev ? n->pPrev->pNext : m_pNodeHead) = n->pNext;
    (n->pNext ? n->pNext->pPrev : m_pNodeTail) = n->pPrev;
    --m_nCount;
    delete n;
  }
  std::vector<TYPE> Values() const {
    std::vector<TYPE> v;
    v.reserve((size_t)m_nCount);
    for (CNode* n = m_pNodeHead; n; n = n->pNext) v.push_back(n->data);
    return v;
  }

  CNode* m_pNodeHead = nullptr;
  CNode* m_pNodeTail = nullptr;
  INT_PTR m_nCount = 0;
  INT_PTR m_nBlockSize;
};

class CPtrList : public CList<void*, void*> {
  DECLARE_DYNAMIC(CPtrList)
 public:
  explicit CPtrList(INT_PTR blockSize = 10) : CList(blockSize) {}
  void Serialize(CArchive&) override {}
};

class CObList : public CList<CObject*, CObject*> {
  DECLARE_SERIAL(CObList)
 public:
  explicit CObList(INT_PTR blockSize = 10) : CList(blockSize) {}
  void Serialize(CArchive& ar) override;
};
