// The application's printer: the print dialogs start from it and an accepted dialog replaces it;
// preview and direct printing take it without asking.
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/View.h"
#include "platform/ui/WinApp.h"

#include <gtest/gtest.h>

namespace {

class CBareView : public CView {
 public:
  void OnDraw(CDC*) override {}
};

SHORT Copies(HGLOBAL mode) {
  auto* dm = static_cast<DEVMODE*>(GlobalLock(mode));
  const SHORT n = dm ? dm->dmCopies : -1;
  GlobalUnlock(mode);
  return n;
}

// The application's printer: the default one, set to print two copies.
void SelectTwoCopies(CWinApp& app) {
  CPrintDialog defaults(TRUE);
  ASSERT_TRUE(defaults.GetDefaults());
  HGLOBAL mode = AfxCopyGlobalMemory(defaults.m_pd.hDevMode);
  static_cast<DEVMODE*>(GlobalLock(mode))->dmCopies = 2;
  GlobalUnlock(mode);
  app.SelectPrinter(AfxCopyGlobalMemory(defaults.m_pd.hDevNames), mode);
}

}  // namespace

TEST(PrinterSettings, DialogsStartFromTheApplicationsPrinterAndKeepAnAcceptedChoice) {
  DialogAutomation::ClearCommonDialogs();
  CWinApp app("printer-settings");
  SelectTwoCopies(app);
  const HGLOBAL before = app.m_hDevMode;
  DialogAutomation::PushCancel(DialogAutomation::CommonKind::Print);
  CPrintDialog cancelled(FALSE, PD_ALLPAGES);
  EXPECT_EQ(app.DoPrintDialog(&cancelled), IDCANCEL);
  EXPECT_EQ(app.m_hDevMode, before);
  EXPECT_EQ(Copies(cancelled.m_pd.hDevMode), 2);  // a copy: the dialog frees its own

  DialogAutomation::CommonAnswer ok;
  ok.ok = true;
  ok.copies = 5;
  DialogAutomation::PushAnswer(DialogAutomation::CommonKind::PrintSetup, ok);
  CPrintDialog setup(TRUE, PD_USEDEVMODECOPIES);
  EXPECT_EQ(app.DoPrintDialog(&setup), IDOK);
  EXPECT_NE(app.m_hDevMode, setup.m_pd.hDevMode);
  EXPECT_EQ(Copies(app.m_hDevMode), 5);

  // Preview takes the application's printer without a dialog.
  CBareView view;
  CPrintInfo info;
  info.m_bPreview = TRUE;
  EXPECT_TRUE(view.DoPreparePrinting(&info));
  EXPECT_EQ(Copies(info.m_pPD->m_pd.hDevMode), 5);
  EXPECT_EQ(DialogAutomation::CommonDialogs().size(), 2u);
}
