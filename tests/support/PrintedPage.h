// The first page of what a print command makes, as a picture: the PDF of a print job (rendered at
// 20 dpi by pdftoppm) or the image of a preview (96 dpi).
#pragma once
#include "platform/gdi/Printer.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/WinApp.h"
#include "platform/gdi/ImagePixels.h"
#include "tests/support/HaveTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace dravonix::test {

inline bool HavePdfRenderer() { return HaveTool("pdftoppm"); }

// Sends ID_FILE_PRINT (answering the print dialog with OK), ID_FILE_PRINT_DIRECT or
// ID_FILE_PRINT_PREVIEW to `target` and loads the page it produced into `page`; `dpi` tells its
// resolution. Output goes to `dir`.
inline void PrintCommandPage(CWnd* target, UINT command, const std::string& dir, CImagePixels& page, int& dpi) {
  SetPrinterOutputFolder(dir.c_str());
  AfxSetPreviewFolder(dir.c_str());
  std::string png;
  if (command == ID_FILE_PRINT_PREVIEW) {
    target->SendMessage(WM_COMMAND, command);
    ASSERT_EQ(1u, AfxGetLastPreviewImages().size());
    png = AfxGetLastPreviewImages()[0].GetString();
    dpi = 96;
  } else {
    DialogAutomation::CommonAnswer ok;
    ok.ok = true;
    if (command == ID_FILE_PRINT) DialogAutomation::PushAnswer(DialogAutomation::CommonKind::Print, ok);
    const CString before = AfxGetLastPrintFileName();
    target->SendMessage(WM_COMMAND, command);
    const CString pdf = AfxGetLastPrintFileName();
    ASSERT_FALSE(pdf.IsEmpty());
    ASSERT_NE(before, pdf);
    const std::string stem = dir + "/page-" + std::to_string(command);
    ASSERT_EQ(0, std::system(("pdftoppm -r 20 -png -singlefile '" + std::string(pdf) + "' '" + stem + "'").c_str()));
    png = stem + ".png";
    dpi = 20;
  }
  AfxSetPreviewFolder(nullptr);
  ASSERT_TRUE(page.Load(png)) << png;
}

}  // namespace dravonix::test
