#include "grid/controls/GXBCalendar.h"

#include "grid/engine/GXLibrary.h"
#include "platform/core/MessageBox.h"
#include "platform/core/SystemInfo.h"
#include "platform/gdi/DC.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNAMIC(CGXBCalendar, CWnd)
IMPLEMENT_DYNAMIC(CGXBPopupCalendar, CGXBCalendar)

namespace {

const UINT kButtonIds[4] = {23242, 23244, 23241, 23243};  // "<<", "<", ">", ">>"
const char* const kButtonText[4] = {"<<", "<", ">", ">>"};
const double kColumns[8] = {0, 0.143, 0.286, 0.429, 0.572, 0.715, 0.858, 1.0};

BOOL ReadName(CString& text, LCTYPE type) {
  char buf[256] = "";
  if (!::GetLocaleInfo(::GetUserDefaultLCID(), type, buf, sizeof buf)) return FALSE;
  text = buf;
  return TRUE;
}

COleDateTime Noon(const COleDateTime& d) {
  return COleDateTime(d.GetYear(), d.GetMonth(), d.GetDay(), 12, 0, 0);
}

}  // namespace

BOOL GetDayName(CString& text, int nDay, BOOL bFull) {
  if (nDay < 1 || nDay > 7) return FALSE;
  int k = nDay == 1 ? 6 : nDay - 2;  // the locale counts from Monday
  return ReadName(text, (bFull ? LOCALE_SDAYNAME1 : LOCALE_SABBREVDAYNAME1) + (LCTYPE)k);
}

BOOL GetMonthName(CString& text, int nMonth, BOOL bFull) {
  if (nMonth < 1 || nMonth > 12) return FALSE;
  return ReadName(text, (bFull ? LOCALE_SMONTHNAME1 : LOCALE_SABBREVMONTHNAME1) + (LCTYPE)(nMonth - 1));
}

// ---- Panels ----

void CGXBPanel::ComputeInsets() {
  UINT b = m_nBorder;
  bool outer = m_bRaised ? (b & 0x8) : (b & 0x10);
  bool bevel = m_bRaised ? (b & 0x2) : (b & 0x4);
  bool ring = m_bRing && (m_bRaised ? (b & 0x20) : (b & 0x40));
  m_nOuterStart = 0;
  m_nOuterEnd = outer ? 1 : 0;
  m_nBevelEnd = m_nOuterEnd + (bevel ? m_nBorderWidth : 0);
  m_nInset = m_nBevelEnd + (ring ? m_nBorderWidth : 0);
  m_bDirty = FALSE;
}

CRect CGXBPanel::Interior() const {
  CRect r = m_rect;
  r.DeflateRect(m_nInset, m_nInset);
  return r;
}

void CGXBPanel::DrawOuterLine(CDC& dc) {
  if (m_nOuterEnd) dc.Draw3dRect(&m_rect, m_clrOuter, m_clrOuter);
}

void CGXBPanel::DrawBevel(CDC& dc) {
  CGXSysColorCache& c = GXGetSysColorCache();
  CRect r = m_rect;
  r.DeflateRect(m_nOuterEnd, m_nOuterEnd);
  for (int i = m_nOuterEnd; i < m_nBevelEnd; ++i) {
    if (m_bRaised) dc.Draw3dRect(&r, c.m_clrBtnHilite, c.m_clrBtnShadow);
    else dc.Draw3dRect(&r, c.m_clrBtnShadow, c.m_clrBtnHilite);
    r.DeflateRect(1, 1);
  }
}

void CGXBPanel::FillInterior(CDC& dc) {
  CRect r = Interior();
  dc.ExtTextOut(r.left, r.top, ETO_OPAQUE, &r, "", 0, nullptr);
}

void CGXBPanel::DrawInnerRing(CDC& dc) {
  CRect r = m_rect;
  r.DeflateRect(m_nBevelEnd, m_nBevelEnd);
  for (int i = m_nBevelEnd; i < m_nInset; ++i) {
    dc.Draw3dRect(&r, m_clrRing, m_clrRing);
    r.DeflateRect(1, 1);
  }
}

void CGXBPanel::Draw(CDC& dc) {
  if (m_bDirty) ComputeInsets();
  COLORREF bk = dc.SetBkColor(GXGetSysColorCache().m_clrBtnFace);
  COLORREF tx = dc.SetTextColor(m_clrText);
  DrawOuterLine(dc);
  DrawBevel(dc);
  dc.SetBkColor(GXGetSysColorCache().m_clrBtnFace);  // the frame's fills moved it
  FillInterior(dc);
  DrawContent(dc);
  DrawInnerRing(dc);
  dc.SetBkColor(bk);
  dc.SetTextColor(tx);
}

void CGXBDayBox::DrawContent(CDC& dc) {
  CString s;
  s.Format("%d", m_date.GetStatus() == COleDateTime::valid ? m_date.GetDay() : -1);
  CRect r = Interior();
  COLORREF old = dc.SetTextColor(m_bOtherMonth && (m_nBorder & 0x100) ? m_clrGray : m_clrText);
  if (m_nBorder & 0x80) {
    dc.DrawText(s, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  } else {
    dc.ExtTextOut(r.left + r.Width() / 10, r.top + r.Height() / 10, ETO_OPAQUE | ETO_CLIPPED, &r, s, nullptr);
  }
  dc.SetTextColor(old);
}

void CGXBDayBar::DrawContent(CDC& dc) {
  CRect in = Interior();
  TEXTMETRIC tm{};
  dc.GetTextMetrics(&tm);
  UINT align = dc.SetTextAlign(TA_CENTER | TA_BASELINE);
  for (int k = 1; k <= 7; ++k) {
    CRect cell(in.left + (int)(kColumns[k - 1] * in.Width()), in.top, in.left + (int)(kColumns[k] * in.Width()),
               in.bottom);
    CString name;
    GetDayName(name, (m_nFirstDay + k - 2) % 7 + 1, (m_nBorder & 0x20000000) != 0);
    dc.ExtTextOut(cell.CenterPoint().x, cell.top + cell.Height() / 2 + tm.tmHeight / 2, ETO_OPAQUE | ETO_CLIPPED,
                  &cell, name, nullptr);
  }
  dc.SetTextAlign(align);
}

void CGXBCalTitle::SetRect(const CRect& r) {
  m_rect = r;
  m_bDirty = TRUE;
  ComputeInsets();
  CRect in = Interior();
  int w = in.Width(), margin = in.Height() / 5;
  bool years = (m_nFlags & CGXBCalendar::yearButtons) != 0, months = (m_nFlags & CGXBCalendar::monthButtons) != 0;
  auto place = [&](int i, double from, double to, bool shown) {
    if (!m_buttons[i].GetSafeHwnd()) return;
    m_buttons[i].MoveWindow(in.left + (int)(from * w), in.top + margin, (int)((to - from) * w), in.Height() - 2 * margin);
    m_buttons[i].ShowWindow(shown ? SW_SHOW : SW_HIDE);
  };
  place(0, 0.05, 0.15, years && m_nOuterVisible > 0);
  place(3, 0.85, 0.95, years && m_nOuterVisible > 0);
  double a = years ? 0.15 : 0.05;
  place(1, a, a + 0.10, months && m_nInnerVisible > 0);
  place(2, 1 - a - 0.10, 1 - a, months && m_nInnerVisible > 0);
}

void CGXBCalTitle::SetTitle(const COleDateTime& date) {
  CString month;
  GetMonthName(month, date.GetMonth(), (m_nBorder & 0x10000000) != 0);
  m_strText.Format("%s %d", month.GetString(), date.GetYear());
}

void CGXBCalTitle::DrawContent(CDC& dc) {
  // The scroll buttons take the title's font.
  const HGDIOBJ font = ::GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT);
  for (CButton& button : m_buttons)
    if (button.GetSafeHwnd() && (HGDIOBJ)button.SendMessage(WM_GETFONT) != font)
      button.SendMessage(WM_SETFONT, (WPARAM)font, TRUE);
  CRect r = Interior();
  dc.DrawText(m_strText, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CGXBCalTitle::CreateButtons(CWnd* pParent) {
  for (int i = 0; i < 4; ++i)
    if (!m_buttons[i].GetSafeHwnd())
      m_buttons[i].Create(kButtonText[i], WS_CHILD | BS_PUSHBUTTON, CRect(0, 0, 1, 1), pParent, kButtonIds[i]);
}

// ---- Calendar ----

CGXBCalendar::CGXBCalendar() : m_date(1970, 1, 1, 12, 0, 0) {
  m_anchor.SetStatus(COleDateTime::invalid);
  m_pressed.SetStatus(COleDateTime::invalid);
  m_title.m_pCal = this;
}

CGXBCalendar::~CGXBCalendar() {
  if (GetSafeHwnd()) DestroyWindow();
}

BOOL CGXBCalendar::Same(const COleDateTime& a, const COleDateTime& b) {
  return a.GetStatus() == COleDateTime::valid && b.GetStatus() == COleDateTime::valid &&
         std::fabs((double)a - (double)b) < 0.5 / 86400.0;
}

void CGXBCalendar::GetSysColors() {
  m_clrWindowText = ::GetSysColor(COLOR_WINDOWTEXT);
  m_clrBtnText = m_clrBtnText2 = ::GetSysColor(COLOR_BTNTEXT);
  m_clrBtnFace = ::GetSysColor(COLOR_BTNFACE);
  m_clrCaptionText = ::GetSysColor(COLOR_CAPTIONTEXT);
  m_clrActiveCaption = ::GetSysColor(COLOR_ACTIVECAPTION);
  m_clrGrayText = ::GetSysColor(COLOR_GRAYTEXT);
}

BOOL CGXBCalendar::IsYearInRange(int nYear, int nMonths, int nDays) const {
  int y = nYear + (nMonths + nDays / 28) / 12;
  return y >= 1400 && y <= 2400;
}

void CGXBCalendar::Post(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_pOwner && m_pOwner->GetSafeHwnd()) m_pOwner->PostMessage(msg, wp, lp);
}

void CGXBCalendar::Close(UINT msg) {
  Post(msg, msg == 2007 && m_pSelected ? TRUE : 0, (LPARAM)m_pSelected);
  if (GetSafeHwnd()) ShowWindow(SW_HIDE);
}

BOOL CGXBCalendar::SetDate(const COleDateTime& date, BOOL bRedraw) {
  if (((m_nStyle & lockMonth) && m_bCreated) || date.GetStatus() != COleDateTime::valid ||
      !IsYearInRange(date.GetYear())) {
    Beep();
    return FALSE;
  }
  m_date = Noon(date);
  m_title.SetTitle(m_date);
  Fill();
  if (bRedraw && GetSafeHwnd()) {
    Invalidate();
    UpdateWindow();
  }
  return TRUE;
}

void CGXBCalendar::Fill() {
  m_focus = m_date;
  COleDateTime d = m_date;
  while (d.GetDay() != 1) d -= COleDateTimeSpan(1, 0, 0, 0);
  while (d.GetDayOfWeek() != m_dayBar.m_nFirstDay) d -= COleDateTimeSpan(1, 0, 0, 0);
  bool in = false;
  m_pSelected = nullptr;
  for (int i = 0; i < 42; ++i) {
    if (d.GetDay() == 1) in = !in;
    CGXBDayBox& b = m_days[i];
    b.m_bChanged = !Same(b.m_date, d);
    b.m_date = d;
    b.m_bOtherMonth = !in;
    UINT border = in ? m_nMonthBorder : m_nOtherBorder;
    if (b.m_nBorder != border) b.m_bDirty = TRUE;
    b.m_nBorder = border;
    UINT flags = m_nStyle;
    if (!in) {
      flags &= ~ringDays;
      if (!(m_nStyle & selectNeighbours)) flags &= ~raiseDays;
    }
    b.m_nFlags = flags;
    b.m_nBorderWidth = m_nPanelBorder;
    bool marked = std::any_of(m_marked.begin(), m_marked.end(), [&](const COleDateTime& m) { return Same(m, d); });
    b.SetRing(marked && (flags & ringDays));
    bool raised = m_bAnchor && Same(m_anchor, d) && (flags & raiseDays);
    b.SetRaised(raised);
    if (raised) {
      m_pSelected = &b;
      m_focus = d;
    }
    d += COleDateTimeSpan(1, 0, 0, 0);
  }
}

COleDateTime CGXBCalendar::GetSelectedDate() const {
  if (m_pSelected) return m_pSelected->m_date;
  COleDateTime none;
  none.SetStatus(COleDateTime::invalid);
  return none;
}

BOOL CGXBCalendar::SelectDate(const COleDateTime& date, BOOL bSelect) {
  COleDateTime d = Noon(date);
  if (bSelect) {
    m_anchor = d;
    m_bAnchor = TRUE;
  } else if (Same(m_anchor, d)) {
    m_bAnchor = FALSE;  // a deselected day must not come back raised when its month is refilled
  }
  BOOL found = FALSE;
  m_pSelected = nullptr;
  for (CGXBDayBox& b : m_days) {
    if (Same(b.m_date, d)) {
      b.SetRaised(bSelect && (b.m_nFlags & raiseDays));
      m_pSelected = bSelect ? &b : nullptr;
      m_focus = d;
      found = TRUE;
      if (m_bCreated) {
        Post(GX_CAL_DAYSELECTED, (WPARAM)bSelect, (LPARAM)&b);
        SetFocus();
        if (m_nStyle & closeOnChoice) Post(2007, (WPARAM)bSelect, (LPARAM)&b);
      }
    } else if (b.m_bRaised) {
      b.SetRaised(FALSE);
    }
  }
  if (GetSafeHwnd()) Invalidate();
  return found;
}

BOOL CGXBCalendar::ToggleDate(const COleDateTime& date) {
  COleDateTime d = Noon(date);
  for (CGXBDayBox& b : m_days) {
    if (!Same(b.m_date, d)) continue;
    SelectDate(d, !b.m_bRaised);
    if (m_nStyle & closeOnChoice) Close(2007);
    return TRUE;
  }
  return FALSE;
}

BOOL CGXBCalendar::MarkDate(const COleDateTime& date, BOOL bMark) {
  COleDateTime d = Noon(date);
  if (d.GetStatus() != COleDateTime::valid) return FALSE;
  for (CGXBDayBox& b : m_days) {
    if (!Same(b.m_date, d)) continue;
    b.SetRing(bMark && (b.m_nFlags & ringDays));
    Post(GX_CAL_DAYMARKED, (WPARAM)bMark, (LPARAM)&b);
  }
  auto it = std::find_if(m_marked.begin(), m_marked.end(), [&](const COleDateTime& m) { return !(m < d); });
  bool there = it != m_marked.end() && Same(*it, d);
  if (bMark && !there) m_marked.insert(it, d);
  else if (!bMark && there) m_marked.erase(it);
  if (GetSafeHwnd()) Invalidate();
  return TRUE;
}

BOOL CGXBCalendar::ToggleMark(const COleDateTime& date) {
  COleDateTime d = Noon(date);
  // The list, not the ring: grey days show no ring, yet they are marked.
  const bool marked = std::any_of(m_marked.begin(), m_marked.end(), [&](const COleDateTime& m) { return Same(m, d); });
  for (CGXBDayBox& b : m_days)
    if (Same(b.m_date, d)) return MarkDate(d, !marked);
  return FALSE;
}

BOOL CGXBCalendar::MoveBy(const CTimeSpan& span) {
  return MoveBy(COleDateTimeSpan((LONG)span.GetDays(), span.GetHours(), span.GetMinutes(), span.GetSeconds()));
}

BOOL CGXBCalendar::MoveBy(const COleDateTimeSpan& span) {
  if (!m_pSelected) {
    ::MessageBeep(MB_ICONEXCLAMATION);
    return FALSE;
  }
  COleDateTime t = m_pSelected->m_date + span;
  if (t.GetStatus() != COleDateTime::valid || !IsYearInRange(t.GetYear())) {
    Beep();
    return FALSE;
  }
  if (t.GetMonth() != m_date.GetMonth() || t.GetYear() != m_date.GetYear())
    if (!SetDate(t, TRUE)) return FALSE;
  return SelectDate(t, TRUE);
}

BOOL CGXBCalendar::ScrollBy(const CTimeSpan& span) {
  return ScrollBy(COleDateTimeSpan((LONG)span.GetDays(), span.GetHours(), span.GetMinutes(), span.GetSeconds()));
}

BOOL CGXBCalendar::ScrollBy(const COleDateTimeSpan& span) {
  LONG days = span.GetDays();
  int years = days / 365, rest = days % 365;
  if (!IsYearInRange(m_date.GetYear() + years, m_date.GetMonth() - 1 + rest / 30, rest % 30)) {
    Beep();
    return FALSE;
  }
  return SetDate(m_date + span, TRUE);
}

BOOL CGXBCalendar::Step(const COleDateTimeSpan& span, BOOL bMove) { return bMove ? MoveBy(span) : ScrollBy(span); }

// The first day of the next (n > 0) or the previous month.
COleDateTime CGXBCalendar::MonthStep(const COleDateTime& from, int n) {
  // From the 1st: 27 days on from a later day could pass the next month's 1st.
  COleDateTime d(from.GetYear(), from.GetMonth(), 1, 12, 0, 0);
  if (n > 0) {
    d += COleDateTimeSpan(27, 0, 0, 0);
    while (d.GetDay() != 1) d += COleDateTimeSpan(1, 0, 0, 0);
  } else {
    d -= COleDateTimeSpan(1, 0, 0, 0);  // the last day of the month before
    while (d.GetDay() != 1) d -= COleDateTimeSpan(1, 0, 0, 0);
  }
  return d;
}

BOOL CGXBCalendar::NextMonth(BOOL bMove) {
  COleDateTime from = bMove && m_pSelected ? m_pSelected->m_date : m_date;
  return Step(MonthStep(from, 1) - from, bMove);
}

BOOL CGXBCalendar::PrevMonth(BOOL bMove) {
  COleDateTime from = bMove && m_pSelected ? m_pSelected->m_date : m_date;
  return Step(MonthStep(from, -1) - from, bMove);
}

// The same day of the month a year on or back, clipped to that month's last day.
BOOL CGXBCalendar::YearStep(int n, BOOL bMove) {
  COleDateTime from = bMove && m_pSelected ? m_pSelected->m_date : m_date;
  int y = from.GetYear() + n, day = from.GetDay();
  COleDateTime to(y, from.GetMonth(), day, 12, 0, 0);
  while (to.GetStatus() != COleDateTime::valid && day > 28) to = COleDateTime(y, from.GetMonth(), --day, 12, 0, 0);
  if (to.GetStatus() != COleDateTime::valid || !IsYearInRange(y)) {
    Beep();
    return FALSE;
  }
  return Step(to - from, bMove);
}

void CGXBCalendar::MakeFonts() {
  LOGFONT sys{};
  ::GetObject(::GetStockObject(SYSTEM_FONT), sizeof sys, &sys);
  for (int i = 0; i < 3; ++i) {
    m_lf[i] = sys;
    strcpy(m_lf[i].lfFaceName, "Arial");
    m_lf[i].lfQuality = DRAFT_QUALITY;
  }
  m_lf[0].lfHeight *= 2;
  m_lf[0].lfWidth *= 2;
  m_lf[0].lfOutPrecision = 2;
  m_lf[0].lfPitchAndFamily = VARIABLE_PITCH;
  m_lf[1].lfOutPrecision = m_lf[2].lfOutPrecision = OUT_TT_ONLY_PRECIS;
  for (int i = 0; i < 3; ++i) {
    m_fonts[i].DeleteObject();
    m_fonts[i].CreateFontIndirect(&m_lf[i]);
  }
}

// What the title (0), the weekday bar (1) or a day box of the shown month (2) needs in a font.
CSize CGXBCalendar::PanelNeed(CDC& dc, int nPanel, const LOGFONT& lf) {
  CFont font;
  font.CreateFontIndirect(&lf);
  HGDIOBJ old = dc.SelectObject((HGDIOBJ)(HFONT)font);
  CSize need;
  if (nPanel == 0) {
    const char* sample = (m_title.m_nBorder & 0x10000000) ? "September, 2000" : "Sep, 2000";
    const CSize ext = dc.GetTextExtent(sample, (int)strlen(sample));
    const bool buttons = (m_nStyle & (monthButtons | yearButtons)) != 0;
    need = CSize((int)(ext.cx * (buttons ? 2.2 : 1.2)), (int)(ext.cy * 1.2));
  } else if (nPanel == 1) {
    CString wed;
    GetDayName(wed, 4, (m_dayBar.m_nBorder & 0x20000000) != 0);
    const CSize ext = dc.GetTextExtent(wed);
    need = CSize(7 * ext.cx, ext.cy);
  } else {
    const CSize ext = dc.GetTextExtent("88", 2);
    const double grow = (m_nMonthBorder & 0x80) ? 1.25 : 1.25 * 1.5;
    // The frame's widest state: outer line and bevel, raised or flat.
    auto inset = [&](UINT line, UINT bevel) {
      return ((m_nMonthBorder & line) ? 1 : 0) + ((m_nMonthBorder & bevel) ? m_nPanelBorder : 0);
    };
    const int frame = 2 * std::max(inset(0x8, 0x2), inset(0x10, 0x4));
    need = CSize(std::max((int)(ext.cx * grow), (int)ext.cx + frame),
                 std::max((int)(ext.cy * grow), (int)ext.cy + frame));
  }
  dc.SelectObject(old);
  return need;
}

CSize CGXBCalendar::MeasureNeeds(CDC& dc) {
  const CSize title = PanelNeed(dc, 0, m_lf[0]), bar = PanelNeed(dc, 1, m_lf[1]), day = PanelNeed(dc, 2, m_lf[2]);
  return CSize(std::max({(int)title.cx, (int)bar.cx, 7 * (int)day.cx}), title.cy + bar.cy + 6 * day.cy);
}

void CGXBCalendar::LayOut() {
  CRect c;
  GetClientRect(&c);
  int h = c.Height(), w = c.Width();
  m_title.SetRect(CRect(0, 0, w, (int)(h * 0.175)));
  m_dayBar.m_rect.SetRect(0, (int)(h * 0.175), w, (int)(h * 0.25));
  m_dayBar.m_bDirty = TRUE;
  for (int row = 0; row < 6; ++row) {
    int top = (int)(h * (0.25 + 0.125 * row)), bottom = (int)(h * (0.25 + 0.125 * (row + 1)));
    for (int col = 0; col < 7; ++col) {
      CGXBDayBox& b = m_days[row * 7 + col];
      b.m_rect.SetRect((int)(w * kColumns[col]), top, (int)(w * kColumns[col + 1]) - 1, bottom - 1);
      b.m_bDirty = TRUE;
    }
  }
}

// A calendar that is not a popup fits its fonts to the boxes of its layout: doubled while the need
// stays below the box, then shrunk until it fits.
void CGXBCalendar::FitFonts() {
  if (m_bPopup) return;
  CClientDC dc(this);
  const CGXBDayBox* day =
      std::find_if(std::begin(m_days), std::end(m_days), [](const CGXBDayBox& b) { return !b.m_bOtherMonth; });
  const CRect boxes[3] = {m_title.m_rect, m_dayBar.m_rect, day->m_rect};
  for (int i = 0; i < 3; ++i) {
    const CSize target(boxes[i].Width(), boxes[i].Height());
    LOGFONT lf = m_lf[i];
    for (int k = 0; k < 12; ++k) {
      const CSize n = PanelNeed(dc, i, lf);
      if (n.cx >= target.cx || n.cy >= target.cy) break;
      lf.lfHeight *= 2;
      lf.lfWidth *= 2;
    }
    const double f = i == 0 ? 0.95 : 0.9;
    auto shrink = [f](LONG v) {
      const LONG n = (LONG)(v * f);
      return n != v ? n : v - (v > 0 ? 1 : -1);
    };
    for (;;) {
      const CSize n = PanelNeed(dc, i, lf);
      if ((n.cx <= target.cx && n.cy <= target.cy) || std::abs(lf.lfHeight) <= 1) break;
      lf.lfHeight = shrink(lf.lfHeight);
      if (lf.lfWidth) lf.lfWidth = std::abs(lf.lfWidth) > 1 ? shrink(lf.lfWidth) : lf.lfWidth;
    }
    m_lf[i] = lf;
    m_fonts[i].DeleteObject();
    m_fonts[i].CreateFontIndirect(&lf);
  }
}

BOOL CGXBCalendar::Create(DWORD dwStyle, const RECT& rect, CWnd* pOwner, UINT nID) {
  GXGetSysColorCache().Refresh();
  GetSysColors();
  MakeFonts();
  CString cls = AfxRegisterWndClass(GetClassStyle(), ::LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
  CWnd* parent = (dwStyle & WS_POPUP) ? nullptr : pOwner;
  if (!CreateEx(0, cls, "", dwStyle, rect, parent, nID)) return FALSE;
  m_pOwner = pOwner;
  if (m_bPopup && pOwner) ::SetWindowLongPtr(m_hWnd, GWLP_HWNDPARENT, (LONG_PTR)pOwner->GetSafeHwnd());
  for (CGXBDayBox& b : m_days) {
    b.m_pCalendar = this;
    b.m_nBorderWidth = m_nPanelBorder;
  }
  m_dayBar.m_pCalendar = m_title.m_pCalendar = this;
  m_dayBar.m_nFlags = m_nStyle & ~(raiseDays | ringDays);
  m_title.m_nFlags = m_nStyle;
  m_dayBar.m_nBorder = m_title.m_nBorder = m_nMonthBorder;
  m_dayBar.m_nBorderWidth = m_title.m_nBorderWidth = m_nPanelBorder;
  m_title.CreateButtons(this);
  COleDateTime show = m_bAnchor ? m_anchor : m_date;
  // A date the calendar cannot show opens it on today's month; the date itself stays chosen.
  if (show.GetStatus() != COleDateTime::valid || !IsYearInRange(show.GetYear())) show = COleDateTime::GetCurrentTime();
  SetDate(show, FALSE);
  LayOut();
  FitFonts();
  for (CGXBDayBox& b : m_days) {
    b.m_clrText = m_clrWindowText;
    b.m_clrGray = m_clrGrayText;
  }
  m_dayBar.m_clrText = m_title.m_clrText = m_clrWindowText;
  m_bCreated = TRUE;
  UpdateWindow();
  SetFocus();
  return TRUE;
}

void CGXBCalendar::OnPaint() {
  CPaintDC dc(this);
  CRect clip;
  dc.GetClipBox(&clip);
  // The one-pixel gaps between and after the boxes belong to no panel.
  const int saved = dc.SaveDC();
  dc.ExcludeClipRect(&m_title.m_rect);
  dc.ExcludeClipRect(&m_dayBar.m_rect);
  for (const CGXBDayBox& b : m_days) dc.ExcludeClipRect(&b.m_rect);
  dc.FillSolidRect(&clip, GXGetSysColorCache().m_clrBtnFace);
  dc.RestoreDC(saved);
  CRect tmp;
  HGDIOBJ old = dc.SelectObject((HGDIOBJ)(HFONT)m_fonts[0]);
  if (tmp.IntersectRect(&clip, &m_title.m_rect)) m_title.Draw(dc);
  dc.SelectObject((HGDIOBJ)(HFONT)m_fonts[1]);
  if (tmp.IntersectRect(&clip, &m_dayBar.m_rect)) m_dayBar.Draw(dc);
  dc.SelectObject((HGDIOBJ)(HFONT)m_fonts[2]);
  for (CGXBDayBox& b : m_days)
    if (tmp.IntersectRect(&clip, &b.m_rect)) b.Draw(dc);
  dc.SelectObject(old);
}

CGXBDayBox* CGXBCalendar::DayBoxAt(CPoint pt) {
  for (CGXBDayBox& b : m_days)
    if (b.m_rect.PtInRect(pt)) return &b;
  return nullptr;
}

// The box clicked keeps its date, not its place: scrolling refills the boxes.
CGXBDayBox* CGXBCalendar::ScrollToBoxMonth(CGXBDayBox* b) {
  if (!b->m_bOtherMonth || (m_nStyle & selectNeighbours)) return b;
  COleDateTime d = b->m_date;
  SetDate(d, TRUE);
  for (CGXBDayBox& box : m_days)
    if (Same(box.m_date, d)) return &box;
  return b;
}

CGXBDayBox* CGXBCalendar::HeldDayAt(CPoint pt) {
  if (m_pressBox.PtInRect(pt))
    for (CGXBDayBox& box : m_days)
      if (Same(box.m_date, m_pressDay)) return &box;
  return DayBoxAt(pt);
}

void CGXBCalendar::OnLButtonDown(UINT, CPoint point) {
  CGXBDayBox* b = DayBoxAt(point);
  if (!b) return;
  m_pressBox = b->m_rect;
  b = ScrollToBoxMonth(b);
  m_pressDay = b->m_date;
  COleDateTime d = b->m_date;
  if (d.GetMonth() == m_date.GetMonth() && d.GetYear() == m_date.GetYear()) m_pressed = d;
  if (m_nStyle & clickSelects) SelectDate(d, TRUE);
  else ToggleDate(d);
  if ((m_nStyle & clickSelects) && b->m_bRaised) {
    m_bCaptured = TRUE;
    SetCapture();
  }
}

void CGXBCalendar::OnMouseMove(UINT, CPoint point) {
  if (!m_bCaptured) return;
  CRect c;
  GetClientRect(&c);
  if (!c.PtInRect(point)) {
    if (m_pSelected) {
      m_pSelected->SetRaised(FALSE);
      Invalidate();
    }
    return;
  }
  CGXBDayBox* b = HeldDayAt(point);
  if (b && !b->m_bRaised) SelectDate(b->m_date, TRUE);
}

void CGXBCalendar::OnLButtonUp(UINT, CPoint point) {
  if (!m_bCaptured) return;
  m_bCaptured = FALSE;
  ::ReleaseCapture();
  CRect c;
  GetClientRect(&c);
  CGXBDayBox* b = HeldDayAt(point);
  m_pressBox.SetRectEmpty();
  if (b) {
    SelectDate(b->m_date, TRUE);
    if (m_nStyle & confirmClick) Close(2007);
  } else if (c.PtInRect(point)) {
    if (m_nStyle & confirmClick) Close(2007);
  } else if (m_pressed.GetStatus() == COleDateTime::valid) {
    SelectDate(m_pressed, TRUE);
  }
}

void CGXBCalendar::OnCancelMode() {
  if (!m_bCaptured) return;
  m_bCaptured = FALSE;
  ::ReleaseCapture();
  m_pressBox.SetRectEmpty();
  if (m_pressed.GetStatus() == COleDateTime::valid) SelectDate(m_pressed, TRUE);
}

void CGXBCalendar::OnLButtonDblClk(UINT, CPoint point) {
  CGXBDayBox* b = DayBoxAt(point);
  if (!b) return;
  if (!b->m_bRaised) SelectDate(b->m_date, TRUE);
  if (m_nStyle & confirmClick) PostMessage(2007, TRUE, (LPARAM)b);
}

void CGXBCalendar::OnRButtonDown(UINT, CPoint point) {
  CGXBDayBox* b = DayBoxAt(point);
  if (!b) return;
  b = ScrollToBoxMonth(b);
  ToggleMark(b->m_date);
}

void CGXBCalendar::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!(m_nStyle & keyboard)) return CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
  bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  switch (nChar) {
    case VK_ESCAPE:
    case VK_CANCEL: Close(2008); return;
    case VK_RETURN: Close(m_pSelected ? 2007 : 2008); return;
    case VK_SPACE: ToggleDate(m_focus); return;
    default: break;
  }
  if (ctrl) {
    switch (nChar) {
      case VK_LEFT: PrevMonth(TRUE); break;
      case VK_RIGHT: NextMonth(TRUE); break;
      case VK_UP:
      case VK_PRIOR: PrevYear(TRUE); break;
      case VK_DOWN:
      case VK_NEXT: NextYear(TRUE); break;
      default: break;
    }
    return;
  }
  switch (nChar) {
    case VK_LEFT:
    case VK_NUMPAD4: PrevDay(TRUE); break;
    case VK_RIGHT:
    case VK_NUMPAD6: NextDay(TRUE); break;
    case VK_UP:
    case VK_NUMPAD8: PrevWeek(TRUE); break;
    case VK_DOWN:
    case VK_NUMPAD2: NextWeek(TRUE); break;
    case VK_PRIOR: PrevMonth(TRUE); break;
    case VK_NEXT: NextMonth(TRUE); break;
    case VK_HOME: SelectDate(COleDateTime(m_date.GetYear(), m_date.GetMonth(), 1, 12, 0, 0), TRUE); break;
    case VK_END: {
      COleDateTime last(m_date.GetYear(), m_date.GetMonth(), 28, 12, 0, 0);
      while (COleDateTime(last.GetYear(), last.GetMonth(), last.GetDay() + 1, 12, 0, 0).GetStatus() ==
             COleDateTime::valid)
        last += COleDateTimeSpan(1, 0, 0, 0);
      SelectDate(last, TRUE);
      break;
    }
    default: break;
  }
}

void CGXBCalendar::OnSysColorChange() {
  GXGetSysColorCache().Refresh();
  GetSysColors();
  Invalidate();
}

BOOL CGXBCalendar::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case 23241: NextMonth(FALSE); break;
    case 23244: PrevMonth(FALSE); break;
    case 23243: NextYear(FALSE); break;
    case 23242: PrevYear(FALSE); break;
    default: return CWnd::OnCommand(wParam, lParam);
  }
  // The clicked button took the focus; the calendar's keys must keep working.
  const HWND focus = ::GetFocus();
  for (CButton& button : m_title.m_buttons)
    if (focus && button.GetSafeHwnd() == focus) SetFocus();
  return TRUE;
}

LRESULT CGXBCalendar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 2007 || message == 2008) {
    Post(message, wParam, lParam);
    ShowWindow(SW_HIDE);
    return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

// ---- Drop-down form ----

CGXBPopupCalendar::CGXBPopupCalendar() {
  m_bPopup = TRUE;
  m_nOtherBorder = 0x181;
  m_nMonthBorder = 0x83;
  m_nStyle = 0x39C100;
}

BOOL CGXBPopupCalendar::CreatePopup(DWORD dwStyle, const RECT& anchor, CWnd* pOwner) {
  m_nStyle |= popupStyle;
  GetSysColors();
  MakeFonts();
  CSize need;
  {
    CDC dc;
    dc.CreateIC("DISPLAY", nullptr, nullptr, nullptr);
    need = MeasureNeeds(dc);
  }
  DWORD ws = (dwStyle | WS_POPUP) & ~0x1u;
  CRect r(0, 0, need.cx, need.cy);
  ::AdjustWindowRectEx(&r, ws, FALSE, 0);
  int w = r.Width(), h = r.Height();
  int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
  CPoint at;
  if (dwStyle & 0x1) {
    at = CPoint(anchor.left, anchor.bottom);
    if (at.y + h > sh) at.y = anchor.top - h;
    if (at.x + w > sw) at.x = anchor.right - w;
  } else {
    at = CPoint(anchor.right, anchor.bottom);
    if (at.x + w > sw) at.x = anchor.left - w;
    if (at.y + h > sh) at.y = anchor.top - h;
  }
  return Create(ws, CRect(at.x, at.y, at.x + w, at.y + h), pOwner);
}

void CGXBPopupCalendar::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
  CGXBCalendar::OnActivate(nState, pWndOther, bMinimized);
  if (nState != WA_INACTIVE || !m_bPopup || !IsWindowVisible()) return;
  Close(m_pSelected ? 2007 : 2008);
}
