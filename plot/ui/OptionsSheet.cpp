#include "plot/ui/OptionsSheet.h"

#include "kernel/values/ConfigFile.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/WinApp.h"
#include "plot/graph/ColorFactory.h"
#include "plot/graph/DrawHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

IMPLEMENT_DYNAMIC(COptionsPage, CPropertyPageS)
IMPLEMENT_DYNAMIC(CExtrasPage, CPropertyPageS)
IMPLEMENT_DYNAMIC(CPlotSheet, CPropertySheetS)
IMPLEMENT_DYNAMIC(COptionsSheet, CPlotSheet)
IMPLEMENT_DYNAMIC(CExtrasSheet, CPlotSheet)

namespace {

// Row background and text colours of the owner-drawn lists.
void RowColours(CDC* dc, const DRAWITEMSTRUCT& dis) {
  bool sel = (dis.itemState & ODS_SELECTED) != 0;
  dc->FillSolidRect(&dis.rcItem, GetSysColor(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  dc->SetTextColor(GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  dc->SetBkMode(TRANSPARENT);
  if (dis.itemState & ODS_FOCUS) dc->DrawFocusRect(&dis.rcItem);
}

HINSTANCE BitmapModule(const char* name) { return AfxFindResourceHandle(name, RT_BITMAP); }

}  // namespace

// ---- CAxisItem --------------------------------------------------------------------------------------

void CAxisItem::OnDraw(CDC* dc, CColumnListBox* list, DRAWITEMSTRUCT* dis) {
  RowColours(dc, *dis);
  CRect row(dis->rcItem), cell;
  if (m_pCurve && m_pPlot) {
    for (int col = 0; col < 2; ++col) {
      CString t = m_pPlot->GetCurveInfo(col == 0 ? m_pCurve->m_nYCurve : m_pCurve->m_nXCurve);
      t.Replace('\t', ' ');
      list->DrawCol(row, col, nullptr, &cell);
      dc->DrawText(t, &cell, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
    }
    const char* name = m_pCurve->m_nAxis == 2 ? "PLOT_OPTYR" : "PLOT_OPTYL";
    CBitmap bm;
    BITMAP info{};
    if (list->DrawCol(row, 2, nullptr, &cell), bm.Attach(::LoadBitmap(BitmapModule(name), name)) && bm.GetBitmap(&info)) {
      CDC mem;
      mem.CreateCompatibleDC(dc);
      CBitmap* old = mem.SelectObject(&bm);
      int x = (cell.left + cell.right - info.bmWidth) / 2, y = (cell.top + cell.bottom - info.bmHeight) / 2;
      dc->BitBlt(x, y, info.bmWidth, info.bmHeight, &mem, 0, 0, SRCCOPY);
      mem.SelectObject(old);
    }
  }
  for (int col = 0; col < list->GetColNo(); ++col) list->DrawCol(row, col, dc, nullptr);
}

int CAxisItem::OnCompare(CCLObject* other, int column, int descending, COMPAREITEMSTRUCT*) {
  auto* o = static_cast<CAxisItem*>(other);
  if (!m_pCurve || !o->m_pCurve) return m_pCurve == o->m_pCurve ? 0 : m_pCurve ? -1 : 1;
  auto text = [&](const CAxisItem* r) {
    return m_pPlot->GetCurveInfo(column == 0 ? r->m_pCurve->m_nYCurve : r->m_pCurve->m_nXCurve);
  };
  int c = std::strcmp(text(this), text(o));
  c = c < 0 ? -1 : c > 0 ? 1 : 0;
  return descending ? -c : c;
}

void CAxisItem::OnDelete(DELETEITEMSTRUCT*) { delete this; }

// ---- CPlotOptionListBox -----------------------------------------------------------------------------

void CPlotOptionListBox::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC* dc = CDC::FromHandle(dis->hDC);
  if ((int)dis->itemID < 0 || !m_pPlot) {
    DrawColumns(*dc, dis->rcItem);
    return;
  }
  CRect client;
  GetClientRect(&client);
  dis->rcItem.left = client.left, dis->rcItem.right = client.right;
  RowColours(dc, *dis);
  CString text = m_pPlot->GetCurveInfo((DWORD)dis->itemData);
  CRect cell;
  for (int col = 0; col < GetColNo(); ++col) {
    DrawCol(dis->rcItem, col, dc, &cell);
    CString field = GetTextField(text, col).Left(49);
    dc->DrawText(field, &cell, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  }
}

int CPlotOptionListBox::CompareItem(LPCOMPAREITEMSTRUCT cis) {
  if (!m_pPlot) return 0;
  CString a = m_pPlot->GetCurveInfo((DWORD)cis->itemData1), b = m_pPlot->GetCurveInfo((DWORD)cis->itemData2);
  int col = GetSortColumn() < GetColNo() ? GetSortColumn() : 0;
  int c = std::strcmp(GetTextField(a, col), GetTextField(b, col));
  for (int other = 0; c == 0 && other < GetColNo(); ++other)
    if (other != col) c = std::strcmp(GetTextField(a, other), GetTextField(b, other));
  c = c < 0 ? -1 : c > 0 ? 1 : 0;
  return IsDescending() ? -c : c;
}

int CPlotOptionListBox::Sort(int column) {
  m_bySortCol = (BYTE)(column & 0xFF);
  m_byDescending = (BYTE)((column >> 8) & 1);
  if (!m_hWnd) return 0;
  int n = GetCount(), sel = GetCurSel();
  std::vector<DWORD_PTR> data((size_t)std::max(n, 0));
  for (int i = 0; i < n; ++i) data[(size_t)i] = GetItemData(i);
  DWORD_PTR selected = sel >= 0 ? data[(size_t)sel] : (DWORD_PTR)-1;
  ResetContent();
  for (DWORD_PTR d : data) SendMessage(LB_ADDSTRING, 0, (LPARAM)d);
  for (int i = 0; i < GetCount(); ++i)
    if (GetItemData(i) == selected) SetCurSel(i);
  return 1;
}

// ---- COptionsPage -----------------------------------------------------------------------------------

COptionsPage::COptionsPage(CGraphFilter& plot) : CPropertyPageS(14000), m_plot(plot) {
  if (!plot.m_strTitle.IsEmpty()) SetPageCaption(plot.m_strTitle);
}

BOOL COptionsPage::OnInitDialog() {
  CPropertyPageS::OnInitDialog();
  m_btnRemove.AutoLoad(BitmapModule("PLOT_OPT1_U"), 14005, this);
  m_btnAssignY.AutoLoad(BitmapModule("PLOT_OPT_U"), 14004, this);
  m_btnAssignX.AutoLoad(BitmapModule("PLOT_OPT2_U"), 14014, this);
  m_axisHeader.SubclassDlgItem(14002, this);
  m_axisList.SubclassDlgItem(14003, this);
  m_availHeader.SubclassDlgItem(14013, this);
  m_availList.SubclassDlgItem(14001, this);
  m_availList.m_pPlot = &m_plot;
  CDWordArray indices;
  CString header;
  int k = std::max(1, m_plot.GetAllCurves(indices, header));
  m_availHeader.SetWindowText(header);

  const UINT axisPos[] = {400, 800, 1000};
  m_axisHeader.SetColumnsPos(3, axisPos);
  m_axisHeader.AttachList(&m_axisList);
  m_axisHeader.GetProfile("PlotOptionGrid");
  std::vector<UINT> availPos((size_t)k);
  for (int i = 0; i < k; ++i) availPos[(size_t)i] = (UINT)std::lround((i + 1) * 1000.0 / k);
  m_availHeader.SetColumnsPos(k, availPos.data());
  m_availHeader.AttachList(&m_availList);
  CString key;
  key.Format("PlotOption%iVariables", k);
  m_availHeader.GetProfile(key);

  for (int i = 0; i < indices.GetSize(); ++i)
    if (!m_plot.GetCurveInfo(indices[i]).IsEmpty()) m_availList.SendMessage(LB_ADDSTRING, 0, (LPARAM)indices[i]);
  for (int i = 0; i < m_plot.GetSize(); ++i) AddRow(m_plot.GetAt(i));
  m_axisList.SetCurSel(AddRow(nullptr));
  return TRUE;
}

void COptionsPage::DoDataExchange(CDataExchange* pDX) {
  CPropertyPageS::DoDataExchange(pDX);
  DDX_Text(pDX, 14006, m_plot.m_strTitle);
  DDX_Text(pDX, 14007, m_plot.m_strLabel1);
  DDX_Text(pDX, 14008, m_plot.m_strLabel2);
}

int COptionsPage::AddRow(CXYCurve* curve) { return m_axisList.AddItem(new CAxisItem(&m_plot, curve)); }

int COptionsPage::EmptyRow() const {
  for (int i = 0; i < m_axisList.GetCount(); ++i) {
    auto* row = static_cast<CAxisItem*>(m_axisList.GetItem(i));
    if (row && !row->m_pCurve) return i;
  }
  return -1;
}

void COptionsPage::Assign(bool y) {
  int avail = m_availList.GetCurSel();
  if (avail < 0) return;
  DWORD index = (DWORD)m_availList.GetItemData(avail);
  int r = m_axisList.GetCurSel();
  if (r < 0 && m_axisList.GetCount() == 1) r = 0;
  auto* row = static_cast<CAxisItem*>(m_axisList.GetItem(r));
  if (!row) return;
  if (!row->m_pCurve) {
    CDWordArray used;
    for (int i = 0; i < m_plot.GetSize(); ++i) used.Add(m_plot.GetAt(i)->m_crColor);
    auto* c = new CXYCurve(used);
    if (auto* above = static_cast<CAxisItem*>(m_axisList.GetItem(r - 1)); above && above->m_pCurve) {
      c->m_nXCurve = above->m_pCurve->m_nXCurve;
      c->m_nYCurve = above->m_pCurve->m_nYCurve;
    }
    m_plot.Add(c);
    row->m_pCurve = c;
    AddRow(nullptr);
  }
  (y ? row->m_pCurve->m_nYCurve : row->m_pCurve->m_nXCurve) = index;
  m_axisList.Invalidate();
  SetModified();
}

void COptionsPage::RemoveCurve() {
  int r = m_axisList.GetCurSel();
  auto* row = static_cast<CAxisItem*>(m_axisList.GetItem(r));
  if (!row || !row->m_pCurve) return;
  CXYCurve* c = row->m_pCurve;
  m_axisList.DeleteItem((UINT)r);
  for (int i = 0; i < m_plot.GetSize(); ++i)
    if (m_plot.GetAt(i) == c) {
      m_plot.RemoveAt(i);
      break;
    }
  delete c;
  m_axisList.SetCurSel(std::min(r, m_axisList.GetCount() - 1));
  SetModified();
}

void COptionsPage::ToggleSide(int r) {
  auto* row = static_cast<CAxisItem*>(m_axisList.GetItem(r));
  if (!row || !row->m_pCurve) return;
  row->m_pCurve->m_nAxis = row->m_pCurve->m_nAxis == 1 ? 2 : 1;
  m_axisList.Invalidate();
  SetModified();
}

BOOL COptionsPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == BN_CLICKED && (id == 14004 || id == 14014)) {
    Assign(id == 14004);
    return TRUE;
  }
  if (code == BN_CLICKED && id == 14005) {
    RemoveCurve();
    return TRUE;
  }
  if (code == LBN_DBLCLK && id == 14003) {
    ToggleSide(m_axisList.GetCurSel());
    return TRUE;
  }
  if (code == LBN_DBLCLK && id == 14001) {
    Assign(true);
    // Repeated double-clicks add one curve each: move on to the adding row.
    int empty = EmptyRow();
    if (empty > 0 && m_axisList.GetCurSel() == empty - 1) m_axisList.SetCurSel(empty);
    return TRUE;
  }
  return CPropertyPageS::OnCommand(wParam, lParam);
}

void COptionsPage::OnDestroy() {
  m_axisHeader.WriteProfile("PlotOptionGrid");
  CString key;
  key.Format("PlotOption%iVariables", m_availList.GetColNo());
  m_availHeader.WriteProfile(key);
  CPropertyPageS::OnDestroy();
}

// ---- The sheets -------------------------------------------------------------------------------------

CPlotSheet::CPlotSheet(CGraphDocument& doc, CWnd* parent, int startPage, const char* suffix, UINT helpContext)
    : CPropertySheetS(doc.m_strTitle + suffix, parent, (UINT)std::max(startPage, 0)), m_doc(doc), m_nHelpContext(helpContext) {}

CPlotSheet::~CPlotSheet() {
  for (auto it = m_ownPages.rbegin(); it != m_ownPages.rend(); ++it) delete *it;
}

INT_PTR CPlotSheet::RunSheet() {
  m_copy = m_doc;
  for (int i = 0; i < m_copy.GetSize(); ++i) {
    m_ownPages.push_back(MakePage(*m_copy.GetAt(i)));
    AddPage(m_ownPages.back());
  }
  INT_PTR r = CPropertySheetS::DoModal();
  if (r == IDOK)
    for (int i = m_copy.GetSize() - 1; i >= 0; --i)
      if (m_doc.GetAt(i)) WriteBack(*m_doc.GetAt(i), *m_copy.GetAt(i));
  for (int i = GetPageCount() - 1; i >= 0; --i) {
    CPropertyPage* page = GetPage(i);
    if (page && page->m_hWnd) page->DestroyWindow();
  }
  while (GetPageCount() > 0) RemovePage(GetPageCount() - 1);
  for (auto it = m_ownPages.rbegin(); it != m_ownPages.rend(); ++it) delete *it;
  m_ownPages.clear();
  if (CWnd* parent = m_psh.hwndParent ? CWnd::FromHandle(m_psh.hwndParent) : nullptr)
    parent->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return r;
}

BOOL CPlotSheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == ID_HELP) {
    ::HtmlHelp(m_hWnd, GetKernelHelpFile(), HH_HELP_CONTEXT, m_nHelpContext);
    return TRUE;
  }
  return CPropertySheetS::OnCommand(wParam, lParam);
}

COptionsSheet::COptionsSheet(CGraphDocument& doc, CWnd* parent, int startPage)
    : CPlotSheet(doc, parent, startPage, " - Plot Setup", 4140) {}

void COptionsSheet::WriteBack(CGraphFilter& own, CGraphFilter& edited) {
  edited.LoadDefaultUnits(0);
  own = edited;
}

CExtrasSheet::CExtrasSheet(CGraphDocument& doc, CWnd* parent, int startPage, int restricted)
    : CPlotSheet(doc, parent, startPage, " - Plot Options", 4141), m_bRestricted(restricted) {}

BOOL CExtrasSheet::OnInitDialog() {
  BOOL r = CPlotSheet::OnInitDialog();
  CenterWindow();
  return r;
}

void CExtrasSheet::WriteBack(CGraphFilter& own, CGraphFilter& edited) {
  own = edited;
  own.ComputeAxis();
  own.ComputeLimits();
}
