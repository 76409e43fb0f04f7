// The framework classes: message maps, command routing and CCmdUI, threads, modal loops, the
// application's profile, documents, views and frames.
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Resource.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> g_events;
void Event(const std::string& e) { g_events.push_back(e); }

UINT WM_TEST_REGISTERED = RegisterWindowMessage("dravonix.test.registered");

#define ID_TEST_CMD 5001
#define ID_RANGE_FIRST 5100
#define ID_RANGE_LAST 5199
#define IDC_BUTTON 301
#define IDC_REFLECTING 302

// A control that handles its own click notification.
class CReflectingButton : public CWnd {
 public:
  BOOL m_passOn = FALSE;

 protected:
  void OnReflectedClick() { Event("child reflected click"); }
  BOOL OnReflectedNotify(NMHDR*, LRESULT* r) {
    Event("child reflected notify");
    *r = 9;
    return !m_passOn;  // TRUE: handled here, the parent never sees it
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingButton, CWnd)
  ON_CONTROL_REFLECT(BN_CLICKED, &CReflectingButton::OnReflectedClick)
  ON_NOTIFY_REFLECT_EX(NM_CLICK, &CReflectingButton::OnReflectedNotify)
END_MESSAGE_MAP()

class CTestWnd : public CWnd {
 public:
  bool m_deleted = false;
  bool* m_deletedFlag = nullptr;
  CPoint m_lastDown{-1, -1};
  CWnd* m_lastFocusFrom = reinterpret_cast<CWnd*>(1);
  std::string m_typed;
  BOOL m_enableCmd = TRUE;

  void PostNcDestroy() override {
    if (m_deletedFlag) {
      *m_deletedFlag = true;
      delete this;
    }
  }

 protected:
  int OnCreate(LPCREATESTRUCT cs) override {
    Event(std::string("create ") + (cs && cs->lpszName ? cs->lpszName : ""));
    return CWnd::OnCreate(cs);
  }
  void OnSize(UINT type, int cx, int cy) override {
    Event("size " + std::to_string(type) + " " + std::to_string(cx) + "x" + std::to_string(cy));
    CWnd::OnSize(type, cx, cy);
  }
  void OnLButtonDown(UINT, CPoint p) override { m_lastDown = p; }
  void OnChar(UINT ch, UINT, UINT) override { m_typed += (char)ch; }
  void OnTimer(UINT_PTR id) override { Event("timer " + std::to_string(id)); }
  void OnSetFocus(CWnd* old) override {
    m_lastFocusFrom = old;
    CWnd::OnSetFocus(old);
  }
  void OnDestroy() override {
    Event("destroy");
    CWnd::OnDestroy();
  }
  LRESULT OnPrivate(WPARAM wp, LPARAM lp) { return (LRESULT)(wp + (WPARAM)lp); }
  LRESULT OnRegistered(WPARAM wp, LPARAM) { return (LRESULT)wp * 3; }
  void OnTestCmd() { Event("wnd command"); }
  void OnRange(UINT id) { Event("range " + std::to_string(id)); }
  void OnUpdateTestCmd(CCmdUI* ui) { ui->Enable(m_enableCmd); }
  void OnButtonClicked() { Event("parent clicked"); }
  void OnReflectingClicked() { Event("parent got reflected click"); }
  void OnNotifyClick(NMHDR* hdr, LRESULT* r) {
    Event("notify from " + std::to_string(hdr->idFrom));
    *r = 5;
  }
  BOOL OnNotifyRange(UINT id, NMHDR*, LRESULT*) {
    Event("notify range " + std::to_string(id));
    return TRUE;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_MESSAGE(WM_USER + 7, &CTestWnd::OnPrivate)
  ON_REGISTERED_MESSAGE(WM_TEST_REGISTERED, &CTestWnd::OnRegistered)
  ON_COMMAND(ID_TEST_CMD, &CTestWnd::OnTestCmd)
  ON_UPDATE_COMMAND_UI(ID_TEST_CMD, &CTestWnd::OnUpdateTestCmd)
  ON_COMMAND_RANGE(ID_RANGE_FIRST, ID_RANGE_LAST, &CTestWnd::OnRange)
  ON_BN_CLICKED(IDC_BUTTON, &CTestWnd::OnButtonClicked)
  ON_BN_CLICKED(IDC_REFLECTING, &CTestWnd::OnReflectingClicked)
  ON_NOTIFY(NM_CLICK, IDC_BUTTON, &CTestWnd::OnNotifyClick)
  ON_NOTIFY_EX_RANGE(NM_DBLCLK, 0, 0xFFFF, &CTestWnd::OnNotifyRange)
  ON_NOTIFY(NM_CLICK, IDC_REFLECTING, &CTestWnd::OnNotifyClick)
END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_events.clear();
    Automation::Instance().Reset();
  }
  void TearDown() override {
    PumpMessages();
    Clock::UseRealTime();
  }
};

TEST_F(FrameworkTest, StandardMessagesReachVirtualHandlersAndMapsTakeTheRest) {
  CTestWnd w;
  ASSERT_TRUE(w.CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), "main", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100),
                         nullptr, 0));
  EXPECT_EQ(&w, CWnd::FromHandlePermanent(w.m_hWnd));
  ASSERT_GE(g_events.size(), 2u);
  EXPECT_EQ("create main", g_events[0]);
  EXPECT_EQ("size 0 200x100", g_events[1]);
  EXPECT_EQ(7, w.SendMessage(WM_USER + 7, 3, 4));
  EXPECT_EQ(6, w.SendMessage(WM_TEST_REGISTERED, 2, 0));
  EXPECT_EQ(0, w.SendMessage(WM_USER + 8, 3, 4));  // unhandled: the default procedure answers

  UiAutomation::Click(w.m_hWnd, POINT{15, 25});
  EXPECT_EQ(CPoint(15, 25), w.m_lastDown);
  UiAutomation::TypeText("Hi 5!");
  EXPECT_EQ("Hi 5!", w.m_typed);

  CTestWnd other;
  other.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &w, 1);
  w.SetFocus();
  other.SetFocus();
  EXPECT_EQ(&w, other.m_lastFocusFrom);

  Clock::UseVirtualTime();
  w.SetTimer(6, 100);
  g_events.clear();
  UiAutomation::AdvanceClock(300, 100);
  EXPECT_EQ((std::vector<std::string>{"timer 6", "timer 6", "timer 6"}), g_events);
  w.KillTimer(6);
  g_events.clear();
  w.DestroyWindow();
  EXPECT_EQ((std::vector<std::string>{"destroy", "destroy"}), g_events);  // parent first, then child
  EXPECT_EQ(nullptr, w.m_hWnd);
  EXPECT_EQ(nullptr, other.m_hWnd);
}

TEST_F(FrameworkTest, PostNcDestroyLetsAWindowDeleteItself) {
  bool deleted = false;
  auto* w = new CTestWnd;
  w->m_deletedFlag = &deleted;
  ASSERT_TRUE(w->CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
  HWND h = w->m_hWnd;
  ::DestroyWindow(h);
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(IsWindow(h));
  // A class that does not exist: the object is told it has no window.
  deleted = false;
  w = new CTestWnd;
  w->m_deletedFlag = &deleted;
  EXPECT_FALSE(w->CreateEx(0, "NoSuchClass", "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
  EXPECT_TRUE(deleted);
}

TEST_F(FrameworkTest, CommandsNotificationsAndReflection) {
  CTestWnd parent;
  parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0);
  HWND button = CreateWindowEx(0, AfxRegisterWndClass(0), "", WS_CHILD, 0, 0, 10, 10, parent.m_hWnd,
                               (HMENU)IDC_BUTTON, nullptr, nullptr);
  CReflectingButton reflecting;
  reflecting.Create(AfxRegisterWndClass(0), "", WS_CHILD, CRect(0, 0, 10, 10), &parent, IDC_REFLECTING);
  g_events.clear();

  parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_CMD, 0), 0);
  parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_RANGE_FIRST + 5, 0), 0);
  parent.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_BUTTON, BN_CLICKED), (LPARAM)button);
  parent.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_REFLECTING, BN_CLICKED), (LPARAM)reflecting.m_hWnd);
  EXPECT_EQ((std::vector<std::string>{"wnd command", "range 5105", "parent clicked", "child reflected click"}),
            g_events);

  // A disabled command sent by an accelerator is dropped; the update handler decides.
  g_events.clear();
  parent.m_enableCmd = FALSE;
  parent.SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_CMD, 1), 0);
  EXPECT_TRUE(g_events.empty());
  CTestCmdUI ui;
  ui.m_nID = ID_TEST_CMD;
  ui.DoUpdate(&parent, TRUE);
  EXPECT_FALSE(ui.m_bEnabled);
  parent.m_enableCmd = TRUE;
  CTestCmdUI ui2;
  ui2.m_nID = ID_TEST_CMD;
  ui2.DoUpdate(&parent, TRUE);
  EXPECT_TRUE(ui2.m_bEnabled);
  // Without any handler the command is disabled when asked to.
  CTestCmdUI none;
  none.m_nID = 4999;
  none.DoUpdate(&parent, TRUE);
  EXPECT_FALSE(none.m_bEnabled);

  g_events.clear();
  NMHDR hdr{button, IDC_BUTTON, (UINT)NM_CLICK};
  EXPECT_EQ(5, parent.SendMessage(WM_NOTIFY, IDC_BUTTON, (LPARAM)&hdr));
  NMHDR dbl{button, 777, (UINT)NM_DBLCLK};
  parent.SendMessage(WM_NOTIFY, 777, (LPARAM)&dbl);
  NMHDR refl{reflecting.m_hWnd, IDC_REFLECTING, (UINT)NM_CLICK};
  EXPECT_EQ(9, parent.SendMessage(WM_NOTIFY, IDC_REFLECTING, (LPARAM)&refl));
  reflecting.m_passOn = TRUE;  // an _EX reflection that declines lets the parent see it too
  EXPECT_EQ(5, parent.SendMessage(WM_NOTIFY, IDC_REFLECTING, (LPARAM)&refl));
  EXPECT_EQ((std::vector<std::string>{"notify from 301", "notify range 777", "child reflected notify",
                                      "child reflected notify", "notify from 302"}),
            g_events);
  // A notification without a header is ignored.
  EXPECT_EQ(0, parent.SendMessage(WM_NOTIFY, 0, 0));
  parent.DestroyWindow();
}

// ---- Threads -----------------------------------------------------------------------------------

std::atomic<int> g_threadSum{0};
std::atomic<int> g_threadExit{0};

class CWorkerThread : public CWinThread {
  DECLARE_DYNCREATE(CWorkerThread)

 public:
  BOOL InitInstance() override { return TRUE; }
  int ExitInstance() override {
    g_threadExit = 1;
    return CWinThread::ExitInstance();
  }

 protected:
  void OnAdd(WPARAM wp, LPARAM) { g_threadSum += (int)wp; }
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CWorkerThread, CWinThread)
BEGIN_MESSAGE_MAP(CWorkerThread, CWinThread)
  ON_THREAD_MESSAGE(WM_APP + 1, &CWorkerThread::OnAdd)
END_MESSAGE_MAP()

TEST_F(FrameworkTest, ThreadRunsItsLoopAndEndsOnQuit) {
  g_threadSum = 0;
  g_threadExit = 0;
  CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CWorkerThread));
  ASSERT_TRUE(t);
  HANDLE h = t->m_hThread;
  DWORD id = t->m_nThreadID;
  for (int i = 1; i <= 10; ++i) EXPECT_TRUE(PostThreadMessage(id, WM_APP + 1, (WPARAM)i, 0));
  EXPECT_TRUE(PostThreadMessage(id, WM_QUIT, 4, 0));
  EXPECT_EQ(WAIT_OBJECT_0, CWinThread::WaitForThread(h, 5000));
  EXPECT_EQ(55, g_threadSum.load());
  EXPECT_EQ(1, g_threadExit.load());
  EXPECT_EQ(4u, CWinThread::GetExitCode(h));
  EXPECT_FALSE(PostThreadMessage(id, WM_APP + 1, 1, 0));
  // A procedure thread.
  CWinThread* p = AfxBeginThread([](LPVOID v) -> UINT { return *(int*)v + 1; }, new int(41), 0, 0, CREATE_SUSPENDED);
  ASSERT_TRUE(p);
  p->m_bAutoDelete = FALSE;
  int* arg = (int*)p->m_pThreadParams;
  p->ResumeThread();
  EXPECT_EQ(WAIT_OBJECT_0, p->WaitForExit(5000));
  EXPECT_EQ(42u, CWinThread::GetExitCode(p->m_hThread));
  delete arg;
  delete p;
  EXPECT_EQ(nullptr, AfxBeginThread((AFX_THREADPROC) nullptr, nullptr));
  EXPECT_EQ(nullptr, AfxBeginThread(RUNTIME_CLASS(CWnd)));
}

// ---- Modal loops ---------------------------------------------------------------------------------

class CModalWnd : public CTestWnd {
  DECLARE_DYNAMIC(CModalWnd)
};
IMPLEMENT_DYNAMIC(CModalWnd, CWnd)

TEST_F(FrameworkTest, ModalLoopsRunTheirHandlerAndRefuseReentry) {
  CModalWnd w;
  w.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0);
  int inner = 0;
  UiAutomation::AddModalLoopHandler("CModalWnd", [&](CWnd* wnd) {
    // The loop is running: a second one on the same window is refused.
    inner = wnd->RunModalLoop();
    UiAutomation::TypeText("ok");
    wnd->EndModalLoop(17);
  });
  EXPECT_EQ(17, w.RunModalLoop());
  EXPECT_EQ(-1, inner);
  EXPECT_EQ("ok", w.m_typed);
  // A window destroyed inside its loop ends the loop cleanly.
  UiAutomation::AddModalLoopHandler(nullptr, [](CWnd* wnd) { wnd->PostMessage(WM_CLOSE); });
  EXPECT_EQ(-1, w.RunModalLoop());
  EXPECT_FALSE(IsWindow(w.m_hWnd));
  CWnd empty;
  EXPECT_EQ(-1, empty.RunModalLoop());
}

TEST_F(FrameworkTest, AModalLoopNobodyDrivesEndsInVirtualTime) {
  Clock::UseVirtualTime();
  UiAutomation::SetModalStallTimeout(50);
  UiAutomation::ClearStalledModalLoops();
  CModalWnd w;
  w.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0);
  EXPECT_EQ(-1, w.RunModalLoop());
  EXPECT_EQ((std::vector<std::string>{"CModalWnd"}), UiAutomation::StalledModalLoops());
  EXPECT_TRUE(IsWindow(w.m_hWnd));
  // A quit arriving during the loop ends it and stays for the outer loop.
  UiAutomation::AddModalLoopHandler(nullptr, [](CWnd*) { PostQuitMessage(3); });
  EXPECT_EQ(-1, w.RunModalLoop());
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ((UINT)WM_QUIT, m.message);
  EXPECT_EQ(3u, m.wParam);
  UiAutomation::Reset();
  w.DestroyWindow();
}

// ---- Application, documents, views, frames -----------------------------------------------------------

#define ID_VIEW_CMD 6001
#define ID_DOC_CMD 6002
#define ID_FRAME_CMD 6003
#define ID_APP_CMD 6004
#define ID_DOC_DISABLED 6005

class CTestDoc : public CDocument {
  DECLARE_DYNCREATE(CTestDoc)

 public:
  int m_value = 0;

 protected:
  void OnDocCmd() { Event("doc"); }
  void OnUpdateDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
  void OnDisabled() { Event("disabled ran"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestDoc, CDocument)
BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
  ON_COMMAND(ID_DOC_CMD, &CTestDoc::OnDocCmd)
  ON_COMMAND(ID_DOC_DISABLED, &CTestDoc::OnDisabled)
  ON_UPDATE_COMMAND_UI(ID_DOC_DISABLED, &CTestDoc::OnUpdateDisabled)
END_MESSAGE_MAP()

class CTestView : public CView {
  DECLARE_DYNCREATE(CTestView)

 public:
  std::vector<std::pair<LPARAM, CObject*>> m_updates;
  void OnDraw(CDC*) override {}
  void OnUpdate(CView* sender, LPARAM hint, CObject* obj) override {
    m_updates.push_back({hint, obj});
    CView::OnUpdate(sender, hint, obj);
  }

 protected:
  void OnViewCmd() { Event("view"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestView, CView)
BEGIN_MESSAGE_MAP(CTestView, CView)
  ON_COMMAND(ID_VIEW_CMD, &CTestView::OnViewCmd)
END_MESSAGE_MAP()

class CTestChild : public CMDIChildWnd {
  DECLARE_DYNCREATE(CTestChild)
};
IMPLEMENT_DYNCREATE(CTestChild, CMDIChildWnd)

class CTestMainFrame : public CMDIFrameWnd {
  DECLARE_DYNCREATE(CTestMainFrame)

 protected:
  void OnFrameCmd() { Event("frame"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestMainFrame, CMDIFrameWnd)
BEGIN_MESSAGE_MAP(CTestMainFrame, CMDIFrameWnd)
  ON_COMMAND(ID_FRAME_CMD, &CTestMainFrame::OnFrameCmd)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp("UiTestApp") {}

 protected:
  void OnAppCmd() { Event("app"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
  ON_COMMAND(ID_APP_CMD, &CTestApp::OnAppCmd)
END_MESSAGE_MAP()

TEST_F(FrameworkTest, CommandsRouteFromViewToDocumentFrameAndApplication) {
  CTestApp app;
  ASSERT_EQ(&app, AfxGetApp());
  EXPECT_STREQ("UiTestApp", AfxGetAppName());
  auto* tmpl = new CMultiDocTemplate(0, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTestChild), RUNTIME_CLASS(CTestView));
  app.AddDocTemplate(tmpl);
  auto* main = new CTestMainFrame;
  ASSERT_TRUE(main->Create(nullptr, "Suite", WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
  app.m_pMainWnd = main;
  main->ShowWindow(SW_SHOW);
  EXPECT_EQ(main, AfxGetMainWnd());

  auto* doc = static_cast<CTestDoc*>(tmpl->OpenDocumentFile(nullptr));
  ASSERT_TRUE(doc);
  EXPECT_EQ("Untitled1", std::string(doc->GetTitle()));
  CMDIChildWnd* child = main->MDIGetActive();
  ASSERT_TRUE(child);
  auto* view = static_cast<CTestView*>(child->GetActiveView());
  ASSERT_TRUE(view);
  EXPECT_EQ(doc, view->GetDocument());
  EXPECT_EQ(1u, view->m_updates.size());  // the initial update
  CString title;
  child->GetWindowText(title);
  EXPECT_EQ("Untitled1", std::string(title));
  main->GetWindowText(title);
  EXPECT_EQ("Suite - Untitled1", std::string(title));

  for (UINT id : {ID_VIEW_CMD, ID_DOC_CMD, ID_FRAME_CMD, ID_APP_CMD, ID_DOC_DISABLED})
    main->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
  EXPECT_EQ((std::vector<std::string>{"view", "doc", "frame", "app"}), g_events);
  CTestCmdUI ui;
  ui.m_nID = ID_DOC_DISABLED;
  ui.DoUpdate(main, TRUE);
  EXPECT_FALSE(ui.m_bEnabled);
  CTestCmdUI viewCmd;
  viewCmd.m_nID = ID_VIEW_CMD;
  viewCmd.DoUpdate(main, TRUE);
  EXPECT_TRUE(viewCmd.m_bEnabled);

  // A second frame on the same document: both views hear of changes, titles number the frames.
  CFrameWnd* second = tmpl->CreateNewFrame(doc, child);
  ASSERT_TRUE(second);
  tmpl->InitialUpdateFrame(second, doc);
  auto* view2 = static_cast<CTestView*>(second->GetActiveView());
  ASSERT_TRUE(view2);
  second->GetWindowText(title);
  EXPECT_EQ("Untitled1:2", std::string(title));
  CTestDoc hintObject;
  view->m_updates.clear();
  view2->m_updates.clear();
  doc->UpdateAllViews(view, 42, &hintObject);
  EXPECT_TRUE(view->m_updates.empty());
  ASSERT_EQ(1u, view2->m_updates.size());
  EXPECT_EQ(42, view2->m_updates[0].first);
  EXPECT_EQ(&hintObject, view2->m_updates[0].second);

  // Closing a frame of a modified document asks; Cancel keeps everything, No closes.
  doc->SetModifiedFlag();
  second->SendMessage(WM_CLOSE);  // another frame remains: no question
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
  EXPECT_EQ(1, [&] { int n = 0; POSITION p = doc->GetFirstViewPosition(); while (p) { doc->GetNextView(p); ++n; } return n; }());
  child->SendMessage(WM_CLOSE);
  auto boxes = Automation::Instance().MessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("Save changes to Untitled1?", boxes[0].text);
  EXPECT_EQ(child, main->MDIGetActive());  // unscripted: Cancel
  Automation::Instance().PushMessageBoxAnswer(IDNO);
  child->SendMessage(WM_CLOSE);
  EXPECT_EQ(nullptr, main->MDIGetActive());
  EXPECT_EQ(nullptr, tmpl->GetFirstDocPosition());

  // A second untitled document is numbered on.
  CDocument* doc2 = tmpl->OpenDocumentFile(nullptr);
  ASSERT_TRUE(doc2);
  EXPECT_EQ("Untitled2", std::string(doc2->GetTitle()));
  main->DestroyWindow();  // takes the child frames with it; the quit it posts ends the loop
  MSG m;
  EXPECT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ((UINT)WM_QUIT, m.message);
  EXPECT_EQ(nullptr, app.m_pMainWnd);
}

const RESOURCE_STRING kBoxPrompts[] = {{63101, "Range too big."}};
const RESOURCE_TABLE kBoxPromptTable = {kBoxPrompts, 1, nullptr, 0};
CResourceTableRegistration g_boxPrompts(kBoxPromptTable);

// The framework's boxes give one without an icon the icon of its buttons; a plain box adds none.
TEST_F(FrameworkTest, FrameworkBoxesWithoutAnIconTakeTheIconOfTheirButtons) {
  CTestApp app;
  const struct {
    UINT type, shown;
  } cases[] = {
      {MB_OK, MB_OK | MB_ICONEXCLAMATION},
      {MB_OKCANCEL | MB_DEFBUTTON2, MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONEXCLAMATION},
      {MB_YESNO, MB_YESNO | MB_ICONQUESTION},
      {MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONQUESTION},
      {MB_RETRYCANCEL, MB_RETRYCANCEL},
      {MB_ABORTRETRYIGNORE, MB_ABORTRETRYIGNORE},
      {MB_OK | MB_ICONSTOP, MB_OK | MB_ICONSTOP},
      {MB_YESNO | MB_ICONINFORMATION, MB_YESNO | MB_ICONINFORMATION},
  };
  for (const auto& c : cases) {
    Automation::Instance().ClearMessageBoxes();
    AfxMessageBox("Range too big.", c.type);
    AfxMessageBox(63101, c.type);
    app.DoMessageBox("Range too big.", c.type, 0);
    MessageBox(nullptr, "Range too big.", "Plain", c.type);
    const auto boxes = Automation::Instance().MessageBoxes();
    ASSERT_EQ(4u, boxes.size());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.shown, boxes[i].type) << c.type << " form " << i;
    EXPECT_EQ(c.type, boxes[3].type);
    EXPECT_EQ("Range too big.", boxes[1].text);
  }
}

TEST_F(FrameworkTest, ApplicationProfileInBothModes) {
  CTestApp app;
  EXPECT_TRUE(app.WriteProfileString("Settings", "Name", "value"));
  EXPECT_TRUE(app.WriteProfileInt("Settings", "Count", -3));
  EXPECT_EQ("value", std::string(app.GetProfileString("Settings", "Name")));
  EXPECT_EQ((UINT)-3, app.GetProfileInt("Settings", "Count", 0));
  app.SetRegistryKey("Dravonix Test");
  EXPECT_STREQ("UiTestApp", app.m_pszProfileName);
  EXPECT_EQ("", std::string(app.GetProfileString("Settings", "Name", "")));  // a different store
  EXPECT_TRUE(app.WriteProfileString("Text Editor\\VKS Files", "Ext", "vks"));
  EXPECT_EQ("vks", std::string(app.GetProfileString("Text Editor\\VKS Files", "Ext")));
  EXPECT_TRUE(app.WriteProfileString("Text Editor\\VKS Files", "Ext", nullptr));
  EXPECT_EQ("none", std::string(app.GetProfileString("Text Editor\\VKS Files", "Ext", "none")));
  app.AddToRecentFileList("/a/one.cfg");
  app.AddToRecentFileList("/a/two.cfg");
  app.AddToRecentFileList("/A/ONE.cfg");
  ASSERT_EQ(2u, app.GetRecentFileList().size());
  EXPECT_EQ("/A/ONE.cfg", std::string(app.GetRecentFileList()[0]));
}

TEST_F(FrameworkTest, WaitCursorShowsAndRestores) {
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  SetCursor(arrow);
  {
    CWaitCursor wait;
    EXPECT_EQ(LoadCursor(nullptr, IDC_WAIT), GetCursor());
    {
      CWaitCursor nested;
      EXPECT_EQ(2, AfxGetWaitCursorCount());
    }
    SetCursor(arrow);
    wait.Restore();
    EXPECT_EQ(LoadCursor(nullptr, IDC_WAIT), GetCursor());
  }
  EXPECT_EQ(arrow, GetCursor());
  AfxDoWaitCursor(-1);  // unbalanced end: ignored
  EXPECT_EQ(0, AfxGetWaitCursorCount());
}

}  // namespace

namespace {

class CRunningApp : public CWinApp {
 public:
  int m_exitSeen = -1;
  BOOL m_initOk = TRUE;
  BOOL InitInstance() override {
    auto* frame = new CFrameWnd;
    frame->Create(nullptr, "Running");
    m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOW);
    // The "user" closes the window once the loop runs.
    frame->PostMessage(WM_CLOSE);
    return m_initOk;
  }
  int ExitInstance() override {
    m_exitSeen = CWinApp::ExitInstance();
    return m_exitSeen;
  }
};

TEST(AppRun, TheApplicationLoopRunsUntilItsMainWindowCloses) {
  CRunningApp app;
  EXPECT_EQ(0, AfxWinMain(nullptr, nullptr, nullptr, SW_SHOW));
  EXPECT_EQ(0, app.m_exitSeen);
  EXPECT_EQ(nullptr, app.m_pMainWnd);
  // An application whose start fails exits at once.
  CRunningApp failing;
  failing.m_initOk = FALSE;
  EXPECT_EQ(0, AfxWinMain(nullptr, nullptr, nullptr, SW_SHOW));
  EXPECT_EQ(0, failing.m_exitSeen);
  AfxSetThread(nullptr);
}

}  // namespace
