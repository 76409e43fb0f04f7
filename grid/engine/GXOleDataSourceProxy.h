// CGXNoOleDataSourceProxy and CGXOleDataSourceProxy: what a grid drags its cells out with; the
// first does nothing, the second forwards to an OLE data source.
#pragma once

#include "platform/ui/OleDragDrop.h"

class CGXNoOleDataSourceProxy {
 public:
  virtual ~CGXNoOleDataSourceProxy() = default;
  virtual void CacheGlobalData(CLIPFORMAT, HGLOBAL, LPFORMATETC = nullptr) {}
  virtual DROPEFFECT DoDragDrop(DWORD, LPCRECT = nullptr, COleDropSource* = nullptr) { return DROPEFFECT_NONE; }
  virtual void Empty() {}
};

class CGXOleDataSourceProxy : public CGXNoOleDataSourceProxy {
 public:
  // An owned source dies with the proxy.
  CGXOleDataSourceProxy(COleDataSource* pSource, BOOL bOwn) : m_pDataSource(pSource), m_bOwn(bOwn) {}
  ~CGXOleDataSourceProxy() override {
    if (m_bOwn) delete m_pDataSource;
  }
  CGXOleDataSourceProxy(const CGXOleDataSourceProxy&) = delete;
  CGXOleDataSourceProxy& operator=(const CGXOleDataSourceProxy&) = delete;
  void CacheGlobalData(CLIPFORMAT cf, HGLOBAL h, LPFORMATETC fmt = nullptr) override {
    m_pDataSource->CacheGlobalData(cf, h, fmt);
  }
  DROPEFFECT DoDragDrop(DWORD effects, LPCRECT rect = nullptr, COleDropSource* source = nullptr) override {
    return m_pDataSource->DoDragDrop(effects, rect, source);
  }
  void Empty() override { m_pDataSource->Empty(); }
  COleDataSource* GetDataSource() const { return m_pDataSource; }

 private:
  COleDataSource* m_pDataSource;
  BOOL m_bOwn;
};
