// Helpers of the editor-engine tests: an editor window over its own text object.
#pragma once

#include "EditTestUtil.h"
#include "editor/core/SECEditCore.h"
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/WindowPaint.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <functional>
#include <string>

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

// The text of an editor's selection ("" without one), its line ends CR LF as copied; for texts
// without tabs, where columns are offsets.
template <class Editor>
std::string SelectedText(Editor& v) {
  if (!v.m_bSelection || !v.m_selStart.pLine || !v.m_selEnd.pLine) return "";
  SECEdit& e = *v.GetEdit();
  const std::vector<std::string> lines = Lines(e);
  const size_t l1 = e.LineNumber(v.m_selStart.pLine) - 1, l2 = e.LineNumber(v.m_selEnd.pLine) - 1;
  std::string out;
  for (size_t l = l1; l <= l2; ++l) {
    const std::string& line = lines[l];
    const size_t shown = std::min(line.size(), line.find_first_of("\r\n"));
    const size_t from = l == l1 ? std::min(shown, (size_t)v.m_selStart.nCol) : 0;
    const size_t to = l == l2 ? std::min(shown, (size_t)v.m_selEnd.nCol) : shown;
    if (to > from) out += line.substr(from, to - from);
    if (l != l2) out += "\r\n";
  }
  return out;
}

// The clipboard's text; "(none)" when it holds none.
inline std::string ClipboardText() {
  std::string text = "(none)";
  if (::OpenClipboard(nullptr)) {
    if (HGLOBAL h = ::GetClipboardData(CF_TEXT)) {
      text = static_cast<const char*>(::GlobalLock(h));
      ::GlobalUnlock(h);
    }
    ::CloseClipboard();
  }
  return text;
}
