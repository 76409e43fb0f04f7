// The gadgets bar's pictures: per gadget kind its button bitmaps (up and focused, plain and
// selected), the default set for texts naming no bitmap, and the drag cursors.
#include "platform/core/Resource.h"
#include "res_embedded.h"

namespace {

#define KIND(name) {RT_BITMAP, "GADGET_" #name, embedded_GADGET_##name##_png, embedded_GADGET_##name##_png_size}
#define DEFAULT(suffix) \
  {RT_BITMAP, "*DEFAULT_" #suffix, embedded_GADGET_DEFAULT##suffix##_png, embedded_GADGET_DEFAULT##suffix##_png_size}

const RESOURCE_ENTRY kEntries[] = {
    KIND(SHOWVARU), KIND(SHOWVARF), KIND(SHOWVARSU), KIND(SHOWVARSF),
    KIND(GAUGE_HORZU), KIND(GAUGE_HORZF), KIND(GAUGE_HORZSU), KIND(GAUGE_HORZSF),
    KIND(GAUGE_VERTU), KIND(GAUGE_VERTF), KIND(GAUGE_VERTSU), KIND(GAUGE_VERTSF),
    KIND(INPUTU), KIND(INPUTF), KIND(INPUTSU), KIND(INPUTSF),
    KIND(OUTPUTU), KIND(OUTPUTF), KIND(OUTPUTSU), KIND(OUTPUTSF),
    KIND(SCOPEU), KIND(SCOPEF), KIND(SCOPESU), KIND(SCOPESF),
    KIND(DOUBLE_SCOPEU), KIND(DOUBLE_SCOPEF), KIND(DOUBLE_SCOPESU), KIND(DOUBLE_SCOPESF),
    KIND(YX_SCOPEU), KIND(YX_SCOPEF), KIND(YX_SCOPESU), KIND(YX_SCOPESF),
    KIND(BITU), KIND(BITF), KIND(BITSU), KIND(BITSF),
    KIND(SLIDER_HORZU), KIND(SLIDER_HORZF), KIND(SLIDER_HORZSU), KIND(SLIDER_HORZSF),
    KIND(SLIDER_VERTU), KIND(SLIDER_VERTF), KIND(SLIDER_VERTSU), KIND(SLIDER_VERTSF),
    KIND(CODEU), KIND(CODEF), KIND(CODESU), KIND(CODESF),
    KIND(TEXTU), KIND(TEXTF), KIND(TEXTSU), KIND(TEXTSF),
    DEFAULT(U), DEFAULT(F), DEFAULT(SU), DEFAULT(SF),
    {RT_GROUP_CURSOR, MAKEINTRESOURCE(14000), embedded_GADGET_CURSOR_NODROP_png, embedded_GADGET_CURSOR_NODROP_png_size},
    {RT_GROUP_CURSOR, MAKEINTRESOURCE(14001), embedded_GADGET_CURSOR_DROP_png, embedded_GADGET_CURSOR_DROP_png_size},
};

const RESOURCE_TABLE kTable = {nullptr, 0, kEntries, sizeof kEntries / sizeof kEntries[0]};
CResourceTableRegistration g_registration(kTable);

}  // namespace
