// Common dialogs answered through the automation interface, and the modeless find/replace dialog.
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/gdi/DC.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/ShellDialogs.h"
#include "platform/ui/UiAutomation.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class DialogCommonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    DialogAutomation::Reset();
  }
  void TearDown() override {
    DialogAutomation::Reset();
    Automation::Instance().Reset();
    Clock::UseRealTime();
  }
};

TEST_F(DialogCommonTest, FileDialogsReturnTheScriptedPathOrCancel) {
  std::string dir = dravonix::test::ScratchDir("filedlg");
  std::ofstream(dir + "/table.cam") << "x";
  CFileDialog open(TRUE, "cam", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, "CAM Files (*.cam)|*.cam|All Files (*.*)|*.*||");
  open.m_ofn.lpstrInitialDir = dir.c_str();
  DialogAutomation::PushFileDialogResult("table");  // relative to the folder, without extension
  ASSERT_EQ(IDOK, open.DoModal());
  EXPECT_STREQ((dir + "\\table.cam").c_str(), open.GetPathName());
  EXPECT_STREQ("table.cam", open.GetFileName());
  EXPECT_STREQ("cam", open.GetFileExt());
  EXPECT_STREQ("table", open.GetFileTitle());
  auto log = DialogAutomation::CommonDialogs();
  ASSERT_EQ(1u, log.size());
  EXPECT_EQ(dir, log[0].initialDir);
  EXPECT_EQ("CAM Files (*.cam)|*.cam|All Files (*.*)|*.*||", log[0].filter);
  EXPECT_EQ("cam", log[0].defExt);
  EXPECT_TRUE(log[0].ok);

  // A file that must exist and does not: refused with the dialog's message.
  DialogAutomation::PushFileDialogResult((dir + "/missing.cam").c_str());
  EXPECT_EQ(IDCANCEL, open.DoModal());
  ASSERT_EQ(1u, Automation::Instance().MessageBoxes().size());
  EXPECT_NE(std::string::npos, Automation::Instance().MessageBoxes()[0].text.find("File not found."));

  // Cancel, and no script at all: cancelled and logged.
  DialogAutomation::PushFileDialogResult(nullptr);
  EXPECT_EQ(IDCANCEL, open.DoModal());
  EXPECT_EQ(IDCANCEL, open.DoModal());
  log = DialogAutomation::CommonDialogs();
  EXPECT_FALSE(log.back().scripted);

  // Saving over a file asks first; the safe answer keeps the file.
  CFileDialog save(FALSE, "cam", "out", OFN_OVERWRITEPROMPT, "CAM Files (*.cam)|*.cam||");
  DialogAutomation::PushFileDialogResult((dir + "/table.cam").c_str());
  EXPECT_EQ(IDCANCEL, save.DoModal());
  Automation::Instance().PushMessageBoxAnswer(IDYES);
  DialogAutomation::PushFileDialogResult((dir + "/table.cam").c_str());
  EXPECT_EQ(IDOK, save.DoModal());
  EXPECT_EQ("out", DialogAutomation::CommonDialogs().back().fileName);

  // A name longer than the caller's buffer fails with the dialog's error.
  char small[8] = "";
  OPENFILENAME ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = small;
  ofn.nMaxFile = sizeof small;
  DialogAutomation::PushFileDialogResult("/a/rather/long/name.txt");
  EXPECT_FALSE(GetSaveFileName(&ofn));
  EXPECT_EQ((DWORD)FNERR_BUFFERTOOSMALL, CommDlgExtendedError());
  EXPECT_FALSE(GetOpenFileName(nullptr));
}

TEST_F(DialogCommonTest, SeveralFilesComeBackOneByOne) {
  CFileDialog open(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, "All|*.*||");
  DialogAutomation::PushFileDialogResult("/data/a.txt\n/data/b.txt");
  ASSERT_EQ(IDOK, open.DoModal());
  POSITION pos = open.GetStartPosition();
  EXPECT_STREQ("/data\\a.txt", open.GetNextPathName(pos));
  ASSERT_NE(nullptr, pos);
  EXPECT_STREQ("/data\\b.txt", open.GetNextPathName(pos));
  EXPECT_EQ(nullptr, pos);
}

int CALLBACK SelectInitial(HWND wnd, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data) ::SendMessage(wnd, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

TEST_F(DialogCommonTest, FolderBrowsingAndColourFontAndPrint) {
  std::string dir = dravonix::test::ScratchDir("browse");
  char display[MAX_PATH] = {0};
  BROWSEINFO bi{};
  bi.pszDisplayName = display;
  bi.lpszTitle = "Pick";
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = SelectInitial;
  bi.lParam = (LPARAM) "/start/here";
  DialogAutomation::PushFolderResult(dir.c_str());
  LPITEMIDLIST chosen = SHBrowseForFolder(&bi);
  ASSERT_NE(nullptr, chosen);
  char path[MAX_PATH] = {0};
  EXPECT_TRUE(SHGetPathFromIDList(chosen, path));
  EXPECT_EQ(dir, path);
  EXPECT_STREQ("browse", display);
  EXPECT_EQ("/start/here", DialogAutomation::CommonDialogs().back().initialDir);
  CoTaskMemFree(chosen);
  EXPECT_FALSE(SHGetPathFromIDList(chosen, path));  // freed: refused, not read
  EXPECT_EQ(nullptr, SHBrowseForFolder(&bi));       // unscripted: cancelled
  DialogAutomation::PushFolderResult("/no/such/folder");
  EXPECT_EQ(nullptr, SHBrowseForFolder(&bi));

  DialogAutomation::PushColorResult(RGB(10, 20, 30));
  CColorDialog color(RGB(1, 2, 3));
  ASSERT_EQ(IDOK, color.DoModal());
  EXPECT_EQ(RGB(10, 20, 30), color.GetColor());

  LOGFONT lf{};
  lf.lfHeight = -16;
  lf.lfWeight = 700;
  strcpy(lf.lfFaceName, "Arial");
  DialogAutomation::PushFontResult(lf, RGB(255, 0, 0));
  CFontDialog font(nullptr, 0x800501);
  ASSERT_EQ(IDOK, font.DoModal());
  EXPECT_STREQ("Arial", font.GetFaceName());
  EXPECT_EQ(120, font.GetSize());
  EXPECT_TRUE(font.IsBold());
  EXPECT_EQ(RGB(255, 0, 0), font.GetColor());

  CPrintDialog defaults(FALSE);
  ASSERT_TRUE(defaults.GetDefaults());
  EXPECT_STREQ("Dravonix PDF Printer", defaults.GetDeviceName());
  DialogAutomation::CommonAnswer a;
  a.ok = true;
  a.flags = PD_SELECTION;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, a);
  CPrintDialog print(FALSE, PD_ALLPAGES);
  ASSERT_EQ(IDOK, print.DoModal());
  EXPECT_TRUE(print.PrintSelection());
  HDC dc = print.GetPrinterDC();
  ASSERT_NE(nullptr, dc);
  EXPECT_EQ(600, GetDeviceCaps(dc, LOGPIXELSX));
  CPrintDialog cancelled(TRUE);
  EXPECT_EQ(IDCANCEL, cancelled.DoModal());
}

class CFindOwner : public CWnd {
 public:
  std::vector<DWORD> m_requests;
  std::vector<std::string> m_texts;
  static UINT s_findMsg;

 protected:
  LRESULT OnFind(WPARAM, LPARAM lParam) {
    CFindReplaceDialog* dlg = CFindReplaceDialog::GetNotifier(lParam);
    m_requests.push_back(dlg->m_fr.Flags);
    m_texts.push_back(std::string(dlg->GetFindString()) + "/" + std::string(dlg->GetReplaceString()));
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
UINT CFindOwner::s_findMsg = RegisterWindowMessage(FINDMSGSTRING);
BEGIN_MESSAGE_MAP(CFindOwner, CWnd)
  ON_REGISTERED_MESSAGE(CFindOwner::s_findMsg, &CFindOwner::OnFind)
END_MESSAGE_MAP()

TEST_F(DialogCommonTest, FindReplaceIsModelessAndReportsThroughItsRegisteredMessage) {
  CFindOwner owner;
  owner.CreateEx(0, AfxRegisterWndClass(0), "owner", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0);
  auto* dlg = new CFindReplaceDialog;
  ASSERT_TRUE(dlg->Create(FALSE, "old", "new", FR_DOWN | FR_MATCHCASE, &owner));
  HWND h = dlg->m_hWnd;
  EXPECT_TRUE(::IsWindowVisible(h));
  DialogAutomation::TypeInto(dlg, edt1, "speed");
  DialogAutomation::ClickControl(dlg, IDOK);
  DialogAutomation::ClickControl(dlg, psh2);
  DialogAutomation::ClickControl(dlg, IDCANCEL);
  EXPECT_FALSE(::IsWindow(h));  // gone, and the object deleted itself
  ASSERT_EQ(3u, owner.m_requests.size());
  EXPECT_TRUE(owner.m_requests[0] & FR_FINDNEXT);
  EXPECT_TRUE(owner.m_requests[0] & FR_MATCHCASE);
  EXPECT_TRUE(owner.m_requests[1] & FR_REPLACEALL);
  EXPECT_TRUE(owner.m_requests[2] & FR_DIALOGTERM);
  EXPECT_EQ("speed/new", owner.m_texts[0]);
  owner.DestroyWindow();
}

}  // namespace

// Printer blocks too short for their headers (read from a file, say) are neither read nor written past
// their ends: the device context leaves them aside and the dialog replaces them.
TEST_F(DialogCommonTest, PrinterBlocksTooShortForTheirHeadersAreReplaced) {
  DialogAutomation::CommonAnswer a;
  a.ok = true;
  a.orientation = DMORIENT_LANDSCAPE;
  a.copies = 3;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, a);
  CPrintDialog print(FALSE, PD_USEDEVMODECOPIES);
  print.m_pd.hDevMode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
  print.m_pd.hDevNames = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 3);
  ASSERT_NE(nullptr, print.CreatePrinterDC());
  ASSERT_EQ(IDOK, print.DoModal());
  ASSERT_EQ(GlobalSize(print.m_pd.hDevMode), sizeof(DEVMODE));
  EXPECT_GE(GlobalSize(print.m_pd.hDevNames), sizeof(DEVNAMES));
  EXPECT_STREQ("Dravonix PDF Printer", print.GetDeviceName());
  const auto* dm = static_cast<const DEVMODE*>(GlobalLock(print.m_pd.hDevMode));
  EXPECT_EQ(dm->dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm->dmCopies, 3);
  GlobalUnlock(print.m_pd.hDevMode);
}
