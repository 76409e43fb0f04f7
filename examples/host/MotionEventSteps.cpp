#include "examples/host/MotionEventSteps.h"

#include "kernel/setup/MC_Setup.h"
#include "motion/model/MC_Motion.h"
#include "motion/model/MC_MotionElem.h"
#include "motion/events/MotionEvent.h"
#include "platform/core/Format.h"
#include "platform/ui/DialogAutomation.h"
#include "platform/ui/Wnd.h"

namespace {

// The code lines on one line, for printing.
std::string OneLine(const CString& code) {
  std::string s = code.GetString(), out;
  for (char c : s)
    if (c != '\r') out += c == '\n' ? ' ' : c;
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace

bool AddMotionEventElement(std::string& detail) {
  CMC_Setup* setup = CMC_Setup::Create(0x0505);
  CMC_Motion* motion = setup ? CMC_Motion::Create(setup) : nullptr;
  CMC_MotionElem* elem = motion ? motion->CreateElement("Wait for Event") : nullptr;
  bool ok = elem != nullptr;
  if (ok) {
    elem->m_strParameters = "EvType=6 EvInput=4 EvInputPort=0 EvInputLevel=1 LimitSource=1 LimitVar=CPOS";
    motion->GetMain()->Add(elem);
    CMotionEvent event(*setup, *motion);
    CString errors;
    ok = event.ReadParameters(elem->m_strParameters, errors) && motion->Translate(elem, 1);
    detail = "\"" + std::string(event.GetDescription(1).GetString()) + "\", code \"" +
             OneLine(event.GenerateMLCode()) + "\"; element code \"" + OneLine(elem->m_strCode) + "\"";
  } else {
    detail = "the module \"Wait for Event\" is missing";
  }
  CMC_Motion::Destroy(motion);
  if (setup) CMC_Setup::Destroy(setup);
  return ok;
}

bool RepairUnitTransition(std::string& detail) {
  CMC_Setup* rotary = CMC_Setup::Create(0x0505);
  CMC_Setup* linear = CMC_Setup::Create(0x0210);
  CMC_Motion* motion = rotary && linear ? CMC_Motion::Create(rotary) : nullptr;
  bool ok = motion != nullptr;
  if (ok) {
    auto* elem = new CMC_MotionElem;
    elem->m_strType = "Move";
    elem->m_strParameters = "CPOS[rot]=2";
    elem->m_bEnabled = 1;
    motion->GetMain()->Add(elem);
    bool asked = false;
    DialogAutomation::AddDialogHandler(14037, [&asked](CWnd* dlg) {
      asked = true;
      DialogAutomation::TypeInto(dlg, 14002, "10");
      DialogAutomation::ClickControl(dlg, IDCANCEL);
    });
    motion->SetSetup(linear);
    CString unit, value;
    double v = 0;
    ok = asked && !elem->m_bTranslateError && motion->ReadElemParameter(elem->m_strParameters, "CPOS", unit, value) &&
         ScanString(value, "%lf", &v) == 1;
    CString text;
    text.Format("CPOS[rot]=2 at 10 mm per rot became %g %s (\"%s\")", v, unit.GetString(),
                elem->m_strParameters.GetString());
    detail = text.GetString();
  } else {
    detail = "configurations 05/05 and 02/10 do not load";
  }
  CMC_Motion::Destroy(motion);
  if (linear) CMC_Setup::Destroy(linear);
  if (rotary) CMC_Setup::Destroy(rotary);
  return ok;
}
