// Library start-up, the system-colour cache and the control factory.
#include "grid/engine/GXLibrary.h"

#include "grid/controls/GXCheckBox.h"
#include "grid/controls/GXCheckListComboBox.h"
#include "grid/controls/GXComboBox.h"
#include "grid/controls/GXComboBoxWnd.h"
#include "grid/controls/GXDateTimeCtrl.h"
#include "grid/controls/GXHeader.h"
#include "grid/controls/GXMaskControl.h"
#include "grid/controls/GXListBox.h"
#include "grid/controls/GXPasswordControl.h"
#include "grid/controls/GXProgressCtrl.h"
#include "grid/controls/GXPushbutton.h"
#include "grid/controls/GXRadioButton.h"
#include "grid/controls/GXEditControl.h"
#include "grid/controls/GXSpinEdit.h"
#include "grid/controls/GXRichEditCtrl.h"
#include "grid/controls/GXStatic.h"
#include "grid/controls/GXTabbedComboBox.h"
#include "grid/controls/GXTabbedComboBoxWnd.h"
#include "grid/engine/GXDrawUtils.h"
#include "grid/engine/ZAZAzedAze.h"
#include "grid/engine/GXLocale.h"
#include "grid/engine/GXStylesMap.h"
#include "platform/core/Exception.h"
#include "platform/core/Module.h"
#include "platform/core/Resource.h"
#include "platform/core/SystemInfo.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <string>

namespace {

const UINT kCursors[] = {23203, 23191, 23205, 23202, 23201};

CString LoadText(UINT id) {
  std::string s;
  return LoadStringResource(id, s) ? CString(s) : CString();
}

// A class of this module, made once: from a system class or on the default window procedure.
void RegisterOnce(HINSTANCE inst, LPCSTR name, LPCSTR from, UINT style) {
  WNDCLASS wc{};
  if (::GetClassInfo(inst, name, &wc)) return;
  if (from) {
    if (!::GetClassInfo(nullptr, from, &wc)) AfxThrowResourceException();
    wc.style |= style;
  } else {
    wc = WNDCLASS{};
    wc.style = style;
    wc.lpfnWndProc = ::DefWindowProc;
  }
  wc.hInstance = inst;
  wc.lpszClassName = name;
  if (!::RegisterClass(&wc)) AfxThrowResourceException();
}

}  // namespace

CGXLibraryData::~CGXLibraryData() {
  delete m_pControlFactory;
  delete m_pExtra;
  delete m_pTabWndInterface;
  delete m_pRecordInfoWndInterface;
}

CGXLibraryData& GXGetLibraryData() {
  static CGXLibraryData data;
  return data;
}

CString GXGetLibraryString(UINT nID) {
  const CGXLibraryData& d = GXGetLibraryData();
  if (nID >= 52290 && nID < 52290 + 42 && !d.m_strMessages[nID - 52290].IsEmpty()) return d.m_strMessages[nID - 52290];
  return LoadText(nID);
}

// ---- system colours ---------------------------------------------------------------------------------------

void CGXSysColorCache::Refresh() {
  for (int i = 0; i < 24; ++i) m_colors[i] = GetSysColor(i);
  m_bFilled = TRUE;
  m_clrBtnFace = m_colors[15];
  m_clrBtnShadow = m_colors[16];
  m_clrBtnHilite = m_colors[20];
  m_clrWindowFrame = m_colors[6];
  m_clr3DLight = m_colors[22];
  m_clr3DDkShadow = m_colors[21];
  m_clrWindowText = m_colors[8];
  m_clrWindow = m_colors[5];
  m_clrHighlight = m_colors[13];
  m_clrHighlightText = m_colors[14];
  CBitmap bm;
  m_brPattern.DeleteObject();
  if (GXLoadSysColorBitmap(bm, MAKEINTRESOURCE(23240))) m_brPattern.CreatePatternBrush(&bm);
}

COLORREF CGXSysColorCache::GetColor(int nIndex) const {
  if (nIndex < 0) AfxThrowInvalidArgException();
  if (nIndex < 24) {
    if (!m_bFilled) const_cast<CGXSysColorCache*>(this)->Refresh();
    return m_colors[nIndex];
  }
  return GetSysColor(nIndex);
}

CGXSysColorCache& GXGetSysColorCache() {
  static CGXSysColorCache cache;
  return cache;
}

// ---- control factory ------------------------------------------------------------------------------------------

CGXControl* CGXControlFactory::CreateControl(UINT nID, CGXGridCore* pGrid) {
  switch (nID) {
    case 52512: return new CGXEditControl(pGrid, 52512);
    case 52521: return new CGXVScrollEdit(pGrid, 52521);
    case 52513: return new CGXStatic(pGrid);
    case 52514: return new CGXPushbutton(pGrid);
    case 52515: case 52524: return new CGXRadioButton(pGrid, nID == 52524);
    case 52516: case 52523: return new CGXCheckBox(pGrid, nID == 52523);
    case 52518: return new CGXHotSpotEdit(pGrid, nID);
    case 52519: return new CGXSpinEdit(pGrid, nID);
    case 52520: return new CGXHeader(pGrid);
    case 52535: return new CGXMaskControl(pGrid, 52535);
    case 52522: return new CGXListBox(pGrid, nID);
    case 52536: return new CGXProgressCtrl(pGrid);
    case 52537: return new CGXPasswordControl(pGrid, nID);
    case 52517: return new CGXComboBox(pGrid, nID, nID, 2);
    case 52525: return new CGXComboBox(pGrid, nID, nID, 4);
    case 52526: return new CGXComboBox(pGrid, nID, nID, 8);
    case 52527: return new CGXComboBox(pGrid, nID, nID, 1);
    case 52531: return new CGXComboBox(pGrid, nID, nID, 16 | 8);
    case 52532: return new CGXComboBox(pGrid, nID, nID, 16 | 4);
    case 52528:
    case 52529: {
      auto* combo = new CGXComboBoxWnd(pGrid);
      combo->CreateControl(nID == 52528 ? 0x200042u : 0x200003u, nID);
      combo->m_bFillWithChoiceList = TRUE;
      combo->m_bWantArrowKeys = FALSE;
      return combo;
    }
    case 52539:
    case 52540: {
      auto* combo = new CGXTabbedComboBoxWnd(pGrid);
      combo->CreateControl(nID == 52539 ? 2u : 3u, nID);
      combo->m_bDropDownOnClick = nID == 52540;
      return combo;
    }
    case 52541: return new CGXTabbedComboBox(pGrid, nID, nID);
    case 52542: return new CGXCheckListComboBox(pGrid, 0, 0);
    case 52534: {
      auto* rich = new CGXRichEditCtrl(pGrid);
      rich->CreateControl(ES_MULTILINE, 52534);
      return rich;
    }
    case 52543: case 52544: {
      auto* dt = new CGXDateTimeCtrl(pGrid, nID);
      dt->CreateControl(nID == 52543 ? 0x40000001 : 0x40000000, CRect());
      return dt;
    }
    default: return nullptr;  // no cell type has this id
  }
}

void CGXControlFactory::RegisterAllControls(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  for (UINT id = 52512; id <= 52544; ++id)
    if (id != 52530 && id != 52533 && id != 52538) pStylesMap->AddControl(id);
}

void CGXControlFactory::RegisterAllUserAttributes(CGXStylesMap* pStylesMap) {
  if (!pStylesMap) return;
  for (UINT id : {51011u, 51012u, 51013u, 51022u}) pStylesMap->AddUserAttribute(id);
  CGXCheckBox::AddUserAttributes(pStylesMap);
  CGXMaskControl::AddUserAttributes(pStylesMap);
  CGXSpinEdit::AddUserAttributes(pStylesMap);
  CGXProgressCtrl::AddUserAttributes(pStylesMap);
  CGXTabbedComboBox::AddUserAttributes(pStylesMap);
  CGXDateTimeCtrl::AddUserAttributes(pStylesMap);
}

void CGXControlFactory::RegisterWndClasses(HINSTANCE hInstance) { ZAZAzedAze::RegisterClass(hInstance); }
void CGXControlFactory::UnregisterWndClasses(HINSTANCE hInstance) { ZAZAzedAze::UnregisterClass(hInstance); }

// ---- start-up -------------------------------------------------------------------------------------------------

void GXStartGridLibrary(UINT, int, int) {
  CGXLibraryData& d = GXGetLibraryData();
  if (d.m_bStarted) return;
  d.m_nClipboardFormat = ::RegisterClipboardFormat("Grid Styles");
  CGXRichEditCtrl::GetRtfClipboardFormat();
  if (!d.m_pControlFactory) d.m_pControlFactory = new CGXControlFactory;
  const DWORD version = ::GetVersion();
  d.m_wVersion = (WORD)(((version & 0xFF) << 8) | ((version >> 8) & 0xFF));
  d.m_bNotNT = (version & 0x80000000u) != 0;
  d.m_bWin4 = (version & 0xFF) >= 4;
  d.m_bBelow4 = !d.m_bWin4;
  d.m_bOldSystem = d.m_bBelow4 && d.m_bNotNT;
  for (UINT i = 0; i < 42; ++i) d.m_strMessages[i] = LoadText(52290 + i);

  HINSTANCE inst = AfxGetInstanceHandle();
  HINSTANCE res = AfxGetResourceHandle();
  // The library's own cursors and bitmap must be there.
  for (UINT id : kCursors) {
    LPCSTR name = MAKEINTRESOURCE(id);
    HINSTANCE module = AfxFindCursorHandle(name);
    if (!::LoadCursor(module ? module : res, name)) AfxThrowResourceException();
  }
  CBitmap check;
  if (!check.LoadBitmap(23222)) AfxThrowResourceException();

  d.m_strPopupClass = "GXPopupWnd";
  RegisterOnce(inst, d.m_strPopupClass, nullptr, CS_SAVEBITS);
  d.m_pControlFactory->RegisterWndClasses(inst);
  RegisterOnce(inst, "GXEDIT", "edit", CS_GLOBALCLASS);
  RegisterOnce(inst, "GXLISTBOX", "listbox", CS_GLOBALCLASS);
  RegisterOnce(inst, "GXCOMBOBOX", "combobox", CS_GLOBALCLASS);
  RegisterOnce(inst, "GXWND", nullptr, CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
  RegisterOnce(inst, "GXNDBLCLKSWND", nullptr, CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW);
  RegisterOnce(inst, "GxMdiFrame", nullptr, CS_GLOBALCLASS | CS_DBLCLKS);

  GXGetSysColorCache().Refresh();
  GXUpdateLocaleDateTimeSettings();
  d.m_bStarted = TRUE;
}

void GXTerminateGridLibrary() {
  CGXLibraryData& d = GXGetLibraryData();
  if (!d.m_bStarted) return;
  HINSTANCE inst = AfxGetInstanceHandle();
  if (d.m_pControlFactory) d.m_pControlFactory->UnregisterWndClasses(inst);
  for (LPCSTR name : {"GXEDIT", "GXLISTBOX", "GXCOMBOBOX", "GXWND", "GXNDBLCLKSWND", "GxMdiFrame", "GXPopupWnd"})
    ::UnregisterClass(name, inst);
  d.m_bStarted = FALSE;
}

void GXRegisterHostWndClass(CRuntimeClass* pClass) {
  CPtrList& list = GXGetLibraryData().m_HostWndClasses;
  if (pClass && !list.Find(pClass)) list.AddTail(pClass);
}

CWnd* GXGetParentOfKind(const CWnd* pWnd, CRuntimeClass* pClass, BOOL bIgnoreIconic) {
  if (!pWnd || !pClass) return nullptr;
  CWnd* parent = pWnd->GetParent();
  if (!parent || !parent->IsKindOf(pClass)) return nullptr;
  if (!bIgnoreIconic)
    for (CWnd* w = parent; w; w = w->GetParent())
      if (w->IsIconic()) return nullptr;
  return parent;
}
