#include "examples/host/MotionViewStep.h"

#include "comm/MC_Comm.h"
#include "kernel/document/MC_Document.h"
#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/Format.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "views/motion/MC_MotionView.h"

#include <cstring>
#include <filesystem>

namespace {

class CMotionDoc : public CMC_Document {
 public:
  CMotionDoc() { m_bAutoDelete = FALSE; }
  CMC_Setup* GetSetup() override { return setup; }
  CMC_Motion* GetMotion() override { return motion; }
  CMC_Setup* setup = nullptr;
  CMC_Motion* motion = nullptr;
};

CMC_MotionElem* Element(CMC_Motion* motion, const char* module, const char* parameters) {
  CMC_MotionElem* e = motion->CreateElement(module);
  if (e) e->m_strParameters = parameters;
  return e;
}

void SelectRows(CMC_MotionView* view, DWORD first, DWORD last) {
  view->SetSelection(nullptr);
  view->SelectRange(CGXRange().SetRowRange(first, last));
}

}  // namespace

bool EditProgramInMotionView(const std::string& outDir, std::string& detail) {
  CMotionDoc doc;
  doc.setup = CMC_Setup::Create(0x0505);
  doc.motion = doc.setup ? CMC_Motion::Create(doc.setup) : nullptr;
  if (!doc.motion) {
    detail = "the setup or the motion program of configuration 05/05 does not load";
    if (doc.setup) CMC_Setup::Destroy(doc.setup);
    return false;
  }
  CMC_Motion* motion = doc.motion;
  for (auto [module, parameters] : {std::pair{"Comment", "Text={Edited in the motion view}"},
                                    std::pair{"Wait", "Time[ms]=50"}, std::pair{"Wait", "Time[ms]=20"}})
    if (CMC_MotionElem* e = Element(motion, module, parameters)) motion->GetMain()->Add(e);
  motion->SetSelection(CMC_Motion::selMain, 0);
  int move = -1;
  for (int i = 0; i < motion->GetModulesCount(); ++i)
    if (strcmp(motion->GetModuleName(i), "Move") == 0) move = i;

  auto* frame = new CFrameWnd;
  CCreateContext ctx;
  ctx.m_pNewViewClass = RUNTIME_CLASS(CMC_MotionView);
  ctx.m_pCurrentDoc = &doc;
  bool ok = frame->Create(nullptr, "Main", WS_POPUP | WS_VISIBLE, CRect(0, 0, 480, 300), nullptr, nullptr, 0, &ctx);
  if (ok) {
    frame->InitialUpdateFrame(&doc, TRUE);
    UiAutomation::Pump();
  }
  auto* view = ok ? DYNAMIC_DOWNCAST(CMC_MotionView, frame->GetActiveView()) : nullptr;
  const std::string dir = outDir + "/motion-view", file = dir + "/group.msq";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (view) {
    auto command = [view](UINT id) { view->SendMessage(WM_COMMAND, id, 0); };
    // The module command after the last row adds a Move element: the only stand-in whose editor accepts.
    SelectRows(view, 3, 3);
    command(CMC_MotionView::ID_MOTION_NEW_FIRST + (UINT)move);
    SelectRows(view, 2, 3);
    command(CMC_MotionView::ID_MOTION_GROUP);
    SelectRows(view, 2, 2);
    DialogAutomation::PushFileDialogResult(file.c_str());
    command(CMC_MotionView::ID_MOTION_EXPORT);
    SelectRows(view, view->GetRowCount(), view->GetRowCount());
    DialogAutomation::PushFileDialogResult(file.c_str());
    command(CMC_MotionView::ID_MOTION_IMPORT);
    CMC_MotionGroup* main = motion->GetMain();
    ok = move >= 0 && main->GetSize() == 4 && view->GetRowCount() == 4 && doc.IsModified() &&
         DYNAMIC_DOWNCAST(CMC_MotionGroup, main->GetAt(1)) && DYNAMIC_DOWNCAST(CMC_MotionGroup, main->GetAt(3));
    view->CWnd::UpdateWindow();
    ok = SaveWindowImage(view, (outDir + "/motion-view.png").c_str()) && ok;
    WORD start = 0, first = 0, last = 0;
    ok = ok && motion->TranslateAll(FALSE) && motion->Build(dir.c_str()) &&
         CMC_Comm::COFFDownload(CMC_Motion::GetOutFileName(dir.c_str()), &start, &first, &last, nullptr, nullptr,
                                0x4000);
    detail = FormatString(
        "%d rows in the view (Comment, group, Move, imported group), %s; program at 0x%04hX; picture "
        "motion-view.png",
        (int)view->GetRowCount(), file.c_str(), (int)start);
  } else {
    ok = false;
    detail = "the motion view did not open";
  }
  if (::IsWindow(frame->m_hWnd)) frame->DestroyWindow();
  CMC_Motion::Destroy(doc.motion);
  CMC_Setup::Destroy(doc.setup);
  return ok;
}
