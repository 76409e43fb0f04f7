// Blocks of the G-code translator: parsing into ordered words, modal groups and the words that
// change the interpreter state without moving anything.
#include <cmath>

#include "platform/core/Format.h"
#include "views/gcode/GcodeTranslator.h"

namespace {

// The code times ten when the value is exactly one of the codes with one decimal, else -1.
int Code10(double code) {
  if (!(code >= 0 && code < 100)) return -1;
  long c = std::lround(code * 10);
  if ((double)c / 10.0 != code) return -1;
  return (int)c;
}

int WordIndex(char letter) {
  switch (letter) {
    case 'X': return CGcodeTranslator::AXIS_X;
    case 'Y': return CGcodeTranslator::AXIS_Y;
    case 'Z': return CGcodeTranslator::AXIS_Z;
    case 'A': return CGcodeTranslator::AXIS_A;
    case 'B': return CGcodeTranslator::AXIS_B;
    case 'C': return CGcodeTranslator::AXIS_C;
    case 'H': return CGcodeTranslator::WORD_H;
    case 'I': return CGcodeTranslator::WORD_I;
    case 'J': return CGcodeTranslator::WORD_J;
    case 'K': return CGcodeTranslator::WORD_K;
    case 'L': return CGcodeTranslator::WORD_L;
    case 'P': return CGcodeTranslator::WORD_P;
    case 'Q': return CGcodeTranslator::WORD_Q;
    case 'R': return CGcodeTranslator::WORD_R;
    case 'T': return CGcodeTranslator::WORD_T;
  }
  return -1;
}

bool IsWordLetter(char c) { return WordIndex(c) >= 0 || c == 'F' || c == 'S' || c == 'G' || c == 'M'; }

bool IsToken(const std::vector<CString>& texts, const std::vector<BYTE>& kinds, int i, BYTE kind, const char* text) {
  return i < (int)texts.size() && kinds[i] == kind && texts[i] == text;
}

}  // namespace

int CGcodeTranslator::GetGcodeModalGroup(double code) {
  switch (Code10(code)) {
    case 40: case 100: case 280: case 300: case 530: case 920: case 921: case 922: case 923:
      return 0;
    case 0: case 10: case 20: case 30: case 382:
    case 800: case 810: case 820: case 830: case 840: case 850: case 860: case 870: case 880: case 890:
      return 1;
    case 170: case 180: case 190: return 2;
    case 900: case 910: return 3;
    case 930: case 940: return 5;
    case 200: case 210: return 6;
    case 400: case 410: case 420: case 450: return 7;
    case 430: case 490: return 8;
    case 980: case 990: return 10;
    case 540: case 550: case 560: case 570: case 580: case 590: case 591: case 592: case 593: return 12;
    case 610: case 611: case 640: return 13;
  }
  return -1;
}

int CGcodeTranslator::GetMcodeModalGroup(double code) {
  if (!(code >= 0 && code < 100) || code != std::floor(code)) return -1;
  switch ((int)code) {
    case 0: case 1: case 2: case 30: case 60: return 4;
    case 6: return 6;
    case 3: case 4: case 5: return 7;
    case 7: case 8: case 9: return 8;
    case 48: case 49: return 9;
  }
  return -1;
}

int CGcodeTranslator::GetGcodeWordOrder(char letter, double value, CString& error) {
  if (WordIndex(letter) >= 0 && letter != 'T') return 0;
  switch (letter) {
    case 'F': return 3;
    case 'S': return 4;
    case 'T': return 5;
    case 'M':
      switch (GetMcodeModalGroup(value)) {
        case 6: return 6;
        case 7: return 7;
        case 8: return 8;
        case 9: return 9;
        case 4: return 21;
      }
      break;
    case 'G': {
      int c = Code10(value);
      switch (GetGcodeModalGroup(value)) {
        case 0: return c == 40 ? 10 : 19;
        case 1: return 20;
        case 2: return 11;
        case 3: return 17;
        case 5: return 2;
        case 6: return 12;
        case 7: return 13;
        case 8: return 14;
        case 10: return 18;
        case 12: return 15;
        case 13: return 16;
      }
      break;
    }
  }
  if (letter == 'G' || letter == 'M')
    error.Format(letter == 'G' ? "unknown G-code %lf" : "unknown M-code %lf", value);
  else
    error.Format("'%c' - unknown word-starting letter", letter);
  return -1;
}

BOOL CGcodeTranslator::ParseGcodeParameterSetting(const std::vector<CString>& texts, const std::vector<BYTE>& kinds,
                                                  int& i, std::vector<int>& paramNumbers,
                                                  std::vector<double>& paramValues, CString& error) {
  const int n = (int)texts.size();
  if (++i >= n) {
    error = "invalid G-code block format";
    return FALSE;
  }
  int numberEnd = i + 1;
  if (IsToken(texts, kinds, i, TOKEN_OPERATOR, "[")) {
    int depth = 0, j = i;
    for (; j < n; j++) {
      if (kinds[j] != TOKEN_OPERATOR) continue;
      if (texts[j] == "[") depth++;
      else if (texts[j] == "]" && --depth == 0) break;
    }
    if (j >= n) {
      error = "invalid G-code block format";
      return FALSE;
    }
    numberEnd = j + 1;
  }
  int pos = i;
  double number = ParseGcodeExpression(texts, kinds, pos, error, numberEnd);
  if (!error.IsEmpty()) return FALSE;
  if (pos != numberEnd) {
    error = "invalid G-code block format";
    return FALSE;
  }
  if (number != std::floor(number) || number < 1 || number > MAX_PARAMETER) {
    error.Format("valid parameters are between #1 and #%d", MAX_PARAMETER);
    return FALSE;
  }
  i = numberEnd;
  if (i >= n) {
    error = "invalid G-code block format";
    return FALSE;
  }
  if (!IsToken(texts, kinds, i, TOKEN_OPERATOR, "=")) {
    error = "'=' expected after #param_nubmer";
    return FALSE;
  }
  if (++i >= n) {
    error = "invalid G-code block format";
    return FALSE;
  }
  pos = i;
  double value = ParseGcodeExpression(texts, kinds, pos, error);
  if (!error.IsEmpty()) return FALSE;
  paramNumbers.push_back((int)number);
  paramValues.push_back(value);
  i = pos;
  return TRUE;
}

BOOL CGcodeTranslator::NoteGcodeWordOnce(char letter, double value, tagBlockWords& seen, CString& error) {
  if (letter == 'G') {
    int group = GetGcodeModalGroup(value);
    if (group < 0) {
      error.Format("unknown G-code %lf", value);
      return FALSE;
    }
    if (seen.gGroup[group]) {
      error.Format("block contains 2 or more G-codes from modal group %d", group);
      return FALSE;
    }
    seen.gGroup[group] = true;
  } else if (letter == 'M') {
    int group = GetMcodeModalGroup(value);
    if (group < 0) {
      error.Format("unknown M-code %lf", value);
      return FALSE;
    }
    if (seen.mGroup[group]) {
      error.Format("block contains 2 or more M-codes from modal group %d", group);
      return FALSE;
    }
    seen.mGroup[group] = true;
    if (++seen.mCount > 4) {
      error = "block contains more than 4 M-codes";
      return FALSE;
    }
  } else {
    if (seen.letter[letter - 'A']) {
      error.Format("block contains more than one %c-codes", letter);
      return FALSE;
    }
    seen.letter[letter - 'A'] = true;
  }
  return TRUE;
}

BOOL CGcodeTranslator::ParseGcodeBlock(const std::vector<CString>& texts, const std::vector<BYTE>& kinds,
                                       std::vector<char>& letters, std::vector<double>& values,
                                       std::vector<int>& paramNumbers, std::vector<double>& paramValues,
                                       CString& comment, CString& error) {
  letters.clear();
  values.clear();
  m_arrRanks.clear();
  paramNumbers.clear();
  paramValues.clear();
  comment.Empty();
  error.Empty();
  const int n = (int)texts.size();
  int i = 0;
  if (IsToken(texts, kinds, 0, TOKEN_OPERATOR, "/")) {
    if (m_settings.m_bBlockDelete) return TRUE;
    i = 1;
  }
  if (IsToken(texts, kinds, i, TOKEN_WORD, "N") && i + 1 < n && kinds[i + 1] == TOKEN_INTEGER) i += 2;

  tagBlockWords seen;
  while (i < n) {
    const BYTE kind = kinds[i];
    const CString& text = texts[i];
    if (kind == TOKEN_COMMENT) {
      comment = text;
      i++;
      continue;
    }
    if (kind == TOKEN_OPERATOR && text == "#") {
      if (!ParseGcodeParameterSetting(texts, kinds, i, paramNumbers, paramValues, error)) return FALSE;
      continue;
    }
    if (kind != TOKEN_WORD || text.GetLength() != 1) {
      error.Format("unknown command '%s'", (const char*)text);
      return FALSE;
    }
    const char letter = text[0];
    if (!IsWordLetter(letter)) {
      error.Format("'%c' - unknown word-starting letter", letter);
      return FALSE;
    }
    if (++i >= n) {
      error = "invalid G-code block format";
      return FALSE;
    }
    int pos = i;
    double value = ParseGcodeExpression(texts, kinds, pos, error);
    if (!error.IsEmpty()) return FALSE;
    i = pos;
    if (!NoteGcodeWordOnce(letter, value, seen, error)) return FALSE;
    int rank = GetGcodeWordOrder(letter, value, error);
    if (rank < 0) return FALSE;
    // Words are kept in the order they execute in.
    size_t at = m_arrRanks.size();
    while (at > 0 && m_arrRanks[at - 1] > rank) at--;
    m_arrRanks.insert(m_arrRanks.begin() + (long)at, rank);
    letters.insert(letters.begin() + (long)at, letter);
    values.insert(values.begin() + (long)at, value);
  }
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// State

void CGcodeTranslator::ResetGcodeState() {
  for (int k = 0; k < 6; k++) {
    m_dOffset[k] = m_dParameters[5211 + k];
    m_dPosition[k] = m_dProgram[k] = 0;
  }
  m_nMotionMode = 1;
  m_nPlane = 0;
  m_nDistanceMode = 0;
  m_nFeedMode = 0;
  m_nUnits = m_settings.m_nUnits;
  m_nPathControl = 0;
  m_nRetractMode = 1;
  m_nSpindle = 2;
  m_nCoolant = 0;
  m_nOverrides = 0;
}

double CGcodeTranslator::SystemOrigin(int system, int axis) const {
  // A number outside 1..9 (#5220 is an ordinary parameter a program may overwrite) has no origins.
  if (system < 1 || system > 9) return 0;
  return m_dParameters[5221 + 20 * (system - 1) + axis];
}

void CGcodeTranslator::ReframePosition(int axis, double programmed) {
  const double beside = m_dPosition[axis] - m_dProgram[axis];
  m_dPosition[axis] = m_dPosition[axis] == m_dProgram[axis] ? programmed : programmed + beside;
  m_dProgram[axis] = programmed;
}

static int SystemNumber(double value) {
  return (value >= 1 && value <= 9 && value == std::floor(value)) ? (int)value : 0;
}

double CGcodeTranslator::MachineOrigin(int axis) const {
  return m_dOffset[axis] + SystemOrigin(SystemNumber(m_dParameters[5220]), axis);
}

void CGcodeTranslator::SelectGcodeCoordinateSystem(int n) {
  if ((double)n == m_dParameters[5220]) return;
  const int old = SystemNumber(m_dParameters[5220]);
  for (int k = 0; k < 6; k++) ReframePosition(k, m_dProgram[k] + (SystemOrigin(old, k) - SystemOrigin(n, k)));
  m_dParameters[5220] = n;
}

void CGcodeTranslator::CancelGcodeOffsets() {
  for (int k = 0; k < 6; k++) {
    ReframePosition(k, m_dProgram[k] + m_dOffset[k]);
    m_dOffset[k] = 0;
  }
}

void CGcodeTranslator::ChangeUnits(int units) {
  if (units == m_nUnits) return;
  FlushGcodeSegments();  // an element carries one unit: the moves before the change keep theirs
  for (int k = 0; k < 3; k++) {
    if (units == 0) {
      m_dPosition[k] /= 25.4;
      m_dProgram[k] /= 25.4;
      m_dOffset[k] /= 25.4;
      for (int s = 0; s < 9; s++) m_dParameters[5221 + 20 * s + k] /= 25.4;
    } else {
      m_dPosition[k] *= 25.4;
      m_dProgram[k] *= 25.4;
      m_dOffset[k] *= 25.4;
      for (int s = 0; s < 9; s++) m_dParameters[5221 + 20 * s + k] *= 25.4;
    }
  }
  m_nUnits = units;
}

// ---------------------------------------------------------------------------------------------
// Execution

void CGcodeTranslator::ExecuteGcodeBlock() {
  m_bMachineCoords = false;
  m_bImplicitMotion = true;
  for (int k = 0; k < WORD_COUNT; k++) m_bWord[k] = false;
  const size_t count = m_arrLetters.size();
  for (size_t w = 0; w < count; w++) {
    const char letter = m_arrLetters[w];
    const double value = m_arrValues[w];
    switch (letter) {
      case 'G': ExecuteGcode(Code10(value)); break;
      case 'M': ExecuteMcode((int)value); break;
      case 'F': m_dFeed = value; break;
      case 'S':
        if (m_settings.m_nSpindleSlave < 0)
          Warn("S word ignored: this axis doesn't have an associated slave ID");
        else
          m_dSpeed = value;
        break;
      default: {
        int k = WordIndex(letter);
        if (k < 0) break;
        if (k < 6 && m_settings.m_nAxisSlave[k] < 0) {
          AddGcodeFreeText(FormatString("%c word ignored: this axis doesn't have an associated slave ID", letter));
          break;
        }
        m_dWord[k] = value;
        m_bWord[k] = true;
      }
    }
  }
  if (m_bImplicitMotion && m_nMotionMode != MOTION_NONE) {
    bool axisWord = false;
    for (int k = 0; k < 6; k++) axisWord = axisWord || m_bWord[k];
    if (axisWord) ExecuteGcode(m_nMotionMode < 4 ? m_nMotionMode * 10 : 810 + (m_nMotionMode - 4) * 10);
  }
  for (size_t p = 0; p < m_arrParamNumbers.size(); p++) m_dParameters[m_arrParamNumbers[p]] = m_arrParamValues[p];
}

void CGcodeTranslator::ExecuteGcode(int code10) {
  switch (code10) {
    case 0:
    case 10: {
      const BOOL rapid = code10 == 0;
      m_bImplicitMotion = false;
      if (!TranslateGcodeStraightMove(rapid, m_bMachineCoords))
        Warn(rapid ? "G0 motion: no axis words were specified" : "G1 motion: no axis words were specified");
      m_nMotionMode = rapid ? 0 : 1;
      break;
    }
    case 20:
    case 30: {
      const BOOL clockwise = code10 == 20;
      m_bImplicitMotion = false;
      m_nMotionMode = clockwise ? 2 : 3;
      CString error;
      if (!TranslateGcodeArc(clockwise, error)) AddGcodeFreeText(CString(clockwise ? "G2 motion: " : "G3 motion: ") + error);
      break;
    }
    case 40:
      if (!m_bWord[WORD_P] || m_dWord[WORD_P] < 0)
        Warn("G4 syntax error: invalid P word");
      else
        TranslateGcodeDwell(m_dWord[WORD_P]);
      break;
    case 100:
      m_bImplicitMotion = false;
      ExecuteG10();
      break;
    case 170: m_nPlane = 0; break;
    case 180: m_nPlane = 1; break;
    case 190: m_nPlane = 2; break;
    case 200: ChangeUnits(0); break;
    case 210: ChangeUnits(1); break;
    case 280:
      m_bImplicitMotion = false;
      ExecuteG28G30(5161);
      break;
    case 300:
      m_bImplicitMotion = false;
      ExecuteG28G30(5181);
      break;
    case 382:
      // A probe move that is not made must not turn into a feed move of the same block.
      m_bImplicitMotion = false;
      Warn("G38.2 ignored: straight probe not supported");
      break;
    case 400: case 410: case 420: case 450:
      Warn("G40/G41/G42/G45 ignored: cutter radius compensation not supported");
      break;
    case 430: case 490:
      Warn("G43/G49 ignored: tool length offset not supported");
      break;
    case 530: m_bMachineCoords = true; break;
    case 540: case 550: case 560: case 570: case 580: case 590:
      SelectGcodeCoordinateSystem(1 + (code10 - 540) / 10);
      break;
    case 591: case 592: case 593:
      SelectGcodeCoordinateSystem(7 + (code10 - 591));
      break;
    case 610: m_nPathControl = 0; break;
    case 611: m_nPathControl = 1; break;
    case 640:
      Warn("G64 translated to G61: continuous path control mode not supported");
      m_nPathControl = 0;
      break;
    case 800:
      // G80 ends the canned cycle: later axis words without a motion code do not drill again.
      m_bImplicitMotion = false;
      m_nMotionMode = MOTION_NONE;
      break;
    case 810: case 820: case 830: case 840: case 850: case 860: case 870: case 880: case 890:
      m_bImplicitMotion = false;
      TranslateGcodeCannedCycle(4 + (code10 - 810) / 10);
      break;
    case 900: m_nDistanceMode = 0; break;
    case 910: m_nDistanceMode = 1; break;
    case 920: case 921: case 922: case 923:
      if (code10 == 920) m_bImplicitMotion = false;
      ExecuteG92(code10);
      break;
    case 930: m_nFeedMode = 1; break;
    case 940: m_nFeedMode = 0; break;
    case 980: m_nRetractMode = 0; break;
    case 990: m_nRetractMode = 1; break;
  }
}

void CGcodeTranslator::ExecuteMcode(int code) {
  switch (code) {
    case 0: ProgramStop(0); break;
    case 1:
      if (m_settings.m_bOptionalStop) ProgramStop(0);
      break;
    case 2: ProgramEnd(); break;
    case 30:
      Warn("M30 translated to M2: pallet shuttle commands are not supported");
      ProgramEnd();
      break;
    case 60:
      Warn("M60 translated to M0: pallet shuttle commands are not supported");
      ProgramStop(0);
      break;
    case 3: TranslateGcodeSpindle(0); break;
    case 4: TranslateGcodeSpindle(1); break;
    case 5: TranslateGcodeSpindle(2); break;
    case 6: Warn("M6 ignored: tool change not supported"); break;
    case 7:
    case 8: TranslateGcodeCoolant(1); break;
    case 9: TranslateGcodeCoolant(0); break;
    case 48: m_nOverrides = 0; break;
    case 49: m_nOverrides = 1; break;
  }
}

void CGcodeTranslator::ExecuteG10() {
  const double p = m_dWord[WORD_P];
  if (!m_bWord[WORD_P] || p != std::floor(p) || p < 1 || p > 9) {
    Warn("G10 syntax error: invalid P word");
    return;
  }
  const int system = (int)p;
  const bool current = (double)system == m_dParameters[5220];
  for (int k = 0; k < 6; k++) {
    if (!m_bWord[k]) continue;
    double& origin = m_dParameters[5221 + 20 * (system - 1) + k];
    const double old = origin;
    origin = m_dWord[k];
    if (current) ReframePosition(k, m_dProgram[k] + (old - origin));
  }
}

void CGcodeTranslator::ExecuteG28G30(int firstHome) {
  TranslateGcodeStraightMove(TRUE, FALSE);
  double words[6];
  bool present[6];
  for (int k = 0; k < 6; k++) {
    words[k] = m_dWord[k];
    present[k] = m_bWord[k];
    // an axis without a slave is never moved
    m_bWord[k] = m_settings.m_nAxisSlave[k] >= 0;
    m_dWord[k] = m_dParameters[firstHome + k];
  }
  TranslateGcodeStraightMove(TRUE, TRUE);
  for (int k = 0; k < 6; k++) {
    m_dWord[k] = words[k];
    m_bWord[k] = present[k];
  }
}

void CGcodeTranslator::ExecuteG92(int code10) {
  switch (code10) {
    case 920:
      for (int k = 0; k < 6; k++) {
        if (!m_bWord[k]) continue;
        m_dOffset[k] += m_dProgram[k] - m_dWord[k];
        ReframePosition(k, m_dWord[k]);
      }
      for (int k = 0; k < 6; k++) m_dParameters[5211 + k] = m_dOffset[k];
      break;
    case 921:
      CancelGcodeOffsets();
      for (int k = 0; k < 6; k++) m_dParameters[5211 + k] = 0;
      break;
    case 922: CancelGcodeOffsets(); break;
    case 923:
      for (int k = 0; k < 6; k++) {
        const double offset = m_dParameters[5211 + k];
        ReframePosition(k, m_dProgram[k] + (m_dOffset[k] - offset));
        m_dOffset[k] = offset;
      }
      break;
  }
}
