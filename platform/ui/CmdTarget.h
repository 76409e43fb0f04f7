// CCmdTarget and message maps: per-class tables of command, notification, registered and private
// message handlers, command routing and CCmdUI.
#pragma once

#include "platform/core/Object.h"
#include "platform/ui/WinDefs.h"

class CCmdTarget;
class CCmdUI;
class CWnd;
class CMenu;

// Marks message handlers in class declarations, as framework code writes them.
#ifndef afx_msg
#define afx_msg
#endif

// Command notification codes used by routing.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))
#define CN_EVENT ((UINT)(-100))

// What a handler receives when it is called through a map entry.
struct AFX_MSGCALL {
  WPARAM wParam;
  LPARAM lParam;
  UINT nID;
  UINT nCode;
  void* pExtra;
  LRESULT result;
};
typedef BOOL (*AFX_MSGTHUNK)(CCmdTarget* target, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_COMMAND, WM_NOTIFY, a reflected form, a message number, or 0xC000 for registered ones
  UINT nCode;     // control notification or WM_NOTIFY code (low word)
  UINT nID;       // control or command id range
  UINT nLastID;
  UINT nSig;      // the entry's kind
  AFX_MSGTHUNK pfn;
  const UINT* pnRegistered;  // registered and registered-thread messages: where the number is kept
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// Entry kinds.
enum AfxSig : UINT {
  AfxSig_end = 0,
  AfxSigCmd,        // command or control notification
  AfxSigCmdUI,      // update handler
  AfxSigNotify,     // WM_NOTIFY
  AfxSigMessage,    // a window message (ON_MESSAGE, reflected window messages)
  AfxSigRegistered, // a registered window message
  AfxSigThread,     // a thread message
  AfxSigRegisteredThread,
};

struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
  const AFX_MSGMAP_ENTRY* pEntry;
};

// ---- Declaring and defining maps ----------------------------------------------------------------
// Handlers are named as members: ON_COMMAND(ID_FILE_SAVE, &CMyView::OnFileSave).
#define DECLARE_MESSAGE_MAP()                                      \
 public:                                                           \
  static const AFX_MSGMAP* GetThisMessageMap();                    \
  const AFX_MSGMAP* GetMessageMap() const override;                \
                                                                   \
 protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                            \
  {0, 0, 0, 0, AfxSig_end, nullptr, nullptr}                                         \
  }                                                                                  \
  ;                                                                                  \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                \
  }

#define AFX_THIS(t) (static_cast<ThisClass*>(t))

// Commands (menu items, accelerators, toolbar buttons) and control notifications.
#define ON_COMMAND(id, memberFxn)                                                                   \
  {WM_COMMAND, CN_COMMAND, (WORD)(id), (WORD)(id), AfxSigCmd,                                       \
   [](CCmdTarget* t, AFX_MSGCALL&) -> BOOL { (AFX_THIS(t)->*(memberFxn))(); return TRUE; }, nullptr},
#define ON_COMMAND_EX(id, memberFxn)                                                              \
  {WM_COMMAND, CN_COMMAND, (WORD)(id), (WORD)(id), AfxSigCmd,                                     \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL { return (AFX_THIS(t)->*(memberFxn))(c.nID); }, nullptr},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                       \
  {WM_COMMAND, CN_COMMAND, (WORD)(id), (WORD)(idLast), AfxSigCmd,                                     \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL { (AFX_THIS(t)->*(memberFxn))(c.nID); return TRUE; }, nullptr},
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn)                                               \
  {WM_COMMAND, CN_COMMAND, (WORD)(id), (WORD)(idLast), AfxSigCmd,                                \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL { return (AFX_THIS(t)->*(memberFxn))(c.nID); }, nullptr},
#define AFX_UPDATE_THUNK(memberFxn)                                 \
  [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                       \
    CCmdUI* ui = static_cast<CCmdUI*>(c.pExtra);                    \
    CCmdUI_ResetRouting(ui);                                        \
    (AFX_THIS(t)->*(memberFxn))(ui);                                \
    return !CCmdUI_ContinuesRouting(ui);                            \
  }
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (WORD)(id), (WORD)(id), AfxSigCmdUI, AFX_UPDATE_THUNK(memberFxn), nullptr},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (WORD)(id), (WORD)(idLast), AfxSigCmdUI, AFX_UPDATE_THUNK(memberFxn), nullptr},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                  \
  {WM_COMMAND, (WORD)(wNotifyCode), (WORD)(id), (WORD)(id), AfxSigCmd,                          \
   [](CCmdTarget* t, AFX_MSGCALL&) -> BOOL { (AFX_THIS(t)->*(memberFxn))(); return TRUE; }, nullptr},
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                          \
  {WM_COMMAND, (WORD)(wNotifyCode), (WORD)(id), (WORD)(idLast), AfxSigCmd,                            \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL { (AFX_THIS(t)->*(memberFxn))(c.nID); return TRUE; }, nullptr},

// WM_NOTIFY
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                   \
  {WM_NOTIFY, (WORD)(int)(wNotifyCode), (WORD)(id), (WORD)(id), AfxSigNotify,                   \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                  \
     auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                              \
     (AFX_THIS(t)->*(memberFxn))(n->pNMHDR, n->pResult);                                        \
     return TRUE;                                                                               \
   },                                                                                           \
   nullptr},
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                     \
  {WM_NOTIFY, (WORD)(int)(wNotifyCode), (WORD)(id), (WORD)(idLast), AfxSigNotify,               \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                  \
     auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                              \
     (AFX_THIS(t)->*(memberFxn))(c.nID, n->pNMHDR, n->pResult);                                 \
     return TRUE;                                                                               \
   },                                                                                           \
   nullptr},
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn)                                                \
  {WM_NOTIFY, (WORD)(int)(wNotifyCode), (WORD)(id), (WORD)(id), AfxSigNotify,                   \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                  \
     auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                              \
     return (AFX_THIS(t)->*(memberFxn))(c.nID, n->pNMHDR, n->pResult);                          \
   },                                                                                           \
   nullptr},
#define ON_NOTIFY_EX_RANGE(wNotifyCode, id, idLast, memberFxn)                                  \
  {WM_NOTIFY, (WORD)(int)(wNotifyCode), (WORD)(id), (WORD)(idLast), AfxSigNotify,               \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                  \
     auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                              \
     return (AFX_THIS(t)->*(memberFxn))(c.nID, n->pNMHDR, n->pResult);                          \
   },                                                                                           \
   nullptr},

// Window messages by number: LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                        \
  {(UINT)(message), 0, 0, 0, AfxSigMessage,                                                   \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     c.result = (AFX_THIS(t)->*(memberFxn))(c.wParam, c.lParam);                              \
     return TRUE;                                                                             \
   },                                                                                         \
   nullptr},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                    \
  {0xC000, 0, 0, 0, AfxSigRegistered,                                                         \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     c.result = (AFX_THIS(t)->*(memberFxn))(c.wParam, c.lParam);                              \
     return TRUE;                                                                             \
   },                                                                                         \
   &(nMessageVariable)},
// Thread messages (posted with no window): void handler(WPARAM, LPARAM).
#define ON_THREAD_MESSAGE(message, memberFxn)                                                 \
  {(UINT)(message), 0, 0, 0, AfxSigThread,                                                    \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     (AFX_THIS(t)->*(memberFxn))(c.wParam, c.lParam);                                         \
     return TRUE;                                                                             \
   },                                                                                         \
   nullptr},
#define ON_REGISTERED_THREAD_MESSAGE(nMessageVariable, memberFxn)                             \
  {0xC000, 0, 0, 0, AfxSigRegisteredThread,                                                   \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     (AFX_THIS(t)->*(memberFxn))(c.wParam, c.lParam);                                         \
     return TRUE;                                                                             \
   },                                                                                         \
   &(nMessageVariable)},

// Notifications a control handles itself (reflected by its parent).
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                            \
  {WM_COMMAND + WM_REFLECT_BASE, (WORD)(wNotifyCode), 0, 0, AfxSigCmd,                        \
   [](CCmdTarget* t, AFX_MSGCALL&) -> BOOL { (AFX_THIS(t)->*(memberFxn))(); return TRUE; }, nullptr},
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                         \
  {WM_COMMAND + WM_REFLECT_BASE, (WORD)(wNotifyCode), 0, 0, AfxSigCmd,                        \
   [](CCmdTarget* t, AFX_MSGCALL&) -> BOOL { return (AFX_THIS(t)->*(memberFxn))(); }, nullptr},
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                             \
  {WM_NOTIFY + WM_REFLECT_BASE, (WORD)(int)(wNotifyCode), 0, 0, AfxSigNotify,                 \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                            \
     (AFX_THIS(t)->*(memberFxn))(n->pNMHDR, n->pResult);                                      \
     return TRUE;                                                                             \
   },                                                                                         \
   nullptr},
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                          \
  {WM_NOTIFY + WM_REFLECT_BASE, (WORD)(int)(wNotifyCode), 0, 0, AfxSigNotify,                 \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     auto* n = static_cast<AFX_NOTIFY*>(c.pExtra);                                            \
     return (AFX_THIS(t)->*(memberFxn))(n->pNMHDR, n->pResult);                               \
   },                                                                                         \
   nullptr},
// Reflected owner-draw messages: the control's DrawItem/MeasureItem/CompareItem/DeleteItem.
#define ON_WM_DRAWITEM_REFLECT()                                                              \
  {WM_DRAWITEM + WM_REFLECT_BASE, 0, 0, 0, AfxSigMessage,                                     \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     AFX_THIS(t)->DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(c.lParam));                      \
     c.result = TRUE;                                                                         \
     return TRUE;                                                                             \
   },                                                                                         \
   nullptr},
#define ON_WM_MEASUREITEM_REFLECT()                                                           \
  {WM_MEASUREITEM + WM_REFLECT_BASE, 0, 0, 0, AfxSigMessage,                                  \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     AFX_THIS(t)->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(c.lParam));                \
     c.result = TRUE;                                                                         \
     return TRUE;                                                                             \
   },                                                                                         \
   nullptr},
#define ON_WM_COMPAREITEM_REFLECT()                                                           \
  {WM_COMPAREITEM + WM_REFLECT_BASE, 0, 0, 0, AfxSigMessage,                                  \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     c.result = AFX_THIS(t)->CompareItem(reinterpret_cast<COMPAREITEMSTRUCT*>(c.lParam));     \
     return TRUE;                                                                             \
   },                                                                                         \
   nullptr},
#define ON_WM_DELETEITEM_REFLECT()                                                            \
  {WM_DELETEITEM + WM_REFLECT_BASE, 0, 0, 0, AfxSigMessage,                                   \
   [](CCmdTarget* t, AFX_MSGCALL& c) -> BOOL {                                                \
     AFX_THIS(t)->DeleteItem(reinterpret_cast<DELETEITEMSTRUCT*>(c.lParam));                  \
     c.result = TRUE;                                                                         \
     return TRUE;                                                                             \
   },                                                                                         \
   nullptr},

// Standard messages reach virtual On… handlers without map entries; these entries are accepted
// so maps written in the framework's usual style compile unchanged.
#define ON_WM_CREATE()
#define ON_WM_DESTROY()
#define ON_WM_NCDESTROY()
#define ON_WM_NCCREATE()
#define ON_WM_PAINT()
#define ON_WM_NCPAINT()
#define ON_WM_ERASEBKGND()
#define ON_WM_SIZE()
#define ON_WM_MOVE()
#define ON_WM_SHOWWINDOW()
#define ON_WM_WINDOWPOSCHANGING()
#define ON_WM_WINDOWPOSCHANGED()
#define ON_WM_GETMINMAXINFO()
#define ON_WM_ACTIVATE()
#define ON_WM_ACTIVATEAPP()
#define ON_WM_NCACTIVATE()
#define ON_WM_MOUSEACTIVATE()
#define ON_WM_CHILDACTIVATE()
#define ON_WM_SETFOCUS()
#define ON_WM_KILLFOCUS()
#define ON_WM_ENABLE()
#define ON_WM_CLOSE()
#define ON_WM_TIMER()
#define ON_WM_HSCROLL()
#define ON_WM_VSCROLL()
#define ON_WM_KEYDOWN()
#define ON_WM_KEYUP()
#define ON_WM_CHAR()
#define ON_WM_DEADCHAR()
#define ON_WM_SYSKEYDOWN()
#define ON_WM_SYSKEYUP()
#define ON_WM_SYSCHAR()
#define ON_WM_SYSDEADCHAR()
#define ON_WM_LBUTTONDOWN()
#define ON_WM_LBUTTONUP()
#define ON_WM_LBUTTONDBLCLK()
#define ON_WM_RBUTTONDOWN()
#define ON_WM_RBUTTONUP()
#define ON_WM_RBUTTONDBLCLK()
#define ON_WM_MBUTTONDOWN()
#define ON_WM_MBUTTONUP()
#define ON_WM_MBUTTONDBLCLK()
#define ON_WM_MOUSEMOVE()
#define ON_WM_MOUSEWHEEL()
#define ON_WM_SETCURSOR()
#define ON_WM_GETDLGCODE()
#define ON_WM_NCHITTEST()
#define ON_WM_NCCALCSIZE()
#define ON_WM_NCLBUTTONDOWN()
#define ON_WM_NCLBUTTONDBLCLK()
#define ON_WM_NCMOUSEMOVE()
#define ON_WM_CANCELMODE()
#define ON_WM_CAPTURECHANGED()
#define ON_WM_PARENTNOTIFY()
#define ON_WM_SYSCOLORCHANGE()
#define ON_WM_SETTINGCHANGE()
#define ON_WM_WININICHANGE()
#define ON_WM_CONTEXTMENU()
#define ON_WM_HELPINFO()
#define ON_WM_CTLCOLOR()
#define ON_WM_DRAWITEM()
#define ON_WM_MEASUREITEM()
#define ON_WM_COMPAREITEM()
#define ON_WM_DELETEITEM()
#define ON_WM_SYSCOMMAND()
#define ON_WM_STYLECHANGED()
#define ON_WM_STYLECHANGING()
#define ON_WM_ENTERIDLE()
#define ON_WM_DROPFILES()
#define ON_WM_INITMENUPOPUP()
#define ON_WM_MDIACTIVATE()
#define ON_WM_QUERYENDSESSION()

// Control notifications written with the framework's names.
#define BN_CLICKED 0
#define BN_PAINT 1
#define BN_HILITE 2
#define BN_UNHILITE 3
#define BN_DISABLE 4
#define BN_DOUBLECLICKED 5
#define BN_DBLCLK BN_DOUBLECLICKED
#define BN_SETFOCUS 6
#define BN_KILLFOCUS 7
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_ERRSPACE 0x0500
#define EN_MAXTEXT 0x0501
#define EN_HSCROLL 0x0601
#define EN_VSCROLL 0x0602
#define LBN_ERRSPACE (-2)
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LBN_SELCANCEL 3
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5
#define CBN_ERRSPACE (-1)
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_EDITUPDATE 6
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10
#define STN_CLICKED 0
#define STN_DBLCLK 1
#define STN_ENABLE 2
#define STN_DISABLE 3
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_EN_HSCROLL(id, memberFxn) ON_CONTROL(EN_HSCROLL, id, memberFxn)
#define ON_EN_VSCROLL(id, memberFxn) ON_CONTROL(EN_VSCROLL, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)
#define ON_LBN_SELCANCEL(id, memberFxn) ON_CONTROL(LBN_SELCANCEL, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)

// ---- Command targets ----------------------------------------------------------------------------

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  // Looks the command up in this object's map chain and calls its handler. nCode is CN_COMMAND,
  // CN_UPDATE_COMMAND_UI (pExtra is the CCmdUI*), a control notification code, or
  // MAKELONG(code, WM_NOTIFY) with pExtra an AFX_NOTIFY*. With pHandlerInfo it only reports
  // whether (and where) a handler exists.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

  void BeginWaitCursor();
  void EndWaitCursor();
  void RestoreWaitCursor();

  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // The first entry of the map chain for a window, thread or reflected message; null when none.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT nSigKindMask) const;
};

// Helpers used by the update-handler entries.
void CCmdUI_ResetRouting(CCmdUI* ui);
BOOL CCmdUI_ContinuesRouting(const CCmdUI* ui);

// Asks the command targets whether a command is enabled, checked and how it is labelled.
class CCmdUI {
 public:
  CCmdUI() = default;
  virtual ~CCmdUI() = default;

  UINT m_nID = 0;
  UINT m_nIndex = 0;
  CMenu* m_pMenu = nullptr;
  CMenu* m_pSubMenu = nullptr;
  CMenu* m_pParentMenu = nullptr;
  CWnd* m_pOther = nullptr;  // the control or bar the command is shown on
  BOOL m_bEnableChanged = FALSE;
  BOOL m_bContinueRouting = FALSE;
  UINT m_nIndexMax = 0;

  virtual void Enable(BOOL bOn = TRUE);
  virtual void SetCheck(int nCheck = 1);
  virtual void SetRadio(BOOL bOn = TRUE);
  virtual void SetText(LPCSTR lpszText);
  void ContinueRouting() { m_bContinueRouting = TRUE; }

  // Routes the update through pTarget; without any handler the command is disabled when asked.
  BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};

// Records what the handlers set; the framework uses it to test whether a command is enabled.
class CTestCmdUI : public CCmdUI {
 public:
  CTestCmdUI() { m_bEnabled = TRUE; }
  void Enable(BOOL bOn = TRUE) override {
    m_bEnabled = bOn;
    m_bEnableChanged = TRUE;
  }
  void SetCheck(int nCheck = 1) override { m_nCheck = nCheck; }
  void SetRadio(BOOL bOn = TRUE) override { m_nCheck = bOn ? 1 : 0; m_bRadio = TRUE; }
  void SetText(LPCSTR lpszText) override;
  BOOL m_bEnabled;
  int m_nCheck = -1;
  BOOL m_bRadio = FALSE;
  char m_szText[256] = {};
};

// Shows the wait cursor for its lifetime.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void Restore();
};

// The wait cursor count shared by CCmdTarget, CWinApp and CWaitCursor: +1 begins, -1 ends, 0 restores.
void AfxDoWaitCursor(int nCode);
int AfxGetWaitCursorCount();
