#include "grid/controls/GXBDateTimeCtrl.h"

#include "grid/controls/GXBCalendar.h"
#include "grid/engine/GXLibrary.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/core/SystemInfo.h"
#include "platform/gdi/DC.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CGXBDateTimeCtrl, CWnd)

namespace {

const double kMinDate = -657434.0, kMaxDate = 2958465.0;

struct Fields {
  int v[6];  // year, month, day, hour, minute, second
  bool Read(const COleDateTime& d) {
    if (d.GetStatus() != COleDateTime::valid) return false;
    v[0] = d.GetYear(), v[1] = d.GetMonth(), v[2] = d.GetDay();
    v[3] = d.GetHour(), v[4] = d.GetMinute(), v[5] = d.GetSecond();
    return v[0] >= 0;
  }
  COleDateTime Make() const { return COleDateTime(v[0], v[1], v[2], v[3], v[4], v[5]); }
};

// The value as the range mode compares it: the time on the neutral date, or the date alone.
COleDateTime Reduce(const COleDateTime& d, int mode) {
  if (mode == 1) return COleDateTime(1899, 12, 30, d.GetHour(), d.GetMinute(), d.GetSecond());
  if (mode == 2) return COleDateTime(d.GetYear(), d.GetMonth(), d.GetDay(), 0, 0, 0);
  return d;
}

bool Exists(int y, int m, int d) { return COleDateTime(y, m, d, 0, 0, 0).GetStatus() == COleDateTime::valid; }

// A day past the month's end comes down to its last day (only from the 29th on).
bool MonthEnd(Fields& f) {
  if (Exists(f.v[0], f.v[1], f.v[2])) return true;
  if (f.v[2] < 29) return false;
  while (f.v[2] > 28 && !Exists(f.v[0], f.v[1], f.v[2])) --f.v[2];
  return Exists(f.v[0], f.v[1], f.v[2]);
}

}  // namespace

CGXBDTGadget* CGXBDTGadgetArray::GetGadget(INT_PTR i) const {
  if (i < 0 || i >= GetSize()) AfxThrowInvalidArgException();
  return static_cast<CGXBDTGadget*>(GetAt(i));
}

CGXBDateTimeCtrl::CGXBDateTimeCtrl()
    : m_value(COleDateTime::GetCurrentTime()), m_min(kMinDate), m_max(kMaxDate) {
  CGXSysColorCache& c = GXGetSysColorCache();
  c.Refresh();
  m_clrText = c.m_clrWindowText;
  m_clrBack = c.m_clrWindow;
}

CGXBDateTimeCtrl::~CGXBDateTimeCtrl() {
  DeleteCalendar();
  for (INT_PTR i = 0; i < m_gadgets.GetSize(); ++i) delete m_gadgets.GetGadget(i);
  m_gadgets.RemoveAll();
}

BOOL CGXBDateTimeCtrl::Create(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
                              CCreateContext* pContext) {
  CString cls = AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
  if (!CreateEx(dwExStyle, cls, "", dwStyle | WS_CHILD, rect, pParentWnd, nID, pContext)) return FALSE;
  // A window made again over the same object starts with fresh fields.
  for (INT_PTR i = 0; i < m_gadgets.GetSize(); ++i) delete m_gadgets.GetGadget(i);
  m_gadgets.RemoveAll();
  m_hFont = pParentWnd ? (HFONT)pParentWnd->SendMessage(WM_GETFONT) : nullptr;
  if (!m_hFont) m_hFont = (HFONT)::GetStockObject(SYSTEM_FONT);
  if (dwStyle & styleDropDown) {
    auto* b = new CGXBDTButtonGadget(this, DropButton, 23240);
    b->SetStyle(b->GetStyle() | CGXBDTGadget::stylePinned);
    m_gadgets.Add(b);
  }
  if (dwStyle & styleSpin) {
    auto* s = new CGXBDTSpinGadget(this, Spin);
    s->SetStyle(s->GetStyle() | CGXBDTGadget::stylePinned);
    m_gadgets.Add(s);
  }
  m_nPinned = (int)m_gadgets.GetSize();
  m_nCurrent = m_nPinned;
  ParseFormat();
  LayoutGadgets();
  return TRUE;
}

// ---- Value, format and range ----

BOOL CGXBDateTimeCtrl::SetDateTime(const COleDateTime& dt) {
  if (dt.GetStatus() != COleDateTime::valid) return FALSE;
  if (!GetSafeHwnd()) {
    m_value = dt;
    return TRUE;
  }
  Fields o{}, n{};
  bool had = o.Read(m_value);
  n.Read(dt);
  UINT mask = 0;
  if (!had || o.v[3] != n.v[3]) mask |= Hour12 | Hour24 | AmPm;
  if (!had || o.v[4] != n.v[4]) mask |= Minute;
  if (!had || o.v[5] != n.v[5]) mask |= Second;
  if (!had || dt.GetDayOfWeek() != m_value.GetDayOfWeek()) mask |= DayName;
  if (!had || o.v[2] != n.v[2]) mask |= Day;
  if (!had || o.v[1] != n.v[1]) mask |= Month | MonthName;
  if (!had || o.v[0] != n.v[0]) mask |= Year2 | Year4;
  m_value = dt;
  UpdateGadgets(mask);
  return TRUE;
}

void CGXBDateTimeCtrl::SetFormat(const CString& format) {
  m_strFormat = format;
  m_nFormatType = 3;
  ReinitGadgets();
}

void CGXBDateTimeCtrl::SetFormatType(int nType) {
  m_strFormat.Empty();
  m_nFormatType = nType;
  ReinitGadgets();
}

void CGXBDateTimeCtrl::SetNoEdit(UINT nFlags) {
  m_nNoEdit = nFlags;
  if (GetSafeHwnd()) ReinitGadgets();
}

CString CGXBDateTimeCtrl::GetFormatString() const {
  if (m_nFormatType == 3) return m_strFormat;
  LCTYPE t = m_nFormatType == 1 ? LOCALE_SSHORTDATE : m_nFormatType == 2 ? LOCALE_SLONGDATE : LOCALE_STIMEFORMAT;
  char buf[256] = "";
  ::GetLocaleInfo(::GetUserDefaultLCID(), t, buf, sizeof buf);
  return buf;
}

BOOL CGXBDateTimeCtrl::SetRange(const COleDateTime& dtMin, const COleDateTime& dtMax, int nMode) {
  if (dtMin.GetStatus() != COleDateTime::valid || dtMax.GetStatus() != COleDateTime::valid || dtMax < dtMin)
    return FALSE;
  m_min = (nMode == 1 || nMode == 2) ? Reduce(dtMin, nMode) : dtMin;
  m_max = (nMode == 1 || nMode == 2) ? Reduce(dtMax, nMode) : dtMax;
  m_nRangeMode = nMode;
  COleDateTime v = m_value;
  if (!ValidateDateTime(v, -1)) return FALSE;
  if (GetSafeHwnd()) SetDateTime(v);
  else m_value = v;
  return TRUE;
}

BOOL CGXBDateTimeCtrl::IsInRange(const COleDateTime& dt) const {
  if (dt.GetStatus() != COleDateTime::valid) return FALSE;
  if (m_nRangeMode < 1 || m_nRangeMode > 3) return TRUE;
  COleDateTime r = Reduce(dt, m_nRangeMode);
  return !(r < m_min) && !(m_max < r);
}

BOOL CGXBDateTimeCtrl::ValidateDateTime(COleDateTime& dt, int nSnap) {
  if (dt.GetStatus() != COleDateTime::valid) return FALSE;
  if (m_nRangeMode < 1 || m_nRangeMode > 3) return TRUE;
  COleDateTime r = Reduce(dt, m_nRangeMode);
  const COleDateTime* bound = r < m_min ? &m_min : m_max < r ? &m_max : nullptr;
  if (!bound) return TRUE;
  if (nSnap == 0) return FALSE;
  Fields b{}, v{};
  b.Read(*bound);
  v.Read(dt);
  // Fields above the snap level must already equal the bound's; the others are copied. The range
  // modes of one part keep the value's other part.
  int firstCopy = nSnap < 0 ? 0 : std::max(0, 6 - nSnap);
  int lo = m_nRangeMode == 1 ? 3 : 0, hi = m_nRangeMode == 2 ? 3 : 6;
  for (int i = lo; i < hi; ++i) {
    if (i < firstCopy) {
      if (v.v[i] != b.v[i]) return FALSE;
    } else {
      v.v[i] = b.v[i];
    }
  }
  dt = v.Make();
  return IsInRange(dt);
}

BOOL CGXBDateTimeCtrl::OnChanging(const COleDateTime&) { return TRUE; }

void CGXBDateTimeCtrl::OnChanged() {
  if (GetExStyle() & WS_EX_NOPARENTNOTIFY) return;
  CWnd* p = GetParent();
  if (p) p->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), GX_DTN_CHANGED), (LPARAM)m_hWnd);
}

// ---- Field actions ----

BOOL CGXBDateTimeCtrl::Finish(int y, int mo, int d, int h, int mi, int s, int nSnap, int nAction) {
  COleDateTime c(y, mo, d, h, mi, s);
  if (!ValidateDateTime(c, nSnap)) return FALSE;
  if (nAction == Test) return TRUE;
  if (!OnChanging(c)) return FALSE;
  SetDateTime(c);
  m_nState |= 1;
  OnChanged();
  if (GetSafeHwnd()) UpdateWindow();
  return TRUE;
}

BOOL CGXBDateTimeCtrl::OnGadgetAction(int nAction, int nID, int nNumber) {
  if (nAction == Typing) {
    m_nState = nNumber ? (m_nState | 4) : (m_nState & ~4u);
    return TRUE;
  }
  if (nID == DropButton) {
    DropDownCalendar();
    return TRUE;
  }
  if (nID == Spin) {
    if (m_nCurrent < 0 || m_nCurrent >= GetGadgetCount()) return FALSE;
    int cur = GetGadget(m_nCurrent)->GetID();
    return cur > 0 && cur != Spin && OnGadgetAction(nAction, cur, nNumber);
  }
  Fields f{};
  if (!f.Read(m_value)) return FALSE;
  int& y = f.v[0];
  int& mo = f.v[1];
  int& d = f.v[2];
  int& h = f.v[3];
  int& mi = f.v[4];
  int& s = f.v[5];
  int step = (nAction == StepUpBy || nAction == StepDownBy) ? std::min(std::max(nNumber, 1), 2) : 1;
  bool up = nAction == StepUp || nAction == StepUpBy, down = nAction == StepDown || nAction == StepDownBy;
  bool set = nAction == SetField || nAction == Test;
  bool edge = nAction == First || nAction == Last;
  auto wrap = [&](int& v, int n) {
    if (up) v = (v + step) % n;
    else if (down) v = ((v - step) % n + n) % n;
  };
  switch (nID) {
    case Hour12:
    case Hour24:
      if (up || down) wrap(h, 24);
      else if (set && nID == Hour12) {
        if (nNumber < 1 || nNumber > 12) return FALSE;
        h = nNumber % 12 + (h >= 12 ? 12 : 0);  // the half day stays
      } else if (set) {
        if (nNumber < 0 || nNumber > 23) return FALSE;
        h = nNumber;
      } else if (edge) h = nAction == First ? 0 : 23;
      else return FALSE;
      return Finish(y, mo, d, h, mi, s, edge ? 3 : 2, nAction);
    case Minute:
    case Second: {
      int& v = nID == Minute ? mi : s;
      if (up || down) wrap(v, 60);
      else if (set) {
        if (nNumber < 0 || nNumber > 59) return FALSE;
        v = nNumber;
      } else if (edge) v = nAction == First ? 0 : 59;
      else return FALSE;
      int snap = nID == Minute ? 1 : 0;
      return Finish(y, mo, d, h, mi, s, edge ? snap + 1 : snap, nAction);
    }
    case AmPm:
      if (up || down) h = (h + 12) % 24;
      else if (set) {
        if (nNumber == 1 && h < 12) h += 12;
        else if (nNumber == 0 && h >= 12) h -= 12;
      } else if (edge) {
        bool pm = h >= 12;
        if (pm == (nAction == Last)) return TRUE;
        h = (h + 12) % 24;
      } else return FALSE;
      return Finish(y, mo, d, h, mi, s, 2, nAction);
    case Day:
    case DayName: {
      if (up) {
        d += step;
        if (!Exists(y, mo, d)) d = 1;
      } else if (down) {
        d -= step;
        if (d < 1) d = 31;
      } else if (set && nID == Day) {
        if (!Exists(y, mo, nNumber)) return FALSE;
        d = nNumber;
      } else if (set || (edge && nID == DayName)) {
        int target = set ? nNumber : (nAction == First ? 0 : 6);
        if (target < 0 || target > 6) return FALSE;
        COleDateTime t = m_value + COleDateTimeSpan(target - (m_value.GetDayOfWeek() - 1), 0, 0, 0);
        if (!f.Read(t)) return FALSE;
      } else if (edge) d = nAction == First ? 1 : 31;
      else return FALSE;
      if (!MonthEnd(f)) return FALSE;
      return Finish(y, mo, d, h, mi, s, edge ? 4 : 3, nAction);
    }
    case Month:
    case MonthName:
      if (up) mo = mo % 12 + 1;
      else if (down) mo = (mo + 10) % 12 + 1;
      else if (set) {
        int m = nID == MonthName ? nNumber + 1 : nNumber;
        if (m < 1 || m > 12) return FALSE;
        mo = m;
      } else if (edge) mo = nAction == First ? 1 : 12;
      else return FALSE;
      if (!MonthEnd(f)) return FALSE;
      return Finish(y, mo, d, h, mi, s, edge ? 5 : 4, nAction);
    case Year2:
    case Year4:
      if (nAction == StepUp || nAction == StepUpBy) y = std::min(9999, y + (nAction == StepUpBy ? nNumber : 1));
      else if (nAction == StepDown || nAction == StepDownBy) y = std::max(100, y - (nAction == StepDownBy ? nNumber : 1));
      else if (set) y = nID == Year2 ? y / 100 * 100 + nNumber : nNumber;
      else if (edge) y = nAction == First ? m_min.GetYear() : m_max.GetYear();
      else return FALSE;
      if (!MonthEnd(f)) return FALSE;
      return Finish(y, mo, d, h, mi, s, 5, nAction);
    default: return FALSE;
  }
}

// ---- Gadgets ----

void CGXBDateTimeCtrl::AddGadget(CGXBDTGadget* g, UINT nNoEditBit) {
  if (m_nNoEdit & nNoEditBit) g->SetStyle(g->GetStyle() & ~CGXBDTGadget::styleFocus);
  m_gadgets.Add(g);
}

void CGXBDateTimeCtrl::ParseFormat() {
  CString fmt = GetFormatString();
  const char* p = fmt.GetString();
  size_t n = strlen(p);
  CString literal;
  auto flush = [&]() {
    if (!literal.IsEmpty()) m_gadgets.Add(new CGXBDTStaticGadget(this, literal));
    literal.Empty();
  };
  auto names = [&](bool days, bool full) {
    CStringArray a;
    for (int i = 1; i <= (days ? 7 : 12); ++i) {
      CString s;
      if (days) GetDayName(s, i, full);
      else GetMonthName(s, i, full);
      a.Add(s);
    }
    return a;
  };
  for (size_t i = 0; i < n;) {
    char c = p[i];
    if (::IsDBCSLeadByte((BYTE)c) && i + 1 < n) {
      literal += CString(p + i, 2);
      i += 2;
      continue;
    }
    if (c == '\'' || c == '"') {
      flush();
      const char* close = strchr(p + i + 1, c);
      size_t end = close ? (size_t)(close - p) : n;  // an unclosed quote takes the rest
      if (end > i + 1) m_gadgets.Add(new CGXBDTStaticGadget(this, CString(p + i + 1, (int)(end - i - 1))));
      i = close ? end + 1 : n;
      continue;
    }
    if (!strchr("hHmstdMyg", c)) {
      literal += c;
      ++i;
      continue;
    }
    size_t k = i;
    size_t most = strchr("dMy", c) ? 4 : 2;
    while (k < n && p[k] == c && k - i < most) ++k;
    int reps = (int)(k - i);
    i = k;
    flush();
    switch (c) {
      case 'h': AddGadget(new CGXBDTNumericGadget(this, Hour12, 1, 12, 2, reps > 1), noEditHour); break;
      case 'H': AddGadget(new CGXBDTNumericGadget(this, Hour24, 0, 23, 2, reps > 1), noEditHour); break;
      case 'm': AddGadget(new CGXBDTNumericGadget(this, Minute, 0, 59, 2, reps > 1), noEditMinute); break;
      case 's': AddGadget(new CGXBDTNumericGadget(this, Second, 0, 59, 2, reps > 1), noEditSecond); break;
      case 't': {
        CStringArray a;
        char buf[256];
        for (LCTYPE t : {(LCTYPE)LOCALE_S1159, (LCTYPE)LOCALE_S2359}) {
          buf[0] = 0;
          ::GetLocaleInfo(::GetUserDefaultLCID(), t, buf, sizeof buf);
          a.Add(reps == 1 ? CString(buf).Left(1) : CString(buf));
        }
        AddGadget(new CGXBDTListGadget(this, AmPm, a), noEditHour);
        break;
      }
      case 'd':
        if (reps <= 2) AddGadget(new CGXBDTNumericGadget(this, Day, 1, 31, 2, reps > 1), noEditDay);
        else AddGadget(new CGXBDTListGadget(this, DayName, names(true, reps == 4)), noEditDay);
        break;
      case 'M':
        if (reps <= 2) AddGadget(new CGXBDTNumericGadget(this, Month, 1, 12, 2, reps > 1), noEditMonth);
        else AddGadget(new CGXBDTListGadget(this, MonthName, names(false, reps == 4)), noEditMonth);
        break;
      case 'y':
        if (reps <= 2) AddGadget(new CGXBDTNumericGadget(this, Year2, 0, 99, 2, reps > 1), noEditYear);
        else AddGadget(new CGXBDTNumericGadget(this, Year4, 0, 9999, 4, FALSE), noEditYear);
        break;
      default: break;  // the era is skipped
    }
  }
  flush();
  UpdateGadgets(65535);
  // Start on the first field that can be edited.
  for (int i = m_nCurrent; i < GetGadgetCount(); ++i) {
    if (GetGadget(i)->GetStyle() & CGXBDTGadget::styleFocus) {
      m_nCurrent = i;
      break;
    }
  }
}

void CGXBDateTimeCtrl::UpdateGadgets(UINT nMask) {
  Fields f{};
  if (!f.Read(m_value)) return;
  int h = f.v[3];
  for (int i = 0; i < GetGadgetCount(); ++i) {
    CGXBDTGadget* g = GetGadget(i);
    int id = g->GetID();
    if (id <= 0 || !((UINT)id & nMask)) continue;
    int v = 0;
    switch (id) {
      case Hour12: v = h == 0 ? 12 : h > 12 ? h - 12 : h; break;
      case Hour24: v = h; break;
      case Minute: v = f.v[4]; break;
      case Second: v = f.v[5]; break;
      case AmPm: v = h >= 12 ? 1 : 0; break;
      case Day: v = f.v[2]; break;
      case DayName: v = m_value.GetDayOfWeek() - 1; break;
      case Month: v = f.v[1]; break;
      case MonthName: v = f.v[1] - 1; break;
      case Year2: v = f.v[0] % 100; break;
      case Year4: v = f.v[0]; break;
      default: continue;
    }
    g->SetValue(v);
    g->Invalidate();
  }
}

void CGXBDateTimeCtrl::LayoutGadgets() {
  m_nPinnedWidth = 0;
  if (!GetSafeHwnd()) return;
  CClientDC dc(this);
  HGDIOBJ old = dc.SelectObject((HGDIOBJ)m_hFont);
  CRect client;
  GetClientRect(&client);
  int x = 1;
  for (int i = 0; i < GetGadgetCount(); ++i) {
    CGXBDTGadget* g = GetGadget(i);
    g->CalcSize(dc);
    CRect r = g->GetRect();
    if (r.bottom == -1) r.bottom = client.Height();
    if (g->IsPinned()) {
      m_nPinnedWidth += r.Width();
      r.OffsetRect(client.right - m_nPinnedWidth, 0);
    } else {
      r.OffsetRect(x, 1);
      x += r.Width();
    }
    g->SetRect(r);
  }
  dc.SelectObject(old);
}

void CGXBDateTimeCtrl::ReinitGadgets() {
  if (!GetSafeHwnd()) return;
  ReleaseGadgetCapture();
  DeleteCalendar();
  for (int i = GetGadgetCount() - 1; i >= m_nPinned; --i) {
    delete GetGadget(i);
    m_gadgets.RemoveAt(i);
  }
  m_nCurrent = m_nPinned;
  m_nScrollOffset = 0;
  ParseFormat();
  LayoutGadgets();
  if (::GetFocus() == m_hWnd && m_nCurrent < GetGadgetCount()) GetGadget(m_nCurrent)->SetFocus(TRUE);
  Invalidate();
}

int CGXBDateTimeCtrl::HitTestGadget(CPoint pt) const {
  auto takes = [&](int i) { return (GetGadget(i)->GetStyle() & 3) != 0; };
  for (int i = 0; i < m_nPinned; ++i)
    if (takes(i) && GetGadget(i)->GetRect().PtInRect(pt)) return i;
  int x = pt.x + m_nScrollOffset;
  for (int i = m_nPinned; i < GetGadgetCount(); ++i)
    if (takes(i) && GetGadget(i)->GetRect().right >= x) return i;
  for (int i = GetGadgetCount() - 1; i >= m_nPinned; --i)
    if (takes(i)) return i;
  return -1;
}

void CGXBDateTimeCtrl::EnsureGadgetVisible(int nIndex) {
  CGXBDTGadget* g = GetGadget(nIndex);
  if (g->IsPinned()) return;
  CRect view;
  GetClientRect(&view);
  view.DeflateRect(1, 0);
  view.right -= m_nPinnedWidth;
  view.OffsetRect(m_nScrollOffset, 0);
  const CRect& r = g->GetRect();
  if (r.left >= view.left && r.right <= view.right) return;
  if (r.left < view.left) {
    m_nScrollOffset = r.left;
  } else {
    m_nScrollOffset += r.right - view.right;
    if (r.left < view.left + (r.right - view.right)) m_nScrollOffset = r.left;
  }
  Invalidate();
}

CPoint CGXBDateTimeCtrl::Shift(const CGXBDTGadget* g, CPoint pt) const {
  if (!g->IsPinned()) pt.x += m_nScrollOffset;
  return pt;
}

void CGXBDateTimeCtrl::MoveFocus(int nIndex) {
  if (nIndex == m_nCurrent) return;
  if (m_nCurrent >= 0 && m_nCurrent < GetGadgetCount()) GetGadget(m_nCurrent)->SetFocus(FALSE);
  m_nCurrent = nIndex;
  GetGadget(nIndex)->SetFocus(TRUE);
  EnsureGadgetVisible(nIndex);
}

void CGXBDateTimeCtrl::ReleaseGadgetCapture() {
  if (m_pCapture) m_pCapture->OnCancelMode();
  m_pCapture = nullptr;
  if (GetSafeHwnd() && ::GetCapture() == m_hWnd) ::ReleaseCapture();
}

void CGXBDateTimeCtrl::DeleteCalendar() {
  if (!m_pCalendar) return;
  CGXBPopupCalendar* c = m_pCalendar;
  m_pCalendar = nullptr;
  c->DetachOwner();  // closing it must not report to this window any more
  if (c->GetSafeHwnd()) c->DestroyWindow();
  delete c;
}

// The closed calendar hands the activation back to the window under it; unless the user went to
// another control meanwhile, the keys come back to the fields they left.
void CGXBDateTimeCtrl::TakeBackKeys() {
  const HWND focus = ::GetFocus();
  if (m_hWnd && (!focus || focus == ::GetAncestor(m_hWnd, GA_ROOT))) SetFocus();
}

void CGXBDateTimeCtrl::DropDownCalendar() {
  DeleteCalendar();
  auto* cal = new CGXBPopupCalendar;
  cal->m_nStyle |= 0x1000200;
  cal->m_nOtherBorder |= 0x102;
  cal->SelectDate(m_value, TRUE);
  CRect r;
  GetWindowRect(&r);
  m_pCalendar = cal;
  if (!cal->CreatePopup(0x90040001, r, this)) {
    m_pCalendar = nullptr;
    delete cal;
  }
}

// ---- Drawing ----

void CGXBDateTimeCtrl::Draw(CDC& dc) {
  CRect clip;
  dc.GetClipBox(&clip);
  dc.FillSolidRect(&clip, m_clrBack);
  for (int i = 0; i < m_nPinned; ++i) {
    CGXBDTGadget* g = GetGadget(i);
    if (dc.RectVisible(&g->GetRect())) g->Draw(dc);
    dc.ExcludeClipRect(&g->GetRect());
  }
  CPoint org = dc.OffsetViewportOrg(-m_nScrollOffset, 0);
  HGDIOBJ old = dc.SelectObject((HGDIOBJ)m_hFont);
  for (int i = m_nPinned; i < GetGadgetCount(); ++i) {
    CGXBDTGadget* g = GetGadget(i);
    dc.SetBkColor(m_clrBack);
    dc.SetTextColor(m_clrText);
    if (dc.RectVisible(&g->GetRect())) g->Draw(dc);
  }
  dc.SetViewportOrg(org);
  dc.SelectObject(old);
}

void CGXBDateTimeCtrl::OnPaint() {
  CPaintDC dc(this);
  Draw(dc);
}

// ---- Messages ----

void CGXBDateTimeCtrl::OnSetFocus(CWnd*) {
  if (m_nCurrent >= 0 && m_nCurrent < GetGadgetCount()) GetGadget(m_nCurrent)->SetFocus(TRUE);
}

void CGXBDateTimeCtrl::OnKillFocus(CWnd*) {
  if (m_nCurrent >= 0 && m_nCurrent < GetGadgetCount()) GetGadget(m_nCurrent)->SetFocus(FALSE);
}

void CGXBDateTimeCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (GetGadgetCount() == 0 || m_nCurrent < 0 || m_nCurrent >= GetGadgetCount()) {
    CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
    return;
  }
  auto focusable = [&](int i) { return (GetGadget(i)->GetStyle() & CGXBDTGadget::styleFocus) != 0; };
  if (nChar == VK_LEFT) {
    for (int i = m_nCurrent - 1; i >= 0; --i)
      if (focusable(i)) return MoveFocus(i);
  } else if (nChar == VK_RIGHT) {
    for (int i = m_nCurrent + 1; i < GetGadgetCount(); ++i)
      if (focusable(i)) return MoveFocus(i);
  } else if (nChar == VK_F4) {
    if (GetStyle() & styleDropDown) DropDownCalendar();
  } else {
    GetGadget(m_nCurrent)->OnKeyDown(nChar);
  }
}

void CGXBDateTimeCtrl::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (nChar == VK_DOWN && (GetStyle() & styleDropDown)) DropDownCalendar();
  else CWnd::OnSysKeyDown(nChar, nRepCnt, nFlags);
}

void CGXBDateTimeCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_nCurrent >= 0 && m_nCurrent < GetGadgetCount()) GetGadget(m_nCurrent)->OnChar(nChar);
  else CWnd::OnChar(nChar, nRepCnt, nFlags);
}

void CGXBDateTimeCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  int i = HitTestGadget(point);
  if (i < 0) return;
  CGXBDTGadget* g = GetGadget(i);
  bool focusable = (g->GetStyle() & CGXBDTGadget::styleFocus) != 0;
  if (::GetFocus() == m_hWnd) {
    if (i != m_nCurrent && focusable) MoveFocus(i);
  } else {
    if (focusable) {
      m_nCurrent = i;
      EnsureGadgetVisible(i);
    }
    SetFocus();
  }
  if (g->GetStyle() & CGXBDTGadget::styleMouse) g->OnLButtonDown(nFlags, Shift(g, point));
}

void CGXBDateTimeCtrl::OnLButtonUp(UINT nFlags, CPoint point) {
  if (m_pCapture) m_pCapture->OnLButtonUp(nFlags, Shift(m_pCapture, point));
  else CWnd::OnLButtonUp(nFlags, point);
}

void CGXBDateTimeCtrl::OnMouseMove(UINT nFlags, CPoint point) {
  if (m_pCapture) m_pCapture->OnMouseMove(nFlags, Shift(m_pCapture, point));
  else CWnd::OnMouseMove(nFlags, point);
}

void CGXBDateTimeCtrl::OnCancelMode() {
  if (m_pCapture) m_pCapture->OnCancelMode();
}

void CGXBDateTimeCtrl::OnSize(UINT, int, int) {
  LayoutGadgets();
  Invalidate();
}

void CGXBDateTimeCtrl::OnSysColorChange() {
  GXGetSysColorCache().Refresh();
  for (int i = 0; i < GetGadgetCount(); ++i) GetGadget(i)->OnSysColorChange();
}

void CGXBDateTimeCtrl::OnSettingChange(UINT, LPCSTR) { ReinitGadgets(); }

void CGXBDateTimeCtrl::OnDestroy() {
  ReleaseGadgetCapture();
  DeleteCalendar();
  m_nCurrent = 0;
  m_nScrollOffset = 0;
  CWnd::OnDestroy();
}

LRESULT CGXBDateTimeCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      m_hFont = wParam ? (HFONT)wParam : (HFONT)::GetStockObject(SYSTEM_FONT);
      LayoutGadgets();
      Invalidate();
      return 0;
    case WM_GETFONT: return (LRESULT)m_hFont;
    case GX_DTM_CALSELECT: {
      COleDateTime sel = m_pCalendar ? m_pCalendar->GetSelectedDate() : COleDateTime();
      if (m_pCalendar && sel.GetStatus() == COleDateTime::valid) {
        Fields f{};
        bool ok = f.Read(m_value);
        COleDateTime v(sel.GetYear(), sel.GetMonth(), sel.GetDay(), ok ? f.v[3] : -1, ok ? f.v[4] : -1,
                       ok ? f.v[5] : -1);
        if (v.GetStatus() == COleDateTime::valid && std::abs((double)v - (double)m_value) > 0.5 / 86400.0 &&
            IsInRange(v) && OnChanging(v)) {
          m_nState |= 1;
          SetDateTime(v);
          OnChanged();
        }
      }
      DeleteCalendar();
      TakeBackKeys();
      return 0;
    }
    case GX_DTM_CALCANCEL:
      DeleteCalendar();
      TakeBackKeys();
      return 0;
    default: return CWnd::WindowProc(message, wParam, lParam);
  }
}
