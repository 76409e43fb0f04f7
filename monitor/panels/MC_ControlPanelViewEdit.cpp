// The layout editor of the panel view: adding, selecting, moving, aligning, spacing, reordering,
// duplicating and deleting gadgets in design mode.
#include "kernel/values/ConfigFile.h"
#include "kernel/document/MC_Document.h"
#include "monitor/panels/ControlPanelItem.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/gdi/DC.h"
#include "platform/ui/MessageQueue.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

enum : UINT {
  ID_ALIGN_LEFT = 10020, ID_ALIGN_RIGHT, ID_ALIGN_TOP, ID_ALIGN_BOTTOM, ID_SPACE_ACROSS, ID_SPACE_DOWN,
  ID_SAME_WIDTH, ID_SAME_HEIGHT, ID_SAME_SIZE, ID_SAVE, ID_RENAME, ID_SEND_BACK, ID_BRING_FRONT,
  ID_EDIT_PROPERTIES, ID_COPY_ITEMS,
  ID_CLEAR_SELECTION = 57632, ID_PANEL_HELP = 57670,
  kHelpContext = 4098,
  kDoubleClickMs = 751,
};
enum { kLeft, kRight, kTop, kBottom };

// The last click in place of any panel view, for the double click that edits a gadget.
CPoint g_lastClickPoint(-1, -1);
DWORD g_lastClickTime = 0;

bool IsDown(int vk) { return (::GetKeyState(vk) & 0x8000) != 0; }

CPoint ScrollOf(const CMC_ControlPanelView* view) { return view->GetScrollPosition(); }

// The window rectangle of a gadget in the view's client coordinates.
CRect ClientRectOf(CWnd* view, CWnd* gadget) {
  CRect r;
  gadget->GetWindowRect(&r);
  view->ScreenToClient(&r);
  return r;
}

// A point of the view's client area pulled into the rectangle the pointer is confined to: moves
// read after the press confined it may have been made before.
CPoint Confined(CWnd* view, CPoint point) {
  CRect clip;
  if (!::GetClipCursor(&clip)) return point;
  view->ClientToScreen(&point);
  point.x = std::clamp<LONG>(point.x, clip.left, std::max(clip.left, clip.right - 1));
  point.y = std::clamp<LONG>(point.y, clip.top, std::max(clip.top, clip.bottom - 1));
  view->ScreenToClient(&point);
  return point;
}

}  // namespace

BEGIN_MESSAGE_MAP(CMC_ControlPanelView, CFormView)
ON_COMMAND(ID_ALIGN_LEFT, &CMC_ControlPanelView::OnControlPanelAlignLeft)
ON_COMMAND(ID_ALIGN_RIGHT, &CMC_ControlPanelView::OnControlPanelAlignRight)
ON_COMMAND(ID_ALIGN_TOP, &CMC_ControlPanelView::OnControlPanelAlignTop)
ON_COMMAND(ID_ALIGN_BOTTOM, &CMC_ControlPanelView::OnControlPanelAlignBottom)
ON_COMMAND(ID_SPACE_ACROSS, &CMC_ControlPanelView::OnControlPanelSpaceAcross)
ON_COMMAND(ID_SPACE_DOWN, &CMC_ControlPanelView::OnControlPanelSpaceDown)
ON_COMMAND(ID_SAME_WIDTH, &CMC_ControlPanelView::OnControlPanelMakeSameWidth)
ON_COMMAND(ID_SAME_HEIGHT, &CMC_ControlPanelView::OnControlPanelMakeSameHeight)
ON_COMMAND(ID_SAME_SIZE, &CMC_ControlPanelView::OnControlPanelMakeSameSize)
ON_COMMAND(ID_SAVE, &CMC_ControlPanelView::OnControlPanelSave)
ON_COMMAND(ID_RENAME, &CMC_ControlPanelView::OnControlPanelRename)
ON_COMMAND(ID_SEND_BACK, &CMC_ControlPanelView::OnControlPanelSendBack)
ON_COMMAND(ID_BRING_FRONT, &CMC_ControlPanelView::OnControlPanelBringFront)
ON_COMMAND(ID_EDIT_PROPERTIES, &CMC_ControlPanelView::OnControlPanelEditProperties)
ON_COMMAND(ID_COPY_ITEMS, &CMC_ControlPanelView::OnControlPanelCopyItems)
ON_COMMAND(ID_CLEAR_SELECTION, &CMC_ControlPanelView::OnEditClear)
ON_COMMAND(ID_PANEL_HELP, &CMC_ControlPanelView::OnHelp)
ON_UPDATE_COMMAND_UI_RANGE(ID_ALIGN_LEFT, ID_ALIGN_BOTTOM, &CMC_ControlPanelView::OnUpdateAnchorAndTwo)
ON_UPDATE_COMMAND_UI_RANGE(ID_SPACE_ACROSS, ID_SPACE_DOWN, &CMC_ControlPanelView::OnUpdateThreeSelected)
ON_UPDATE_COMMAND_UI_RANGE(ID_SAME_WIDTH, ID_SAME_SIZE, &CMC_ControlPanelView::OnUpdateAnchorAndTwo)
ON_UPDATE_COMMAND_UI_RANGE(ID_SAVE, ID_RENAME, &CMC_ControlPanelView::OnUpdateAlways)
ON_UPDATE_COMMAND_UI_RANGE(ID_SEND_BACK, ID_EDIT_PROPERTIES, &CMC_ControlPanelView::OnUpdateOneOfSeveral)
ON_UPDATE_COMMAND_UI(ID_COPY_ITEMS, &CMC_ControlPanelView::OnUpdateAnySelected)
ON_UPDATE_COMMAND_UI(ID_CLEAR_SELECTION, &CMC_ControlPanelView::OnUpdateEditClear)
ON_UPDATE_COMMAND_UI(ID_PANEL_HELP, &CMC_ControlPanelView::OnUpdateAlways)
ON_MESSAGE(CGadgetWnd::WM_GADGET_FRAME_USED, &CMC_ControlPanelView::OnMoveGadget)
ON_MESSAGE(CGadgetWnd::WM_GADGET_ACTIVATED, &CMC_ControlPanelView::OnActivateGadget)
END_MESSAGE_MAP()

void CMC_ControlPanelView::MarkModified() {
  if (CDocument* doc = GetDocument()) {
    if (auto* mc = DYNAMIC_DOWNCAST(CMC_Document, doc))
      mc->OnChangedInView(this, 0);
    else
      doc->SetModifiedFlag(TRUE);
  }
}

int CMC_ControlPanelView::GetSelectedCount() const {
  int n = 0;
  for (int i = 0; i < m_aGadgets.GetSize(); ++i) n += m_aGadgets[i]->m_bSelected ? 1 : 0;
  return n;
}

void CMC_ControlPanelView::ClearGadgetSelection() {
  for (int i = 0; i < m_aGadgets.GetSize(); ++i) m_aGadgets[i]->SetSelected(0);
  m_pCurrentGadget = nullptr;
}

CRect CMC_ControlPanelView::ViewRectOfItem(const CRect& itemRect) const {
  CRect r = itemRect;
  r.OffsetRect(-ScrollOf(this));
  return r;
}

// ---- Adding ------------------------------------------------------------------------------------

void CMC_ControlPanelView::AddNewItem(CPoint point, int kind) {
  if (!m_pPanel || kind < 0 || kind >= kLinkCount || !msc_aLinks[kind].pItemClass) return;
  CObject* object = msc_aLinks[kind].pItemClass->CreateObject();
  auto* item = dynamic_cast<CControlPanelItem*>(object);
  if (!item) {
    delete object;
    return;
  }
  const CPoint at = point + ScrollOf(this);
  item->m_rect = CRect(at.x, at.y, -1, -1);
  const int itemIndex = m_pPanel->Add(item);
  const int index = CreateGadgetOfItem(item, FALSE);
  if (index < 0) {
    m_pPanel->RemoveAt(itemIndex);
    return;
  }
  CGadgetWnd* gadget = m_aGadgets[index];
  if (!gadget->EditProperties()) {
    if (m_pCurrentGadget == gadget) m_pCurrentGadget = nullptr;
    m_aGadgets.RemoveAt(index);
    m_pPanel->RemoveAt(itemIndex);
    RecalcScrollSize();
    return;
  }
  ClearGadgetSelection();
  if (CMC_Document* doc = DYNAMIC_DOWNCAST(CMC_Document, GetDocument()))
    item->LocateItemVariables(doc->GetSetup(), doc->GetCoffFile());
  RecalcScrollSize();
  MarkModified();
}

// ---- Selection and tab order -------------------------------------------------------------------

void CMC_ControlPanelView::RefreshGadgetTabOrder(CGadgetWnd* gadget) {
  if (!gadget || m_aGadgets.GetSize() < 2) return;
  const int at = m_aGadgets.Find(m_pCurrentGadget);
  if (m_pCurrentGadget && m_pCurrentGadget->m_hWnd) {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (m_aGadgets[0] == gadget)
      m_pCurrentGadget->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, flags);
    else if (at > 0)
      m_pCurrentGadget->SetWindowPos(m_aGadgets[at - 1], 0, 0, 0, 0, flags);
  }
  MarkModified();
}

LRESULT CMC_ControlPanelView::OnActivateGadget(WPARAM, LPARAM lParam) {
  if (!m_bInitialized) return 0;
  auto* gadget = reinterpret_cast<CGadgetWnd*>(lParam);
  if (m_aGadgets.Find(gadget) < 0) {
    ClearGadgetSelection();
    return 0;
  }
  m_pCurrentGadget = gadget;
  RefreshGadgetTabOrder(gadget);
  if (!gadget->m_bSelected) {
    ClearGadgetSelection();
    m_pCurrentGadget = gadget;
    gadget->SetSelected(1);
  }
  return 0;
}

LRESULT CMC_ControlPanelView::OnMoveGadget(WPARAM, LPARAM) {
  if (!m_bInitialized) return 0;
  RecalcScrollSize();
  RefreshGadgetTabOrder(m_pCurrentGadget);
  // The tab order marks the change only among several gadgets; a lone gadget's new size is one too.
  // A running panel's gadgets have no sizing frame, so a press on their edge changes nothing.
  if (CMC_ControlPanel::ms_bInCustomize) MarkModified();
  return 0;
}

// ---- Mouse -------------------------------------------------------------------------------------

void CMC_ControlPanelView::OnParentNotify(UINT message, LPARAM lParam) {
  CFormView::OnParentNotify(message, lParam);
  if (message != WM_LBUTTONDOWN || !CMC_ControlPanel::ms_bInCustomize || !m_bInitialized) return;
  const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  m_ptDragStart = point;
  m_bCopyOnDrag = IsDown(VK_CONTROL) ? 1 : 0;
  m_ptLastMove = CPoint(-1, -1);
  auto* gadget = dynamic_cast<CGadgetWnd*>(ChildWindowFromPoint(point, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED));
  CPoint screen = point;
  ClientToScreen(&screen);
  if (!gadget || m_aGadgets.Find(gadget) < 0 ||
      gadget->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) != HTCLIENT) {
    m_ptDragStart = m_ptLastMove = CPoint(-1, -1);
    return;
  }
  if (gadget != m_pCurrentGadget) {
    if (!gadget->m_bSelected) {
      if (!(IsDown(VK_CONTROL) && !IsDown(VK_MENU) && !IsDown(VK_SHIFT))) ClearGadgetSelection();
    }
    gadget->SetSelected(1);
    m_pCurrentGadget = gadget;
    RefreshGadgetTabOrder(gadget);
  }
  // No selected gadget may be dragged past the view's left or top edge.
  CRect clip;
  GetClientRect(&clip);
  int dx = 0, dy = 0;
  for (int i = 0; i < m_aGadgets.GetSize(); ++i)
    if (m_aGadgets[i]->m_bSelected) {
      const CRect r = ClientRectOf(this, m_aGadgets[i]);
      dx = std::max(dx, point.x - r.left);
      dy = std::max(dy, point.y - r.top);
    }
  clip.left += dx;
  clip.top += dy;
  if (clip.IsRectEmpty()) {
    m_ptDragStart = m_ptLastMove = CPoint(-1, -1);
    return;
  }
  ClientToScreen(&clip);
  SetCapture();
  ::ClipCursor(&clip);
}

void CMC_ControlPanelView::ContinueMoveOperation(CPoint point) {
  const CPoint from = m_ptLastMove.x == -1 && m_ptLastMove.y == -1 ? m_ptDragStart : m_ptLastMove;
  const CSize offset = point - from;
  for (int i = 0; i < m_aGadgets.GetSize(); ++i)
    if (m_aGadgets[i]->m_bSelected) {
      CRect r = ClientRectOf(this, m_aGadgets[i]);
      r.OffsetRect(offset);
      m_aGadgets[i]->SetWindowPos(nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  m_ptLastMove = point;
}

void CMC_ControlPanelView::OnMouseMove(UINT nFlags, CPoint point) {
  CFormView::OnMouseMove(nFlags, point);
  if (m_ptDragStart.x != -1 || m_ptDragStart.y != -1 || m_rcBand.left != -1 || m_rcBand.top != -1)
    point = Confined(this, point);
  if (m_ptDragStart.x != -1 || m_ptDragStart.y != -1) {
    if (std::abs(point.x - m_ptDragStart.x) < 10 && std::abs(point.y - m_ptDragStart.y) < 10) return;
    ::SetCursor(::LoadCursor(nullptr, IDC_SIZEALL));
    if (m_bCopyOnDrag && IsDown(VK_CONTROL)) DuplicateSelectedItems(FALSE);
    m_bCopyOnDrag = 0;
    ContinueMoveOperation(point);
    return;
  }
  if (m_rcBand.left == -1 && m_rcBand.top == -1) return;
  CClientDC dc(this);
  const CSize one(1, 1);
  CRect old(m_rcBand);
  old.NormalizeRect();
  m_rcBand.right = point.x;
  m_rcBand.bottom = point.y;
  CRect now(m_rcBand);
  now.NormalizeRect();
  // Nothing was drawn yet while the band had no area.
  dc.DrawDragRect(&now, one, old.IsRectEmpty() ? nullptr : &old, one);
}

void CMC_ControlPanelView::EndGadgetPress() {
  m_ptDragStart = m_ptLastMove = CPoint(-1, -1);
  m_bCopyOnDrag = 0;
}

void CMC_ControlPanelView::OnLButtonDown(UINT nFlags, CPoint point) {
  CFormView::OnLButtonDown(nFlags, point);
  ClearGadgetSelection();
  m_rcBand = CRect(point.x, point.y, point.x, point.y);
  SetCapture();
  CRect clip;
  GetClientRect(&clip);
  ClientToScreen(&clip);
  ::ClipCursor(&clip);
}

void CMC_ControlPanelView::OnLButtonUp(UINT nFlags, CPoint point) {
  CFormView::OnLButtonUp(nFlags, point);
  if (m_ptDragStart.x != -1 || m_ptDragStart.y != -1 || m_rcBand.left != -1 || m_rcBand.top != -1)
    point = Confined(this, point);
  if (m_ptDragStart.x != -1 || m_ptDragStart.y != -1) {
    ::ReleaseCapture();
    ::ClipCursor(nullptr);
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    if (m_pCurrentGadget) {
      if (m_ptLastMove != CPoint(-1, -1) || point != m_ptDragStart) {
        ContinueMoveOperation(point);
        RecalcScrollSize();
        MarkModified();
      } else {
        const DWORD now = ::GetTickCount();
        const DWORD diff = now >= g_lastClickTime ? now - g_lastClickTime : g_lastClickTime - now;
        if (point == g_lastClickPoint && diff < kDoubleClickMs && m_pCurrentGadget->EditProperties()) MarkModified();
        g_lastClickPoint = point;
        g_lastClickTime = now;
      }
    }
    EndGadgetPress();
    return;
  }
  if (m_rcBand.left == -1 && m_rcBand.top == -1) return;
  ::ReleaseCapture();
  ::ClipCursor(nullptr);
  Invalidate();
  const CPoint press = m_rcBand.TopLeft();
  m_rcBand.right = point.x;
  m_rcBand.bottom = point.y;
  CRect band(m_rcBand);
  band.NormalizeRect();
  if (!band.IsRectEmpty()) {
    long best = -1;
    for (int i = 0; i < m_aGadgets.GetSize(); ++i) {
      CGadgetWnd* g = m_aGadgets[i];
      if (!g->m_pItem) continue;
      CRect cut;
      if (!cut.IntersectRect(ViewRectOfItem(g->m_pItem->m_rect), band)) continue;
      g->SetSelected(1);
      const CPoint c = cut.CenterPoint();
      const long d = (long)(c.x - press.x) * (c.x - press.x) + (long)(c.y - press.y) * (c.y - press.y);
      if (best < 0 || d < best) {
        best = d;
        m_pCurrentGadget = g;
        RefreshGadgetTabOrder(g);
      }
    }
    if (m_pCurrentGadget) m_pCurrentGadget->SetFocus();
  }
  m_rcBand = CRect(-1, -1, -1, -1);
  MarkModified();
}

// ---- Layout commands ---------------------------------------------------------------------------

void CMC_ControlPanelView::AlignSelected(int edge) {
  if (!m_pCurrentGadget || !m_pCurrentGadget->m_pItem) return;
  const CRect anchor = m_pCurrentGadget->m_pItem->m_rect;
  for (int i = 0; i < m_aGadgets.GetSize(); ++i) {
    CGadgetWnd* g = m_aGadgets[i];
    if (!g->m_bSelected || g == m_pCurrentGadget || !g->m_pItem) continue;
    CRect r = g->m_pItem->m_rect;
    switch (edge) {
      case kLeft: r.OffsetRect(anchor.left - r.left, 0); break;
      case kRight: r.OffsetRect(anchor.right - r.right, 0); break;
      case kTop: r.OffsetRect(0, anchor.top - r.top); break;
      default: r.OffsetRect(0, anchor.bottom - r.bottom); break;
    }
    const CRect at = ViewRectOfItem(r);
    g->SetWindowPos(nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  MarkModified();
}

void CMC_ControlPanelView::OnControlPanelAlignLeft() { AlignSelected(kLeft); }
void CMC_ControlPanelView::OnControlPanelAlignRight() { AlignSelected(kRight); }
void CMC_ControlPanelView::OnControlPanelAlignTop() { AlignSelected(kTop); }
void CMC_ControlPanelView::OnControlPanelAlignBottom() { AlignSelected(kBottom); }

void CMC_ControlPanelView::SizeSelected(BOOL width, BOOL height) {
  if (!m_pCurrentGadget || !m_pCurrentGadget->m_pItem) return;
  const CRect anchor = m_pCurrentGadget->m_pItem->m_rect;
  for (int i = 0; i < m_aGadgets.GetSize(); ++i) {
    CGadgetWnd* g = m_aGadgets[i];
    if (!g->m_bSelected || g == m_pCurrentGadget || !g->m_pItem) continue;
    const CRect r = g->m_pItem->m_rect;
    g->SetWindowPos(nullptr, 0, 0, width ? anchor.Width() : r.Width(), height ? anchor.Height() : r.Height(),
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  MarkModified();
}

void CMC_ControlPanelView::OnControlPanelMakeSameWidth() { SizeSelected(TRUE, FALSE); }
void CMC_ControlPanelView::OnControlPanelMakeSameHeight() { SizeSelected(FALSE, TRUE); }
void CMC_ControlPanelView::OnControlPanelMakeSameSize() { SizeSelected(TRUE, TRUE); }

void CMC_ControlPanelView::SpaceSelected(BOOL vertical) {
  struct Entry {
    CGadgetWnd* gadget;
    CRect rect;
  };
  std::vector<Entry> list;
  for (int i = 0; i < m_aGadgets.GetSize(); ++i)
    if (m_aGadgets[i]->m_bSelected) list.push_back({m_aGadgets[i], ClientRectOf(this, m_aGadgets[i])});
  const int n = (int)list.size();
  if (n < 3) return;
  auto lo = [vertical](const CRect& r) { return vertical ? r.top : r.left; };
  auto hi = [vertical](const CRect& r) { return vertical ? r.bottom : r.right; };
  std::stable_sort(list.begin(), list.end(),
                   [&](const Entry& a, const Entry& b) { return lo(a.rect) + hi(a.rect) < lo(b.rect) + hi(b.rect); });
  int from = lo(list[0].rect), to = hi(list[0].rect), sum = 0;
  for (const Entry& e : list) {
    from = std::min(from, (int)lo(e.rect));
    to = std::max(to, (int)hi(e.rect));
    sum += hi(e.rect) - lo(e.rect);
  }
  const int gap = ((to - from) - sum) / (n - 1);
  int x = from;
  for (const Entry& e : list) {
    const int size = hi(e.rect) - lo(e.rect);
    const CPoint at = vertical ? CPoint(e.rect.left, x) : CPoint(x, e.rect.top);
    e.gadget->SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    x += size + gap;
  }
  MarkModified();
}

void CMC_ControlPanelView::OnControlPanelSpaceAcross() { SpaceSelected(FALSE); }
void CMC_ControlPanelView::OnControlPanelSpaceDown() { SpaceSelected(TRUE); }

void CMC_ControlPanelView::OnControlPanelSave() {
  if (m_pPanel) m_pPanel->SaveToFile();
}

void CMC_ControlPanelView::OnControlPanelRename() {
  CMC_Document* doc = DYNAMIC_DOWNCAST(CMC_Document, GetDocument());
  CMC_ControlPanel* panels = doc ? doc->GetControlPanel() : nullptr;
  if (!m_pPanel) return;
  CStringArray others;
  if (panels) others = panels->m_aPanels.TitlesInUse(m_pPanel);
  if (m_pPanel->EditProperties(others)) MarkModified();
}

void CMC_ControlPanelView::MoveCurrentInList(BOOL toFront) {
  const int n = m_aGadgets.GetSize();
  const int i = m_aGadgets.Find(m_pCurrentGadget);
  if (i >= 0 && n >= 2 && i != (toFront ? 0 : n - 1) && m_pPanel && i < m_pPanel->GetSize() &&
      m_pPanel->GetAt(i) == m_pCurrentGadget->m_pItem) {
    CControlPanelItem* item = m_pPanel->GetAt(i);
    m_pPanel->CObArray::RemoveAt(i);
    m_aGadgets.CObArray::RemoveAt(i);
    if (toFront) {
      m_pPanel->InsertAt(0, item);
      m_aGadgets.InsertAt(0, m_pCurrentGadget);
    } else {
      m_pPanel->Add(item);
      m_aGadgets.Add(m_pCurrentGadget);
    }
    m_pCurrentGadget->SetWindowPos(toFront ? &CWnd::wndTop : &CWnd::wndBottom, 0, 0, 0, 0,
                                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  MarkModified();
}

void CMC_ControlPanelView::OnControlPanelSendBack() { MoveCurrentInList(FALSE); }
void CMC_ControlPanelView::OnControlPanelBringFront() { MoveCurrentInList(TRUE); }

void CMC_ControlPanelView::OnControlPanelEditProperties() {
  if (m_pCurrentGadget && m_aGadgets.GetSize() > 1 && m_pCurrentGadget->EditProperties()) MarkModified();
}

void CMC_ControlPanelView::OnControlPanelCopyItems() {
  if (CMC_ControlPanel::ms_bInCustomize) DuplicateSelectedItems(TRUE);
}

void CMC_ControlPanelView::DuplicateSelectedItems(BOOL offset) {
  if (!m_pPanel || GetSelectedCount() == 0) return;
  std::vector<CControlPanelItem*> copies;
  CControlPanelItem* currentCopy = nullptr;
  for (int i = 0; i < m_aGadgets.GetSize(); ++i) {
    CGadgetWnd* g = m_aGadgets[i];
    if (!g->m_bSelected || !g->m_pItem) continue;
    auto* copy = dynamic_cast<CControlPanelItem*>(g->m_pItem->GetRuntimeClass()->CreateObject());
    if (!copy) continue;
    *copy = *g->m_pItem;
    if (offset) copy->m_rect.OffsetRect(g->m_pItem->m_rect.Width(), 0);
    if (g == m_pCurrentGadget) currentCopy = copy;
    copies.push_back(copy);
  }
  if (copies.empty()) return;
  ClearGadgetSelection();
  for (int i = 0; i < (int)copies.size(); ++i) m_pPanel->InsertAt(i, copies[i]);
  for (int i = (int)copies.size() - 1; i >= 0; --i) {
    if (CreateGadgetOfItem(copies[i], TRUE) < 0) {
      // No half-made copy: the item goes with the gadget that could not be made.
      m_pPanel->RemoveAt(m_pPanel->Find(copies[i]));
      if (currentCopy == copies[i]) currentCopy = nullptr;
      continue;
    }
    CGadgetWnd* g = m_aGadgets[0];
    g->SetSelected(1);
    g->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (copies[i] == currentCopy) m_pCurrentGadget = g;
  }
  RecalcScrollSize();
  MarkModified();
}

void CMC_ControlPanelView::OnEditClear() {
  for (int i = m_aGadgets.GetSize() - 1; i >= 0; --i) {
    if (!m_aGadgets[i]->m_bSelected) continue;
    if (m_aGadgets[i] == m_pCurrentGadget) m_pCurrentGadget = nullptr;
    m_aGadgets.RemoveAt(i);
    if (m_pPanel && i < m_pPanel->GetSize()) m_pPanel->RemoveAt(i);
  }
  RecalcScrollSize();
  MarkModified();
}

void CMC_ControlPanelView::OnHelp() { ::HtmlHelp(m_hWnd, GetKernelHelpFile(), 15, kHelpContext); }

// ---- Command updates ---------------------------------------------------------------------------

void CMC_ControlPanelView::OnUpdateAnchorAndTwo(CCmdUI* pCmdUI) {
  pCmdUI->Enable(CMC_ControlPanel::ms_bInCustomize && m_pCurrentGadget && GetSelectedCount() >= 2);
}

void CMC_ControlPanelView::OnUpdateThreeSelected(CCmdUI* pCmdUI) {
  pCmdUI->Enable(CMC_ControlPanel::ms_bInCustomize && GetSelectedCount() >= 3);
}

void CMC_ControlPanelView::OnUpdateAlways(CCmdUI* pCmdUI) { pCmdUI->Enable(CMC_ControlPanel::ms_bInCustomize); }

void CMC_ControlPanelView::OnUpdateOneOfSeveral(CCmdUI* pCmdUI) {
  pCmdUI->Enable(CMC_ControlPanel::ms_bInCustomize && m_pCurrentGadget && m_aGadgets.GetSize() > 1 &&
                 GetSelectedCount() == 1);
}

void CMC_ControlPanelView::OnUpdateAnySelected(CCmdUI* pCmdUI) {
  pCmdUI->Enable(CMC_ControlPanel::ms_bInCustomize && GetSelectedCount() >= 1);
}

void CMC_ControlPanelView::OnUpdateEditClear(CCmdUI* pCmdUI) {
  pCmdUI->Enable(CMC_ControlPanel::ms_bInCustomize && m_pCurrentGadget && m_pCurrentGadget->m_pItem &&
                 GetSelectedCount() >= 1);
}
