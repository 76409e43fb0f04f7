#include "examples/host/MemoryViewSteps.h"

#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Format.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/WindowPaint.h"
#include "views/folders/MC_HomingProcsFolderView.h"
#include "views/folders/MC_InterruptsFolderView.h"
#include "views/memory/MemoryView.h"

#include <optional>

namespace {

// The document the views look into: a 05/05 setup and, for the folder views, its motion program.
class CViewsDocument : public CMC_Document {
 public:
  CViewsDocument() {
    m_bAutoDelete = FALSE;
    m_pSetup = CMC_Setup::Create(0x0505);
    m_pMotion = m_pSetup ? CMC_Motion::Create(m_pSetup) : nullptr;
  }
  ~CViewsDocument() override {
    if (m_pMotion) CMC_Motion::Destroy(m_pMotion);
    if (m_pSetup) CMC_Setup::Destroy(m_pSetup);
  }
  CMC_Setup* GetSetup() override { return m_pSetup; }
  CMC_Motion* GetMotion() override { return m_pMotion; }
  CMC_Setup* m_pSetup;
  CMC_Motion* m_pMotion;
};

// A frame holding one view of the document; the frame deletes itself with its window.
CView* OpenView(CDocument* doc, CRuntimeClass* viewClass, const char* title, int width, int height) {
  auto* frame = new CFrameWnd;
  CCreateContext ctx;
  ctx.m_pNewViewClass = viewClass;
  ctx.m_pCurrentDoc = doc;
  if (!frame->Create(nullptr, title, WS_POPUP | WS_VISIBLE, CRect(0, 0, width, height), nullptr, nullptr, 0, &ctx)) {
    delete frame;
    return nullptr;
  }
  frame->InitialUpdateFrame(doc, TRUE);
  UiAutomation::Pump();
  return frame->GetActiveView();
}

bool Picture(CView* view, const std::string& path, std::string& detail) {
  view->Invalidate();
  UiAutomation::Pump();
  const bool ok = SaveWindowImage(view, path.c_str()) != FALSE;
  detail += ok ? ", " + path : ", " + path + " could not be written";
  return ok;
}

}  // namespace

bool WriteWordInMemoryView(const std::string& outDir, std::string& detail) {
  std::optional<CWinApp> app;
  if (!AfxGetApp()) app.emplace("dravonix-host");
  CViewsDocument doc;
  if (!doc.m_pSetup || !CMC_Comm::IsCommOpen()) {
    detail = "no 05/05 setup or no open channel";
    return false;
  }
  auto* view = static_cast<CMemoryView*>(OpenView(&doc, RUNTIME_CLASS(CMemoryView), "Memory", 420, 300));
  if (!view) {
    detail = "the memory view could not be made";
    return false;
  }
  // The start typed over its cell's text (a double click opens it, End and Backspace clear it), then
  // the word typed over the first data cell (a click beside its digits takes them all), Enter each.
  const HWND hwnd = view->m_hWnd;
  UiAutomation::DoubleClick(hwnd, view->CalcRectFromRowCol(1, 0).CenterPoint());
  UiAutomation::PressKey(VK_END);
  UiAutomation::TypeText("\b\b\b\b8400");
  UiAutomation::PressKey(VK_RETURN);
  UiAutomation::Click(hwnd, view->CalcRectFromRowCol(1, 1).TopLeft() + CSize(2, 2));
  UiAutomation::TypeText("5A3C");
  UiAutomation::PressKey(VK_RETURN);
  UiAutomation::Pump();
  WORD back = 0;
  const bool read = CMC_Comm::ReceiveData(&back, 0x8400, 1, 1) != FALSE;
  const CString shown = view->GetValueRowCol(1, 1);
  bool ok = view->GetStartAddress() == 0x8400 && read && back == 0x5A3C && shown == "5A3C";
  detail = FormatString("start 0x%.4hX, cell \"%s\", word read back 0x%.4hX", view->GetStartAddress(),
                        shown.GetString(), back);
  ok = Picture(view, outDir + "/memory-view.png", detail) && ok;
  view->GetParentFrame()->DestroyWindow();
  return ok;
}

bool ShowHandlerFolderViews(const std::string& outDir, std::string& detail) {
  std::optional<CWinApp> app;
  if (!AfxGetApp()) app.emplace("dravonix-host");
  CViewsDocument doc;
  if (!doc.m_pMotion) {
    detail = "the 05/05 motion program does not load";
    return false;
  }
  auto* homing = static_cast<CGXGridView*>(
      OpenView(&doc, RUNTIME_CLASS(CMC_HomingProcsFolderView), "Homing Modes", 500, 200));
  auto* interrupts =
      static_cast<CGXGridView*>(OpenView(&doc, RUNTIME_CLASS(CMC_InterruptsFolderView), "Interrupts", 500, 260));
  if (!homing || !interrupts) {
    detail = "a folder view could not be made";
    return false;
  }
  // "User defined" of the first interrupt, clicked on its radio button.
  const CRect cell = interrupts->CalcRectFromRowCol(1, 3);
  UiAutomation::Click(interrupts->m_hWnd, CPoint(cell.left + 9, cell.top + std::min<LONG>(8, cell.Height() / 2)));
  UiAutomation::Pump();
  bool ok = doc.m_pMotion->IsUserInterrupt(0) && homing->GetRowCount() > 0;
  detail = FormatString("%lu homing rows, %lu interrupts, the first one user defined: %s",
                        (unsigned long)homing->GetRowCount(), (unsigned long)interrupts->GetRowCount(),
                        doc.m_pMotion->IsUserInterrupt(0) ? "yes" : "no");
  ok = Picture(homing, outDir + "/homing-folder-view.png", detail) && ok;
  ok = Picture(interrupts, outDir + "/interrupts-folder-view.png", detail) && ok;
  homing->GetParentFrame()->DestroyWindow();
  interrupts->GetParentFrame()->DestroyWindow();
  return ok;
}
