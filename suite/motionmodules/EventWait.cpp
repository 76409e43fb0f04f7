// Test motion module "Wait for Event": waits for a motion event and then checks a position limit, given
// as a value or as a variable. Its editor derives from the kernel's base and takes its template, under an
// id the kernel also uses, from this library; its help file lies beside it.
#include "ModuleSupport.h"
#include "kernel/params/MC_Parameter.h"
#include "kernel/setup/MC_Setup.h"
#include "mm_eventwait_embedded.h"
#include "motion/model/MC_EditMotionDlg.h"
#include "motion/events/MotionEvent.h"

MOTION_MODULE_ICON(embedded_eventwait_png, embedded_eventwait_png_size)

namespace {

enum : int {
  IDD_EVENT_WAIT = 14037,
  IDC_DESCRIPTION = 1001,
  IDC_CHANGE = 1002,
  IDC_EDIT_EVENT = 1003,
  IDC_LIMIT_VALUE = 1004,
  IDC_LIMIT_VARIABLE = 1005,
  IDC_LIMIT = 1006,
  IDC_LIMIT_UNIT = 1007,
  IDC_MODULE_BITMAP = 1008,
};

constexpr DWORD kRadio = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
const DLGITEM_ENTRY kItems[] = {
    {"Static", IDC_MODULE_BITMAP, WS_VISIBLE | SS_BITMAP, 0, 7, 7, 16, 16, "ModuleIcon"},
    {"Static", IDC_DESCRIPTION, WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 30, 7, 190, 20, ""},
    {"Button", IDC_CHANGE, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, 30, 30, 60, 14, "Change..."},
    {"Button", IDC_EDIT_EVENT, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 96, 30, 60, 14, "Edit..."},
    {"Button", IDC_LIMIT_VALUE, kRadio | WS_GROUP, 0, 7, 52, 60, 10, "Limit"},
    {"Button", IDC_LIMIT_VARIABLE, kRadio, 0, 70, 52, 80, 10, "Limit variable"},
    {"Edit", IDC_LIMIT, WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 7, 66, 100,
     12, ""},
    {"ComboBox", IDC_LIMIT_UNIT, WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 112, 66, 50,
     80, ""},
    {"Button", IDOK, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, 30, 88, 50, 14, "OK"},
    {"Button", IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 86, 88, 50, 14, "Cancel"},
    {"Button", 57671, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 142, 88, 50, 14, "Help"},
};
const DIALOG_RESOURCE kDialog = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 230, 108,
                                 "Wait for Event", "MS Sans Serif", 8, kItems, std::size(kItems), nullptr};
const RESOURCE_ENTRY kEntries[] = {{RT_DIALOG, MAKEINTRESOURCE(IDD_EVENT_WAIT), &kDialog, sizeof kDialog}};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, 1};
CResourceTableRegistration g_dialogs(kTable);

// The element: an event, then the limit on CPOS as a value or as a variable.
class CEventWaitData : public CMC_EditMotionInternalData {
 public:
  CEventWaitData(CMC_Setup& setup, CMC_Motion& motion)
      : CMC_EditMotionInternalData(setup, motion), m_event(setup, motion), m_limit(setup) {
    InitializeDataParam(&m_limit, "CPOS", "Limit", "");
  }
  int ReadParameters(CString& params, CString& errors) override {
    m_event.ReadParameters(params, errors);
    ReadOptionalRadioParam(params, "LimitSource", m_nSource, 0, 1);
    if (m_nSource == 1) {
      CString r = ReadStringParam(params, "LimitVar", m_strVariable);
      if (!r.IsEmpty()) errors += r + "\r\n";
    } else {
      errors += ReadDataParam(params, "CPOS", "Limit", "", &m_limit);
    }
    return errors.IsEmpty();
  }
  void WriteParameters(CString& params) override {
    m_event.WriteParameters(params);
    WriteRadioParam(params, "LimitSource", m_nSource);
    if (m_nSource == 1) WriteStringParam(params, "LimitVar", m_strVariable);
    else WriteDataParam(params, &m_limit);
  }
  CString Code() {
    CString code = m_event.GenerateMLCode();
    code.AppendFormat("  LIMIT = %s;\r\n", m_nSource == 1 ? m_strVariable.GetString() : m_limit.PrintValueForZUR().GetString());
    return code;
  }

  CMotionEvent m_event;
  CMC_Parameter m_limit;
  int m_nSource = 0;
  CString m_strVariable;
};

// No run-time class of its own: the registry would keep it after the library is unloaded.
class CEventWaitDlg : public CMC_EditMotionDlg {
 public:
  CEventWaitDlg(CEventWaitData& data, CString& params)
      : CMC_EditMotionDlg(data.GetSetup(), data.GetMotion(), params, IDD_EVENT_WAIT, nullptr), m_data(data) {}

 protected:
  CMC_EditMotionInternalData* GetInternalData() override { return &m_data; }
  BOOL OnInitDialog() override {
    CMC_EditMotionDlg::OnInitDialog();
    LoadBitmapA(IDC_MODULE_BITMAP, "ModuleIcon");
    return TRUE;
  }
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Radio(pDX, IDC_LIMIT_VALUE, m_data.m_nSource);
    if (pDX->m_bSaveAndValidate) {
      UpdateParameterOrVariable(pDX, m_data.m_nSource == 1, &m_data.m_limit, m_data.m_strVariable, IDC_LIMIT);
      return;
    }
    SetChildText(IDC_DESCRIPTION, m_data.m_event.GetDescription(1));
    ShowParameterOrVariable(m_data.m_nSource == 1, &m_data.m_limit, m_data.m_strVariable, IDC_LIMIT, IDC_LIMIT_UNIT,
                            TRUE, TRUE);
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if (code == BN_CLICKED && (id == IDC_CHANGE || id == IDC_EDIT_EVENT)) {
      if (id == IDC_CHANGE) m_data.m_event.ChangeType(1);
      else m_data.m_event.Edit();
      SetChildText(IDC_DESCRIPTION, m_data.m_event.GetDescription(1));
      return TRUE;
    }
    if (code == CBN_SELENDOK && id == IDC_LIMIT_UNIT) {
      ChangeParameterUnit(&m_data.m_limit, IDC_LIMIT, IDC_LIMIT_UNIT);
      return TRUE;
    }
    return CMC_EditMotionDlg::OnCommand(wParam, lParam);
  }

 private:
  CEventWaitData& m_data;
};

}  // namespace

MODULE_EXPORT const char* GetClassName() { return "Motion"; }
MODULE_EXPORT const char* GetName() { return "Wait for Event"; }
MODULE_EXPORT WORD GetOrderID() { return 9; }
// An event needs the setup it waits on.
MODULE_EXPORT int IsEnabled(CMC_Setup* setup) { return setup != nullptr; }

MODULE_EXPORT void GetDefaultParameters(CMC_Setup*, CMC_Motion*, CString* parameters) {
  *parameters = "EvType=0 LimitSource=1 LimitVar=CPOS";
}

MODULE_EXPORT int EditMotionSequence(CMC_Setup* setup, CMC_Motion* motion, CString* parameters) {
  if (!setup || !motion || !parameters) return 0;
  CEventWaitData data(*setup, *motion);
  CString errors;
  data.ReadParameters(*parameters, errors);
  CEventWaitDlg dlg(data, *parameters);
  return dlg.DoModal() == IDOK;
}

MODULE_EXPORT int TranslateMotionSequence(CMC_Setup* setup, CMC_Motion* motion, CString* parameters, CString* code) {
  if (!setup || !motion || !parameters || !code) return 0;
  CEventWaitData data(*setup, *motion);
  CString errors;
  if (!data.ReadParameters(*parameters, errors)) {
    *code = errors;
    return 0;
  }
  *code = data.Code();
  return 1;
}
