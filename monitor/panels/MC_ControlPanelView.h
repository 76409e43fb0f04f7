// The form view of an open control panel: one gadget window per item of the panel, and the
// table of gadget kinds (keyword, window class and item class of each kind).
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "monitor/panels/GadgetWnd.h"
#include "platform/ui/FormView.h"

class CControlPanelItem;
class CControlPanelItemArray;

class CGadgetsArray : public CObArrayEx<CGadgetWnd> {
 public:
  CGadgetsArray() : CObArrayEx<CGadgetWnd>(TRUE) {}
};

class CMC_ControlPanelView : public CFormView {
  DECLARE_DYNAMIC(CMC_ControlPanelView)

 public:
  struct tagLinks {
    const char* name;              // the kind's template name, "GADGET_" and the keyword
    CRuntimeClass* pWndClass;      // null until the kind's window exists
    CRuntimeClass* pItemClass;     // null until the kind's item exists
  };
  static constexpr int kLinkCount = 13;
  // Filled when the library is loaded; each kind adds its window class.
  static tagLinks msc_aLinks[kLinkCount];
  enum { IDD = 14004, IDC_FIRST_GADGET = 14000 };
  // Update hints of the panels.
  enum {
    HINT_REBUILD_ALL = -100,
    HINT_PANELS_STARTED = -80,
    HINT_PANELS_POLLED = -79,
    HINT_PANELS_STOPPED = -78,
    HINT_REBUILD_GADGETS = -77,
    HINT_REBUILD_GADGETS2 = -76,
  };

  explicit CMC_ControlPanelView(CControlPanelItemArray& panel);
  ~CMC_ControlPanelView() override;

  // The row whose keyword (the name without "GADGET_") or name is `name`, any case; -1 when none.
  static int GetLinkWithName(const char* name);
  // The row of an item class; -1 when none.
  static int GetLinkOfItemClass(const CRuntimeClass* itemClass);

  // Rebuilds every gadget from the panel's items.
  void Initialize();
  // The new gadget's index, or -1 (nothing left behind) when the item's kind has no window.
  int CreateGadgetOfItem(CControlPanelItem* item, BOOL atFront);
  void RecalcScrollSize();

  // Adds an item of kind row `kind` at `point` (view client coordinates) and edits it at once;
  // a cancelled edit takes gadget and item away again.
  void AddNewItem(CPoint point, int kind);
  // Puts the current gadget behind its predecessor in the list (or on top when `gadget` is first).
  void RefreshGadgetTabOrder(CGadgetWnd* gadget);
  void ClearGadgetSelection();
  void DuplicateSelectedItems(BOOL offset);
  int GetSelectedCount() const;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

  int m_bInitialized = 0;
  CControlPanelItemArray* m_pPanel;  // not owned
  CPoint m_ptDragStart{-1, -1};
  int m_bCopyOnDrag = 0;
  CPoint m_ptLastMove{-1, -1};
  CRect m_rcBand{-1, -1, -1, -1};
  CGadgetsArray m_aGadgets;
  CGadgetWnd* m_pCurrentGadget = nullptr;

 protected:
  void OnDestroy() override;
  void OnLButtonDown(UINT nFlags, CPoint point) override;
  void OnMouseMove(UINT nFlags, CPoint point) override;
  void OnLButtonUp(UINT nFlags, CPoint point) override;
  void OnParentNotify(UINT message, LPARAM lParam) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  void OnControlPanelAlignLeft();
  void OnControlPanelAlignRight();
  void OnControlPanelAlignTop();
  void OnControlPanelAlignBottom();
  void OnControlPanelSpaceAcross();
  void OnControlPanelSpaceDown();
  void OnControlPanelMakeSameWidth();
  void OnControlPanelMakeSameHeight();
  void OnControlPanelMakeSameSize();
  void OnControlPanelSave();
  void OnControlPanelRename();
  void OnControlPanelSendBack();
  void OnControlPanelBringFront();
  void OnControlPanelEditProperties();
  void OnControlPanelCopyItems();
  void OnEditClear();
  void OnHelp();
  void OnUpdateAnchorAndTwo(CCmdUI* pCmdUI);
  void OnUpdateThreeSelected(CCmdUI* pCmdUI);
  void OnUpdateAlways(CCmdUI* pCmdUI);
  void OnUpdateOneOfSeveral(CCmdUI* pCmdUI);
  void OnUpdateAnySelected(CCmdUI* pCmdUI);
  void OnUpdateEditClear(CCmdUI* pCmdUI);
  LRESULT OnMoveGadget(WPARAM wParam, LPARAM lParam);
  LRESULT OnActivateGadget(WPARAM wParam, LPARAM lParam);

 private:
  void MarkModified();
  void ContinueMoveOperation(CPoint point);
  void EndGadgetPress();
  // Moves or sizes every selected gadget but the current one from the anchor's item rectangle.
  void AlignSelected(int edge);
  void SizeSelected(BOOL width, BOOL height);
  void SpaceSelected(BOOL vertical);
  void MoveCurrentInList(BOOL toFront);
  CRect ViewRectOfItem(const CRect& itemRect) const;

  DECLARE_MESSAGE_MAP()
};
