// The motion view in a frame on a kernel document: a sequence built from the test modules, the
// rows written as a compact text, and the model's own pre-order image to compare them with.
#pragma once

#include "grid/engine/GXStyle.h"
#include "kernel/document/MC_Document.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"
#include "tests/support/MdiViewHost.h"
#include "views/motion/MC_MotionView.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

class CTestMotionView : public CMC_MotionView {
  DECLARE_DYNCREATE(CTestMotionView)

 public:
  using CMC_MotionView::GetObjectOfRow;
  using CMC_MotionView::GetParentArrayOfRow;
  using CMC_MotionView::GetTreeNodeAttrib;
  using CMC_MotionView::m_bDisabledSelected;
  using CMC_MotionView::m_bEnabledSelected;
  using CMC_MotionView::m_bSiblingRun;
  using CMC_MotionView::m_hDragCopyCursor;
  using CMC_MotionView::m_hDragMoveCursor;
  using CMC_MotionView::m_nFirstSelectedRow;
  using CMC_MotionView::m_nSelectedRows;
  using CMC_MotionView::OnChangedSelection;
  using CMC_MotionView::OnEndEditing;
  using CMC_MotionView::OnSelDragDrop;

  // Runs before each cell of the view is composed (time passing while a long fit measures rows).
  static inline std::function<void()> s_onCompose;
  void ComposeStyleRowCol(ROWCOL nRow, ROWCOL nCol, CGXStyle* pStyle, BOOL bApplyStandard = TRUE) override {
    if (s_onCompose) s_onCompose();
    CMC_MotionView::ComposeStyleRowCol(nRow, nCol, pStyle, bApplyStandard);
  }
};

class CMotionHostDoc : public CMC_Document {
 public:
  CMotionHostDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Motion* GetMotion() override { return motion; }
  void OnChangedInView(CView* v, UINT h) override {
    ++changes;
    CMC_Document::OnChangedInView(v, h);
  }
  // A save writes no file: it keeps the parameters of the main sequence's elements.
  BOOL OnSaveDocument(LPCSTR) override {
    saved.clear();
    for (INT_PTR i = 0; motion && i < motion->GetMain()->GetSize(); ++i)
      if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, motion->GetMain()->GetAt(i)))
        saved += (saved.empty() ? "" : " ") + std::string(e->m_strParameters.GetString());
    SetModifiedFlag(FALSE);
    return TRUE;
  }
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
  int changes = 0;
  std::string saved;
};

class MotionViewTest : public SetupTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Opens the view in a frame of the given size on the document.
  void Open(int cx = 400, int cy = 300);
  // Opens it in an MDI child of a host's main frame instead.
  void OpenInHost(const CRect& child = CRect(0, 0, 440, 320));

  // "Wait" elements show "WAIT n;", written "Wn" in row texts.
  static CMC_MotionElem* W(int n, int enabled = 1);
  static CMC_MotionElem* Elem(const char* type, const char* parameters, int enabled = 1);
  static CMC_MotionGroup* G(const char* name, std::initializer_list<CObject*> children, int expanded = 0,
                            int enabled = 1);
  void Main(std::initializer_list<CObject*> objects);

  // One token per row: a dot per level, then "+name" or "-name" for a collapsed or expanded group,
  // else the shown text.
  std::string Rows();
  // The same from the model: the selected sequence in pre-order, content only under expanded groups.
  std::string Image();
  void Select(DWORD first, DWORD last);
  void Command(UINT id) { view->SendMessage(WM_COMMAND, id, 0); }
  bool Enabled(UINT id);
  CRect CellRect(DWORD row, DWORD col = 1) { return view->CalcRectFromRowCol(row, col); }
  // Whether the text of a level-0 row shows that colour (antialiased glyphs: within 48 per channel).
  bool RowHasColor(DWORD row, COLORREF color);
  void Picture(const char* name);

  CWinApp app{"MotionViewTest"};
  SetupPtr setup;
  MotionPtr motion;
  CMotionHostDoc doc;
  CFrameWnd* frame = nullptr;
  std::unique_ptr<MdiViewHost> host;
  CTestMotionView* view = nullptr;
};

// Clicks on one place stay single clicks only when the clock moves between them.
class MotionViewTimedTest : public MotionViewTest {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    MotionViewTest::SetUp();
  }
  void TearDown() override {
    MotionViewTest::TearDown();
    Clock::UseRealTime();
  }
};
