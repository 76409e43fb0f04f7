// The keys of each kind of cell, idle (current but not active), with a value typed and not yet
// confirmed, read-only and disabled: F2, Alt+Down and Delete start editing where a click does, typing
// replaces the text, Enter, Tab, Shift+Tab, F2 and Down store what was typed, Escape and Ctrl+Z give the
// stored value back, a read-only or disabled cell stores nothing. Each picture is held against a full
// repaint.
#include "grid/controls/GXTreeEdit.h"
#include "grid/controls/HexGridCtrl.h"
#include "grid/engine/GXControl.h"
#include "platform/ui/Clipboard.h"
#include "tests/grid_controls/CellScene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace dravonix::test;

namespace {

enum Trait : unsigned {
  kEdits = 1,       // a typed character starts editing
  kF2 = 2,          // F2 activates
  kDeleteEdits = 4, // Delete activates with an empty text; without it the grid clears the cell
  kDrops = 8,       // Alt+Down activates (and opens a list or calendar)
  kPicks = 16,      // no field to edit: Backspace leaves the chosen entry
  kKeysActivate = 32,  // every key activates the idle cell (the list box)
};

struct KeyKind {
  UINT id;
  const char* value;
  const char* choices;
  unsigned traits;
  const char* typed = "7";
  const char* shown = "7";   // what typing shows
  const char* stored = "7";  // what confirming stores
  const char* idle = nullptr;  // what the idle cell shows, when not its value
  const char* spaced = nullptr;  // what Space stores in a check or radio cell
};

const unsigned kEdit = kEdits | kF2 | kDeleteEdits;
const KeyKind kKeyKinds[] = {
    {52512, "abc", nullptr, kEdit}, {52521, "abc", nullptr, kEdit}, {52518, "abc", nullptr, kEdit},
    {52519, "12", nullptr, kEdit}, {52537, "abc", nullptr, kEdit, "7", "7", "7", "***"},
    {15001, "abc", nullptr, kEdit}, {15005, "1A", nullptr, kEdits | kF2},
    {52535, "123456", nullptr, kEdit, "7", "7_____"},
    {52534, "abc", nullptr, kEdits | kF2, "7", "7", "7}"},
    {52517, "Red", "Red\nGreen", kEdit | kDrops}, {52527, "Red", "Red\nGreen", kEdit | kDrops, "g", "g", "Green"},
    {52541, "1", "1\tGreen\n2\tBlue", kEdit | kDrops, "B", "Blue", "2", "Green"},
    {52528, "Red", "Red\nGreen", kEdits | kF2 | kDrops, "G", "G", "G"},
    {52529, "Red", "Red\nGreen", kEdits | kF2 | kDrops | kPicks, "G", "Green", "Green"},
    {52539, "1", "1\tGreen\n2\tBlue", kEdits | kF2 | kDrops, "B", "B", "2", "Green"},
    {52540, "1", "1\tGreen\n2\tBlue", kEdits | kF2 | kDrops | kPicks, "B", "Blue", "2", "Green"},
    {52542, "", "One\nTwo", kF2 | kDeleteEdits | kDrops, "7", "", "", "One"},
    {52543, "3/15/2024", nullptr, kF2 | kDrops},
    {52522, "Two", "One\nTwo", kF2 | kKeysActivate},
    {52544, "3/15/2024", nullptr, kF2 | kDrops},
    {52513, "abc", nullptr, 0}, {52514, "Push", nullptr, 0}, {52536, "30", nullptr, 0}, {52520, "abc", nullptr, 0},
    // The flat and 3-D check and radio kinds take keys alike: one of each.
    {52516, "0", nullptr, 0, "7", "7", "7", nullptr, "1"}, {52524, "", "One\nTwo", 0, "7", "7", "7", nullptr, "0"},
};

enum Access { kWritable, kReadOnly, kDisabled };

void PutKind(CellScene& s, const KeyKind& kind, Access access) {
  CGXStyle cell = s.KindCell(kind.id, kind.value, kind.choices);
  if (kind.id == 15005) cell.SetMaxLength(4);
  if (access == kReadOnly) cell.SetReadOnly(TRUE);
  if (access == kDisabled) cell.SetEnabled(FALSE);
  s.Put(2, 2, cell);
}

struct KeyStep {
  const char* name;
  UINT vk;
  UINT modifiers;
};

// One case per mode, so they run side by side.
class CellKeyModes : public ::testing::TestWithParam<int> {};

TEST_P(CellKeyModes, EachKindTakesItsKeysIdleTypedAndReadOnly) {
  const KeyStep idleSteps[] = {{"type", 0, 0}, {"F2", VK_F2, 0}, {"Delete", VK_DELETE, 0}, {"Backspace", VK_BACK, 0},
                            {"Alt+Down", VK_DOWN, UiAutomation::kAlt}, {"Alt+Up", VK_UP, UiAutomation::kAlt},
                            {"F4", VK_F4, 0}, {"Space", VK_SPACE, 0}, {"Tab", VK_TAB, 0},
                            {"Ctrl+Z", 'Z', UiAutomation::kControl}, {"Shift+F10", VK_F10, UiAutomation::kShift},
                            {"Apps", VK_APPS, 0}};
  const KeyStep typedSteps[] = {{"Enter", VK_RETURN, 0}, {"Tab", VK_TAB, 0}, {"Shift+Tab", VK_TAB, UiAutomation::kShift},
                             {"F2", VK_F2, 0}, {"Escape", VK_ESCAPE, 0}, {"Backspace", VK_BACK, 0},
                             {"Delete", VK_DELETE, 0}, {"Down", VK_DOWN, 0}, {"Ctrl+Z", 'Z', UiAutomation::kControl}};
  const int mode = GetParam();  // idle, typed, read-only
  for (const KeyKind& kind : kKeyKinds) {
    {
      const bool typed = mode == 1, readOnly = mode == 2;
      if (typed && !(kind.traits & kEdits)) continue;
      const KeyStep* steps = typed ? typedSteps : idleSteps;
      const size_t count = typed ? std::size(typedSteps) : std::size(idleSteps);
      for (size_t i = 0; i < count; ++i) {
        const KeyStep& step = steps[i];
        // Kept short: F4 and the Alt arrows only where something drops, read-only cells only with the
        // keys that would change them.
        const bool altOrF4 = step.vk == VK_F4 || step.modifiers == UiAutomation::kAlt;
        if (altOrF4 && !(kind.traits & (kDrops | kKeysActivate))) continue;
        if ((step.vk == VK_F10 || step.vk == VK_APPS) && !kind.spaced) continue;  // the check and radio kinds
        if (readOnly && (step.vk == VK_F4 || step.vk == VK_UP || step.vk == VK_TAB || step.vk == 'Z')) continue;
        CellScene s;
        PutKind(s, kind, readOnly ? kReadOnly : kWritable);
        s.m_doc.SetModifiedFlag(FALSE);
        s.Click(2, 3);
        s.Key(VK_LEFT);
        const std::string what = std::to_string(kind.id) + (typed ? " typed " : readOnly ? " read-only " : " idle ") +
                                 step.name;
        if (typed) s.Type(kind.typed);
        if (step.vk) s.Key(step.vk, step.modifiers);
        else s.Type(kind.typed);
        CGXControl* control = s.grid->GetControl(2, 2);
        const std::string idleShown = kind.idle ? kind.idle : kind.value;
        std::string value = kind.value, current = "2,2", shown = idleShown;
        bool active = false;
        if (typed) {
          const bool stores = step.vk == VK_RETURN || step.vk == VK_TAB || step.vk == VK_F2 || step.vk == VK_DOWN;
          if (stores) value = kind.stored;
          if (step.vk == VK_RETURN || (step.vk == VK_TAB && !step.modifiers)) current = "2,3";
          if (step.vk == VK_TAB && step.modifiers) current = "2,1";
          if (step.vk == VK_DOWN) current = "3,2";
          // The Windows combos' field keeps Ctrl+Z for its own undo, which a text put in by the grid empties.
          const bool ownUndo = kind.id == 52528 || kind.id == 52529 || kind.id == 52539 || kind.id == 52540;
          active = step.vk == VK_BACK || step.vk == VK_DELETE || (step.vk == 'Z' && ownUndo);
          if (step.vk == 'Z' && ownUndo) shown = kind.shown;
          if (step.vk == VK_DELETE) {
            // Delete at the end of the text takes nothing but a completion's selected tail; a drop-down
            // list clears the cell.
            shown = kind.id == 52541 ? "B" : kind.shown;
            if (kind.traits & kPicks) active = false, value = "", shown = "";
          }
          // Backspace takes the mask's character, a completion's selected tail, or the one typed.
          if (step.vk == VK_BACK)
            shown = kind.id == 52535 ? "______" : kind.id == 52541 ? "B" : (kind.traits & kPicks) ? kind.shown : "";
          else if (stores) shown = "";  // the stored value is held above
          if (stores) {
            EXPECT_TRUE(s.m_doc.IsModified()) << what;
          }
        } else if (readOnly) {
          // Nothing is stored; the list box still opens on a key, a list or a calendar still drops.
          const bool alt = step.modifiers == UiAutomation::kAlt;
          const bool opens = step.vk == 0 || step.vk == VK_BACK || step.vk == VK_SPACE;  // F2 opens no read-only cell
          active = (kind.traits & kKeysActivate) ? opens : (kind.traits & kDrops) && step.vk == VK_DOWN && alt;
          if (step.vk == VK_TAB) current = "2,3";
          if (step.vk == 'Z') value = "";
        } else {
          const unsigned t = kind.traits;
          if (!step.vk && (t & kEdits)) {
            active = true;
            shown = kind.id == 52535 ? "7_____" : kind.id == 52539 ? kind.typed : kind.shown;
          }
          const bool date = kind.id == 52543 || kind.id == 52544;
          if (!step.vk && date) active = true;
          if (step.vk == VK_F2) active = t & kF2;
          if (step.vk == VK_DELETE) {
            if (t & kDeleteEdits) active = true, shown = kind.id == 52535 ? "______" : "";
            else if (kind.id != 15005 && !(t & kKeysActivate)) value = "", shown = "";
            if (kind.id == 15005) active = true;
            if (kind.id == 52534) value = "{}";
          }
          if (step.vk == VK_DOWN) active = t & kDrops;
          if (step.vk == VK_SPACE) {
            // A blank is typed where the cell takes one: the mask's blank is its prompt, a drop-down list
            // finds no entry; hexadecimal digits and choices that fit refuse it.
            const bool refused = kind.id == 15005 || kind.id == 52527 || kind.id == 52541 || kind.id == 52539;
            active = ((t & kEdits) && !refused) || date;
            if (kind.spaced) value = shown = kind.spaced;
            if ((t & kEdits) && !refused) shown = kind.id == 52535 ? "______" : (t & kPicks) ? idleShown : " ";
          }
          // The list box opens on a key that the open list keeps, the others are the grid's.
          if (t & kKeysActivate) active = step.vk == 0 || step.vk == VK_F2 || step.vk == VK_BACK || step.vk == VK_SPACE;
          if (step.vk == VK_DELETE && (t & kKeysActivate)) value = "", shown = "";
          if (step.vk == VK_TAB) current = "2,3";
          if (step.vk == 'Z') value = "", shown = "";  // the cell's style put in last is undone
        }
        if (active && shown == "***") shown = kind.value;  // the password's window holds the real text
        if (kind.id == 52534 && typed && value != kind.value) {
          EXPECT_NE(std::string::npos, s.Value(2, 2).find(value)) << what;
        } else {
          EXPECT_EQ(value, s.Value(2, 2)) << what;
        }
        EXPECT_EQ(current, s.Current()) << what;
        if (kind.spaced) {  // Space is reported to the host as a click is
          EXPECT_EQ(step.vk == VK_SPACE && !readOnly ? 1 : 0, s.Reported()) << what;
        }
        if (current == "2,2") {
          EXPECT_EQ(active, (bool)control->IsActive()) << what;
          if (!readOnly && !(typed && step.vk == VK_F2)) {
            EXPECT_EQ(shown, s.Shown()) << what;
          }
        }
        if (!readOnly) {  // a read-only cell changes no picture the idle rows do not hold already
          EXPECT_EQ(0, s.Off()) << what;
        }
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, CellKeyModes, ::testing::Range(0, 3));

}  // namespace

// A disabled cell of any kind never becomes current: Left passes over it, a click on it leaves the
// current cell where it was, so what is typed next does not reach it.
TEST(CellKeyRoutes, NoKeyReachesADisabledCell) {
  for (const KeyKind& kind : kKeyKinds) {
    CellScene s;
    PutKind(s, kind, kDisabled);
    s.Click(2, 3);
    s.Key(VK_LEFT);
    EXPECT_EQ("2,1", s.Current()) << kind.id;
    s.Click(2, 2, 10);  // on a check box's box
    EXPECT_EQ("2,1", s.Current()) << kind.id;
    UiAutomation::DoubleClick(s.View(), s.At(2, 2, 10));
    s.Key(VK_SPACE);
    s.Key(VK_F2);
    s.Type(kind.typed);
    s.Key(VK_DELETE);
    s.Key(VK_RETURN);
    EXPECT_EQ(kind.value, s.Value(2, 2)) << kind.id;
    EXPECT_EQ(0, s.Reported()) << kind.id;
  }
}

// One digit typed into a date cell's month keeps the field open for a second; leaving the cell by Enter,
// Tab or F2 stores it as leaving the field does.
TEST(CellKeyRoutes, ALoneDigitInADateFieldIsStoredByTheKeysThatLeaveTheCell) {
  for (UINT key : {(UINT)VK_RETURN, (UINT)VK_TAB, (UINT)VK_F2}) {
    CellScene s;
    CGXStyle cell;
    cell.SetControl(52543).SetValue("3/15/2024");
    s.Put(2, 2, cell);
    s.Click(2, 3);
    s.Click(2, 2, 6);  // on the month
    s.Type("9");
    s.Key(key);
    EXPECT_EQ("09/15/2024", s.Value(2, 2)) << key;
    EXPECT_EQ(0, s.Off()) << key;
  }
}

// Insert, then a character typed or a text pasted over two selected characters, or a character typed
// with nothing selected: a selection is replaced whatever the mode; only the mask overwrites (an edit
// window has no overtype mode of its own).
TEST(CellKeyRoutes, InsertThenTypingOrPastingOverASelection) {
  struct Row {
    UINT id;
    const char* value;
    const char* typed;     // "9" over "23" ("bc")
    const char* pasted;    // "84" over it
    const char* noSelection;  // "9" at the caret
  };
  const Row rows[] = {
      {52512, "abcdef", "a9def", "a84def", "a9bcdef"},  {52535, "123456", "19456", "184456", "193456"},
      {15005, "123456", "19456", "184456", "1923456"},  {52519, "123456", "19456", "184456", "1923456"},
      {52517, "abcdef", "a9def", "a84def", "a9bcdef"},  {52528, "abcdef", "a9def", "a84def", "a9bcdef"},
  };
  for (const Row& row : rows)
    for (int route = 0; route < 3; ++route) {
      CellScene s;
      s.grid->RegisterControl(15005, new CHexGridCtrl(s.grid), FALSE, FALSE);
      CGXStyle cell;
      cell.SetControl(row.id).SetValue(row.value).SetMaxLength(8);
      if (row.id == 52535) cell.SetUserAttribute(51023, "######");
      if (row.id == 52517 || row.id == 52528) cell.SetChoiceList("Red\nGreen");
      s.Put(2, 2, cell);
      ASSERT_TRUE(::OpenClipboard(s.View()));
      ::EmptyClipboard();
      HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, 3);
      std::memcpy(::GlobalLock(h), "84", 3);
      ::GlobalUnlock(h);
      ::SetClipboardData(CF_TEXT, h);
      ::CloseClipboard();
      s.Click(2, 3);
      s.Key(VK_LEFT);
      s.Key(VK_F2);
      s.Key(VK_HOME);
      s.Key(VK_RIGHT);
      if (route != 2) {
        s.Key(VK_RIGHT, UiAutomation::kShift);
        s.Key(VK_RIGHT, UiAutomation::kShift);
      }
      s.Key(VK_INSERT);
      if (route == 1) s.Key('V', UiAutomation::kControl);
      else s.Type("9");
      s.Key(VK_RETURN);
      const std::string what =
          std::to_string(row.id) + (route == 0 ? " typed" : route == 1 ? " pasted" : " no selection");
      EXPECT_EQ(route == 0 ? row.typed : route == 1 ? row.pasted : row.noSelection, s.Value(2, 2)) << what;
      EXPECT_EQ(0, s.Off()) << what;
    }
}

// A value given back by Ctrl+Z to the idle current cell is the text its next edit starts from.
TEST(CellKeyRoutes, AnEditAfterUndoStartsFromTheValueUndoGaveBack) {
  CellScene s;
  CGXStyle cell;
  cell.SetControl(52512).SetValue("abc");
  s.Put(2, 2, cell);
  s.Click(2, 3);
  s.Key(VK_LEFT);
  s.Type("x");
  s.Key(VK_RETURN);
  s.Key(VK_LEFT);
  s.Key('Z', UiAutomation::kControl);
  ASSERT_EQ("abc", s.Value(2, 2));
  s.Key(VK_F2);
  s.Key(VK_END);
  s.Type("y");
  s.Key(VK_RETURN);
  EXPECT_EQ("abcy", s.Value(2, 2));
  EXPECT_EQ(0, s.Off());
}
