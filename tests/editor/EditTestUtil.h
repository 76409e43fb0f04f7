// Helpers of the text-store tests: fill a text object and read its bytes back.
#pragma once

#include "editor/text/SECEdit.h"

#include <string>
#include <vector>

// Replaces the text with `text` cut by the object's line end mode.
inline void SetText(SECEdit& e, const std::string& text) {
  e.TextChangedAt(0);
  SECEdit::FreeLineList(e.m_pLine);
  e.m_pLine = e.SplitIntoLines(text.c_str(), (int)text.size());
  if (!e.m_pLine) {
    e.m_pLine = SECEdit::NewLine(64);
    e.m_pLine->nLength = 0;
  }
  e.m_nLineCount = e.RenumberAll();
}

inline std::string AllText(SECEdit& e) {
  std::string s;
  for (tagLINEDESC* p = SECEdit::GetFirstLine(e.m_pLine); p; p = p->pNext)
    if (p->pText) s.append(p->pText, (size_t)p->nLength);
  return s;
}

inline std::vector<std::string> Lines(SECEdit& e) {
  std::vector<std::string> v;
  for (tagLINEDESC* p = SECEdit::GetFirstLine(e.m_pLine); p; p = p->pNext)
    v.emplace_back(p->pText ? std::string(p->pText, (size_t)p->nLength) : std::string());
  return v;
}

// Every line's number is its place, and there are n lines.
inline bool NumberedInOrder(SECEdit& e, int n) {
  int i = 0;
  for (tagLINEDESC* p = SECEdit::GetFirstLine(e.m_pLine); p; p = p->pNext)
    if ((int)e.LineNumber(p) != ++i) return false;
  return i == n;
}

inline SECEditPos Pos(SECEdit& e, int line, int offset) { return SECEditPos{e.GetLine(line), offset}; }

// The lines a text holds after appending the lines `add` (each with the line end `end`, the last maybe
// without), all of them or, for `oneLine`, only the first: before an empty last line, else after the
// last. The line the new ones come next to gains a line end: only the last line may lack one.
inline void AppendToLines(std::vector<std::string>& lines, std::vector<std::string> add, bool oneLine,
                          const std::string& end) {
  if (oneLine) add.resize(1);
  const auto ended = [&](std::string& l) {
    if (l.size() < end.size() || l.compare(l.size() - end.size(), end.size(), end) != 0) l += end;
  };
  if (lines.back().empty() && oneLine) {
    lines.back() = add[0];
  } else if (lines.back().empty()) {
    ended(add.back());
    lines.insert(lines.end() - 1, add.begin(), add.end());
  } else {
    ended(lines.back());
    lines.insert(lines.end(), add.begin(), add.end());
  }
}
