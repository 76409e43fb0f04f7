// Line numbers of a live text: read through LineNumber they are every line's place; the stored field
// is too after RenumberLines, however the text was edited before and after it.
#include "EditTestUtil.h"
#include "editor/documents/TextFileDoc.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Doc : CTextFileDoc {
  Doc() { m_bAutoDelete = FALSE; }
};

enum Kind { kInsert, kSplit, kJoin, kDelete, kUndo, kAppend, kRenumber };
struct Step {
  Kind kind;
  int line = 1, offset = 0, endLine = 0, endOffset = 0;
  const char* text = "";
};

// Plays a step on the text and on the model (the text's bytes, and the texts undo goes back to).
void Play(CTextFileDoc& doc, const Step& s, std::string& model, std::vector<std::string>& undo) {
  SECEdit& e = *doc.GetEdit();
  auto flat = [&](int line, int offset) {
    size_t n = 0;
    for (tagLINEDESC* p = e.m_pLine; --line > 0; p = p->pNext) n += (size_t)p->nLength;
    return n + (size_t)offset;
  };
  SECEditPos at{e.GetLine(s.line), s.offset};
  switch (s.kind) {
    case kInsert:
      undo.push_back(model);
      model.insert(flat(s.line, s.offset), s.text);
      ASSERT_EQ(e.InsertText(at, s.text, -1, TRUE), 0);
      break;
    case kSplit:
      undo.push_back(model);
      model.insert(flat(s.line, s.offset), "\r\n");
      ASSERT_EQ(e.SplitLine(at, TRUE), 0);
      break;
    case kJoin:
      undo.push_back(model);
      at.nOffset = e.TextLength(at.pLine);
      model.erase(flat(s.line, at.nOffset), (size_t)(at.pLine->nLength - at.nOffset));
      ASSERT_EQ(e.JoinLines(at, TRUE), 0);
      break;
    case kDelete: {
      undo.push_back(model);
      SECEditPos end{e.GetLine(s.endLine), s.endOffset};
      model.erase(flat(s.line, s.offset), flat(s.endLine, s.endOffset) - flat(s.line, s.offset));
      ASSERT_EQ(e.DeleteText(at, end, TRUE), 0);
      break;
    }
    case kUndo:
      model = undo.back();
      undo.pop_back();
      ASSERT_EQ(e.Undo(), 1);
      break;
    case kAppend:
      // Records of the text before would not know where the empty last line went.
      e.ClearUndo();
      undo.clear();
      // Before an empty last line, or after a full one: either way only the last line may lack its end.
      if (const std::string t = s.text; e.GetLine(0)->nLength == 0)
        model += t + (t.back() == '\n' ? "" : "\r\n");
      else
        model += (model.back() == '\n' ? "" : "\r\n") + t;
      doc.InsertTextAtEnd(s.text);
      break;
    case kRenumber: ASSERT_EQ(SECEdit::RenumberLines(at.pLine), e.m_nLineCount); break;
  }
}

// "" or the places whose stored (when asked) or current number is wrong.
std::string WrongNumbers(SECEdit& e, bool stored) {
  std::string wrong;
  uint32_t i = 0;
  for (tagLINEDESC* p = e.m_pLine; p; p = p->pNext)
    if (++i, stored && SECEdit::GetLineNumber(p) != i)
      wrong += " stored " + std::to_string(i) + ":" + std::to_string(p->nLineNumber);
  i = 0;
  for (tagLINEDESC* p = e.m_pLine; p; p = p->pNext)
    if (++i, e.LineNumber(p) != i) wrong += " " + std::to_string(i) + ":" + std::to_string(e.LineNumber(p));
  if ((int)i != e.m_nLineCount) wrong += " count " + std::to_string(e.m_nLineCount);
  return wrong;
}

void Start(Doc& doc, std::string& model) {
  doc.ClearEdit();
  doc.InsertTextAtEnd("a\r\nb\r\nc\r\nd\r\ne\r\n");
  model = "a\r\nb\r\nc\r\nd\r\ne\r\n";
}

}  // namespace

TEST(LineNumbers, RenumberingALiveTextKeepsItsNumbersRight) {
  const Step top{kInsert, 1, 0, 0, 0, "x\r\ny\r\n"};
  struct Case {
    const char* name;
    std::vector<Step> steps;
    bool stored;  // the stored field is brought up to date by the last step
  };
  const std::vector<Case> cases = {
      {"insert at the top, renumber from the first", {top, {kRenumber, 1}}, true},
      {"insert at the top, renumber from the fifth", {top, {kRenumber, 5}}, true},
      {"insert at the top, renumber from the last", {top, {kRenumber, 8}}, true},
      {"renumber, then insert", {top, {kRenumber, 3}, {kInsert, 2, 1, 0, 0, "z\r\n"}}, false},
      {"delete, then renumber", {top, {kRenumber, 3}, {kDelete, 2, 0, 4, 0}, {kRenumber, 2}}, true},
      // The empty last line takes the number after the appended lines.
      {"appended before the empty last line", {{kAppend, 1, 0, 0, 0, "f\r\ng\r\n"}}, true},
      {"renumber, then append", {top, {kRenumber, 2}, {kAppend, 1, 0, 0, 0, "f\r\n"}}, false},
      {"join two appended lines, then undo",
       {{kAppend, 1, 0, 0, 0, "r"}, {kAppend, 1, 0, 0, 0, "o\r\n"}, {kJoin, 6}, {kUndo}},
       false},
  };
  for (const Case& c : cases) {
    Doc doc;
    std::string model;
    std::vector<std::string> undo;
    Start(doc, model);
    for (const Step& s : c.steps) Play(doc, s, model, undo);
    SECEdit& e = *doc.GetEdit();
    EXPECT_EQ(AllText(e), model) << c.name;
    EXPECT_EQ(WrongNumbers(e, c.stored), "") << c.name;
  }
  // The line found at a place is numbered that place.
  Doc doc;
  std::string model;
  std::vector<std::string> undo;
  Start(doc, model);
  Play(doc, top, model, undo);
  Play(doc, {kRenumber, 4}, model, undo);
  tagLINEDESC* c = doc.GetEdit()->GetLine(5);
  EXPECT_EQ(std::string(c->pText, 1), "c");
  EXPECT_EQ(doc.GetEdit()->LineNumber(c), 5u);
}

TEST(LineNumbers, RandomEditsAppendsAndRenumberingsAgainstAModel) {
  std::mt19937 rng(9106);
  auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
  const char* const inserts[] = {"q", "x\r\ny\r\n", "\r\n", "m\r\nn"};
  const char* const appends[] = {"o\r\n", "p\r\nq\r\n", "r"};
  for (int round = 0; round < 100; ++round) {
    Doc doc;
    SECEdit& e = *doc.GetEdit();
    std::string model, trail;
    std::vector<std::string> undo;
    Start(doc, model);
    for (int i = 0; i < 60; ++i) {
      const int lines = e.m_nLineCount, line = 1 + pick(lines);
      const int offset = pick(e.TextLength(e.GetLine(line)) + 1);
      Step s{(Kind)pick(kRenumber + 1), line, offset};
      if (s.kind == kInsert) s.text = inserts[pick(4)];
      if (s.kind == kAppend) s.text = appends[pick(3)];
      if (s.kind == kJoin && line == lines) s.kind = kSplit;
      if (s.kind == kUndo && undo.empty()) s.kind = kRenumber;
      if (s.kind == kDelete) {
        s.endLine = line + pick(std::min(3, lines - line + 1));
        s.endOffset = pick(e.TextLength(e.GetLine(s.endLine)) + 1);
        if (s.endLine == line && s.endOffset <= offset) s.endOffset = offset, s.offset = 0;
        if (s.endLine == line && s.endOffset == 0) s.kind = kSplit;
      }
      trail += std::to_string(s.kind) + "@" + std::to_string(s.line) + "," + std::to_string(s.offset) + " ";
      Play(doc, s, model, undo);
      ASSERT_FALSE(testing::Test::HasFatalFailure()) << trail;
      ASSERT_EQ(AllText(e), model) << trail;
      ASSERT_EQ(WrongNumbers(e, s.kind == kRenumber), "") << "round " << round << ": " << trail;
    }
  }
}
