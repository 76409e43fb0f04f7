#include "platform/ui/DialogAutomation.h"

#include "platform/ui/ControlDefs.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/UiAutomation.h"
#include "platform/ui/Wnd.h"

#include <strings.h>

#include <deque>
#include <map>
#include <mutex>

namespace DialogAutomation {
namespace {

struct Entry {
  int id;
  UINT templateId;
  std::string name;
  DialogHandler handler;
  bool once;
};

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
struct Data {
  std::vector<Entry> handlers;
  int nextId = 1;
  std::vector<UnscriptedDialog> unscripted;
  std::map<CommonKind, std::deque<CommonAnswer>> answers;
  CommonHandler commonHandler;
  std::vector<CommonRequest> common;
};
Data& D() {
  static auto* d = new Data;
  return *d;
}

bool NameMatches(CWnd* dlg, LPCSTR templ, const std::string& name) {
  if (templ && !IS_INTRESOURCE(templ) && strcasecmp(templ, name.c_str()) == 0) return true;
  if (!dlg) return false;
  for (CRuntimeClass* c = dlg->GetRuntimeClass(); c; c = c->GetBaseClass())
    if (name == c->m_lpszClassName) return true;
  return false;
}

}  // namespace

int AddDialogHandler(UINT templateId, DialogHandler handler, bool once) {
  std::lock_guard<std::mutex> lk(Mutex());
  int id = D().nextId++;
  D().handlers.push_back(Entry{id, templateId, std::string(), std::move(handler), once});
  return id;
}

int AddDialogHandler(const char* name, DialogHandler handler, bool once) {
  std::lock_guard<std::mutex> lk(Mutex());
  int id = D().nextId++;
  D().handlers.push_back(Entry{id, 0, name ? name : "", std::move(handler), once});
  return id;
}

void RemoveDialogHandler(int id) {
  std::lock_guard<std::mutex> lk(Mutex());
  auto& h = D().handlers;
  for (auto it = h.begin(); it != h.end(); ++it)
    if (it->id == id) {
      h.erase(it);
      return;
    }
}

void ClearDialogHandlers() {
  std::lock_guard<std::mutex> lk(Mutex());
  D().handlers.clear();
}

bool RunDialogHandler(CWnd* dlg, LPCSTR templ) {
  DialogHandler run;
  {
    std::lock_guard<std::mutex> lk(Mutex());
    auto& h = D().handlers;
    UINT tid = templ && IS_INTRESOURCE(templ) ? (UINT)(ULONG_PTR)templ : 0;
    for (auto it = h.begin(); it != h.end(); ++it) {
      bool match = it->templateId ? (tid && it->templateId == tid) : NameMatches(dlg, templ, it->name);
      if (!match) continue;
      run = it->handler;
      if (it->once) h.erase(it);
      break;
    }
  }
  if (!run) return false;
  run(dlg);
  return true;
}

void RecordUnscripted(CWnd* dlg, LPCSTR templ) {
  UnscriptedDialog u;
  if (dlg) {
    u.className = dlg->GetRuntimeClass()->m_lpszClassName;
    CString caption;
    if (dlg->GetSafeHwnd()) dlg->GetWindowText(caption);
    u.caption = caption.GetString();
  }
  if (templ && IS_INTRESOURCE(templ)) u.templateId = (UINT)(ULONG_PTR)templ;
  else if (templ) u.templateName = templ;
  std::lock_guard<std::mutex> lk(Mutex());
  D().unscripted.push_back(u);
}

std::vector<UnscriptedDialog> UnscriptedDialogs() {
  std::lock_guard<std::mutex> lk(Mutex());
  return D().unscripted;
}

void ClearUnscriptedDialogs() {
  std::lock_guard<std::mutex> lk(Mutex());
  D().unscripted.clear();
}

void TypeInto(CWnd* dlg, int id, const char* text) {
  HWND c = dlg && dlg->GetSafeHwnd() ? ::GetDlgItem(dlg->GetSafeHwnd(), id) : nullptr;
  if (!c) return;
  char cls[32] = {0};
  ::GetClassName(c, cls, sizeof cls);
  const bool combo = strcasecmp(cls, "ComboBox") == 0;
  const LONG_PTR style = ::GetWindowLongPtr(c, GWL_STYLE);
  CRect r;
  ::GetClientRect(c, &r);
  // A click puts the caret into the text (left of a combo's arrow); the keys then select it all.
  const int arrow = combo ? UiSystemMetric(SM_CXVSCROLL) : 0;
  UiAutomation::Click(c, POINT{(r.Width() - arrow) / 2, r.Height() / 2});
  if (combo && (style & 3) == CBS_DROPDOWNLIST) {
    UiAutomation::PressKey(VK_ESCAPE);
  } else if (!combo && (style & ES_MULTILINE)) {
    UiAutomation::PressKey(VK_HOME, UiAutomation::kControl);
    UiAutomation::PressKey(VK_END, UiAutomation::kControl | UiAutomation::kShift);
  } else {
    UiAutomation::PressKey(VK_HOME);
    UiAutomation::PressKey(VK_END, UiAutomation::kShift);
  }
  UiAutomation::TypeText(text);
}

void ClickControl(CWnd* dlg, int id) {
  HWND c = dlg && dlg->GetSafeHwnd() ? ::GetDlgItem(dlg->GetSafeHwnd(), id) : nullptr;
  if (!c) return;
  CRect r;
  ::GetClientRect(c, &r);
  UiAutomation::Click(c, POINT{r.Width() / 2, r.Height() / 2});
}

bool SelectItem(CWnd* dlg, int id, const char* text) {
  HWND c = dlg && dlg->GetSafeHwnd() ? ::GetDlgItem(dlg->GetSafeHwnd(), id) : nullptr;
  if (!c || !text) return false;
  char cls[32] = {0};
  ::GetClassName(c, cls, sizeof cls);
  const bool combo = strcasecmp(cls, "ComboBox") == 0;
  const int i = (int)::SendMessage(c, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
  if (i < 0) return false;
  CRect r;
  ::GetClientRect(c, &r);
  if (combo) {
    // The arrow drops the list; the item is clicked where it shows, else the keys walk to it and
    // Enter takes it.
    UiAutomation::Click(c, POINT{r.right - UiSystemMetric(SM_CXVSCROLL) / 2, r.Height() / 2});
    if (!::SendMessage(c, CB_GETDROPPEDSTATE, 0, 0)) UiAutomation::PressKey(VK_F4);
    const HWND list = ::GetCapture();
    RECT item{}, shown{};
    if (list && ::GetClientRect(list, &shown) && ::SendMessage(list, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&item) != LB_ERR &&
        item.top >= 0 && item.bottom <= shown.bottom) {
      UiAutomation::Click(list, CRect(item).CenterPoint());
      return true;
    }
    const int at = (int)::SendMessage(c, CB_GETCURSEL, 0, 0);
    for (int k = at; k < i; ++k) UiAutomation::PressKey(VK_DOWN);
    for (int k = at; k > i; --k) UiAutomation::PressKey(VK_UP);
    // Enter takes the item unless the owner has changed the list under it meanwhile.
    if ((int)::SendMessage(c, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) == i &&
        (int)::SendMessage(c, CB_GETCURSEL, 0, 0) == i)
      UiAutomation::PressKey(VK_RETURN);
    return true;
  }
  // The item clicked where it shows, else the first one shown clicked and the keys walk on.
  RECT item{};
  const bool shown = ::SendMessage(c, LB_GETITEMRECT, (WPARAM)i, (LPARAM)&item) != LB_ERR &&
                     item.top >= 0 && item.bottom <= r.bottom;
  if (shown) {
    UiAutomation::Click(c, CRect(item).CenterPoint());
  } else {
    const int top = (int)::SendMessage(c, LB_GETTOPINDEX, 0, 0);
    ::SendMessage(c, LB_GETITEMRECT, (WPARAM)top, (LPARAM)&item);
    UiAutomation::Click(c, CRect(item).CenterPoint());
    for (int k = top; k < i; ++k) UiAutomation::PressKey(VK_DOWN);
    for (int k = top; k > i; --k) UiAutomation::PressKey(VK_UP);
  }
  return true;
}

void PushAnswer(CommonKind kind, const CommonAnswer& answer) {
  std::lock_guard<std::mutex> lk(Mutex());
  D().answers[kind].push_back(answer);
}

void PushFileDialogResult(const char* path) {
  CommonAnswer a;
  a.ok = path != nullptr;
  if (path) a.path = path;
  // Either kind of file dialog takes it.
  PushAnswer(CommonKind::FileOpen, a);
}

void PushFolderResult(const char* path) {
  CommonAnswer a;
  a.ok = path != nullptr;
  if (path) a.path = path;
  PushAnswer(CommonKind::Folder, a);
}

void PushColorResult(COLORREF color) {
  CommonAnswer a;
  a.ok = true;
  a.color = color;
  PushAnswer(CommonKind::Color, a);
}

void PushFontResult(const LOGFONT& font, COLORREF color) {
  CommonAnswer a;
  a.ok = true;
  a.font = font;
  a.color = color;
  PushAnswer(CommonKind::Font, a);
}

void PushCancel(CommonKind kind) { PushAnswer(kind, CommonAnswer{}); }

void SetCommonDialogHandler(CommonHandler handler) {
  std::lock_guard<std::mutex> lk(Mutex());
  D().commonHandler = std::move(handler);
}

std::vector<CommonRequest> CommonDialogs() {
  std::lock_guard<std::mutex> lk(Mutex());
  return D().common;
}

void ClearCommonDialogs() {
  std::lock_guard<std::mutex> lk(Mutex());
  D().common.clear();
}

CommonAnswer Answer(CommonRequest request) {
  CommonAnswer a;
  bool found = false;
  CommonHandler handler;
  {
    std::lock_guard<std::mutex> lk(Mutex());
    CommonKind k = request.kind == CommonKind::FileSave ? CommonKind::FileOpen : request.kind;
    auto& q = D().answers[k];
    if (!q.empty()) {
      a = q.front();
      q.pop_front();
      found = true;
    }
    handler = D().commonHandler;
  }
  if (!found && handler) {
    found = true;
    a.ok = handler(request, a);
  }
  request.scripted = found;
  request.ok = found && a.ok;
  if (!found) a = CommonAnswer{};
  request.result = a.ok ? a.path : std::string();
  std::lock_guard<std::mutex> lk(Mutex());
  D().common.push_back(request);
  return a;
}

void Reset() {
  std::lock_guard<std::mutex> lk(Mutex());
  D().handlers.clear();
  D().unscripted.clear();
  D().answers.clear();
  D().commonHandler = nullptr;
  D().common.clear();
}

}  // namespace DialogAutomation
