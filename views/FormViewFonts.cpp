#include "views/FormViewFonts.h"

#include "platform/gdi/GdiObject.h"

void SetBoldFont(CWnd* parent, UINT id, std::unique_ptr<CFont>& font, bool large) {
  CWnd* control = parent ? parent->GetDlgItem((int)id) : nullptr;
  if (!control) return;
  if (!font) {
    CFont* own = control->GetFont();
    LOGFONT lf{};
    if (!own || !own->GetLogFont(&lf)) return;
    lf.lfWeight = FW_BOLD;
    if (large) lf.lfHeight = 3 * lf.lfHeight / 2;
    auto made = std::make_unique<CFont>();
    if (!made->CreateFontIndirect(&lf)) return;
    font = std::move(made);
  }
  control->SetFont(font.get());
}
