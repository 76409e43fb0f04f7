#include "views/cam/MC_CAMView.h"

#include "kernel/values/ConfigFile.h"
#include "motion/cam/MC_CAM.h"
#include "motion/model/MC_Motion.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Module.h"
#include "platform/ui/CommonDialogs.h"
#include "plot/graph/ColorFactory.h"
#include "plot/curves/Curve.h"
#include "plot/curves/XYCurve.h"

namespace {

enum : int {
  IDC_LB_POINTS = 14014,
  IDC_BTN_UPDATE = 14015,
  IDC_BTN_INSERT = 14016,
  IDC_BTN_REMOVE = 14017,
  IDC_BTN_IMPORT = 14018,
  IDC_BTN_EXPORT = 14019,
  IDC_ED_MASTER = 14021,
  IDC_ED_STEP = 14022,
  IDC_ED_VALUE = 14023,
  IDC_LENGTH = 14024,
  IDC_BTN_PREV = 14025,
  IDC_BTN_NEXT = 14026,
  IDC_NAME = 14027,
  IDC_GRAPH = 14013,
  IDC_LABEL_MASTER = 14034,
  IDC_LABEL_STEP = 14035,
  IDC_LABEL_VALUE = 14036,
  IDC_LABEL_LENGTH = 14037,
  IDC_HELP_BUTTON = 57670,
  IDH_CAM_EDITOR = 4138,
};

const char kTextFilter[] = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";

// Master position of point j, in 64 bits: a start near the top of the 32-bit range must not wrap.
int64_t MasterOf(const CMC_CAM& cam, int j) { return (int64_t)cam.GetMasterStart() + ((int64_t)j << cam.GetStep()); }

CString PointLine(int64_t master, LONG value) {
  CString line;
  line.Format("%10lld %10ld", (long long)master, (long)value);
  return line;
}

}  // namespace

IMPLEMENT_DYNCREATE(CMC_CAMView, CFormView)

BEGIN_MESSAGE_MAP(CMC_CAMView, CFormView)
ON_LBN_SELCHANGE(IDC_LB_POINTS, &CMC_CAMView::OnSelchangeCamTable)
ON_BN_CLICKED(IDC_BTN_INSERT, &CMC_CAMView::OnBtnCamInsert)
ON_BN_CLICKED(IDC_BTN_UPDATE, &CMC_CAMView::OnBtnCamUpdate)
ON_BN_CLICKED(IDC_BTN_REMOVE, &CMC_CAMView::OnBtnCamRemove)
ON_BN_CLICKED(IDC_BTN_NEXT, &CMC_CAMView::OnBtnCamNext)
ON_BN_CLICKED(IDC_BTN_PREV, &CMC_CAMView::OnBtnCamPrev)
ON_EN_KILLFOCUS(IDC_ED_MASTER, &CMC_CAMView::OnKillfocusEdCamMasterstart)
ON_EN_KILLFOCUS(IDC_ED_STEP, &CMC_CAMView::OnKillfocusEdCamInterpsteps)
ON_BN_CLICKED(IDC_BTN_IMPORT, &CMC_CAMView::OnBtnCamImport)
ON_BN_CLICKED(IDC_BTN_EXPORT, &CMC_CAMView::OnBtnCamExport)
ON_BN_CLICKED(IDC_HELP_BUTTON, &CMC_CAMView::OnHelp)
END_MESSAGE_MAP()

CMC_CAMView::CMC_CAMView() : CFormView(IDD), m_plot(nullptr, nullptr, nullptr, nullptr) {
  for (int k = 0; k < 2; k++) m_curves.Add(new CCurve(0, -1));
  m_plot.m_pSource = &m_curves;
  m_plot.m_crBackground = CColorFactory::RGB16(CColorFactory::crLightGrey);
  m_plot.m_crAxis = CColorFactory::RGB16(CColorFactory::crGrey);
  auto* curve = new CXYCurve;
  curve->m_crColor = CColorFactory::RGB16(CColorFactory::crBlue);
  curve->m_nDrawMode = 2;
  curve->m_nXCurve = 0;
  curve->m_nYCurve = 1;
  m_plot.Add(curve);
}

CMC_CAMView::~CMC_CAMView() = default;

CMC_CAM* CMC_CAMView::GetCAM() {
  CMC_Motion* motion = GetMotionOfDocument(GetDocument());
  return motion ? motion->GetCAMSelection() : nullptr;
}

void CMC_CAMView::DoDataExchange(CDataExchange* pDX) {
  CFormView::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_ED_VALUE, m_editY);
  DDX_Control(pDX, IDC_LB_POINTS, m_lbPoints);
  CMC_CAM* cam = GetCAM();
  if (!cam) return;
  // Into locals first: a refused field leaves the table as it was.
  int step = cam->GetStep();
  LONG master = cam->GetMasterStart();
  DDX_Text(pDX, IDC_ED_STEP, step);
  DDV_MinMaxInt(pDX, step, 0, CMC_CAM::kMaxStep);
  DDX_Text(pDX, IDC_ED_MASTER, master);
  DDX_Text(pDX, IDC_ED_VALUE, m_lY);
  if (pDX->m_bSaveAndValidate) {
    cam->SetStep(step);
    cam->SetMasterStart(master);
  } else {
    SetDlgItemText(IDC_NAME, cam->GetName());
    SetDlgItemInt(IDC_LENGTH, (UINT)cam->GetPointsCount(), FALSE);
  }
}

void CMC_CAMView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  m_fonts.Apply(this, IDC_NAME, {IDC_LABEL_MASTER, IDC_LABEL_STEP, IDC_LABEL_VALUE, IDC_LABEL_LENGTH});
  if (!m_graph.m_hWnd) m_graph.SubclassDlgItem(IDC_GRAPH, this, &m_plot);
  OnUpdate(this, HINT_REFRESH, nullptr);
}

void CMC_CAMView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (lHint != HINT_REFRESH && lHint != HINT_CAMS_CHANGED) return;
  if (!m_lbPoints.m_hWnd) return;
  m_nIndex = 0;
  FillTableList();
  ReloadControls(false);
  EnableChildren();
}

void CMC_CAMView::ReloadControls(bool selectValue) {
  UpdateData(FALSE);
  if (selectValue && m_editY.m_hWnd) m_editY.SetSel(0, -1);
}

void CMC_CAMView::EnableChildren() {
  CMC_CAM* cam = GetCAM();
  const bool T = cam != nullptr;
  const int n = T ? cam->GetPointsCount() : 0, i = m_nIndex;
  const struct {
    int id;
    bool on;
  } states[] = {
      {IDC_ED_MASTER, T}, {IDC_ED_STEP, T}, {IDC_ED_VALUE, T}, {IDC_LB_POINTS, T}, {IDC_BTN_IMPORT, T},
      {IDC_BTN_PREV, T && i > 0}, {IDC_BTN_NEXT, T && i >= 0 && i < n - 1},
      {IDC_BTN_REMOVE, T && i >= 0 && i < n && n > 1}, {IDC_BTN_UPDATE, T && i >= 0 && i < n},
      {IDC_BTN_INSERT, T && n < CMC_CAM::kMaxPoints}, {IDC_BTN_EXPORT, T && n > 0},
  };
  for (const auto& s : states)
    if (CWnd* w = GetDlgItem(s.id)) w->EnableWindow(s.on);
}

void CMC_CAMView::FillTableList() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !m_lbPoints.m_hWnd) return;
  m_lbPoints.SetRedraw(FALSE);
  m_lbPoints.ResetContent();
  const int n = cam->GetPointsCount();
  if (m_nIndex > n - 1) m_nIndex = n - 1;
  CCurve* masters = static_cast<CCurve*>(m_curves.GetAt(0));
  CCurve* values = static_cast<CCurve*>(m_curves.GetAt(1));
  masters->SetSize(n);
  values->SetSize(n);
  for (int j = 0; j < n; j++) {
    const int64_t master = MasterOf(*cam, j);
    const LONG y = cam->GetPoint(j);
    masters->SetAt(j, (double)master);
    values->SetAt(j, (double)y);
    m_lbPoints.InsertString(j, PointLine(master, y));
  }
  m_lbPoints.SetRedraw(TRUE);
  RedrawGraph();
  if (m_nIndex >= n) m_nIndex = -1;
  m_lbPoints.SetCurSel(m_nIndex);
  m_lY = m_nIndex >= 0 ? cam->GetPoint(m_nIndex) : 0;
}

void CMC_CAMView::UpdateTableSelection(BOOL reinsert) {
  CMC_CAM* cam = GetCAM();
  if (!cam) return;
  if (m_nIndex >= cam->GetPointsCount()) m_nIndex = -1;
  if (m_nIndex >= 0) {
    m_lY = cam->GetPoint(m_nIndex);
    if (reinsert) {
      const int64_t master = MasterOf(*cam, m_nIndex);
      static_cast<CCurve*>(m_curves.GetAt(0))->InsertAt(m_nIndex, (double)master, 1);
      static_cast<CCurve*>(m_curves.GetAt(1))->InsertAt(m_nIndex, (double)m_lY, 1);
      m_lbPoints.InsertString(m_nIndex, PointLine(master, m_lY));
      RedrawGraph();
    }
  } else {
    m_lY = 0;
  }
  m_lbPoints.SetCurSel(m_nIndex);
}

void CMC_CAMView::RedrawGraph() {
  if (!m_graph.m_hWnd) return;
  m_graph.Initialize();
  m_plot.LoadDefaultUnits(0);
  m_graph.RefreshWindow();
}

void CMC_CAMView::SetModified() { MarkDocumentModified(this); }

void CMC_CAMView::OnSelchangeCamTable() {
  if (!GetCAM()) return;
  if (UpdateData(TRUE)) {
    m_nIndex = m_lbPoints.GetCurSel();
    UpdateTableSelection(FALSE);
    ReloadControls(false);
    EnableChildren();
  } else {
    m_lbPoints.SetCurSel(m_nIndex);
  }
}

void CMC_CAMView::OnBtnCamInsert() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !UpdateData(TRUE)) return;
  const int n = cam->GetPointsCount();
  if (m_nIndex >= -1 && m_nIndex < n && n < CMC_CAM::kMaxPoints) {
    cam->GetPoints().InsertAt(m_nIndex + 1, m_lY);
    m_nIndex++;
    FillTableList();
    SetModified();
  }
  ReloadControls(true);
  EnableChildren();
}

void CMC_CAMView::OnBtnCamUpdate() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !UpdateData(TRUE)) return;
  if (m_nIndex >= 0 && m_nIndex < cam->GetPointsCount() && m_lY != cam->GetPoint(m_nIndex)) {
    cam->GetPoints().SetAt(m_nIndex, m_lY);
    m_lbPoints.DeleteString((UINT)m_nIndex);
    static_cast<CCurve*>(m_curves.GetAt(0))->RemoveAt(m_nIndex, 1);
    static_cast<CCurve*>(m_curves.GetAt(1))->RemoveAt(m_nIndex, 1);
    UpdateTableSelection(TRUE);
    SetModified();
  }
  ReloadControls(true);
  EnableChildren();
}

void CMC_CAMView::OnBtnCamRemove() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !UpdateData(TRUE)) return;
  const int n = cam->GetPointsCount();
  // The last point stays: a table has at least one.
  if (m_nIndex >= 0 && m_nIndex < n && n > 1) {
    cam->GetPoints().RemoveAt(m_nIndex);
    FillTableList();
    SetModified();
  }
  ReloadControls(false);
  EnableChildren();
}

void CMC_CAMView::OnBtnCamNext() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !UpdateData(TRUE)) return;
  if (m_nIndex >= 0 && m_nIndex < cam->GetPointsCount() - 1) {
    m_nIndex++;
    UpdateTableSelection(FALSE);
    ReloadControls(false);
  }
  EnableChildren();
}

void CMC_CAMView::OnBtnCamPrev() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !UpdateData(TRUE)) return;
  if (m_nIndex >= 1 && m_nIndex < cam->GetPointsCount()) {
    m_nIndex--;
    UpdateTableSelection(FALSE);
    ReloadControls(false);
  }
  EnableChildren();
}

BOOL CMC_CAMView::OnKillfocusValue(bool step) {
  CMC_CAM* cam = GetCAM();
  if (!cam) return TRUE;
  const LONG before = step ? cam->GetStep() : cam->GetMasterStart();
  if (!UpdateData(TRUE)) return FALSE;
  const LONG after = step ? cam->GetStep() : cam->GetMasterStart();
  if (after != before) {
    FillTableList();
    SetModified();
    ReloadControls(false);
  }
  EnableChildren();
  return TRUE;
}

void CMC_CAMView::OnKillfocusEdCamMasterstart() { OnKillfocusValue(false); }
void CMC_CAMView::OnKillfocusEdCamInterpsteps() { OnKillfocusValue(true); }

BOOL CMC_CAMView::TakeTypedValue() {
  const HWND focus = ::GetFocus();
  if (!focus || !m_hWnd || ::GetParent(focus) != m_hWnd) return TRUE;
  const int id = ::GetDlgCtrlID(focus);
  return id == IDC_ED_MASTER || id == IDC_ED_STEP ? OnKillfocusValue(id == IDC_ED_STEP) : TRUE;
}

void CMC_CAMView::OnBtnCamImport() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !UpdateData(TRUE)) return;
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kTextFilter, this);
  if (dlg.DoModal() == IDOK && cam->Import(dlg.GetPathName())) {
    m_nIndex = 0;
    FillTableList();
    SetModified();
  }
  ReloadControls(false);
  EnableChildren();
}

void CMC_CAMView::OnBtnCamExport() {
  CMC_CAM* cam = GetCAM();
  if (!cam || !UpdateData(TRUE)) return;
  const int n = cam->GetPointsCount();
  if (n >= 1 && n <= CMC_CAM::kMaxPoints) {
    CFileDialog dlg(FALSE, "txt", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kTextFilter, this);
    if (dlg.DoModal() == IDOK) cam->Export(dlg.GetPathName());
  }
  EnableChildren();
}

void CMC_CAMView::OnHelp() {
  CString file;
  if (GetHelpFileOfModule(AfxGetInstanceHandle(), file)) ::HtmlHelp(m_hWnd, file, 15, IDH_CAM_EDITOR);
}
