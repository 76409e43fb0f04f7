// CGraphDocument: an ordered set of plots with a title and an arrangement mode.
#pragma once

#include "platform/core/Array.h"
#include "platform/core/String.h"
#include "plot/curves/GraphFilter.h"

class CMC_Units;

class CGraphDocument : public CObArray {
  DECLARE_SERIAL(CGraphDocument)
 public:
  static const BYTE m_nVerCGraphDocument;
  enum { arrangeAuto = 0, arrangeVertical = 1, arrangeHorizontal = 2 };

  explicit CGraphDocument(const char* title = "");
  ~CGraphDocument() override;
  CGraphDocument(const CGraphDocument&) = delete;
  // Each plot is copied as an object of its own run-time class.
  CGraphDocument& operator=(const CGraphDocument& other);

  int GetSize() const { return (int)m_data.size(); }
  CGraphFilter* GetAt(int i) const;  // null out of range
  int Add(CGraphFilter* plot) { return (int)CObArray::Add(plot); }
  void DeleteAll();
  // Gives every plot the same source and unit table; resolves nothing.
  void SetSource(CObject* source, CMC_Units* units);

  void Serialize(CArchive& ar) override;

  CString m_strTitle;
  int m_nArrange = arrangeAuto;
};
