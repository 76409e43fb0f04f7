// A grid window filling a top-level parent placed at `rect`, initialised, for tests that look at
// what the grid shows.
#pragma once

#include "grid/engine/GXLibrary.h"
#include "grid/engine/ZAZAzedAze.h"
#include "platform/ui/WinApp.h"

// `style`: the grid's styles besides WS_CHILD. `shared`: a parameter object the grid takes (not
// owned) before it is initialised.
inline bool OpenGridWindow(CWnd& parent, ZAZAzedAze& grid, const CRect& rect, DWORD style = WS_VISIBLE,
                           CGXGridParam* shared = nullptr) {
  GXStartGridLibrary();
  parent.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP | WS_VISIBLE, rect, nullptr, 0);
  if (!grid.Create(ZAZAzedAze::RegisterClass(AfxGetInstanceHandle()), "", WS_CHILD | style,
                   CRect(0, 0, rect.Width(), rect.Height()), &parent, 3))
    return false;
  if (shared) grid.SetParam(shared, FALSE);
  return grid.Initialize() != FALSE;
}
