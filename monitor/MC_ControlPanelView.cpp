#include "monitor/MC_ControlPanelView.h"

#include "monitor/ControlPanelShowVarItem.h"

#include <strings.h>

// Rows without classes are kinds whose gadgets do not exist yet: panels holding them are refused.
const CMC_ControlPanelView::tagLinks CMC_ControlPanelView::msc_aLinks[kLinkCount] = {
    {"GADGET_SHOWVAR", nullptr, RUNTIME_CLASS(CControlPanelShowVarItem)},
    {"GADGET_GAUGE_HORZ", nullptr, nullptr},
    {"GADGET_GAUGE_VERT", nullptr, nullptr},
    {"GADGET_INPUT", nullptr, nullptr},
    {"GADGET_OUTPUT", nullptr, nullptr},
    {"GADGET_SCOPE", nullptr, nullptr},
    {"GADGET_DOUBLE_SCOPE", nullptr, nullptr},
    {"GADGET_YX_SCOPE", nullptr, nullptr},
    {"GADGET_BIT", nullptr, nullptr},
    {"GADGET_SLIDER_HORZ", nullptr, nullptr},
    {"GADGET_SLIDER_VERT", nullptr, nullptr},
    {"GADGET_CODE", nullptr, nullptr},
    {"GADGET_TEXT", nullptr, nullptr},
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
