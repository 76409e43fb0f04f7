#include "monitor/panels/MC_ControlPanelView.h"

#include "kernel/document/MC_Document.h"
#include "monitor/gadgets/ControlPanelBitItem.h"
#include "monitor/gadgets/ControlPanelGaugeItem.h"
#include "monitor/gadgets/ControlPanelPortItems.h"
#include "monitor/gadgets/ControlPanelScopeItems.h"
#include "monitor/gadgets/ControlPanelShowVarItem.h"
#include "monitor/gadgets/ControlPanelSliderItem.h"
#include "monitor/gadgets/ControlPanelTextItem.h"
#include "monitor/gadgets/GadgetGaugeWnd.h"
#include "monitor/gadgets/GadgetPortWnds.h"
#include "monitor/gadgets/GadgetScopeWnds.h"
#include "monitor/gadgets/GadgetShowVarWnd.h"
#include "monitor/gadgets/GadgetSimpleWnds.h"
#include "monitor/gadgets/GadgetSliderWnd.h"
#include "monitor/panels/MC_ControlPanel.h"
#include "platform/core/Resource.h"
#include "platform/ui/Dialog.h"

#include <algorithm>
#include <strings.h>

IMPLEMENT_DYNAMIC(CMC_ControlPanelView, CFormView)

namespace {

// The form is empty: the gadgets are its only children.
const DIALOG_RESOURCE kTemplate = {WS_CHILD | DS_SETFONT, 0, 0, 0, 10, 10, "", "MS Sans Serif", 8, nullptr, 0, nullptr};
const RESOURCE_ENTRY kEntries[] = {
    {RT_DIALOG, MAKEINTRESOURCE(CMC_ControlPanelView::IDD), &kTemplate, sizeof kTemplate},
};
const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

CMC_Document* DocumentOf(CView* view) { return DYNAMIC_DOWNCAST(CMC_Document, view->GetDocument()); }

}  // namespace

CMC_ControlPanelView::tagLinks CMC_ControlPanelView::msc_aLinks[kLinkCount] = {
    {"GADGET_SHOWVAR", RUNTIME_CLASS(CGadgetShowVarWnd), RUNTIME_CLASS(CControlPanelShowVarItem)},
    {"GADGET_GAUGE_HORZ", RUNTIME_CLASS(CGadgetGaugeWnd), RUNTIME_CLASS(CControlPanelGaugeItem)},
    {"GADGET_GAUGE_VERT", RUNTIME_CLASS(CGadgetGaugeWnd), RUNTIME_CLASS(CControlPanelGaugeVertItem)},
    {"GADGET_INPUT", RUNTIME_CLASS(CGadgetInputWnd), RUNTIME_CLASS(CControlPanelInputItem)},
    {"GADGET_OUTPUT", RUNTIME_CLASS(CGadgetOutputWnd), RUNTIME_CLASS(CControlPanelOutputItem)},
    {"GADGET_SCOPE", RUNTIME_CLASS(CGadgetScopeWnd), RUNTIME_CLASS(CControlPanelScopeItem)},
    {"GADGET_DOUBLE_SCOPE", RUNTIME_CLASS(CGadgetDoubleScopeWnd), RUNTIME_CLASS(CControlPanelDoubleScopeItem)},
    {"GADGET_YX_SCOPE", RUNTIME_CLASS(CGadgetYXScopeWnd), RUNTIME_CLASS(CControlPanelYXScopeItem)},
    {"GADGET_BIT", RUNTIME_CLASS(CGadgetBitWnd), RUNTIME_CLASS(CControlPanelBitItem)},
    {"GADGET_SLIDER_HORZ", RUNTIME_CLASS(CGadgetSliderWnd), RUNTIME_CLASS(CControlPanelSliderItem)},
    {"GADGET_SLIDER_VERT", RUNTIME_CLASS(CGadgetSliderWnd), RUNTIME_CLASS(CControlPanelSliderVertItem)},
    {"GADGET_CODE", RUNTIME_CLASS(CGadgetCodeWnd), RUNTIME_CLASS(CControlPanelCodeItem)},
    {"GADGET_TEXT", RUNTIME_CLASS(CGadgetTextWnd), RUNTIME_CLASS(CControlPanelTextItem)},
};

int CMC_ControlPanelView::GetLinkWithName(const char* name) {
  if (!name) return -1;
  for (int i = 0; i < kLinkCount; ++i)
    if (!strcasecmp(name, msc_aLinks[i].name) || !strcasecmp(name, msc_aLinks[i].name + 7)) return i;
  return -1;
}

int CMC_ControlPanelView::GetLinkOfItemClass(const CRuntimeClass* itemClass) {
  if (!itemClass) return -1;
  for (int i = 0; i < kLinkCount; ++i)
    if (msc_aLinks[i].pItemClass == itemClass) return i;
  return -1;
}

CMC_ControlPanelView::CMC_ControlPanelView(CControlPanelItemArray& panel) : CFormView(IDD), m_pPanel(&panel) {}

CMC_ControlPanelView::~CMC_ControlPanelView() { m_aGadgets.RemoveAll(); }

void CMC_ControlPanelView::Initialize() {
  m_bInitialized = 0;
  m_pCurrentGadget = nullptr;
  m_aGadgets.RemoveAll();
  CMC_Document* doc = DocumentOf(this);
  CMC_ControlPanel* panels = doc ? doc->GetControlPanel() : nullptr;
  if (!panels || !m_pPanel) return;
  if (CMC_ControlPanel::ms_bStarted)
    panels->BuildMemoryArray(doc);
  else
    m_pPanel->LocateVars(doc->GetSetup(), doc->GetCoffFile());
  for (int i = 0; i < m_pPanel->GetSize(); ++i) CreateGadgetOfItem(m_pPanel->GetAt(i), FALSE);
  RecalcScrollSize();
  m_bInitialized = 1;
}

int CMC_ControlPanelView::CreateGadgetOfItem(CControlPanelItem* item, BOOL atFront) {
  const int kind = item ? GetLinkOfItemClass(item->GetRuntimeClass()) : -1;
  CRuntimeClass* wndClass = kind < 0 ? nullptr : msc_aLinks[kind].pWndClass;
  CObject* object = wndClass ? wndClass->CreateObject() : nullptr;
  auto* gadget = dynamic_cast<CGadgetWnd*>(object);
  if (!gadget) {
    delete object;
    return -1;
  }
  int index = 0;
  if (atFront)
    m_aGadgets.InsertAt(0, gadget);
  else
    index = m_aGadgets.Add(gadget);
  if (!gadget->Create(this, msc_aLinks[kind].name, IDC_FIRST_GADGET + index, item, CMC_ControlPanel::ms_bInCustomize)) {
    m_aGadgets.RemoveAt(m_aGadgets.Find(gadget));
    return -1;
  }
  return index;
}

void CMC_ControlPanelView::RecalcScrollSize() {
  int width = 0, height = 0;
  for (int i = 0; m_pPanel && i < m_pPanel->GetSize(); ++i)
    if (CControlPanelItem* item = m_pPanel->GetAt(i)) {
      width = std::max(width, (int)item->m_rect.right);
      height = std::max(height, (int)item->m_rect.bottom);
    }
  const int room = CMC_ControlPanel::ms_bInCustomize ? 50 : 0;
  SetScrollSizes(MM_TEXT, CSize(std::max(width + room, 10), std::max(height + room, 10)));
}

void CMC_ControlPanelView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  Initialize();
  if (CMC_ControlPanel::ms_bStarted) OnUpdate(this, HINT_PANELS_STARTED, nullptr);
}

BOOL CMC_ControlPanelView::OnCommand(WPARAM wParam, LPARAM lParam) {
  // Enter on a gadget's button is told to the outermost dialog, this view; the gadget hears it as it
  // hears the button's click.
  const HWND control = (HWND)lParam;
  const HWND owner = control && ::IsWindow(control) ? ::GetParent(control) : nullptr;
  if (owner && owner != m_hWnd)
    for (INT_PTR i = 0; i < m_aGadgets.GetSize(); ++i)
      if (m_aGadgets[i]->m_hWnd == owner) {
        ::SendMessage(owner, WM_COMMAND, wParam, lParam);
        return TRUE;
      }
  return CFormView::OnCommand(wParam, lParam);
}

void CMC_ControlPanelView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (!m_bInitialized) return;
  switch ((int)lHint) {
    case HINT_REBUILD_ALL:
    case HINT_REBUILD_GADGETS:
    case HINT_REBUILD_GADGETS2:
      Initialize();
      if (!CMC_ControlPanel::ms_bStarted) break;
      [[fallthrough]];
    case HINT_PANELS_STARTED:
      for (int i = 0; i < m_aGadgets.GetSize(); ++i) m_aGadgets[i]->OnStart();
      break;
    case HINT_PANELS_POLLED:
      for (int i = 0; i < m_aGadgets.GetSize(); ++i) m_aGadgets[i]->OnUpdateValues();
      break;
    case HINT_PANELS_STOPPED:
      for (int i = 0; i < m_aGadgets.GetSize(); ++i) m_aGadgets[i]->OnStop();
      break;
    default:
      break;
  }
}

void CMC_ControlPanelView::OnDestroy() {
  if (m_pPanel) m_pPanel->m_pFrame = nullptr;
  // The closed panel's words leave the cache.
  CMC_Document* doc = DocumentOf(this);
  if (CMC_ControlPanel::ms_bStarted && doc && doc->GetControlPanel()) doc->GetControlPanel()->BuildMemoryArray(doc);
  CFormView::OnDestroy();
}
