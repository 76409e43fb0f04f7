#include "platform/ui/Menu.h"

#include "platform/ui/CmdTarget.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Window.h"
#include "platform/ui/Wnd.h"

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <unordered_set>

struct HMENU__ {
  struct Item {
    UINT flags = 0;
    UINT_PTR id = 0;
    std::string text;
    HMENU sub = nullptr;
  };
  std::vector<Item> items;
  bool popup = false;
  UINT defaultItem = (UINT)-1;
};

namespace {

std::recursive_mutex& Mutex() {
  static std::recursive_mutex m;
  return m;
}
std::unordered_set<HMENU>& Menus() {
  static auto* s = new std::unordered_set<HMENU>;
  return *s;
}
std::map<HMENU, CMenu*>& Wrappers() {
  static auto* m = new std::map<HMENU, CMenu*>;
  return *m;
}
bool Valid(HMENU m) { return m && Menus().count(m); }

HMENU NewMenu(bool popup) {
  HMENU m = new HMENU__;
  m->popup = popup;
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  Menus().insert(m);
  return m;
}

// The item a position or command names; for commands the submenus are searched too.
HMENU__::Item* FindItem(HMENU menu, UINT pos, UINT flags, HMENU* owner = nullptr, size_t* index = nullptr) {
  if (!Valid(menu)) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (pos >= menu->items.size()) return nullptr;
    if (owner) *owner = menu;
    if (index) *index = pos;
    return &menu->items[pos];
  }
  for (size_t i = 0; i < menu->items.size(); ++i) {
    HMENU__::Item& it = menu->items[i];
    if (!(it.flags & MF_POPUP) && it.id == pos && !(it.flags & MF_SEPARATOR)) {
      if (owner) *owner = menu;
      if (index) *index = i;
      return &it;
    }
    if ((it.flags & MF_POPUP) && it.sub)
      if (HMENU__::Item* found = FindItem(it.sub, pos, flags, owner, index)) return found;
  }
  return nullptr;
}

HMENU__::Item MakeItem(UINT flags, UINT_PTR id, LPCSTR text) {
  HMENU__::Item it;
  it.flags = flags & ~(MF_BYPOSITION | MF_CHANGE | MF_APPEND | MF_DELETE | MF_REMOVE);
  if (flags & MF_POPUP) {
    it.sub = (HMENU)id;
    it.id = (UINT_PTR)-1;
  } else {
    it.id = id;
  }
  if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text) it.text = text;
  return it;
}

struct Script {
  std::deque<std::pair<UINT, std::string>> choices;
  std::vector<MenuAutomation::ShownMenu> shown;
};
Script& S() {
  static auto* s = new Script;
  return *s;
}

std::string Plain(const std::string& t) {
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '&') {
      if (i + 1 < t.size() && t[i + 1] == '&') out += '&', ++i;
      continue;
    }
    if (t[i] == '\t') break;
    out += t[i];
  }
  return out;
}

// Updates a popup's items the way a frame does before showing it: each command asks its handlers.
class CMenuCmdUI : public CCmdUI {
 public:
  HMENU m_menu = nullptr;
  void Enable(BOOL bOn) override {
    m_bEnableChanged = TRUE;
    ::EnableMenuItem(m_menu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
  }
  void SetCheck(int nCheck) override { ::CheckMenuItem(m_menu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED)); }
  void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
  void SetText(LPCSTR lpszText) override {
    UINT_PTR id = ::GetMenuItemID(m_menu, (int)m_nIndex);
    UINT state = ::GetMenuState(m_menu, m_nIndex, MF_BYPOSITION);
    ::ModifyMenu(m_menu, m_nIndex, MF_BYPOSITION | MF_STRING | (state & (MF_GRAYED | MF_CHECKED)), id, lpszText);
  }
};

void UpdateItems(HMENU menu, CFrameWnd* owner) {
  if (!owner || !Valid(menu)) return;
  for (UINT i = 0; i < (UINT)menu->items.size(); ++i) {
    HMENU__::Item& it = menu->items[i];
    if ((it.flags & (MF_SEPARATOR | MF_POPUP)) || it.id == 0) continue;
    CMenuCmdUI ui;
    ui.m_menu = menu;
    // Handlers tell a menu item from a button by this, and read the item's own text through it.
    ui.m_pMenu = CMenu::FromHandle(menu);
    ui.m_nIndex = i;
    ui.m_nIndexMax = (UINT)menu->items.size();
    ui.m_nID = (UINT)it.id;
    // A command nobody handles is greyed when the frame enables its menus itself.
    ui.DoUpdate(owner, owner->m_bAutoMenuEnable && it.id < 0xF000);
  }
}

}  // namespace

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }
BOOL IsMenu(HMENU menu) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  return Valid(menu);
}

BOOL DestroyMenu(HMENU menu) {
  std::vector<HMENU> subs;
  {
    std::lock_guard<std::recursive_mutex> lk(Mutex());
    if (!Valid(menu)) return FALSE;
    for (auto& it : menu->items)
      if ((it.flags & MF_POPUP) && it.sub) subs.push_back(it.sub);
    Menus().erase(menu);
    auto w = Wrappers().find(menu);
    if (w != Wrappers().end()) {
      w->second->m_hMenu = nullptr;
      delete w->second;
      Wrappers().erase(w);
    }
    delete menu;
  }
  for (HMENU s : subs) DestroyMenu(s);
  return TRUE;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  if (!Valid(menu) || ((flags & MF_POPUP) && !Valid((HMENU)id))) return FALSE;
  menu->items.push_back(MakeItem(flags, id, text));
  return TRUE;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  if (!Valid(menu) || ((flags & MF_POPUP) && !Valid((HMENU)id))) return FALSE;
  HMENU owner = menu;
  size_t index = menu->items.size();
  if (position != (UINT)-1 && !FindItem(menu, position, flags, &owner, &index)) {
    if (!(flags & MF_BYPOSITION)) return FALSE;
    index = menu->items.size();
  }
  owner->items.insert(owner->items.begin() + (long)index, MakeItem(flags, id, text));
  return TRUE;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  HMENU__::Item* it = FindItem(menu, position, flags);
  if (!it) return FALSE;
  *it = MakeItem(flags, id, text);
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  HMENU owner = nullptr;
  size_t index = 0;
  if (!FindItem(menu, position, flags, &owner, &index)) return FALSE;
  owner->items.erase(owner->items.begin() + (long)index);
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  HMENU sub = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lk(Mutex());
    HMENU owner = nullptr;
    size_t index = 0;
    HMENU__::Item* it = FindItem(menu, position, flags, &owner, &index);
    if (!it) return FALSE;
    if (it->flags & MF_POPUP) sub = it->sub;
    owner->items.erase(owner->items.begin() + (long)index);
  }
  if (sub) DestroyMenu(sub);
  return TRUE;
}

UINT EnableMenuItem(HMENU menu, UINT id, UINT enable) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  HMENU__::Item* it = FindItem(menu, id, enable & MF_BYPOSITION);
  if (!it) return (UINT)-1;
  UINT old = it->flags & (MF_GRAYED | MF_DISABLED);
  it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return old;
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  HMENU__::Item* it = FindItem(menu, id, check & MF_BYPOSITION);
  if (!it) return (DWORD)-1;
  DWORD old = it->flags & MF_CHECKED;
  it->flags = (it->flags & ~MF_CHECKED) | (check & MF_CHECKED);
  return old;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  if (!Valid(menu)) return FALSE;
  bool found = false;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    HMENU__::Item& it = menu->items[i];
    UINT key = (flags & MF_BYPOSITION) ? (UINT)i : (UINT)it.id;
    if (key < first || key > last) continue;
    bool on = key == check;
    found |= on;
    it.flags = (it.flags & ~MF_CHECKED) | (on ? MF_CHECKED | MFT_RADIOCHECK : 0);
  }
  return found;
}

int GetMenuItemCount(HMENU menu) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  return Valid(menu) ? (int)menu->items.size() : -1;
}

UINT GetMenuItemID(HMENU menu, int pos) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  if (!Valid(menu) || pos < 0 || (size_t)pos >= menu->items.size()) return (UINT)-1;
  const HMENU__::Item& it = menu->items[(size_t)pos];
  if (it.flags & MF_POPUP) return (UINT)-1;
  return (it.flags & MF_SEPARATOR) ? 0 : (UINT)it.id;
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  HMENU__::Item* it = FindItem(menu, id, flags & MF_BYPOSITION);
  if (!it) return (UINT)-1;
  UINT st = it->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP | MF_MENUBREAK | MF_MENUBARBREAK);
  if ((it->flags & MF_POPUP) && Valid(it->sub)) st |= (UINT)it->sub->items.size() << 8;
  return st;
}

int GetMenuString(HMENU menu, UINT id, LPSTR buf, int size, UINT flags) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  HMENU__::Item* it = FindItem(menu, id, flags & MF_BYPOSITION);
  if (!it) {
    if (buf && size > 0) buf[0] = 0;
    return 0;
  }
  if (!buf || size <= 0) return (int)it->text.size();
  int n = std::min<int>((int)it->text.size(), size - 1);
  memcpy(buf, it->text.data(), (size_t)n);
  buf[n] = 0;
  return n;
}

HMENU GetSubMenu(HMENU menu, int pos) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  if (!Valid(menu) || pos < 0 || (size_t)pos >= menu->items.size()) return nullptr;
  const HMENU__::Item& it = menu->items[(size_t)pos];
  return (it.flags & MF_POPUP) && Valid(it.sub) ? it.sub : nullptr;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPos) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  if (!Valid(menu)) return FALSE;
  menu->defaultItem = byPos ? item : item;
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int, int, int, HWND owner, LPCRECT) {
  if (!IsMenu(menu) || !IsWindow(owner)) return FALSE;
  if (!(flags & TPM_NONOTIFY)) {
    ::SendMessage(owner, WM_INITMENUPOPUP, (WPARAM)menu, 0);
    if (!IsMenu(menu)) return FALSE;
    // Only a frame updates a popup's items through its command routing; a popup owned by any other
    // window shows the states its items were given.
    CWnd* w = CWnd::FromHandlePermanent(owner);
    if (w && w->IsKindOf(RUNTIME_CLASS(CFrameWnd))) UpdateItems(menu, static_cast<CFrameWnd*>(w));
  }
  MenuAutomation::ShownMenu shown;
  shown.owner = owner;
  std::pair<UINT, std::string> choice{0, std::string()};
  UINT chosen = 0;
  {
    std::lock_guard<std::recursive_mutex> lk(Mutex());
    if (!Valid(menu)) return FALSE;
    for (const auto& it : menu->items) {
      std::string t = (it.flags & MF_SEPARATOR) ? std::string() : it.text;
      if (it.flags & MF_GRAYED) t += " [grayed]";
      if (it.flags & MF_CHECKED) t += " [checked]";
      shown.items.push_back(t);
    }
    if (!S().choices.empty()) {
      choice = S().choices.front();
      S().choices.pop_front();
    }
    // Items of submenus can be chosen too, as the user opens the submenu and picks one.
    std::function<void(HMENU)> pick = [&](HMENU m) {
      for (const auto& it : m->items) {
        if (chosen || (it.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED))) continue;
        if (it.flags & MF_POPUP) {
          if (it.sub && Valid(it.sub)) pick(it.sub);
          continue;
        }
        if (choice.second.empty() ? (choice.first && it.id == choice.first) : Plain(it.text) == choice.second)
          chosen = (UINT)it.id;
      }
    };
    pick(menu);
    shown.chosen = chosen;
    S().shown.push_back(shown);
  }
  if (flags & TPM_RETURNCMD) return (BOOL)chosen;
  if (chosen) ::PostMessage(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return chosen != 0;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, void*) {
  return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

// ---- CMenu ----------------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::~CMenu() {
  if (m_hMenu) DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  if (!Valid(hMenu)) return nullptr;
  auto it = Wrappers().find(hMenu);
  if (it != Wrappers().end()) return it->second;
  // A wrapper that lives as long as the menu.
  auto* m = new CMenu;
  m->m_hMenu = hMenu;
  Wrappers()[hMenu] = m;
  return m;
}

BOOL CMenu::Attach(HMENU hMenu) {
  if (!hMenu || m_hMenu) return FALSE;
  m_hMenu = hMenu;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  m_hMenu = nullptr;
  return h;
}

BOOL CMenu::DestroyMenu() {
  HMENU h = Detach();
  return h ? ::DestroyMenu(h) : FALSE;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  char buf[256] = {0};
  int n = ::GetMenuString(m_hMenu, nIDItem, buf, sizeof buf, nFlags);
  rString = buf;
  return n;
}

CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
  return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->GetSafeHwnd() : nullptr, lpRect);
}

namespace MenuAutomation {

void PushMenuChoice(UINT id) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  S().choices.emplace_back(id, std::string());
}

void PushMenuChoiceText(const char* text) {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  S().choices.emplace_back(0, text ? text : "");
}

std::vector<ShownMenu> ShownMenus() {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  return S().shown;
}

void Reset() {
  std::lock_guard<std::recursive_mutex> lk(Mutex());
  S().choices.clear();
  S().shown.clear();
}

}  // namespace MenuAutomation
