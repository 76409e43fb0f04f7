// In-process OLE drag and drop: data sources and objects, drop targets registered on windows, and
// the drag loop that follows the (simulated) mouse and delivers to them.
#pragma once

#include "platform/core/Object.h"
#include "platform/ui/WinDefs.h"

#include <functional>
#include <vector>

class CWnd;

typedef DWORD DROPEFFECT;
typedef WORD CLIPFORMAT;
#define DROPEFFECT_NONE 0u
#define DROPEFFECT_COPY 1u
#define DROPEFFECT_MOVE 2u
#define DROPEFFECT_LINK 4u
#define DROPEFFECT_SCROLL 0x80000000u
#define DVASPECT_CONTENT 1
#define TYMED_HGLOBAL 1

struct FORMATETC {
  CLIPFORMAT cfFormat;
  void* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};
typedef FORMATETC* LPFORMATETC;

BOOL OleInitialize(void* reserved);
void OleUninitialize();
// Initialisations not yet undone by OleUninitialize.
LONG OleInitializationCount();
BOOL AfxOleInit();

class COleDataSource;

// What a drop target reads: a source's data during a drag, or the clipboard's.
class COleDataObject {
 public:
  COleDataObject() = default;
  void Attach(COleDataSource* source) { m_source = source; m_clipboard = FALSE; }
  void Release() { m_source = nullptr; m_clipboard = FALSE; }
  BOOL AttachClipboard();
  BOOL IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr) const;
  // A copy the caller frees with GlobalFree; null when the format is not there.
  HGLOBAL GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr) const;

 private:
  COleDataSource* m_source = nullptr;
  BOOL m_clipboard = FALSE;
};

class COleDropSource : public CObject {
 public:
  virtual BOOL OnBeginDrag(CWnd*) { return TRUE; }
};

class COleDataSource : public CObject {
  DECLARE_DYNAMIC(COleDataSource)
 public:
  COleDataSource() = default;
  ~COleDataSource() override;
  // The source owns the memory afterwards.
  void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc = nullptr);
  void Empty();
  // Follows the mouse until the button is released or Escape is pressed; returns what the target did.
  DROPEFFECT DoDragDrop(DWORD dwEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK,
                        LPCRECT lpRectStartDrag = nullptr, COleDropSource* pDropSource = nullptr);
  // Puts the cached data on the clipboard (copies).
  void SetClipboard();
  BOOL HasFormat(CLIPFORMAT cf) const;
  HGLOBAL Data(CLIPFORMAT cf) const;

 private:
  std::vector<std::pair<CLIPFORMAT, HGLOBAL>> m_data;
};

class COleDropTarget : public CObject {
  DECLARE_DYNAMIC(COleDropTarget)
 public:
  COleDropTarget() = default;
  ~COleDropTarget() override;
  BOOL Register(CWnd* pWnd);
  void Revoke();
  CWnd* GetWindow() const { return m_pWnd; }
  virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
  virtual void OnDragLeave(CWnd* pWnd);
  virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
  // (DROPEFFECT)-1: not handled here, OnDrop decides.
  virtual DROPEFFECT OnDropEx(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropDefault, DROPEFFECT dropList,
                              CPoint point);
  virtual DROPEFFECT OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point);

  static int nScrollInset;
  static UINT nScrollDelay;
  static UINT nScrollInterval;

 private:
  CWnd* m_pWnd = nullptr;
};

namespace DragDropAutomation {
// Runs when a drag loop starts; it usually moves the mouse (UiAutomation::MouseMove, which goes to
// the drag's capture) and releases the button. Without one the loop reads the queued input.
void SetDragHandler(std::function<void()> handler);
}  // namespace DragDropAutomation
