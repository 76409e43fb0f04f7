// A grid view in an application frame's MDI child, as a host shows one: cells put in by a test,
// reached by posted clicks and keys, each picture held against a full repaint.
#pragma once

#include "grid/controls/GXTreeEdit.h"
#include "grid/controls/HexGridCtrl.h"
#include "grid/engine/GXData.h"
#include "grid/engine/GXGridParam.h"
#include "grid/engine/GXGridView.h"
#include "grid/engine/GXLibrary.h"
#include "platform/ui/Document.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/MdiScene.h"
#include "tests/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace dravonix::test {

// A host that counts the clicks its cells report.
class CReportingView : public CGXGridView {
  DECLARE_DYNCREATE(CReportingView)
 public:
  void OnClickedButtonRowCol(ROWCOL nRow, ROWCOL nCol) override {
    ++reported;
    CGXGridView::OnClickedButtonRowCol(nRow, nCol);
  }
  int reported = 0;
};

class CellScene : public MdiScene {
 public:
  explicit CellScene(CRuntimeClass* view = RUNTIME_CLASS(CReportingView))
      : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE), m_view(view) {
    GXStartGridLibrary();
    m_doc.m_bAutoDelete = FALSE;
    AddChild(0, CRect(0, 0, 460, 300));
  }
  ~CellScene() override { Close(); }
  HWND AddChild(int, const CRect& r) override {
    CCreateContext ctx;
    ctx.m_pNewViewClass = m_view;
    ctx.m_pCurrentDoc = &m_doc;
    auto* child = new CMDIChildWnd;
    if (!child->Create(nullptr, "cells", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main, &ctx)) return nullptr;
    child->InitialUpdateFrame(&m_doc, TRUE);
    grid = dynamic_cast<CGXGridView*>(child->GetActiveView());
    grid->GetParam()->GetData()->SetRowCount(6);
    grid->GetParam()->GetData()->SetColCount(4);
    grid->SetColWidth(1, 4, 100);
    grid->SetRowHeight(1, 6, 24);
    grid->SetFocus();
    UiAutomation::Pump();
    return child->m_hWnd;
  }

  // Read-only cells too: the protection is lifted meanwhile.
  void Put(ROWCOL r, ROWCOL c, const CGXStyle& s) {
    const BOOL protect = grid->GetParam()->m_bProtectReadOnly;
    grid->GetParam()->m_bProtectReadOnly = FALSE;
    grid->SetStyleRange(CGXRange().SetCellRange(r, c, r, c), &s);
    grid->GetParam()->m_bProtectReadOnly = protect;
    UiAutomation::Pump();
  }
  // A cell of kind `id` holding `value` (with `choices` for the list kinds), set up as the walks over
  // every kind have it: the tree and hexadecimal kinds registered, a mask, the check kinds' values.
  CGXStyle KindCell(UINT id, const char* value, const char* choices) {
    grid->RegisterControl(15001, new CGXTreeEdit(grid, 15001), FALSE, FALSE);
    grid->RegisterControl(15005, new CHexGridCtrl(grid), FALSE, FALSE);
    CGXStyle cell;
    cell.SetControl(id).SetValue(value);
    if (choices) cell.SetChoiceList(choices);
    if (id == 52535) cell.SetUserAttribute(51023, "######");
    if (id == 52541 || id == 52539 || id == 52540) cell.SetUserAttribute(51028, "0").SetUserAttribute(51029, "1");
    return cell;
  }
  std::string Value(ROWCOL r, ROWCOL c) { return (const char*)grid->GetValueRowCol(r, c); }
  HWND View() const { return grid->m_hWnd; }
  // A point of the cell: offsets from its left or top edge, negative ones from its right or bottom.
  CPoint At(ROWCOL r, ROWCOL c, int dx = 0, int dy = 0) {
    const CRect cell = grid->CalcRectFromRowCol(r, c);
    return CPoint(dx == 0 ? cell.CenterPoint().x : dx > 0 ? cell.left + dx : cell.right + dx,
                  dy == 0 ? cell.CenterPoint().y : dy > 0 ? cell.top + dy : cell.bottom + dy);
  }
  void Click(ROWCOL r, ROWCOL c, int dx = 0, int dy = 0) { UiAutomation::Click(View(), At(r, c, dx, dy)); }
  // The left button pressed at the first point, moved through the others, released at the last.
  void Stroke(const std::vector<CPoint>& at) {
    PostMouseInput(View(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{at.front().x, at.front().y});
    for (const CPoint& p : at) PostMouseInput(View(), WM_MOUSEMOVE, MK_LBUTTON, POINT{p.x, p.y});
    PostMouseInput(View(), WM_LBUTTONUP, 0, POINT{at.back().x, at.back().y});
    UiAutomation::Pump();
  }
  // Keys go to whichever window has the focus, as the keyboard's do.
  void Key(UINT vk, UINT modifiers = UiAutomation::kNone) { UiAutomation::PressKey(vk, modifiers); }
  void Type(const char* text) { UiAutomation::TypeText(text); }
  std::string Current() {
    ROWCOL r = 0, c = 0;
    grid->GetCurrentCell(r, c);
    return std::to_string(r) + "," + std::to_string(c);
  }
  // What the current cell's control shows now, typed text not yet stored included.
  std::string Shown() {
    ROWCOL r = 0, c = 0;
    CString text;
    if (grid->GetCurrentCell(r, c)) grid->GetControl(r, c)->GetCurrentText(text);
    return (const char*)text;
  }
  int Off() { return PixelsOffFullRepaint(MainWnd()); }
  // The clicks the cells reported to the host.
  int Reported() { auto* v = dynamic_cast<CReportingView*>(grid); return v ? v->reported : -1; }

  CRuntimeClass* m_view;
  CDocument m_doc;
  CGXGridView* grid = nullptr;
};

// One user action on the scene and what it must leave: the value of a cell and the current cell
// ("" where the row does not care).
struct CellRow {
  const char* name;
  std::function<void(CellScene&)> act;
  ROWCOL row, col;
  const char* value;
  const char* current = "";
};

// Each row's action, in turn on one scene, then its state, and the picture against a full repaint.
inline void ExpectRows(CellScene& scene, const std::vector<CellRow>& rows) {
  for (const CellRow& r : rows) {
    r.act(scene);
    if (r.value) {
      EXPECT_EQ(r.value, scene.Value(r.row, r.col)) << r.name;
    }
    if (*r.current) {
      EXPECT_EQ(r.current, scene.Current()) << r.name;
    }
    EXPECT_EQ(0, scene.Off()) << r.name;
  }
}

}  // namespace dravonix::test
