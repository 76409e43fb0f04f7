// The bold fonts the kernel's form views give their titles and labels.
#pragma once

#include "platform/ui/Wnd.h"

#include <memory>

class CFont;

// Gives control `id` of `parent` a bold copy of its own font, 1.5 times as high when `large`; the font is
// made once into `font` and reused after.
void SetBoldFont(CWnd* parent, UINT id, std::unique_ptr<CFont>& font, bool large);
