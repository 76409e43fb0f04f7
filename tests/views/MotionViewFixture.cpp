// The motion view fixture: document, frame, model builders and the row texts.
#include "tests/views/MotionViewFixture.h"

#include "platform/ui/MessageQueue.h"

#include <cstdlib>

IMPLEMENT_DYNCREATE(CTestMotionView, CMC_MotionView)

namespace {

std::string Token(const CString& value) {
  std::string s = value.GetString();
  if (s.rfind("WAIT ", 0) == 0 && s.back() == ';') return "W" + s.substr(5, s.size() - 6);
  return s;
}

void ImageOf(CMC_MotionGroup* group, int level, std::string& out) {
  for (INT_PTR i = 0; group && i < group->GetSize(); ++i) {
    out += (out.empty() ? "" : " ") + std::string((size_t)level, '.');
    if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, group->GetAt(i))) {
      out += (g->m_bExpanded ? "-" : "+") + std::string(g->m_strName.GetString());
      if (g->m_bExpanded) ImageOf(g, level + 1, out);
    } else {
      auto* e = static_cast<CMC_MotionElem*>(group->GetAt(i));
      CString code = e->m_strCode;
      code.TrimRight();
      out += Token(code);
    }
  }
}

}  // namespace

void MotionViewTest::SetUp() {
  SetupTest::SetUp();
  DialogAutomation::Reset();
  MenuAutomation::Reset();
  setup.reset(CMC_Setup::Create(0x0505));
  ASSERT_TRUE(setup);
  motion.reset(CMC_Motion::Create(setup.get()));
  ASSERT_TRUE(motion);
  motion->SetSelection(CMC_Motion::selMain, 0);
  doc.setup = setup.get();
  doc.motion = motion.get();
}

void MotionViewTest::TearDown() {
  if (host) host.reset(), frame = nullptr;
  if (frame && ::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
  UiAutomation::Pump();
  DialogAutomation::Reset();
  MenuAutomation::Reset();
  motion.reset();
  SetupTest::TearDown();
}

void MotionViewTest::Open(int cx, int cy) {
  frame = new CFrameWnd;
  CCreateContext ctx;
  ctx.m_pNewViewClass = RUNTIME_CLASS(CTestMotionView);
  ctx.m_pCurrentDoc = &doc;
  ASSERT_TRUE(frame->Create(nullptr, "motion", WS_POPUP | WS_VISIBLE, CRect(0, 0, cx, cy), nullptr, nullptr, 0, &ctx));
  frame->InitialUpdateFrame(&doc, TRUE);
  UiAutomation::Pump();
  view = static_cast<CTestMotionView*>(frame->GetActiveView());
  ASSERT_TRUE(view);
}

void MotionViewTest::OpenInHost(const CRect& child) {
  host = std::make_unique<MdiViewHost>();
  frame = host->Open(RUNTIME_CLASS(CTestMotionView), &doc, child);
  ASSERT_TRUE(frame);
  view = static_cast<CTestMotionView*>(frame->GetActiveView());
  ASSERT_TRUE(view);
}

CMC_MotionElem* MotionViewTest::Elem(const char* type, const char* parameters, int enabled) {
  auto* e = new CMC_MotionElem;
  e->m_strType = type;
  e->m_strParameters = parameters;
  e->m_bEnabled = enabled;
  return e;
}

CMC_MotionElem* MotionViewTest::W(int n, int enabled) {
  CString p;
  p.Format("Time=%d", n);
  return Elem("Wait", p, enabled);
}

CMC_MotionGroup* MotionViewTest::G(const char* name, std::initializer_list<CObject*> children, int expanded,
                                   int enabled) {
  auto* g = new CMC_MotionGroup(name);
  for (CObject* c : children) g->Add(c);
  g->m_bExpanded = expanded;
  g->m_bEnabled = enabled;
  return g;
}

void MotionViewTest::Main(std::initializer_list<CObject*> objects) {
  for (CObject* o : objects) motion->GetMain()->Add(o);
}

std::string MotionViewTest::Rows() {
  std::string s;
  for (DWORD r = 1; r <= view->GetRowCount(); ++r) {
    const int level = view->GetTreeNodeAttrib(CMC_MotionView::kLevelAttrib, r);
    const int state = view->GetTreeNodeAttrib(CMC_MotionView::kStateAttrib, r);
    s += (s.empty() ? "" : " ") + std::string(level > 0 ? (size_t)level : 0, '.');
    auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, view->GetObjectOfRow(r));
    if (state >= 0 && g)
      s += (state ? "-" : "+") + std::string(g->m_strName.GetString());
    else
      s += Token(view->GetValueRowCol(r, 1));
  }
  return s;
}

std::string MotionViewTest::Image() {
  std::string s;
  ImageOf(motion->GetSequenceSelection(), 0, s);
  return s;
}

void MotionViewTest::Select(DWORD first, DWORD last) {
  view->SetSelection(nullptr);
  const CGXRange range = CGXRange().SetRowRange(first, last);
  view->SelectRange(range, TRUE, TRUE);
  view->OnChangedSelection(&range, FALSE, FALSE);
}

bool MotionViewTest::Enabled(UINT id) {
  CTestCmdUI ui;
  ui.m_nID = id;
  ui.DoUpdate(view, TRUE);
  return ui.m_bEnabled;
}

bool MotionViewTest::RowHasColor(DWORD row, COLORREF color) {
  view->CWnd::UpdateWindow();
  const CRect r = CellRect(row);
  auto near = [](int a, int b) { return std::abs(a - b) <= 48; };
  // The text only: right of the node button of a level-0 row; antialiased edges are allowed for.
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left + 14; x < r.right; ++x) {
      const COLORREF c = ::GetWindowPixel(view->m_hWnd, POINT{x, y});
      if (near(GetRValue(c), GetRValue(color)) && near(GetGValue(c), GetGValue(color)) &&
          near(GetBValue(c), GetBValue(color)))
        return true;
    }
  return false;
}

void MotionViewTest::Picture(const char* name) {
  view->CWnd::UpdateWindow();
  EXPECT_TRUE(SaveWindowImage(view, dravonix::test::OutputPath(name).c_str()));
}
