// Helpers of the editor-engine tests: an editor window over its own text object.
#pragma once

#include "EditTestUtil.h"
#include "editor/core/SECEditCore.h"
#include "platform/core/Clock.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include <functional>

// The window form with its own text; changes stay in it (as one view of a document).
class CTestEditWnd : public SECEditCore<CWnd> {
 public:
  SECEdit edit;
  std::vector<LPARAM> hints;
  std::vector<CRect> paints;  // the areas painted
  SECEdit* GetEdit() override { return &edit; }
  void OnPaint() override {
    CRect r;
    GetUpdateRect(&r);
    paints.push_back(r);
    SECEditCore<CWnd>::OnPaint();
  }
  void UpdateViews(CWnd*, LPARAM lHint, CObject*) override { hints.push_back(lHint); }

  // A visible popup of the given client size showing `text`.
  bool Open(const std::string& text, int cx = 400, int cy = 300, int x = 0) {
    SetText(edit, text);
    if (!CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS), "edit", WS_POPUP | WS_VISIBLE, CRect(x, 0, x + cx, cy),
                  nullptr, 0))
      return false;
    InitView();
    return true;
  }
  int Command(UINT id) { return (int)SendMessage(WM_COMMAND, id, 0); }
  std::pair<int, int> Caret() const { return {m_nCurLine, m_nCurCol}; }
};

// Whether any pixel of the client rectangle satisfies the test.
inline bool AnyPixel(HWND hwnd, const CRect& r, const std::function<bool(COLORREF)>& test) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (test(GetWindowPixel(hwnd, POINT{x, y}))) return true;
  return false;
}
