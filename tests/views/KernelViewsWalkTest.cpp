// The kernel's own views in MDI children of a host's frame, several at once and some twice on one
// document, walked through what users do to windows and through the views' own updates (a running
// panel polled, the document changed as the kernel tells its views): each step's picture holds
// against a full repaint. WALK_SEED, WALK_RUNS and WALK_STEPS give other walks for local runs.
#include "kernel/document/MC_Document.h"
#include "monitor/gadgets/ControlPanelGaugeItem.h"
#include "monitor/gadgets/ControlPanelPortItems.h"
#include "monitor/gadgets/ControlPanelScopeItems.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/gadgets/ControlPanelSliderItem.h"
#include "monitor/loggers/MC_LoggerView.h"
#include "monitor/loggers/MC_SingleAxisLogger.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "motion/cam/MC_CAM.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "plot/curves/Curve.h"
#include "plot/curves/GraphFilter.h"
#include "plot/curves/XYCurve.h"
#include "platform/ui/DialogAutomation.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "tests/kernel/SetupTestSupport.h"
#include "tests/motion/MotionPtr.h"
#include "tests/support/MdiScene.h"
#include "tests/support/SimulatedDrive.h"
#include "tests/support/NamedAxis.h"
#include "tests/support/TestKernel.h"
#include "views/cam/MC_CAMTablesView.h"
#include "views/cam/MC_CAMView.h"
#include "views/folders/MC_ControllerAxisSelectionView.h"
#include "views/folders/MC_FunctionsFolderView.h"
#include "views/folders/MC_HomingProcsFolderView.h"
#include "views/folders/MC_InterruptsFolderView.h"
#include "views/memory/MemoryView.h"
#include "views/motion/MC_MotionView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace dravonix::test;

namespace {

// The drive's document: setup, motion program, panels and logger of axis 1.
class CDriveDoc : public CMC_Document {
 public:
  CDriveDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Motion* GetMotion() override { return motion; }
  CMC_ControlPanel* GetControlPanel() override { return &panels; }
  CMC_SingleAxisLogger* GetLogger() override { return logger; }
  BYTE GetGlobalSelectedAxis() override { return 1; }
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
  CMC_SingleAxisLogger* logger = nullptr;
  CMC_ControlPanel panels;
};

using Axis = dravonix::test::NamedAxis;

// A program's document: a controller's offers its slaves from the axes; another has a CAM table
// chosen, as the CAM editor shows one.
class CProgramDoc : public CMC_Document {
 public:
  CProgramDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Motion* GetMotion() override { return motion; }
  int GetAxisCount() override { return (int)axes.size(); }
  int GetSelectedAxisIdx() override { return 0; }
  CMC_AxisData* GetAxisData(int i) override { return i >= 0 && i < (int)axes.size() ? axes[(size_t)i] : nullptr; }
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
  std::vector<CMC_AxisData*> axes;
};

enum Kind { kPanel, kCamEditor, kCamTables, kMemory, kMotion, kHoming, kInterrupts, kFunctions, kAxes, kLogger, kKinds };
const char* const kFamilies[kKinds] = {"panel",      "cam editor", "cam tables", "memory", "motion",
                                       "homing",     "interrupts", "functions",  "axes",   "logger"};

// Beyond the frame operations: a press on a child's caption, a click anywhere in a child, a drag
// inside it, a border inside its view dragged (a grid's row or column, a panel's gadget in design),
// a number typed with Enter to the focus, a press on a view's sideways bar or a drag of a thumb, a
// poll of the drive, a document change told to the views, the panels switched between design and run,
// keys to the focused view, an edit typed into one of two views of a document, the frame made small
// over a maximized child and back.
enum WalkOp {
  kCaption = kMdiOpsWithDrags, kClickIn, kDoubleClickIn, kDragIn, kInnerBorder, kType, kPoll, kChange, kMode, kBars,
  kKeys, kEditTwin, kSmallFrame, kWalkOps
};

struct Documents {
  SetupPtr setup, controller;
  MotionPtr motion, camMotion, controllerMotion;
  std::unique_ptr<CMC_SingleAxisLogger> logger;
  CDriveDoc drive;
  CProgramDoc cam, ctrl;
  Axis ctrlAxis{"Ctrl", nullptr}, x{"X", nullptr}, y{"Y", nullptr};
  WORD tick = 0;
};

class KernelViewsScene : public MdiScene {
 public:
  explicit KernelViewsScene(Documents& d) : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE), m_d(d) {
    m_app.m_pMainWnd = m_main;
    m_app.AddDocTemplate(new CMC_ControlPanelDocTemplate(9400, RUNTIME_CLASS(CMC_Document),
                                                         RUNTIME_CLASS(CMC_ControlPanelFrame),
                                                         RUNTIME_CLASS(CMC_ControlPanelView)));
  }
  ~KernelViewsScene() override {
    // Closing the main window would end the thread's loop for the tests after this one.
    m_app.m_pMainWnd = nullptr;
    Close();
  }
  HWND AddChild(int kind, const CRect& r) override {
    kind %= kKinds;
    if (kind == kPanel) return OpenPanel(r);
    static CRuntimeClass* const classes[kKinds] = {
        nullptr, RUNTIME_CLASS(CMC_CAMView), RUNTIME_CLASS(CMC_CAMTablesView), RUNTIME_CLASS(CMemoryView),
        RUNTIME_CLASS(CMC_MotionView), RUNTIME_CLASS(CMC_HomingProcsFolderView), RUNTIME_CLASS(CMC_InterruptsFolderView),
        RUNTIME_CLASS(CMC_FunctionsFolderView), RUNTIME_CLASS(CMC_ControllerAxisSelectionView),
        RUNTIME_CLASS(CMC_LoggerView)};
    CDocument* doc = kind == kAxes                               ? (CDocument*)&m_d.ctrl
                     : kind == kCamEditor || kind == kCamTables ? (CDocument*)&m_d.cam
                                                                : (CDocument*)&m_d.drive;
    CCreateContext ctx;
    ctx.m_pNewViewClass = classes[kind];
    ctx.m_pCurrentDoc = doc;
    auto* child = new CMDIChildWnd;
    if (!child->Create(nullptr, kFamilies[kind], WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, r, m_main, &ctx))
      return nullptr;
    child->InitialUpdateFrame(doc, TRUE);
    UiAutomation::Pump();
    m_family[child->m_hWnd] = kind;
    return child->m_hWnd;
  }
  // A panel of gadgets on drive words, in its own frame at `r`: the first without a frame, else a new one.
  HWND OpenPanel(const CRect& r) {
    CMC_ControlPanel& panels = m_d.drive.panels;
    int index = 0;
    while (index < panels.m_aPanels.GetSize() && panels.m_aPanels[index]->m_pFrame) ++index;
    if (index == panels.m_aPanels.GetSize()) {
      if (index >= 2) return nullptr;
      auto* panel = new CControlPanelItemArray(index ? "Second" : "First");
      auto add = [&](auto* item, int x, int y) {
        item->m_rect = CRect(x, y, 0, 0);
        panel->Add(item);
        return item;
      };
      CControlPanelVar* words[] = {&add(new CControlPanelSliderItem, 10, 10)->m_var,
                                   &add(new CControlPanelGaugeItem, 10, 110)->m_var};
      for (CControlPanelVar* v : words) v->m_strName = "int@0x8300", v->m_dMax = 1000;
      add(new CControlPanelScopeItem, 200, 10)->m_var.m_strName = "int@0x8302";
      add(new CControlPanelShowVarItem, 200, 200)->m_var.m_strName = "int@0x8302";
      add(new CControlPanelOutputItem, 10, 250)->m_nPort = 2;
      add(new CControlPanelInputItem, 120, 250)->m_nPort = 3;
      panels.m_aPanels.Add(panel);
    }
    CControlPanelItemArray* panel = panels.m_aPanels[index];
    panel->m_nFrameX = r.left, panel->m_nFrameY = r.top;
    panel->m_nFrameWidth = r.Width(), panel->m_nFrameHeight = r.Height();
    if (!panels.OpenFrame(index, &m_d.drive) || !panel->m_pFrame) return nullptr;
    UiAutomation::Pump();
    m_family[panel->m_pFrame->m_hWnd] = kPanel;
    return panel->m_pFrame->m_hWnd;
  }
  // Another child of the same family, on the same document.
  HWND Twin(HWND child) const {
    for (HWND h : Children())
      if (h != child && Family(h) >= 0 && Family(h) == Family(child)) return h;
    return nullptr;
  }
  // The family of a child's view.
  int Family(HWND child) const {
    auto it = m_family.find(child);
    return it == m_family.end() ? -1 : it->second;
  }

  Documents& m_d;
  std::map<HWND, int> m_family;
};

// The drive's words change and the panels read them, as the host's idle time does.
void PollDrive(Documents& d, int value) {
  const WORD words[2] = {(WORD)(value * 37 % 1000), (WORD)(900 - value * 53 % 900)};
  DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(0x8300), 0x8300, words, 2);
  d.drive.panels.InvalidateMemory(1, 0x8300, 2);
  UiAutomation::AdvanceClock(100);
  LONG count = 0;
  d.drive.OnIdle(count);
}

// A change of the document told to its views as the kernel tells them: `which` picks what changes.
void ChangeDocument(Documents& d, int which, int value) {
  switch (which % 5) {
    case 0: {
      // A CAM table's points, then the views that show tables.
      CMC_CAMTables& tables = *d.camMotion->GetCAMTables();
      if (value % 4 == 0 && tables.GetCAMsCount() < 4) tables.AddNewSelCAM(("t" + std::to_string(value)).c_str());
      if (CMC_CAM* cam = tables.GetSelCAM(0)) {
        std::vector<LONG> points((size_t)(2 + value % 9));
        for (size_t i = 0; i < points.size(); ++i) points[i] = (LONG)(i * 11 + (size_t)value) % 97 - 40;
        cam->SetPoints(points.data(), (int)points.size());
      }
      d.cam.UpdateAllViews(nullptr, CMC_CAMView::HINT_CAMS_CHANGED);
      break;
    }
    case 1: {
      // An element added to the main sequence, retranslated and refilled.
      auto* e = new CMC_MotionElem;
      e->m_strType = "Wait";
      CString p;
      p.Format("Time=%d", value % 50);
      e->m_strParameters = p;
      d.motion->GetMain()->Add(e);
      d.drive.UpdateAllViews(nullptr, CMC_MotionView::kHintRefresh);
      break;
    }
    case 2: {
      // The drive's memory changed and the memory views refilled with the changes marked.
      WORD words[8];
      for (int i = 0; i < 8; ++i) words[i] = (WORD)(value * 31 + i * 7);
      const WORD at = d.drive.GetMemoryViewStartAddress();
      DriveSimulator::WriteMemory(1, CMC_Value::GetMemorySpace(at), at, words, 8);
      d.drive.UpdateAllViews(nullptr, CMemoryView::HINT_REFILL_MARKED);
      break;
    }
    case 3:
      for (CDocument* doc : {(CDocument*)&d.drive, (CDocument*)&d.cam, (CDocument*)&d.ctrl})
        doc->UpdateAllViews(nullptr, CMC_HomingProcsFolderView::HINT_REFRESH);
      break;
    case 4:
      // The logger's upload reads one more sample of each curve.
      for (int i = 0; i < 3; ++i) {
        CCurve* curve = d.logger->GetCurves().GetAt(i);
        curve->SetUpperValid(std::min(curve->GetUpperValid() + 1, 59));
      }
      d.drive.UpdateAllViews(nullptr, CMC_Document::HINT_LOGGER_POINT_READ, d.logger.get());
      break;
  }
}

// The panels go between design and run as the host switches them: every panel view rebuilt.
void SwitchMode(Documents& d) {
  const bool design = !CMC_ControlPanel::ms_bInCustomize;
  if (design && CMC_ControlPanel::ms_bStarted) {
    CMC_ControlPanel::ms_bStarted = 0;
    d.drive.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STOPPED);
  }
  CMC_ControlPanel::ms_bInCustomize = design;
  d.drive.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_REBUILD_ALL);
  if (!design) {
    CMC_ControlPanel::ms_bStarted = 1;
    d.drive.panels.BuildMemoryArray(&d.drive);
    d.drive.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STARTED);
  }
}

// What a user's edit may change in each document, to see that its modified mark follows.
std::string Contents(CDocument& doc, Documents& d) {
  std::string out;
  auto elems = [&](CMC_Motion* m) {
    if (!m) return;
    CMC_MotionGroup* g = m->GetMain();
    for (INT_PTR i = 0; i < g->GetSize(); ++i)
      if (auto* e = dynamic_cast<CMC_MotionElem*>(g->GetAt(i)))
        out += std::string(e->m_strType) + "(" + std::string(e->m_strParameters) + std::to_string(e->m_bEnabled) + ")";
    out += ";";
  };
  if (&doc == &d.drive) {
    elems(d.motion.get());
    for (INT_PTR p = 0; p < d.drive.panels.m_aPanels.GetSize(); ++p) {
      CControlPanelItemArray* panel = d.drive.panels.m_aPanels[p];
      for (INT_PTR i = 0; i < panel->GetSize(); ++i) {
        const CRect& r = panel->GetAt(i)->m_rect;
        out += std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.Width()) + "," +
               std::to_string(r.Height()) + ";";
      }
    }
  } else if (&doc == &d.cam) {
    elems(d.camMotion.get());
    CMC_CAMTables& tables = *d.camMotion->GetCAMTables();
    for (int t = 0; t < tables.GetCAMsCount(); ++t)
      if (CMC_CAM* cam = tables.GetSelCAM(t))
        for (int i = 0; i < cam->GetPointsCount(); ++i) out += std::to_string(cam->GetPoint(i)) + ",";
  } else {
    elems(d.controllerMotion.get());
  }
  return out;
}

// A key as a user gives it to the focus: `which` picks it, `mods` its Ctrl and Shift.
void KeyToFocus(int which, int mods, int value) {
  static const UINT moves[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_PRIOR, VK_NEXT, VK_HOME, VK_END};
  const UINT m = (mods % 2 ? (UINT)UiAutomation::kControl : 0u) | (mods / 2 % 2 ? (UINT)UiAutomation::kShift : 0u);
  switch (which % 13) {
    case 8: UiAutomation::PressKey(VK_DELETE); break;
    case 9: UiAutomation::PressKey(VK_BACK); break;
    case 10: UiAutomation::PressKey(VK_F2); break;
    case 11: {
      static const UINT ends[] = {VK_RETURN, VK_TAB, VK_ESCAPE};
      UiAutomation::TypeText(std::to_string(value).c_str());
      UiAutomation::PressKey(ends[mods % 3]);
      break;
    }
    case 12:
      // The view's menu, if it has one, left unchosen.
      UiAutomation::PressKey(VK_F10, UiAutomation::kShift);
      UiAutomation::Pump();
      UiAutomation::PressKey(VK_ESCAPE);
      break;
    default: UiAutomation::PressKey(moves[which % 13], m); break;
  }
}

void Step(KernelViewsScene& scene, Documents& d, const MdiStep& s) {
  Automation::Instance().ClearMessageBoxes();
  // Steps are apart in time: no two clicks make a double click.
  UiAutomation::AdvanceClock(600);
  switch ((int)s.op) {
    case kCaption: {
      // A press on the caption, left of its buttons, where it shows.
      HWND child = StepChild(scene, s);
      if (!child) break;
      CRect w;
      ::GetWindowRect(child, &w);
      POINT at{w.left + 8 + s.b % 30, w.top + ::GetSystemMetrics(SM_CYFRAME) + 4};
      ::ScreenToClient(scene.Workspace(), &at);
      UiAutomation::Click(scene.Workspace(), at);
      break;
    }
    case kClickIn:
    case kDoubleClickIn:
    case kDragIn: {
      HWND child = StepChild(scene, s);
      if (!child) break;
      CRect c;
      ::GetClientRect(child, &c);
      const POINT at{c.Width() * s.b / 200, c.Height() * s.c / 150};
      if ((int)s.op == kClickIn)
        UiAutomation::Click(child, at);
      else if ((int)s.op == kDoubleClickIn)
        UiAutomation::DoubleClick(child, at);
      else
        UiAutomation::Drag(child, at, POINT{at.x + s.d % 61 - 30, at.y + s.d % 41 - 20});
      break;
    }
    case kInnerBorder: {
      HWND child = StepChild(scene, s);
      CWnd* view = child ? CWnd::FromHandle(::GetTopWindow(child)) : nullptr;
      POINT from{0, 0}, to{0, 0};
      if (auto* grid = dynamic_cast<CGXGridView*>(view)) {
        // A row's lower border in the row headers, or a column's right border in the column headers.
        if (s.b % 2) {
          const CRect r = grid->CalcRectFromRowCol(grid->GetTopRow() + (ROWCOL)(s.c % 5), 0);
          from = POINT{r.CenterPoint().x, r.bottom - 1}, to = POINT{from.x, from.y + s.d % 41 - 20};
        } else {
          const CRect r = grid->CalcRectFromRowCol(0, grid->GetLeftCol() + (ROWCOL)(s.c % 3));
          from = POINT{r.right - 1, r.CenterPoint().y}, to = POINT{from.x + s.d % 61 - 30, from.y};
        }
      } else if (auto* panel = dynamic_cast<CMC_ControlPanelView*>(view)) {
        // A gadget's right or bottom border, its corner, or the gadget itself, dragged.
        if (panel->m_aGadgets.GetSize() == 0) break;
        CRect r;
        panel->m_aGadgets[s.c % panel->m_aGadgets.GetSize()]->GetWindowRect(&r);
        panel->ScreenToClient(&r);
        const int part = s.b % 4;
        from = POINT{part == 1 ? r.CenterPoint().x : part == 3 ? r.left + 4 : r.right - 2,
                     part == 0 ? r.CenterPoint().y : part == 3 ? r.top + 4 : r.bottom - 2};
        to = POINT{from.x + s.d % 61 - 30, from.y + s.d % 41 - 20};
      } else {
        break;
      }
      UiAutomation::Drag(view->m_hWnd, from, to);
      break;
    }
    case kBars: {
      // An arrow or the page beside the thumb of the sideways bar, or the up-down thumb dragged.
      HWND child = StepChild(scene, s);
      HWND view = child ? ::GetTopWindow(child) : nullptr;
      if (!view) break;
      RECT c;
      ::GetClientRect(view, &c);
      const LONG_PTR style = ::GetWindowLongPtr(view, GWL_STYLE);
      const int bar = ::GetSystemMetrics(SM_CXVSCROLL), half = bar / 2;
      if (s.b % 2 && (style & WS_HSCROLL)) {
        const LONG at[] = {half, c.right - half, c.right / 3, 2 * c.right / 3};
        UiAutomation::Click(view, POINT{at[s.c % 4], c.bottom + half});
      } else if (style & WS_VSCROLL) {
        const POINT from{c.right + half, bar + 2};
        UiAutomation::Drag(view, from, POINT{from.x, from.y + s.d % 80});
      }
      break;
    }
    case kType:
      UiAutomation::TypeText(std::to_string(s.b).c_str());
      UiAutomation::PressKey(s.c % 2 ? VK_RETURN : VK_TAB);
      break;
    case kCreate:
    case kMove: {
      // Children big enough to show their views, cut by the frame or by one another.
      const CRect place(s.b, s.c, s.b + 140 + 2 * s.d, s.c + 110 + s.d + s.b % 60);
      if (s.op == kCreate) scene.AddChild(s.a, place);
      else if (HWND child = StepChild(scene, s)) ::MoveWindow(child, place.left, place.top, place.Width(), place.Height(), TRUE);
      break;
    }
    case kKeys: KeyToFocus(s.b, s.c, s.d); break;
    case kEditTwin: {
      // A child whose document another child shows too: a cell picked by a click, a value typed
      // into it and ended.
      HWND child = StepChild(scene, s);
      if (!child || !scene.Twin(child)) break;
      CWnd* view = CWnd::FromHandle(::GetTopWindow(child));
      if (auto* grid = dynamic_cast<CGXGridView*>(view)) {
        // A cell of those shown, not a header.
        const CRect r = grid->CalcRectFromRowCol(grid->GetTopRow() + (ROWCOL)(s.c % 4), grid->GetLeftCol() + (ROWCOL)(s.b % 4));
        UiAutomation::Click(grid->m_hWnd, r.CenterPoint());
      } else {
        // One of the form's fields shown, or a point of the view.
        std::vector<HWND> fields;
        for (HWND h = view ? ::GetTopWindow(view->m_hWnd) : nullptr; h; h = ::GetWindow(h, GW_HWNDNEXT)) {
          char name[16] = "";
          ::GetClassName(h, name, sizeof name);
          if (::IsWindowVisible(h) && ::IsWindowEnabled(h) && std::string(name) == "Edit") fields.push_back(h);
        }
        CRect c;
        ::GetClientRect(fields.empty() ? child : fields[(size_t)s.b % fields.size()], &c);
        UiAutomation::Click(fields.empty() ? child : fields[(size_t)s.b % fields.size()],
                            fields.empty() ? POINT{c.Width() * s.b / 200, c.Height() * s.c / 150} : c.CenterPoint());
      }
      UiAutomation::PressKey(VK_F2);
      UiAutomation::TypeText(std::to_string(s.d * 7 % 100).c_str());
      UiAutomation::PressKey(s.d % 2 ? VK_TAB : VK_RETURN);
      break;
    }
    case kSmallFrame: {
      // A maximized child in a frame too small to show its view whole; the next time, both restored.
      RECT f;
      ::GetWindowRect(scene.MainWnd(), &f);
      HWND child = StepChild(scene, s);
      if (f.right - f.left < 400) {
        ::SetWindowPos(scene.MainWnd(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
        if (child) ::ShowWindow(child, SW_RESTORE);
      } else {
        if (child) ::ShowWindow(child, SW_MAXIMIZE);
        ::SetWindowPos(scene.MainWnd(), nullptr, 0, 0, 160 + s.b, 120 + s.c, SWP_NOMOVE | SWP_NOZORDER);
      }
      break;
    }
    case kPoll: PollDrive(d, ++d.tick); break;
    case kChange: ChangeDocument(d, s.b, ++d.tick); break;
    case kMode: SwitchMode(d); break;
    default: Apply(scene, s); break;
  }
  UiAutomation::Pump();
}

// The pixels of the frame's picture that differ from a full repaint, by the family of the topmost
// child shown where they lie ("frame" outside every child); empty when none does.
std::map<std::string, int> OffByFamily(KernelViewsScene& scene) {
  const HWND root = scene.MainWnd();
  ::PumpMessages();
  // Where each shown child lies on the frame's surface, topmost first.
  std::vector<std::pair<CRect, int>> places;
  CRect frame;
  ::GetWindowRect(root, &frame);
  for (HWND h : scene.Children())
    if (::IsWindowVisible(h)) {
      CRect w;
      ::GetWindowRect(h, &w);
      w.OffsetRect(-frame.left, -frame.top);
      places.emplace_back(w, scene.Family(h));
    }
  const std::vector<uint32_t> now = RootPixels(root);
  cairo_surface_t* s = ui::WindowSurface(root);
  const int width = s ? cairo_image_surface_get_width(s) : 0;
  if (PixelsOffFullRepaint(root) == 0) return {};
  const std::vector<uint32_t> full = RootPixels(root);
  std::map<std::string, int> off;
  for (size_t i = 0; i < now.size() && i < full.size(); ++i) {
    if (now[i] == full[i]) continue;
    const CPoint p((int)(i % (size_t)width), (int)(i / (size_t)width));
    std::string where = "frame";
    for (const auto& [r, family] : places)
      if (r.PtInRect(p)) {
        where = family < 0 ? "child" : kFamilies[family];
        break;
      }
    ++off[where];
  }
  return off;
}

// A user's keys that change a document leave it marked modified; `before` its contents before them,
// when it was unmarked. Names the documents whose mark did not follow.
std::string UnmarkedEdits(Documents& d, const std::vector<std::string>& before) {
  CDocument* docs[] = {&d.drive, &d.cam, &d.ctrl};
  std::string out;
  for (size_t i = 0; i < 3; ++i)
    if (!before[i].empty() && !docs[i]->IsModified() && Contents(*docs[i], d) + "|" != before[i])
      out += std::string(i == 0 ? "drive" : i == 1 ? "cam" : "controller") + " changed, not marked modified; ";
  return out;
}

// An edit's child gets a second view of its document if it has none, before the edit.
void MakeTwin(KernelViewsScene& scene, const MdiStep& s) {
  HWND child = StepChild(scene, s);
  if ((int)s.op != kEditTwin || !child || scene.Family(child) < 0 || scene.Twin(child) || scene.Children().size() >= 5) return;
  scene.AddChild(scene.Family(child), CRect(s.c, s.b / 2, s.c + 260, s.b / 2 + 200));
}

// Each document's contents, its mark taken off as a save does; empty for steps that are not a user's keys.
std::vector<std::string> UnmarkForEdit(const KernelViewsScene& scene, Documents& d, const MdiStep& s) {
  std::vector<std::string> out(3);
  const int op = (int)s.op;
  HWND child = StepChild(scene, s);
  if (op != kKeys && op != kType && !(op == kEditTwin && child && scene.Twin(child))) return out;
  CDocument* docs[] = {&d.drive, &d.cam, &d.ctrl};
  for (size_t i = 0; i < 3; ++i) {
    docs[i]->SetModifiedFlag(FALSE);
    out[i] = Contents(*docs[i], d) + "|";
  }
  return out;
}

// A step that moves the focus moves it to the active child, or to no child; a value refused with a
// message box keeps it in the field that holds it, and the field's child active.
bool FocusInActiveChild(const KernelViewsScene& scene, HWND before) {
  const HWND focus = ::GetFocus();
  if (focus == before) return true;
  if (!focus || !::IsChild(scene.Workspace(), focus)) return true;
  CMDIChildWnd* active = scene.m_main->MDIGetActive();
  return active && (focus == active->m_hWnd || ::IsChild(active->m_hWnd, focus));
}

std::string Describe(const std::map<std::string, int>& off) {
  std::string s;
  for (const auto& [where, n] : off) s += where + " " + std::to_string(n) + " px; ";
  return s;
}

class KernelViewsWalk : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    DialogAutomation::Reset();
    ASSERT_TRUE(StartOnlineDrive());
    d.setup.reset(CMC_Setup::CreateFromDirectory(Kernel("Configurations/05/05").c_str()));
    d.controller.reset(CMC_Setup::Create(0x0701));
    ASSERT_TRUE(d.setup && d.controller);
    d.motion.reset(CMC_Motion::Create(d.setup.get()));
    d.controllerMotion.reset(CMC_Motion::Create(d.controller.get()));
    ASSERT_TRUE(d.motion && d.controllerMotion);
    d.motion->SetSelection(CMC_Motion::selMain, 0);
    for (int i = 0; i < 30; ++i) {
      auto* e = new CMC_MotionElem;
      e->m_strType = i % 3 ? "Wait" : "Free Text";
      e->m_strParameters = i % 3 ? "Time=5" : "~";
      d.motion->GetMain()->Add(e);
    }
    d.camMotion.reset(CMC_Motion::Create(d.setup.get()));
    ASSERT_TRUE(d.camMotion && d.camMotion->GetCAMTables()->AddNewSelCAM("c1"));
    const LONG points[] = {5, -7, 12, 30, 8};
    d.camMotion->GetCAMTables()->GetSelCAM(0)->SetPoints(points, 5);
    d.camMotion->SetSelection(CMC_Motion::selCAM, 0);
    d.cam.setup = d.setup.get();
    d.cam.motion = d.camMotion.get();
    d.drive.setup = d.setup.get();
    d.drive.motion = d.motion.get();
    d.ctrl.setup = d.controller.get();
    d.ctrl.motion = d.controllerMotion.get();
    d.ctrlAxis.setup = d.controller.get();
    d.x.setup = d.y.setup = d.setup.get();
    d.ctrl.axes = {&d.ctrlAxis, &d.x, &d.y};
    // A logger with two plots of data.
    d.logger = std::make_unique<CMC_SingleAxisLogger>(d.setup.get(), nullptr);
    d.logger->ChangeMemBufferSettings(0x9000, 0x93FF);
    d.logger->AddVariable("APOS", 1);
    d.logger->AddVariable("IQ", 1);
    // Samples read up to the sixth: the rest come one per point read.
    std::vector<double> samples[3];
    for (int k = 0; k < 60; ++k)
      samples[0].push_back(k), samples[1].push_back((k * 37) % 23 - 5.0), samples[2].push_back(k < 30 ? k : 60 - k);
    for (int i = 0; i < 3; ++i) {
      CCurve* curve = d.logger->GetCurves().GetAt(i);
      curve->InitCurve("c", "", "", 0.0, 1.0, 1.0, 0.0, 60, samples[i].data());
      curve->SetUpperValid(5);
    }
    CGraphDocument& graph = d.logger->GetGraphDoc();
    graph.DeleteAll();
    for (int i = 0; i < 2; ++i) {
      auto* plot = new CGraphFilter;
      auto* xy = new CXYCurve;
      xy->m_nYCurve = 1 + i;
      xy->m_crColor = i ? RGB(255, 255, 0) : RGB(0, 255, 0);
      plot->Add(xy);
      graph.Add(plot);
    }
    graph.SetSource(&d.logger->GetCurves(), &d.setup->GetUnits());
    for (int i = 0; i < 2; ++i) graph.GetAt(i)->ComputeLimits();
    d.drive.logger = d.logger.get();
    CMC_ControlPanel::ms_bInCustomize = 0;
    CMC_ControlPanel::ms_bStarted = 1;
  }
  void TearDown() override {
    CMC_ControlPanel::ms_bStarted = 0;
    CMC_ControlPanel::ms_bInCustomize = 0;
    d.drive.panels.CloseAllFrames();
    d.drive.panels.Reset();
    MSG quit;
    while (PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    DialogAutomation::Reset();
    StopOnlineDrive();
    // Programs before the setups they were made for.
    d.drive.logger = nullptr;
    d.drive.setup = d.cam.setup = d.ctrl.setup = nullptr;
    d.drive.motion = d.cam.motion = d.ctrl.motion = nullptr;
    d.logger.reset();
    d.motion.reset(), d.camMotion.reset(), d.controllerMotion.reset();
    d.setup.reset(), d.controller.reset();
    d.tick = 0;
    SetupTest::TearDown();
  }
  // A scene with a running panel and two more views open.
  std::unique_ptr<KernelViewsScene> NewScene(int second = kCamEditor, int third = kMotion) {
    auto scene = std::make_unique<KernelViewsScene>(d);
    ::SetWindowPos(scene->MainWnd(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    scene->AddChild(kPanel, CRect(10, 10, 260, 200));
    scene->AddChild(second, CRect(60, 40, 360, 280));
    scene->AddChild(third, CRect(120, 90, 400, 300));
    d.drive.panels.BuildMemoryArray(&d.drive);
    d.drive.UpdateAllViews(nullptr, CMC_ControlPanelView::HINT_PANELS_STARTED);
    UiAutomation::Pump();
    return scene;
  }
  // Each step's picture against a full repaint.
  void ExpectPicturesHold(int second, int third, const std::vector<MdiStep>& steps) {
    auto scene = NewScene(second, third);
    for (const MdiStep& s : steps) {
      const HWND focus = ::GetFocus();
      MakeTwin(*scene, s);
      const auto contents = UnmarkForEdit(*scene, d, s);
      Step(*scene, d, s);
      EXPECT_EQ("", Describe(OffByFamily(*scene))) << dravonix::test::Describe(steps);
      EXPECT_EQ("", UnmarkedEdits(d, contents)) << dravonix::test::Describe(steps);
      EXPECT_TRUE(FocusInActiveChild(*scene, focus)) << dravonix::test::Describe(steps);
    }
    scene.reset();
    d.drive.panels.CloseAllFrames();
  }

  Documents d;
};

// Sequences the walk found, shortened.
TEST_F(KernelViewsWalk, FoundSequencesMatchAFullRepaint) {
  const struct {
    int second, third;
    std::vector<MdiStep> steps;
  } cases[] = {
      // A motion view behind another, only its right edge shown, refilled by a refresh: its rows come
      // back and its bar with them, though no row shows.
      {kMotion, kMotion,
       {{kMaximize, 7, 67, 45, 85}, {kCreate, 3, 62, 77, 95}, {kMove, 5, 74, 125, 83}, {kMinimize, 8, 8, 46, 90},
        {(MdiOp)kMode, 6, 178, 20, 47}}},
      // Panels rebuilt for design in a frame made an icon, sized and cascaded: the panel's view, its
      // update splintered by the new gadgets, paints only where it shows, not over the child above it.
      {kFunctions, kInterrupts,
       {{kFrameMin, 6, 170, 85, 75}, {kFrameSize, 1, 179, 46, 98}, {kBringToTop, 8, 95, 84, 36}, {kArrange, 8, 105, 3, 1},
        {kMove, 5, 7, 127, 22}, {kToTop, 5, 176, 32, 39}, {(MdiOp)kMode, 8, 93, 64, 63}, {kFrameRestore, 0, 0, 0, 0}}},
      // A motion view sized by a cascade, behind the child in use: it leaves the focus there, and
      // later shows its current cell framed when a click gives it the focus.
      {kMotion, kMotion,
       {{kMove, 7, 55, 70, 97}, {kClick, 2, 25, 133, 40}, {kBringToTop, 2, 169, 123, 41}, {(MdiOp)kClickIn, 2, 39, 3, 78},
        {kFrameMin, 7, 15, 128, 32}, {kArrange, 7, 165, 6, 23}, {kFrameRestore, 7, 7, 19, 88},
        {(MdiOp)kClickIn, 4, 181, 38, 16}}},
      {kMemory, kMotion, {{(MdiOp)kClickIn, 0, 100, 60, 0}, {kActivate, 1, 0, 0, 0}, {kArrange, 0, 0, 0, 0}}},
      // A CAM editor's field refuses a value while the user drags another child's border: the field
      // keeps the focus and its child comes back active, so the next keys go to the child in front.
      {kInterrupts, kCamEditor,
       {{kArrange, 3, 95, 20, 62}, {(MdiOp)kType, 0, 104, 130, 6}, {(MdiOp)kType, 9, 30, 110, 82},
        {kBorderDrag, 5, 110, 64, 81}, {(MdiOp)kType, 0, 1, 54, 52}}},
  };
  for (const auto& c : cases) ExpectPicturesHold(c.second, c.third, c.steps);
}

TEST_F(KernelViewsWalk, RandomWindowOperationsAndUpdatesMatchAFullRepaint) {
  const unsigned seed = getenv("WALK_SEED") ? (unsigned)atoi(getenv("WALK_SEED")) : 4711u;
  const int rounds = getenv("WALK_RUNS") ? atoi(getenv("WALK_RUNS")) : 2;
  const int length = getenv("WALK_STEPS") ? atoi(getenv("WALK_STEPS")) : 30;
  std::mt19937 rng(seed);
  for (int round = 0; round < rounds; ++round) {
    // Each round on documents as they start, so that a round's steps alone show a failure again.
    if (round) TearDown(), SetUp();
    const int second = (int)(rng() % kKinds), third = (int)(rng() % kKinds);
    auto scene = NewScene(second, third);
    std::vector<MdiStep> done;
    for (int i = 0; i < length; ++i) {
      const unsigned pick = rng() % (unsigned)(kMdiOps + (int)kWalkOps - (int)kBorderDrag);
      MdiStep s{(MdiOp)(pick < kMdiOps ? pick : pick - kMdiOps + (unsigned)kBorderDrag), (int)(rng() % kKinds),
                (int)(rng() % 200), (int)(rng() % 150), (int)(rng() % 100)};
      if (s.op == kCreate && scene->Children().size() >= 5) s.op = kArrange;
      done.push_back(s);
      const HWND focus = ::GetFocus();
      MakeTwin(*scene, s);
      const auto contents = UnmarkForEdit(*scene, d, s);
      Step(*scene, d, s);
      const auto off = OffByFamily(*scene);
      const std::string unmarked = UnmarkedEdits(d, contents);
      ASSERT_EQ("", unmarked) << "seed " << seed << " round " << round << "\n" << dravonix::test::Describe(done);
      ASSERT_TRUE(FocusInActiveChild(*scene, focus)) << "seed " << seed << " round " << round << ", scene of "
                                              << kFamilies[second] << " and " << kFamilies[third] << ": focus\n"
                                              << dravonix::test::Describe(done);
      ASSERT_TRUE(off.empty()) << "seed " << seed << " round " << round << ", scene of " << kFamilies[second] << " and "
                               << kFamilies[third] << ": " << Describe(off) << "\n"
                               << dravonix::test::Describe(done);
    }
    scene.reset();
    d.drive.panels.CloseAllFrames();
  }
}

}  // namespace

