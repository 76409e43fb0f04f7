// Every kind of message-map entry, pre-translation chains, idle processing, subclassing of
// dialog items, and documents saved and loaded through their archives.
#include "platform/core/Archive.h"
#include "platform/core/Automation.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;
UINT WM_MAP_REGISTERED = RegisterWindowMessage("dravonix.test.map");

class CAllEntriesWnd : public CWnd {
 public:
  BOOL m_exResult = FALSE;

 protected:
  BOOL OnCmdEx(UINT id) {
    g_log.push_back("cmd ex " + std::to_string(id));
    return m_exResult;
  }
  BOOL OnCmdExRange(UINT id) {
    g_log.push_back("cmd ex range " + std::to_string(id));
    return TRUE;
  }
  void OnUpdateRange(CCmdUI* ui) {
    ui->SetCheck(ui->m_nID == 7002 ? 1 : 0);
    ui->SetText("label");
    ui->SetRadio(TRUE);
  }
  void OnControlRange(UINT id) { g_log.push_back("control range " + std::to_string(id)); }
  void OnEditChange() { g_log.push_back("edit change"); }
  void OnSelChange() { g_log.push_back("combo sel change"); }
  void OnNotifyRange(UINT id, NMHDR*, LRESULT* r) {
    g_log.push_back("notify range " + std::to_string(id));
    *r = 3;
  }
  BOOL OnNotifyEx(UINT id, NMHDR*, LRESULT*) {
    g_log.push_back("notify ex " + std::to_string(id));
    return FALSE;  // not handled after all: routing goes on
  }
  void OnNotifyAfterEx(NMHDR*, LRESULT* r) {
    g_log.push_back("notify after ex");
    *r = 4;
  }
  LRESULT OnRegistered(WPARAM, LPARAM) { return 77; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAllEntriesWnd, CWnd)
  ON_COMMAND_EX(7000, &CAllEntriesWnd::OnCmdEx)
  ON_COMMAND_EX_RANGE(7010, 7019, &CAllEntriesWnd::OnCmdExRange)
  ON_UPDATE_COMMAND_UI_RANGE(7001, 7003, &CAllEntriesWnd::OnUpdateRange)
  ON_CONTROL_RANGE(BN_CLICKED, 100, 110, &CAllEntriesWnd::OnControlRange)
  ON_EN_CHANGE(200, &CAllEntriesWnd::OnEditChange)
  ON_CBN_SELCHANGE(201, &CAllEntriesWnd::OnSelChange)
  ON_NOTIFY_RANGE(NM_RCLICK, 300, 310, &CAllEntriesWnd::OnNotifyRange)
  ON_NOTIFY_EX(NM_RETURN, 320, &CAllEntriesWnd::OnNotifyEx)
  ON_NOTIFY(NM_RETURN, 320, &CAllEntriesWnd::OnNotifyAfterEx)
  ON_REGISTERED_MESSAGE(WM_MAP_REGISTERED, &CAllEntriesWnd::OnRegistered)
END_MESSAGE_MAP()

// A control that draws itself when its parent reflects WM_DRAWITEM.
class COwnerDrawn : public CWnd {
 public:
  int m_drawn = 0;
  void DrawItem(DRAWITEMSTRUCT* dis) { m_drawn += dis ? 1 : 0; }
  void MeasureItem(MEASUREITEMSTRUCT* mis) { mis->itemHeight = 21; }
  int CompareItem(COMPAREITEMSTRUCT* cis) { return (int)cis->itemData1 - (int)cis->itemData2; }
  void DeleteItem(DELETEITEMSTRUCT*) { ++m_deleted; }
  int m_deleted = 0;

 protected:
  BOOL OnClickedEx() {
    g_log.push_back("reflected ex");
    return FALSE;  // the parent may see it too
  }
  void OnReflectedNotify(NMHDR*, LRESULT* r) { *r = 8; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COwnerDrawn, CWnd)
  ON_WM_DRAWITEM_REFLECT()
  ON_WM_MEASUREITEM_REFLECT()
  ON_WM_COMPAREITEM_REFLECT()
  ON_WM_DELETEITEM_REFLECT()
  ON_CONTROL_REFLECT_EX(BN_CLICKED, &COwnerDrawn::OnClickedEx)
  ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &COwnerDrawn::OnReflectedNotify)
END_MESSAGE_MAP()

TEST(MapTest, EveryEntryKindDispatches) {
  g_log.clear();
  CAllEntriesWnd w;
  w.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0);
  HWND ctl = CreateWindowEx(0, AfxRegisterWndClass(0), "", WS_CHILD, 0, 0, 5, 5, w.m_hWnd, (HMENU)105, nullptr, nullptr);
  // An _EX command that returns FALSE counts as not handled.
  EXPECT_FALSE(w.OnCmdMsg(7000, CN_COMMAND, nullptr, nullptr));
  w.m_exResult = TRUE;
  EXPECT_TRUE(w.OnCmdMsg(7000, CN_COMMAND, nullptr, nullptr));
  w.SendMessage(WM_COMMAND, MAKEWPARAM(7015, 0), 0);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(105, BN_CLICKED), (LPARAM)ctl);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(200, EN_CHANGE), (LPARAM)ctl);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(201, CBN_SELCHANGE), (LPARAM)ctl);
  w.SendMessage(WM_COMMAND, MAKEWPARAM(201, CBN_DROPDOWN), (LPARAM)ctl);  // no entry
  NMHDR r{ctl, 305, (UINT)NM_RCLICK};
  EXPECT_EQ(3, w.SendMessage(WM_NOTIFY, 305, (LPARAM)&r));
  // An _EX handler that declines ends the search in this map: routing goes on elsewhere.
  NMHDR ret{ctl, 320, (UINT)NM_RETURN};
  EXPECT_EQ(0, w.SendMessage(WM_NOTIFY, 320, (LPARAM)&ret));
  EXPECT_EQ(77, w.SendMessage(WM_MAP_REGISTERED));
  EXPECT_EQ((std::vector<std::string>{"cmd ex 7000", "cmd ex 7000", "cmd ex range 7015", "control range 105",
                                      "edit change", "combo sel change", "notify range 305", "notify ex 320"}),
            g_log);
  CTestCmdUI ui;
  ui.m_nID = 7002;
  ui.DoUpdate(&w, TRUE);
  EXPECT_EQ(1, ui.m_nCheck);
  EXPECT_TRUE(ui.m_bRadio);
  EXPECT_STREQ("label", ui.m_szText);
  // The handler left enabling alone and no command handler exists: disabled.
  EXPECT_FALSE(ui.m_bEnabled);
  CTestCmdUI keep;
  keep.m_nID = 7002;
  keep.DoUpdate(&w, FALSE);
  EXPECT_TRUE(keep.m_bEnabled);

  // Owner-draw messages reach the control through its parent.
  COwnerDrawn od;
  od.Create(AfxRegisterWndClass(0), "", WS_CHILD, CRect(0, 0, 5, 5), &w, 400);
  DRAWITEMSTRUCT dis{ODT_BUTTON, 400, 0, ODA_DRAWENTIRE, 0, od.m_hWnd, nullptr, {0, 0, 5, 5}, 0};
  EXPECT_EQ(TRUE, w.SendMessage(WM_DRAWITEM, 400, (LPARAM)&dis));
  EXPECT_EQ(1, od.m_drawn);
  MEASUREITEMSTRUCT mis{ODT_LISTBOX, 400, 0, 0, 0, 0};
  w.SendMessage(WM_MEASUREITEM, 400, (LPARAM)&mis);
  EXPECT_EQ(21u, mis.itemHeight);
  COMPAREITEMSTRUCT cis{ODT_LISTBOX, 400, od.m_hWnd, 0, 9, 1, 4, 0};
  EXPECT_EQ(5, w.SendMessage(WM_COMPAREITEM, 400, (LPARAM)&cis));
  DELETEITEMSTRUCT del{ODT_LISTBOX, 400, 0, od.m_hWnd, 0};
  w.SendMessage(WM_DELETEITEM, 400, (LPARAM)&del);
  EXPECT_EQ(1, od.m_deleted);
  g_log.clear();
  w.SendMessage(WM_COMMAND, MAKEWPARAM(400, BN_CLICKED), (LPARAM)od.m_hWnd);
  EXPECT_EQ((std::vector<std::string>{"reflected ex"}), g_log);
  NMHDR cd{od.m_hWnd, 400, (UINT)NM_CUSTOMDRAW};
  EXPECT_EQ(8, w.SendMessage(WM_NOTIFY, 400, (LPARAM)&cd));
  w.DestroyWindow();
}

// ---- Pre-translation and idle ------------------------------------------------------------------

class CKeyFilter : public CWnd {
 public:
  UINT m_eat = 0;
  BOOL PreTranslateMessage(MSG* m) override {
    if (m->message == WM_KEYDOWN && m->wParam == m_eat) {
      g_log.push_back("filtered " + std::to_string(m->wParam));
      return TRUE;
    }
    return FALSE;
  }

 protected:
  void OnKeyDown(UINT ch, UINT, UINT) override { g_log.push_back("key " + std::to_string(ch)); }
};

class CIdleApp : public CWinApp {
 public:
  std::vector<LONG> m_idle;
  BOOL OnIdle(LONG count) override {
    m_idle.push_back(count);
    return CWinApp::OnIdle(count);
  }
};

TEST(MapTest, PreTranslateWalksFromTheTargetUpAndIdleRunsWhenTheQueueEmpties) {
  CIdleApp app;
  g_log.clear();
  CKeyFilter parent, child;
  parent.m_eat = 'P';
  child.m_eat = 'C';
  parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0);
  child.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &parent, 1);
  app.m_pMainWnd = &parent;
  child.SetFocus();  // a plain window takes no focus from a click: its program gives it
  UiAutomation::PressKey('C');
  UiAutomation::PressKey('P');
  UiAutomation::PressKey('X');
  EXPECT_EQ((std::vector<std::string>{"filtered 67", "filtered 80", "key 88"}), g_log);
  app.m_idle.clear();
  PostMessage(parent.m_hWnd, WM_NULL, 0, 0);
  PumpMessages();
  EXPECT_EQ((std::vector<LONG>{0, 1}), app.m_idle);
  app.m_pMainWnd = nullptr;
  parent.DestroyWindow();
}

TEST(MapTest, SubclassDlgItemTakesOverAnExistingChild) {
  CWnd parent;
  parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0);
  HWND raw = CreateWindowEx(0, AfxRegisterWndClass(0), "", WS_CHILD, 0, 0, 5, 5, parent.m_hWnd, (HMENU)12, nullptr,
                            nullptr);
  CKeyFilter sub;
  EXPECT_FALSE(sub.SubclassDlgItem(13, &parent));
  ASSERT_TRUE(sub.SubclassDlgItem(12, &parent));
  EXPECT_EQ(&sub, CWnd::FromHandlePermanent(raw));
  EXPECT_EQ(&sub, parent.GetDlgItem(12));
  g_log.clear();
  // Sent, not typed: what is checked is that the window's messages now reach the object.
  ::SendMessage(raw, WM_KEYDOWN, 'Z', 0);
  EXPECT_EQ((std::vector<std::string>{"key 90"}), g_log);
  CKeyFilter second;
  EXPECT_FALSE(second.SubclassWindow(raw));  // one object per window
  EXPECT_EQ(raw, sub.UnsubclassWindow());
  EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
  // A temporary wrapper stands in for a window no object owns.
  CWnd* temp = CWnd::FromHandle(raw);
  ASSERT_TRUE(temp);
  EXPECT_EQ(raw, temp->m_hWnd);
  CWnd::DeleteTempMap();
  EXPECT_TRUE(IsWindow(raw));
  parent.DestroyWindow();
  EXPECT_FALSE(IsWindow(raw));
}

// ---- Documents through archives ----------------------------------------------------------------------

class CValueDoc : public CDocument {
  DECLARE_DYNCREATE(CValueDoc)

 public:
  DWORD m_value = 0;
  CString m_text;
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring())
      ar << m_value << m_text;
    else
      ar >> m_value >> m_text;
  }
  void DeleteContents() override {
    m_value = 0;
    m_text.Empty();
  }
};
IMPLEMENT_DYNCREATE(CValueDoc, CDocument)

TEST(MapTest, DocumentSavesAndLoadsThroughItsArchive) {
  Automation::Instance().Reset();
  std::string dir = dravonix::test::ScratchDir("ui-doc");
  std::string path = dir + "/value.doc";
  CValueDoc doc;
  doc.m_bAutoDelete = FALSE;
  doc.m_value = 0xDEADBEEF;
  doc.m_text = "µ text";
  doc.SetModifiedFlag();
  ASSERT_TRUE(doc.DoSave(path.c_str()));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ("value.doc", std::string(doc.GetTitle()));
  EXPECT_EQ(path, std::string(doc.GetPathName()));

  CValueDoc loaded;
  loaded.m_bAutoDelete = FALSE;
  ASSERT_TRUE(loaded.OnOpenDocument(path.c_str()));
  EXPECT_EQ(0xDEADBEEFu, loaded.m_value);
  EXPECT_EQ("µ text", std::string(loaded.m_text));
  EXPECT_FALSE(loaded.IsModified());

  // A missing file is reported and nothing changes.
  EXPECT_FALSE(loaded.OnOpenDocument((dir + "/missing.doc").c_str()));
  EXPECT_EQ(1u, Automation::Instance().MessageBoxes().size());
  // Saving without a path asks the automation interface; without an answer it is cancelled.
  CValueDoc unnamed;
  unnamed.m_bAutoDelete = FALSE;
  EXPECT_FALSE(unnamed.DoSave(nullptr));
  UiAutomation::SetSaveFileNameHandler([&](CDocument*, CString& p) {
    p = (dir + "/named.doc").c_str();
    return true;
  });
  EXPECT_TRUE(unnamed.DoSave(nullptr));
  EXPECT_EQ("named.doc", std::string(unnamed.GetTitle()));
  UiAutomation::Reset();
  // A truncated file fails to load and leaves the document empty.
  {
    FILE* f = fopen((dir + "/short.doc").c_str(), "wb");
    fputc(1, f);
    fclose(f);
  }
  Automation::Instance().Reset();
  loaded.m_value = 5;
  EXPECT_FALSE(loaded.OnOpenDocument((dir + "/short.doc").c_str()));
  EXPECT_EQ(0u, loaded.m_value);
  EXPECT_EQ(1u, Automation::Instance().MessageBoxes().size());
}

}  // namespace

namespace {

#define IDR_TESTFRAME 9100
#define ID_ACCEL_CMD 9101
const ACCEL kFrameAccel[] = {{FVIRTKEY | FCONTROL, 'K', ID_ACCEL_CMD}};
const RESOURCE_STRING kFrameStrings[] = {{IDR_TESTFRAME, "Test Frame\nFrame"}, {ID_ACCEL_CMD, "Does it\nTip"}};
const RESOURCE_ENTRY kFrameEntries[] = {{RT_ACCELERATOR, MAKEINTRESOURCE(IDR_TESTFRAME), kFrameAccel, sizeof kFrameAccel}};
const RESOURCE_TABLE kFrameTable = {kFrameStrings, 2, kFrameEntries, 1};

// A bar that keeps the bottom 20 pixels of its frame.
class CBottomBar : public CWnd {
 protected:
  LRESULT OnSizeParent(WPARAM, LPARAM lp) {
    auto* layout = (AFX_SIZEPARENTPARAMS*)lp;
    CRect r(layout->rect.left, layout->rect.bottom - 20, layout->rect.right, layout->rect.bottom);
    layout->rect.bottom -= 20;
    if (layout->hDWP)
      layout->hDWP = ::DeferWindowPos(layout->hDWP, m_hWnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBottomBar, CWnd)
  ON_MESSAGE(WM_SIZEPARENT, &CBottomBar::OnSizeParent)
END_MESSAGE_MAP()

class CAccelFrame : public CFrameWnd {
 public:
  int m_hits = 0;
  CString m_status;
  void SetMessageText(LPCSTR text) override { m_status = text; }

 protected:
  void OnAccel() { ++m_hits; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CAccelFrame, CFrameWnd)
  ON_COMMAND(ID_ACCEL_CMD, &CAccelFrame::OnAccel)
END_MESSAGE_MAP()

TEST(MapTest, FramesLayOutBarsUseTheirAcceleratorsAndShowMessageStrings) {
  ASSERT_TRUE(AfxRegisterResourceTable(&kFrameTable));
  CWinApp app("FrameApp");
  auto* frame = new CAccelFrame;
  ASSERT_TRUE(frame->LoadFrame(IDR_TESTFRAME, WS_OVERLAPPEDWINDOW));
  CString title;
  frame->GetWindowText(title);
  EXPECT_EQ("Test Frame", std::string(title));
  ASSERT_TRUE(frame->m_hAccelTable);
  app.m_pMainWnd = frame;
  frame->ShowWindow(SW_SHOW);
  CBottomBar bar;
  bar.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), frame, 0xE801);
  CWnd pane;
  pane.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1), frame, AFX_IDW_PANE_FIRST);
  frame->RecalcLayout();
  CRect client, paneRect, barRect;
  frame->GetClientRect(&client);
  pane.GetWindowRect(&paneRect);
  frame->ScreenToClient(&paneRect);
  bar.GetWindowRect(&barRect);
  frame->ScreenToClient(&barRect);
  EXPECT_EQ(CRect(0, 0, client.right, client.bottom - 20), paneRect);
  EXPECT_EQ(CRect(0, client.bottom - 20, client.right, client.bottom), barRect);

  UiAutomation::PressKey('K', UiAutomation::kControl);
  EXPECT_EQ(1, frame->m_hits);
  UiAutomation::PressKey('K');
  EXPECT_EQ(1, frame->m_hits);

  frame->SendMessage(WM_SETMESSAGESTRING, ID_ACCEL_CMD);
  EXPECT_EQ("Does it", std::string(frame->m_status));
  frame->SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM) "Plain");
  EXPECT_EQ("Plain", std::string(frame->m_status));
  bar.DestroyWindow();
  pane.DestroyWindow();
  frame->DestroyWindow();
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
  AfxUnregisterResourceTable(&kFrameTable);
}

}  // namespace
