#include "examples/host/ConsoleStep.h"

#include "editor/documents/TextFileDoc.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "editor/documents/TextFileView.h"

#include <optional>

namespace {

// The host's main document: its setup and the interpreter document shown in its views.
class CHostDocument : public CMC_Document {
 public:
  CHostDocument() { m_bAutoDelete = FALSE; }
  CMC_Setup* m_pSetup = nullptr;
  CTextFileDoc* m_pInterpreter = nullptr;
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CTextFileDoc* GetInterpreterDoc() override { return m_pInterpreter; }
};

class CConsoleDoc : public CTextFileDoc {
 public:
  CConsoleDoc() { m_bAutoDelete = FALSE; }
};

}  // namespace

bool RunConsoleLine(const std::string& outDir, std::string& detail) {
  // Windows need an application; the host has none of its own.
  std::optional<CWinApp> app;
  if (!AfxGetApp()) app.emplace("dravonix-host");
  CHostDocument main;
  CConsoleDoc console;
  main.m_pSetup = CMC_Setup::Create(0x0505);
  main.m_pInterpreter = &console;
  if (!main.m_pSetup) {
    detail = "the setup of configuration 05/05 does not load";
    return false;
  }
  console.InitializeInterpreterDoc();
  console.m_pUpdateTarget = &main;
  auto* view = new CTextFileView;  // a view deletes itself with its window
  bool ok = view->CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), "Interpreter", WS_POPUP | WS_VISIBLE,
                           CRect(0, 0, 480, 200), nullptr, 0) != FALSE;
  if (ok) {
    main.AddView(view);
    view->OnInitialUpdate();
    for (const char* c = "CPOS=100;\r"; *c; ++c) view->SendMessage(WM_CHAR, (BYTE)*c, 1);
    UiAutomation::Pump();
    SECEdit* e = console.GetEdit();
    tagLINEDESC* answer = e->GetLine(2);
    std::string printed = answer && answer->pText ? std::string(answer->pText, (size_t)e->TextLength(answer)) : "";
    ok = printed == "ok" && e->m_nLineCount == 3;
    detail = "\"CPOS=100;\" printed \"" + printed + "\"";
    std::string png = outDir + "/interpreter-console.png";
    if (!SaveWindowImage(view, png.c_str())) {
      ok = false;
      detail += ", the picture could not be written";
    } else {
      detail += ", " + png;
    }
    main.RemoveView(view);
    view->DestroyWindow();
  } else {
    detail = "the console window could not be made";
  }
  CMC_Setup::Destroy(main.m_pSetup);
  return ok;
}
