#include "platform/core/Types.h"

#include <algorithm>

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t p = (int64_t)number * numerator;
  bool neg = (p < 0) != (denominator < 0);
  uint64_t ap = p < 0 ? (uint64_t)(-p) : (uint64_t)p;
  uint64_t ad = denominator < 0 ? (uint64_t)(-(int64_t)denominator) : (uint64_t)denominator;
  uint64_t q = (ap + ad / 2) / ad;
  if (q > (uint64_t)INT_MAX + (neg ? 1 : 0)) return -1;
  return neg ? (int)(-(int64_t)q) : (int)q;
}

bool CRect::IntersectRect(LPCRECT a, LPCRECT b) { return ::IntersectRect(this, a, b) != 0; }
bool CRect::UnionRect(LPCRECT a, LPCRECT b) { return ::UnionRect(this, a, b) != 0; }

bool CRect::SubtractRect(LPCRECT a, LPCRECT b) {
  // Win32 only subtracts when b covers a whole side of a.
  RECT r = *a;
  RECT i;
  if (::IntersectRect(&i, a, b)) {
    if (i.top == r.top && i.bottom == r.bottom) {
      if (i.left == r.left) r.left = i.right;
      else if (i.right == r.right) r.right = i.left;
    } else if (i.left == r.left && i.right == r.right) {
      if (i.top == r.top) r.top = i.bottom;
      else if (i.bottom == r.bottom) r.bottom = i.top;
    }
  }
  *static_cast<RECT*>(this) = r;
  return !IsRectEmpty();
}

BOOL SetRect(LPRECT r, int l, int t, int rt, int b) {
  if (!r) return FALSE;
  *r = RECT{l, t, rt, b};
  return TRUE;
}
BOOL SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }
BOOL CopyRect(LPRECT dst, LPCRECT src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}
BOOL IsRectEmpty(LPCRECT r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL PtInRect(LPCRECT r, POINT p) { return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom; }
BOOL EqualRect(LPCRECT a, LPCRECT b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx; r->top -= dy; r->right += dx; r->bottom += dy;
  return TRUE;
}
BOOL OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx; r->right += dx; r->top += dy; r->bottom += dy;
  return TRUE;
}
BOOL IntersectRect(LPRECT dst, LPCRECT a, LPCRECT b) {
  if (!dst || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (r.left >= r.right || r.top >= r.bottom) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dst = r;
  return TRUE;
}
BOOL UnionRect(LPRECT dst, LPCRECT a, LPCRECT b) {
  if (!dst || !a || !b) return FALSE;
  bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
  if (ea && eb) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (ea) { *dst = *b; return TRUE; }
  if (eb) { *dst = *a; return TRUE; }
  *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
              std::max(a->bottom, b->bottom)};
  return TRUE;
}
