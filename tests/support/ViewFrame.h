// A frame window showing a view of a given class over a document, made as a document template
// makes it, and shown.
#pragma once
#include "platform/ui/FrameWnd.h"
#include "platform/ui/UiAutomation.h"

inline bool OpenViewFrame(CFrameWnd& frame, CRuntimeClass* viewClass, CDocument* doc, const CRect& rect) {
  CCreateContext ctx;
  ctx.m_pNewViewClass = viewClass;
  ctx.m_pCurrentDoc = doc;
  // As the application's frames, it clips its views: they repaint only what they lose.
  if (!frame.Create(nullptr, "grid", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, rect, nullptr, nullptr, 0, &ctx)) return false;
  frame.InitialUpdateFrame(doc, TRUE);
  UiAutomation::Pump();
  return true;
}
