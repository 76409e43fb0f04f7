// Motion sequence files, the generated-code viewer and the G-code import of the motion view.
#include "grid/controls/GXTreeEdit.h"
#include "platform/ui/Controls.h"
#include "tests/support/FileContents.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/views/MotionViewFixture.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/support/WindowPicture.h"

#include <fstream>

class MotionViewFilesTest : public MotionViewTest {
 protected:
  std::string Path(const char* name) {
    return dravonix::test::ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "/" + name;
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> t;
    for (auto& b : Automation::Instance().MessageBoxes()) t.push_back(b.text);
    return t;
  }
};

TEST_F(MotionViewFilesTest, ExportThenImportInsertsCopies) {
  Main({W(1), W(2), G("g", {W(3)}), W(4)});
  Open();
  const std::string file = Path("run.msq");
  Select(2, 3);
  DialogAutomation::PushFileDialogResult(file.c_str());
  Command(CMC_MotionView::ID_MOTION_EXPORT);
  const auto asked = DialogAutomation::CommonDialogs();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].filter, "Motion Sequences (*.msq)|*.msq|All Files (*.*)|*.*||");
  EXPECT_EQ(asked[0].defExt, "msq");
  EXPECT_EQ(asked[0].flags & 0x806u, 0x806u);  // must exist, no read-only box, confirm overwriting
  EXPECT_EQ(asked[0].initialDir, std::string(GetKernelDirectory().GetString()) + "Motion Sequences");
  EXPECT_EQ(doc.changes, 0);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(motion->GetMain()->GetSize(), 4);

  Select(1, 1);
  DialogAutomation::PushFileDialogResult(file.c_str());
  Command(CMC_MotionView::ID_MOTION_IMPORT);
  EXPECT_EQ(Rows(), "W1 W2 +g W2 +g W4");
  EXPECT_EQ(Rows(), Image());
  EXPECT_NE(motion->GetMain()->GetAt(1), motion->GetMain()->GetAt(3));
  EXPECT_EQ(view->m_nSelectedRows, 2u);
  EXPECT_EQ(doc.changes, 1);

  // With an open group as the last selected row the content goes to its start.
  UiAutomation::Click(view->m_hWnd, CGXTreeCellLook::ButtonRect(CellRect(3), 0).CenterPoint());
  Select(3, 3);
  DialogAutomation::PushFileDialogResult(file.c_str());
  Command(CMC_MotionView::ID_MOTION_IMPORT);
  EXPECT_EQ(Rows(), "W1 W2 -g .W2 .+g .W3 W2 +g W4");
  EXPECT_EQ(Rows(), Image());
}

TEST_F(MotionViewFilesTest, AFailedExportKeepsTheOldFileAndNamesIt) {
  Main({Elem("Free Text", std::string(200, 'x').c_str())});
  Open();
  const std::string file = Path("old.msq");
  std::ofstream(file, std::ios::binary) << "the user's own sequence";
  Select(1, 1);
  DialogAutomation::PushFileDialogResult(file.c_str());
  Automation::Instance().PushMessageBoxAnswer(IDYES);  // replace it
  const std::string result = dravonix::test::WithFileSizeLimit(64, [&] {
    Automation::Instance().ClearMessageBoxes();
    Command(CMC_MotionView::ID_MOTION_EXPORT);
    const auto boxes = Boxes();
    return boxes.empty() ? std::string("no box") : boxes.back();
  });
  EXPECT_EQ(result, "Cannot write in file " + file + "! There is not enough space on the disk.");
  EXPECT_EQ(dravonix::test::ReadFileText(file), "the user's own sequence");
  EXPECT_TRUE(dravonix::test::SaveLeftovers(file).empty());
}

TEST_F(MotionViewFilesTest, MalformedFileChangesNothing) {
  Main({W(1)});
  Open();
  const std::string bad = Path("bad.msq");
  std::ofstream(bad) << "\"Wait\" \"Time=2\"\r\nEnd\r\n";
  for (BOOL show : {TRUE, FALSE}) {
    g_bShowErrors = show;
    Automation::Instance().ClearMessageBoxes();
    DialogAutomation::PushFileDialogResult(bad.c_str());
    Command(CMC_MotionView::ID_MOTION_IMPORT);
    EXPECT_EQ(Boxes(), show ? std::vector<std::string>{"Cannot open file " + bad + "!"} : std::vector<std::string>{});
    EXPECT_EQ(Rows(), "W1");
  }
  EXPECT_EQ(doc.changes, 0);
}

TEST_F(MotionViewFilesTest, ViewerEndsEachChildsCode) {
  Main({W(1), Elem("Free Text", "a\r\nb"), Elem("Free Text", "c\n"), G("g", {W(2)})});
  Open();
  Select(1, 4);
  CString code, title;
  CRect client, close, edit;
  DialogAutomation::AddDialogHandler(14040, [&](CWnd* d) {
    d->GetDlgItemText(14000, code);
    d->GetWindowText(title);
    d->MoveWindow(0, 0, 400, 300);
    d->GetClientRect(&client);
    d->GetDlgItem(IDCANCEL)->GetWindowRect(&close);
    d->ScreenToClient(&close);
    d->GetDlgItem(14000)->GetWindowRect(&edit);
    d->ScreenToClient(&edit);
    EXPECT_TRUE(SaveWindowImage(d, dravonix::test::OutputPath("motion-generated-code.png").c_str()));
    ::SendMessage(d->m_hWnd, WM_COMMAND, IDCANCEL, 0);
  });
  Command(CMC_MotionView::ID_MOTION_VIEW_CODE);
  EXPECT_EQ(code, "WAIT 1;\r\na\r\nb\r\nc\nWAIT 2;\r\n");
  EXPECT_EQ(title, "Generated VKS Code");
  EXPECT_EQ(close.right, client.right - 3);
  EXPECT_EQ(close.bottom, client.bottom - 3);
  EXPECT_EQ(edit, CRect(3, 3, client.right - 3, close.top - 3));
}

// The G-code import of a motion controller: enabled with a selected sequence, OK inserts the
// translated elements after the last selected row, Cancel changes nothing.
TEST_F(MotionViewFilesTest, ImportGcodeInsertsTheTranslation) {
  motion.reset();
  setup.reset(CMC_Setup::Create(0x0701));
  ASSERT_TRUE(setup);
  motion.reset(CMC_Motion::Create(setup.get()));
  motion->SetSelection(CMC_Motion::selMain, 0);
  doc.setup = setup.get();
  doc.motion = motion.get();
  Main({W(1), W(2)});
  Open();
  EXPECT_TRUE(Enabled(CMC_MotionView::ID_MOTION_IMPORT_GCODE));
  const std::string program = Path("empty.gnc");
  std::ofstream(program) << "";
  Select(1, 1);
  for (int ok : {0, 1}) {
    DialogAutomation::AddDialogHandler(14051, [&](CWnd* d) {
      DialogAutomation::TypeInto(d, 14000, program.c_str());
      ::SendMessage(d->m_hWnd, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
    });
    Command(CMC_MotionView::ID_MOTION_IMPORT_GCODE);
    EXPECT_EQ(motion->GetMain()->GetSize(), ok ? 3 : 2);
    EXPECT_EQ(doc.changes, ok);
  }
  auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, motion->GetMain()->GetAt(1));
  ASSERT_TRUE(e);
  EXPECT_STREQ(e->m_strType, "Jumps and Function Calls");
  EXPECT_EQ(Rows(), Image());
  EXPECT_EQ(view->m_nSelectedRows, 1u);
  motion->SetSelection(CMC_Motion::selNone, 0);
  EXPECT_FALSE(Enabled(CMC_MotionView::ID_MOTION_IMPORT_GCODE));
}

// The code viewer's routes: each key that ends it ends it as Close does and leaves the program as it
// was; its corner dragged keeps Close in the corner and the code filling the rest, down to its least size.
TEST_F(MotionViewFilesTest, EveryRouteOutOfTheCodeViewer) {
  Main({W(1), Elem("Free Text", "a\r\nb"), G("g", {W(2)})});
  Open();
  Select(1, 3);
  auto keys = [](std::vector<std::pair<UINT, UINT>> ks) {
    return [ks](CWnd*) {
      for (auto [vk, mod] : ks) UiAutomation::PressKey(vk, mod);
    };
  };
  auto corner = [](int dx, int dy) {
    return [dx, dy](CWnd* d) {
      CRect w;
      d->GetWindowRect(&w);
      POINT from{w.right - 2, w.bottom - 2}, to{from.x + dx, from.y + dy};
      d->ScreenToClient(&from);
      d->ScreenToClient(&to);
      UiAutomation::Drag(d->m_hWnd, from, to);
    };
  };
  const struct {
    const char* what;
    std::function<void(CWnd*)> act;
    bool ends;
    CSize size;  // the window's size afterwards, when it stays
  } routes[] = {
      {"Enter in the code", keys({{VK_RETURN, 0}}), true, {}},
      {"Escape in the code", keys({{VK_ESCAPE, 0}}), true, {}},
      {"Ctrl+End, Shift+Home, Delete in the code", keys({{VK_END, UiAutomation::kControl}, {VK_HOME, UiAutomation::kShift}, {VK_DELETE, 0}}), false, {}},
      {"Tab to Close, Space", keys({{VK_TAB, 0}, {VK_SPACE, 0}}), true, {}},
      {"Tab to Close, Enter", keys({{VK_TAB, 0}, {VK_RETURN, 0}}), true, {}},
      {"Alt+F4", keys({{VK_F4, UiAutomation::kAlt}}), true, {}},
      {"the corner dragged out", corner(60, 40), false, {60, 40}},
      {"the corner dragged past the least size", corner(-2000, -2000), false, {200, 100}},
  };
  for (const auto& r : routes) {
    bool ended = false;
    CString code;
    CSize size, start;
    int off = -1;
    CRect client, close, edit;
    DialogAutomation::AddDialogHandler(14040, [&](CWnd* d) {
      CRect w;
      d->GetWindowRect(&w);
      start = w.Size();
      r.act(d);
      ended = !(d->m_nFlags & WF_CONTINUEMODAL);
      if (ended) return;
      d->GetDlgItemText(14000, code);
      d->GetWindowRect(&w);
      size = w.Size();
      d->GetClientRect(&client);
      d->GetDlgItem(IDCANCEL)->GetWindowRect(&close);
      d->ScreenToClient(&close);
      d->GetDlgItem(14000)->GetWindowRect(&edit);
      d->ScreenToClient(&edit);
      off = dravonix::test::PixelsOffFullRepaint(d->m_hWnd);
      ::SendMessage(d->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    });
    Command(CMC_MotionView::ID_MOTION_VIEW_CODE);
    EXPECT_EQ(r.ends, ended) << r.what;
    EXPECT_FALSE(doc.IsModified()) << r.what;
    if (ended) continue;
    EXPECT_EQ(code, "WAIT 1;\r\na\r\nb\r\nWAIT 2;\r\n") << r.what;  // read-only
    EXPECT_EQ(0, off) << r.what;
    if (!r.size.cx) continue;  // the template's own layout until the first size change
    if (r.size.cx == 200) EXPECT_EQ(CSize(200, 100), size) << r.what;
    else EXPECT_EQ(start + r.size, size) << r.what;
    EXPECT_EQ(close.right, client.right - 3) << r.what;
    EXPECT_EQ(close.bottom, client.bottom - 3) << r.what;
    EXPECT_EQ(edit, CRect(3, 3, client.right - 3, close.top - 3)) << r.what;
  }
}
