// The plot options page: colours, pen, width and display units of each drawn curve, and the plot's
// background, axis colour and grid.
#include "kernel/params/MC_Units.h"
#include "plot/ui/OptionsSheet.h"

CExtrasPage::CExtrasPage(CGraphFilter& plot, int restricted) : CPropertyPageS(14001), m_plot(plot), m_bRestricted(restricted) {
  if (!plot.m_strTitle.IsEmpty()) SetPageCaption(plot.m_strTitle);
}

CXYCurve* CExtrasPage::SelectedCurve() const {
  int sel = m_curves.m_hWnd ? m_curves.GetCurSel() : -1;
  return sel < 0 ? nullptr : reinterpret_cast<CXYCurve*>(m_curves.GetItemData(sel));
}

void CExtrasPage::DoDataExchange(CDataExchange* pDX) {
  CPropertyPageS::DoDataExchange(pDX);
  if (!m_curves.m_hWnd) {
    m_curves.SubclassDlgItem(14003, this);
    m_color.SubclassDlgItem(14006, this);
    m_style.SubclassDlgItem(14007, this);
    m_width.SubclassDlgItem(14010, this);
    m_background.SubclassDlgItem(14000, this);
    m_axisColor.SubclassDlgItem(14008, this);
    m_xUnit.SubclassDlgItem(14004, this);
    m_yUnit.SubclassDlgItem(14005, this);
  }
  if (!pDX->m_bSaveAndValidate) {
    m_curves.ResetContent();
    for (int i = 0; i < m_plot.GetSize(); ++i) {
      CXYCurve* c = m_plot.GetAt(i);
      int at = m_curves.AddString(m_plot.GetCurveInfo(c->m_nYCurve));
      m_curves.SetItemDataPtr(at, c);
    }
    for (CComboBox* combo : {(CComboBox*)&m_color, (CComboBox*)&m_style, (CComboBox*)&m_background,
                             (CComboBox*)&m_axisColor, &m_xUnit, &m_yUnit})
      combo->ResetContent();
    m_color.LoadDefColors();
    m_background.LoadDefColors();
    m_axisColor.LoadDefColors();
    m_style.LoadDefStyle();
    m_style.SetSample(m_crLast, m_nWidthLast);
    m_background.SelectColor(m_plot.m_crBackground);
    m_axisColor.SelectColor(m_plot.m_crAxis);
  }
  DDX_Check(pDX, 14001, m_plot.m_bGrid);
  if (pDX->m_bSaveAndValidate) {
    if (m_axisColor.GetSelectedColor() != 0xFFFFFFFFu) m_plot.m_crAxis = m_axisColor.GetSelectedColor();
    if (m_background.GetSelectedColor() != 0xFFFFFFFFu) m_plot.m_crBackground = m_background.GetSelectedColor();
  }
}

BOOL CExtrasPage::OnInitDialog() {
  m_bBusy = 1;
  m_plot.ComputeAxis();
  CPropertyPageS::OnInitDialog();
  if (m_curves.GetCount() > 0) m_curves.SetCurSel(0);
  for (const char* w : {"1", "2", "3", "4"}) m_width.AddString(w);
  m_bBusy = 0;
  ShowCurve();
  if (m_bRestricted)
    for (int id : {14000, 14008, 14001, 14005, 14009, 14004})
      if (CWnd* w = GetDlgItem(id)) w->EnableWindow(FALSE);
  return TRUE;
}

void CExtrasPage::ShowCurve() {
  m_bBusy = 1;
  CXYCurve* c = SelectedCurve();
  if (!c) {
    SetDlgItemText(14002, "");
    m_color.SetCurSel(-1);
    m_style.SetCurSel(-1);
    m_width.SetCurSel(-1);
    for (CComboBox* u : {&m_xUnit, &m_yUnit}) {
      u->ResetContent();
      u->EnableWindow(FALSE);
    }
    m_bBusy = 0;
    return;
  }
  m_color.SelectColor(c->m_crColor);
  m_style.SelectStyle(c->m_nPenStyle);
  m_width.SetCurSel(c->m_nWidth >= 1 && c->m_nWidth <= 4 ? c->m_nWidth - 1 : 0);
  auto units = [&](CComboBox& combo, CCurve* source, const CString& unit) {
    combo.ResetContent();
    bool valid = source && CMC_Units::IsValidUnit(unit);
    if (valid) m_plot.FillUnitsComboBox(combo, source, unit);
    combo.EnableWindow(valid);
  };
  units(m_yUnit, c->m_pYCurve, c->m_strYUnit);
  units(m_xUnit, c->m_pXCurve, c->m_strXUnit);
  if (m_bRestricted) {
    m_xUnit.EnableWindow(FALSE);
    m_yUnit.EnableWindow(FALSE);
  }
  SetDlgItemText(14002, m_plot.GetCurveInfo(c->m_nXCurve));
  m_bBusy = 0;
  OnColor();
  OnWidth();
  OnStyle();
  OnUnit(true);
}

void CExtrasPage::OnColor() {
  CXYCurve* c = SelectedCurve();
  if (m_bBusy || !c) return;
  DWORD color = m_color.GetSelectedColor();
  if (color != 0xFFFFFFFFu && color != c->m_crColor) {
    c->m_crColor = color;
    SetModified();
  }
  m_crLast = c->m_crColor;
  m_style.SetSample(m_crLast, m_nWidthLast);
  m_style.Invalidate();
}

void CExtrasPage::OnWidth() {
  CXYCurve* c = SelectedCurve();
  if (m_bBusy || !c) return;
  int sel = m_width.GetCurSel();
  if (sel >= 0 && sel + 1 != c->m_nWidth) {
    c->m_nWidth = sel + 1;
    SetModified();
  }
  m_nWidthLast = c->m_nWidth;
  m_style.SetSample(m_crLast, m_nWidthLast);
  m_style.Invalidate();
}

void CExtrasPage::OnStyle() {
  CXYCurve* c = SelectedCurve();
  if (m_bBusy || !c) return;
  int style = m_style.GetSelectedStyle();
  if (style >= 0 && style != c->m_nPenStyle) {
    c->m_nPenStyle = style;
    SetModified();
  }
}

// A unit applies to every drawn curve of the plot over the same source (and, for Y, on the same side).
void CExtrasPage::OnUnit(bool y) {
  CXYCurve* c = SelectedCurve();
  CComboBox& combo = y ? m_yUnit : m_xUnit;
  int sel = combo.m_hWnd ? combo.GetCurSel() : -1;
  if (m_bBusy || !c || sel < 0) return;
  CCurve* source = y ? c->m_pYCurve : c->m_pXCurve;
  CString unit;
  if (sel == 0 && source)
    unit = CMC_Units::GetIUOfUnit(source->m_strDisplayUnit);
  else
    combo.GetLBText(sel, unit);
  for (int i = 0; i < m_plot.GetSize(); ++i) {
    CXYCurve* other = m_plot.GetAt(i);
    bool same = y ? other->m_nYCurve == c->m_nYCurve && other->m_nAxis == c->m_nAxis : other->m_nXCurve == c->m_nXCurve;
    CString& target = y ? other->m_strYUnit : other->m_strXUnit;
    if (same && target != unit) {
      target = unit;
      SetModified();
    }
  }
}

void CExtrasPage::OnDefault() {
  if (m_plot.GetSize() == 0) return;
  m_plot.LoadDefaultUnits(1);
  ShowCurve();
  SetModified();
}

BOOL CExtrasPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == LBN_SELCHANGE && id == 14003) {
    ShowCurve();
  } else if (code == CBN_SELCHANGE && id == 14006) {
    OnColor();
  } else if (code == CBN_SELCHANGE && id == 14010) {
    OnWidth();
  } else if (code == CBN_SELCHANGE && id == 14007) {
    OnStyle();
  } else if (code == CBN_SELCHANGE && (id == 14004 || id == 14005)) {
    OnUnit(id == 14005);
  } else if (code == BN_CLICKED && id == 14009) {
    OnDefault();
  } else if ((code == BN_CLICKED && id == 14001) || (code == CBN_SELCHANGE && (id == 14000 || id == 14008))) {
    if (!m_bBusy) SetModified();
  } else {
    return CPropertyPageS::OnCommand(wParam, lParam);
  }
  return TRUE;
}
