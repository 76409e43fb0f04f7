// CGXDIB and CGXDIBPool: bitmaps shown in cells ("#BMP(id)" or "#BMP(\"name\")"), loaded once per
// resource into the library's pool.
#pragma once

#include "grid/engine/GXCollMap.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"

class CGXDIB : public CObject {
  DECLARE_DYNCREATE(CGXDIB)

 public:
  CGXDIB();
  ~CGXDIB() override;

  // Takes the block (freeing the one held); FALSE for a null handle.
  BOOL Attach(HGLOBAL hDIB);
  HGLOBAL Detach();
  HGLOBAL GetHandle() const { return m_hDIB; }
  int GetNumColors() const { return m_nColors; }
  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }

  // Size modes: 0 natural size (cut or placed by the flags), 1 stretched, 2 aspect kept. Flags: 1
  // centre and 2 right horizontally, 4 centre and 8 bottom vertically.
  static void Draw(CDC* pDC, HGLOBAL hDIB, CRect rect, int nMode, UINT nFlags, LPCRECT pSrcRect = nullptr);

 private:
  HGLOBAL m_hDIB = nullptr;
  int m_nColors = 0;
  int m_nWidth = 0;
  int m_nHeight = 0;
};

class CGXDIBPool : public CObject {
 public:
  CGXDIBPool();
  ~CGXDIBPool() override;

  // The library's pool, made on first use.
  static CGXDIBPool* GetPool();
  static void DestroyPool();

  // The DIB of a bitmap reference, loaded and kept on first use (a missing one is kept as null);
  // null for a value that is no reference.
  virtual HGLOBAL GetDIB(LPCTSTR pszValue);
  // The resource id (numeric form) or the name (named form) cast to a pointer, 0 when no reference.
  virtual LPCTSTR ParseBitmapRef(LPCTSTR pszText, CString& key);
  virtual HGLOBAL LoadDIB(LPCTSTR pszResource);
  virtual void FormatQuotedBitmapRef(DWORD nValue, CString& text);
  virtual void FormatBitmapRef(UINT nResourceId, CString& text);

  const CGXCollMapStringToHandle& GetMap() const { return m_map; }

 private:
  CGXCollMapStringToHandle m_map;
  CString m_strName;  // the name of the last named reference
};
