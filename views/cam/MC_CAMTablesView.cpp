#include "views/cam/MC_CAMTablesView.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "motion/cam/MC_CAMTables.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Document.h"

namespace {

enum : int {
  IDC_BTN_DELETE = 14000,
  IDC_BTN_ADD = 14001,
  IDC_BTN_RENAME = 14002,
  IDC_ED_NAME = 14003,
  IDC_LB_SELECTED = 14004,
  IDC_BTN_UP = 14005,
  IDC_BTN_DOWN = 14006,
  IDC_BTN_PROMOTE = 14007,
  IDC_LB_AVAILABLE = 14008,
  IDC_BTN_IMPORT = 14009,
  IDC_BTN_PROMOTE_ALL = 14010,
  IDC_BTN_DEMOTE = 14011,
  IDC_BTN_DEMOTE_ALL = 14012,
  IDC_PROGRESS = 14028,
  IDC_TITLE = 14029,
  IDC_LABEL_SELECTED = 14030,
  IDC_LABEL_AVAILABLE = 14031,
  IDC_LABEL_FREE = 14032,
  IDC_HINT = 14033,
  IDC_BTN_LOAD = 14038,
  IDC_HELP_BUTTON = 57670,
  IDH_CAM_TABLES = 4139,
};

}  // namespace

IMPLEMENT_DYNCREATE(CMC_CAMTablesView, CFormView)

BEGIN_MESSAGE_MAP(CMC_CAMTablesView, CFormView)
ON_BN_CLICKED(IDC_BTN_ADD, &CMC_CAMTablesView::OnBtnCamAdd)
ON_BN_CLICKED(IDC_BTN_RENAME, &CMC_CAMTablesView::OnBtnCamRename)
ON_BN_CLICKED(IDC_BTN_DELETE, &CMC_CAMTablesView::OnBtnCamDelete)
ON_BN_CLICKED(IDC_BTN_PROMOTE, &CMC_CAMTablesView::OnBtnCamPromote)
ON_BN_CLICKED(IDC_BTN_PROMOTE_ALL, &CMC_CAMTablesView::OnBtnCamPromoteAll)
ON_BN_CLICKED(IDC_BTN_DEMOTE, &CMC_CAMTablesView::OnBtnCamDemote)
ON_BN_CLICKED(IDC_BTN_DEMOTE_ALL, &CMC_CAMTablesView::OnBtnCamDemoteAll)
ON_BN_CLICKED(IDC_BTN_UP, &CMC_CAMTablesView::OnBtnCamUp)
ON_BN_CLICKED(IDC_BTN_DOWN, &CMC_CAMTablesView::OnBtnCamDown)
ON_BN_CLICKED(IDC_BTN_LOAD, &CMC_CAMTablesView::OnBtnLoadCam)
ON_BN_CLICKED(IDC_BTN_IMPORT, &CMC_CAMTablesView::OnBtnImportCam)
ON_LBN_SELCHANGE(IDC_LB_AVAILABLE, &CMC_CAMTablesView::OnSelchangeLbAvailableCams)
ON_LBN_SELCHANGE(IDC_LB_SELECTED, &CMC_CAMTablesView::OnSelchangeLbSelectedCams)
ON_EN_CHANGE(IDC_ED_NAME, &CMC_CAMTablesView::EnableButtons)
ON_BN_CLICKED(IDC_HELP_BUTTON, &CMC_CAMTablesView::OnHelp)
END_MESSAGE_MAP()

CMC_CAMTablesView::CMC_CAMTablesView() : CFormView(IDD) {}

CMC_CAMTablesView::~CMC_CAMTablesView() = default;

CMC_CAMTables* CMC_CAMTablesView::GetTables() {
  CMC_Motion* motion = GetMotionOfDocument(GetDocument());
  return motion ? motion->GetCAMTables() : nullptr;
}

void CMC_CAMTablesView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ED_NAME, m_editName);
  DDX_Control(pDX, IDC_LB_SELECTED, m_lbSelected);
  DDX_Control(pDX, IDC_LB_AVAILABLE, m_lbAvailable);
  DDX_Text(pDX, IDC_ED_NAME, m_strName);
  DDV_FileName(pDX, m_strName);
}

void CMC_CAMTablesView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  m_fonts.Apply(this, IDC_TITLE, {IDC_LABEL_SELECTED, IDC_LABEL_AVAILABLE, IDC_LABEL_FREE, IDC_HINT});
  if (!m_progress.m_hWnd && m_progress.AttachProgress(IDC_PROGRESS, this)) {
    m_progress.SetExStyle(0x4210);
    m_progress.SetColors(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_BTNFACE));
  }
  OnUpdate(this, HINT_REFRESH, nullptr);
}

void CMC_CAMTablesView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (lHint != HINT_REFRESH && lHint != HINT_CAMS_CHANGED) return;
  if (!m_lbSelected.m_hWnd) return;
  m_strName.Empty();
  m_editName.SetWindowText("");
  FillListBoxes();
  ShowFreeBuffer();
  EnableButtons();
}

void CMC_CAMTablesView::FillListBoxes() {
  m_lbSelected.ResetContent();
  m_lbAvailable.ResetContent();
  CMC_CAMTables* tables = GetTables();
  if (!tables) return;
  CStringArray names;
  tables->GetSelectedCAMs(names);
  for (INT_PTR i = 0; i < names.GetSize(); i++) m_lbSelected.AddString(names[i]);
  names.RemoveAll();
  tables->GetAvailableCAMs(names);
  for (INT_PTR i = 0; i < names.GetSize(); i++) m_lbAvailable.AddString(names[i]);
}

void CMC_CAMTablesView::EnableButtons() {
  if (!m_lbSelected.m_hWnd) return;
  CMC_CAMTables* tables = GetTables();
  const bool T = tables != nullptr;
  const int s = m_lbSelected.GetCurSel(), a = m_lbAvailable.GetCurSel();
  const int n = T ? tables->GetCAMsCount() : 0;
  CString name;
  m_editName.GetWindowText(name);
  const bool named = !name.IsEmpty();
  const struct {
    int id;
    bool on;
  } states[] = {
      {IDC_BTN_ADD, T && named},
      {IDC_BTN_RENAME, T && (s >= 0 || a >= 0) && named},
      {IDC_BTN_IMPORT, T},
      {IDC_BTN_LOAD, true},
      {IDC_BTN_DELETE, T && a >= 0},
      {IDC_BTN_PROMOTE, T && a >= 0},
      {IDC_BTN_PROMOTE_ALL, T && tables->HasAvailableCAMs()},
      {IDC_BTN_DEMOTE, T && s >= 0},
      {IDC_BTN_DEMOTE_ALL, T && n > 0},
      {IDC_BTN_UP, T && s > 0},
      {IDC_BTN_DOWN, T && s >= 0 && s < n - 1},
  };
  for (const auto& st : states)
    if (CWnd* w = GetDlgItem(st.id)) w->EnableWindow(st.on);
}

void CMC_CAMTablesView::ShowFreeBuffer() {
  if (!m_progress.m_hWnd) return;
  CMC_CAMTables* tables = GetTables();
  CMC_Setup* setup = GetSetupOfDocument(GetDocument());
  CWnd* hint = GetDlgItem(IDC_HINT);
  if (!tables || !setup) {
    m_progress.SetWindowText("");
    m_progress.SetRange(0, 1);
    m_progress.SetPos(0);
    if (hint) hint->ShowWindow(SW_HIDE);
    return;
  }
  const int area = setup->GetCAMTablesLength(), used = tables->GetCAMsSizesInWords();
  m_progress.SetRange(0, area > 0 ? (DWORD)area : 1);
  if (used <= area) {
    CString text;
    text.Format("%d words", area - used);
    m_progress.SetWindowText(text);
    m_progress.SetPos((DWORD)(area - used));
    if (hint) hint->ShowWindow(SW_HIDE);
  } else {
    m_progress.SetWindowText("Overflow");
    m_progress.SetPos(0);
    if (hint) hint->ShowWindow(SW_SHOW);
  }
}

void CMC_CAMTablesView::SetModified() {
  if (CDocument* doc = GetDocument()) {
    MarkDocumentModified(this);
    doc->UpdateAllViews(this, HINT_CAMS_CHANGED);
  }
  ShowFreeBuffer();
}

void CMC_CAMTablesView::MoveItem(CListBox& source, int from, CListBox& target, int to) {
  CString text;
  source.GetText(from, text);
  source.DeleteString((UINT)from);
  target.SetCurSel(target.InsertString(to, text));
}

void CMC_CAMTablesView::AppendLastSelected() {
  CMC_CAMTables* tables = GetTables();
  const int n = tables->GetCAMsCount();
  if (CMC_CAM* cam = n > 0 ? tables->GetSelCAM(n - 1) : nullptr) {
    m_lbAvailable.SetCurSel(-1);
    m_lbSelected.SetCurSel(m_lbSelected.AddString(cam->GetName()));
  }
  SetModified();
}

void CMC_CAMTablesView::OnBtnCamAdd() {
  CMC_CAMTables* tables = GetTables();
  if (tables && UpdateData(TRUE) && tables->AddNewSelCAM(m_strName)) {
    m_lbAvailable.SetCurSel(-1);
    m_lbSelected.SetCurSel(m_lbSelected.AddString(m_strName));
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamRename() {
  CMC_CAMTables* tables = GetTables();
  if (tables && UpdateData(TRUE)) {
    const int s = m_lbSelected.GetCurSel(), a = m_lbAvailable.GetCurSel();
    CListBox* list = nullptr;
    int index = -1;
    if (s >= 0) {
      if (tables->RenameSelCAM(s, m_strName)) list = &m_lbSelected, index = s;
    } else if (a >= 0) {
      if (tables->RenameAvailCAM(a, m_strName)) list = &m_lbAvailable, index = a;
    }
    if (list) {
      list->DeleteString((UINT)index);
      list->SetCurSel(list->InsertString(index, m_strName));
      SetModified();
    }
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamDelete() {
  CMC_CAMTables* tables = GetTables();
  const int a = m_lbAvailable.GetCurSel();
  if (tables && a >= 0 && a < tables->GetAvailableCount()) {
    tables->RemoveAvailable(a);
    m_lbAvailable.DeleteString((UINT)a);
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamPromote() {
  CMC_CAMTables* tables = GetTables();
  const int a = m_lbAvailable.GetCurSel();
  if (tables && a >= 0 && tables->PromoteAvailableToSelected(a)) {
    MoveItem(m_lbAvailable, a, m_lbSelected, m_lbSelected.GetCount());
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamDemote() {
  CMC_CAMTables* tables = GetTables();
  const int s = m_lbSelected.GetCurSel();
  if (tables && s >= 0 && tables->DemoteSelectedToAvailable(s)) {
    MoveItem(m_lbSelected, s, m_lbAvailable, m_lbAvailable.GetCount());
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamPromoteAll() {
  CMC_CAMTables* tables = GetTables();
  if (tables && tables->PromoteAllAvailable()) {
    FillListBoxes();
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamDemoteAll() {
  CMC_CAMTables* tables = GetTables();
  if (tables && tables->DemoteAllSelected()) {
    FillListBoxes();
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamUp() {
  CMC_CAMTables* tables = GetTables();
  const int s = m_lbSelected.GetCurSel();
  if (tables && s > 0 && tables->MoveSelCAMUp(s)) {
    MoveItem(m_lbSelected, s, m_lbSelected, s - 1);
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnCamDown() {
  CMC_CAMTables* tables = GetTables();
  const int s = m_lbSelected.GetCurSel();
  if (tables && s >= 0 && tables->MoveSelCAMDown(s)) {
    MoveItem(m_lbSelected, s, m_lbSelected, s + 1);
    SetModified();
  }
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnLoadCam() {
  CMC_CAMTables* tables = GetTables();
  if (tables && tables->ImportCAM()) AppendLastSelected();
  EnableButtons();
}

void CMC_CAMTablesView::OnBtnImportCam() {
  CMC_CAMTables* tables = GetTables();
  if (tables && tables->ImportCAMFromTextFile()) AppendLastSelected();
  EnableButtons();
}

void CMC_CAMTablesView::OnSelchangeLbAvailableCams() {
  m_lbSelected.SetCurSel(-1);
  const int a = m_lbAvailable.GetCurSel();
  CString name;
  if (a >= 0) m_lbAvailable.GetText(a, name);
  m_editName.SetWindowText(name);
  EnableButtons();
}

void CMC_CAMTablesView::OnSelchangeLbSelectedCams() {
  m_lbAvailable.SetCurSel(-1);
  const int s = m_lbSelected.GetCurSel();
  CString name;
  if (s >= 0) m_lbSelected.GetText(s, name);
  m_editName.SetWindowText(name);
  EnableButtons();
}

void CMC_CAMTablesView::OnHelp() {
  CString file;
  if (GetHelpFileOfModule(AfxGetInstanceHandle(), file)) ::HtmlHelp(m_hWnd, file, 15, IDH_CAM_TABLES);
}
