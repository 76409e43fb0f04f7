// A host's frame with text windows in MDI children, all on one text document, driven by posted input:
// the shared scene of the tests that use the editor as a user does.
#pragma once

#include "EditCoreTestUtil.h"
#include "editor/documents/TextFileDoc.h"
#include "editor/documents/TextFileView.h"
#include "editor/toolkit/SECCustomStatusBar.h"
#include "platform/core/Automation.h"
#include "platform/core/Clock.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogAutomation.h"
#include "tests/support/MdiScene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

class EditorScene : public dravonix::test::MdiScene {
 public:
  // The document's kind: 1 a program, 2 a plain text, 3 the output, 4 the console; `text` its lines;
  // `place` its window's.
  explicit EditorScene(int kind = 2, const std::string& text = "", const CRect& place = CRect(0, 0, 400, 240))
      : MdiScene(WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | WS_VISIBLE) {
    Clock::UseVirtualTime();
    Automation::Instance().Reset();
    // Each scene starts as a session does: typing inserts, the clipboard holds nothing.
    CTextFileDoc::ms_bInsertMode = 1;
    CTextFileView::ms_nShownLine = CTextFileView::ms_nShownCol = -1;
    if (::OpenClipboard(nullptr)) {
      ::EmptyClipboard();
      ::CloseClipboard();
    }
    m_app.m_pMainWnd = m_main;  // as a host's: the frame gets the idle updates
    m_doc.m_bAutoDelete = m_other.m_bAutoDelete = FALSE;
    m_other.OnNewDocument();
    if (kind == 3) m_doc.InitializeOutputDoc();
    else if (kind == 4) m_doc.InitializeInterpreterDoc();
    else {
      m_doc.OnNewDocument();
      m_doc.m_nFileType = kind;
      if (!text.empty()) SetText(*m_doc.GetEdit(), text);
    }
    if (kind >= 3 && !text.empty()) m_doc.InsertTextAtEnd(text.c_str());
    AddChild(0, place);
  }
  ~EditorScene() override {
    m_app.m_pMainWnd = nullptr;  // closing the scene does not end the test's loop
    if (m_options) {
      CTextFileDoc::SetOptions(*m_options);
      m_template->RemoveDocument(&m_doc);
      m_template->RemoveDocument(&m_other);
    }
    Close();
    Clock::UseRealTime();
  }
  // Kind 0 shows the scene's document, 1 a second, plain one (`m_other`).
  HWND AddChild(int kind, const CRect& r) override {
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CTextFileView);
    ctx.m_pCurrentDoc = kind == 1 ? (CDocument*)&m_other : &m_doc;
    auto* child = new CMDIChildWnd;
    // Hidden until its first update, as a document template makes it.
    if (!child->Create(nullptr, "text", WS_CHILD | WS_OVERLAPPEDWINDOW, r, m_main, &ctx)) return nullptr;
    child->InitialUpdateFrame(ctx.m_pCurrentDoc, TRUE);
    UiAutomation::Pump();
    return child->m_hWnd;
  }
  // The active child's view.
  CTextFileView* View() const {
    CMDIChildWnd* a = m_main->MDIGetActive();
    return a ? (CTextFileView*)a->GetActiveView() : nullptr;
  }
  HWND ViewWnd() const { return View() ? View()->m_hWnd : nullptr; }
  SECEdit& Edit() { return *m_doc.GetEdit(); }
  // The lines of the document, without their line ends, each followed by '|'.
  std::string Text() {
    std::string out;
    for (std::string l : Lines(Edit())) out += l.substr(0, l.find_first_of("\r\n")) + "|";
    return out;
  }
  // Caret and selection of the active view: "line:col" and "line:col-line:col" (a column block marked)
  // or "none".
  std::string Caret() const {
    const CTextFileView* v = View();
    return std::to_string(v->m_nCurLine) + ":" + std::to_string(v->m_nCurCol);
  }
  std::string Selection() {
    const CTextFileView* v = View();
    if (!v->m_bSelection) return "none";
    SECEdit& e = *const_cast<CTextFileView*>(v)->GetEdit();
    return std::to_string(e.LineNumber(v->m_selStart.pLine)) + ":" + std::to_string(v->m_selStart.nCol) + "-" +
           std::to_string(e.LineNumber(v->m_selEnd.pLine)) + ":" + std::to_string(v->m_selEnd.nCol) +
           (v->m_nSelMode == 2 ? " block" : "");
  }
  // The client point of a row's (1-based, on screen) column in a view, the active one by default.
  POINT At(int row, int col, const CTextFileView* v = nullptr) const {
    if (!v) v = View();
    return POINT{v->m_nMargin + col * v->m_nCharWidth + 1, (row - 1) * v->m_nLineHeight + v->m_nLineHeight / 2};
  }
  // The host's status bar: a message pane, the position and the overtype indicator.
  SECCustomStatusBar& AddStatusBar() {
    static const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_POSITION, ID_INDICATOR_OVR};
    m_bar.Create(m_main, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM);
    m_bar.SetIndicators(ids, 3);
    m_main->RecalcLayout();
    UiAutomation::Pump();
    return m_bar;
  }
  static std::string Clipboard() { return ClipboardText(); }
  int PixelsOff() const { return dravonix::test::PixelsOffFullRepaint(m_hMain); }
  // The host's options: the font dialog opened on a kind's font, `face` at `points` picked in it, the
  // options handed back; open windows of the kind take the font. The scene puts the options back.
  void ChooseFont(int kind, const char* face, int points) {
    if (!m_options) {
      m_options.emplace();
      CTextFileDoc::GetOptions(*m_options);
      m_template = new CTextFileDocTemplate(0, RUNTIME_CLASS(CTextFileDoc), nullptr, nullptr);
      m_app.AddDocTemplate(m_template);
      m_template->AddDocument(&m_doc);
      m_template->AddDocument(&m_other);
    }
    tagSrcFileOpt opt;
    CTextFileDoc::GetOptions(opt);
    LOGFONT& lf = opt.aFileType[kind - 1].lf;
    LOGFONT pick = lf;
    std::strncpy(pick.lfFaceName, face, LF_FACESIZE - 1);
    pick.lfHeight = -MulDiv(points, 96, 72);
    pick.lfPitchAndFamily = 0;  // as the dialog reports a face it lists: its own pitch
    DialogAutomation::PushFontResult(pick, 0);
    CFontDialog dlg(&lf, CF_SCREENFONTS);
    if (dlg.DoModal() == IDOK) dlg.GetCurrentFont(&lf);
    CTextFileDoc::SetOptions(opt);
    UiAutomation::Pump();
  }

  SECCustomStatusBar m_bar;
  struct : CTextFileDoc {
    using CTextFileDoc::m_nFileType;
  } m_doc;
  CTextFileDoc m_other;
  std::optional<tagSrcFileOpt> m_options;  // as before the first font chosen
  CTextFileDocTemplate* m_template = nullptr;
};

// A place in a text as the route walks' models keep it: line and column, from 1 and 0, "l:c".
struct At {
  int l, c;
  bool operator<(const At& o) const { return l != o.l ? l < o.l : c < o.c; }
  bool operator==(const At& o) const { return l == o.l && c == o.c; }
  std::string Str() const { return std::to_string(l) + ":" + std::to_string(c); }
};

// A route taken from the state a model holds: the windows then hold what the route's rule makes of the
// model, and show what a full repaint shows. `state` reads the windows as the model writes itself.
template <class Model, class Route, class State>
void TakeRoute(EditorScene& s, Model& m, const Route& route, State state, const std::string& mode) {
  ASSERT_EQ(m.State(), state(s)) << "set up for " << mode;
  route.input(s);
  UiAutomation::Pump();
  route.rule(m);
  EXPECT_EQ(m.State(), state(s)) << mode;
  EXPECT_EQ(0, s.PixelsOff()) << mode;
}
