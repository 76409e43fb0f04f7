// Translates G-code programs (RS274/NGC dialect) into motion elements: tokens, expressions, blocks,
// modal state, motion and device actions, and the parameter strings of the motion modules.
#pragma once

#include <vector>

#include "platform/core/String.h"
#include "platform/core/Types.h"
#include "views/gcode/GcodeExprElement.h"

// What the import dialog lets the user choose; the translator reads it, never changes it.
struct tagGcodeSettings {
  int m_nAxisSlave[6] = {-1, -1, -1, -1, -1, -1};  // X, Y, Z, A, B, C; -1 = no slave
  int m_nSpindleSlave = -1;
  BOOL m_bFeedOverride = FALSE;
  SHORT m_nFeedOverride = 100;  // percent
  BOOL m_bSpeedOverride = FALSE;
  SHORT m_nSpeedOverride = 100;
  BOOL m_bBlockDelete = FALSE;
  BOOL m_bOptionalStop = FALSE;
  BOOL m_bCycleStart = FALSE;
  int m_nCycleStartSlave = -1;
  int m_nCycleStartInput = -1;
  int m_nCycleStartLevel = 1;
  BOOL m_bCoolantValve = FALSE;
  int m_nCoolantSlave = -1;
  int m_nCoolantOutput = -1;
  int m_nCoolantLevel = 1;  // level at which the valve is open
  int m_nUnits = 1;         // 0 inch, 1 millimetre
  double m_dSpindleSpeed = 100.0;
  double m_dTraverseRate = 100.0;
  double m_dFeedRate = 10.0;
  int m_nDirection = -1;  // +1: positive speeds turn the spindle counterclockwise, -1 clockwise
};

// One element produced by a run: the name of its motion module and that module's parameters.
struct tagGcodeElement {
  CString m_strType;
  CString m_strParameters;
};

class CGcodeTranslator {
 public:
  static constexpr int MAX_PARAMETER = 5400;
  // L words and pecks of one canned-cycle block above these are refused, so that no block can
  // make an unbounded number of moves
  static constexpr int MAX_CYCLE_REPEATS = 1000;
  static constexpr int MAX_CYCLE_PECKS = 1000;
  enum {
    AXIS_X = 0, AXIS_Y, AXIS_Z, AXIS_A, AXIS_B, AXIS_C,
    // block word indices after the six axes
    WORD_H = 6, WORD_I, WORD_J, WORD_K, WORD_L, WORD_P, WORD_Q, WORD_R, WORD_T, WORD_COUNT,
    MASK_LINEAR = 7, MASK_ROTATIONAL = 56,
    // token kinds
    TOKEN_OPERATOR = 1, TOKEN_WORD, TOKEN_INTEGER, TOKEN_DECIMAL, TOKEN_COMMENT,
    // motion modes beyond G0-G3: 4-12 are G81-G89; G80 leaves no motion mode
    MOTION_NONE = -1,
  };
  enum {
    OP_ABS = 0, OP_ACOS, OP_ASIN, OP_ATAN, OP_COS, OP_EXP, OP_FIX, OP_FUP, OP_LN, OP_ROUND, OP_SIN,
    OP_SQRT, OP_TAN, OP_PARAM, OP_PLUS, OP_MINUS, OP_NOT, OP_OPEN, OP_CLOSE,
    OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_OR, OP_XOR, OP_AND, OP_MOD, OP_POW,
  };

  CGcodeTranslator();
  explicit CGcodeTranslator(const tagGcodeSettings& settings);

  void SetSettings(const tagGcodeSettings& settings) { m_settings = settings; }
  const tagGcodeSettings& GetSettings() const { return m_settings; }

  // A whole run over a text (lines end with LF; CR is dropped). On an error the elements made
  // before the failing line stay; the error names the line and the block.
  BOOL Translate(const char* text, CString& error);
  // The run in steps, for callers that read the file themselves.
  void BeginRun();
  BOOL TranslateLine(int lineNumber, const CString& line, CString& error);
  void EndRun() { FlushGcodeSegments(); }

  const std::vector<tagGcodeElement>& GetElements() const { return m_arrElements; }
  std::vector<tagGcodeElement>& GetElements() { return m_arrElements; }

  // Tokens and expressions.
  static BOOL TokenizeGcodeLine(const CString& line, std::vector<CString>& texts, std::vector<BYTE>& kinds);
  double ParseGcodeExpression(const std::vector<CString>& texts, const std::vector<BYTE>& kinds, int& position,
                              CString& error, int last = -1);
  static BOOL ScanGcodeNumber(BYTE kind, const CString& text, double& value);
  double EvaluateGcodeUnaryOperation(int code, double x, CString& error) const;
  static double EvaluateGcodeBinaryOperation(int code, double a, double b, CString& error);

  // Blocks and modal state.
  BOOL ParseGcodeBlock(const std::vector<CString>& texts, const std::vector<BYTE>& kinds, std::vector<char>& letters,
                       std::vector<double>& values, std::vector<int>& paramNumbers, std::vector<double>& paramValues,
                       CString& comment, CString& error);
  static int GetGcodeModalGroup(double code);
  static int GetMcodeModalGroup(double code);
  static int GetGcodeWordOrder(char letter, double value, CString& error);
  void ResetGcodeState();
  void SelectGcodeCoordinateSystem(int n);
  void CancelGcodeOffsets();
  void ExecuteGcodeBlock();

  // Motion and devices.
  BOOL TranslateGcodeStraightMove(BOOL rapid, BOOL machine);
  BOOL TranslateGcodeArc(BOOL clockwise, CString& error);
  void TranslateGcodeCannedCycle(int cycle);
  void TranslateGcodeDwell(double seconds);
  void TranslateGcodeSpindle(int state);
  void TranslateGcodeCoolant(int on);
  double GetGcodeFeedRate(BOOL rotational, BOOL machine = FALSE) const;
  double GetGcodeSpindleSpeed() const;

  // Output. Segments leave the positions to the motion code.
  void AddGcodeLinearSegment(int mask, double speed, double d0, double d1, double d2);
  void AddGcodeArcSegment(int planeMask, double speed, double radius, double startAngle, double increment);
  void FlushGcodeSegments();
  void AddGcodeFreeText(const CString& text);
  void AddGcodeJump(const char* label, BOOL isStart);
  void AddGcodeOutputBit(int slave, int port, int level);
  void AddGcodeSpindleProfile(int slave, double speed);
  void AddGcodeMotorStop(DWORD slaveMask);
  void AddGcodeWaitInput(int slave, int port, int level);
  void AddGcodeWaitTime(double seconds);

  // State, readable for callers and tests.
  double GetParameter(int n) const { return (n >= 1 && n <= MAX_PARAMETER) ? m_dParameters[n] : 0.0; }
  void SetParameter(int n, double v) { if (n >= 1 && n <= MAX_PARAMETER) m_dParameters[n] = v; }
  // Where the written path stands.
  double GetPosition(int axis) const { return m_dPosition[axis]; }
  double GetOffset(int axis) const { return m_dOffset[axis]; }
  double GetFeed() const { return m_dFeed; }
  double GetSpeed() const { return m_dSpeed; }
  int GetMotionMode() const { return m_nMotionMode; }
  int GetPlane() const { return m_nPlane; }
  int GetDistanceMode() const { return m_nDistanceMode; }
  int GetFeedMode() const { return m_nFeedMode; }
  int GetUnits() const { return m_nUnits; }
  int GetPathControl() const { return m_nPathControl; }
  int GetRetractMode() const { return m_nRetractMode; }
  int GetSpindleState() const { return m_nSpindle; }
  int GetCoolantState() const { return m_nCoolant; }
  int GetOverrides() const { return m_nOverrides; }

 private:
  // Expressions
  int FindPrefixOperator(BYTE kind, const CString& text) const;
  int FindBinaryOperator(BYTE kind, const CString& text) const;
  // Blocks
  // A "#n=value" setting; i is on the '#' and ends after the value.
  BOOL ParseGcodeParameterSetting(const std::vector<CString>& texts, const std::vector<BYTE>& kinds, int& i,
                                  std::vector<int>& paramNumbers, std::vector<double>& paramValues,
                                  CString& error);
  // The modal groups and letters one block has used so far.
  struct tagBlockWords {
    bool gGroup[14] = {}, mGroup[10] = {}, letter[26] = {};
    int mCount = 0;
  };
  // Refuses a word whose letter or modal group the block has already.
  static BOOL NoteGcodeWordOnce(char letter, double value, tagBlockWords& seen, CString& error);
  void ExecuteGcode(int code10);
  void ExecuteMcode(int code);
  void ExecuteG10();
  void ExecuteG28G30(int firstHome);
  void ExecuteG92(int code10);
  void ChangeUnits(int units);
  void Warn(const char* text) { AddGcodeFreeText(CString(text)); }
  double SystemOrigin(int system, int axis) const;
  // A change of coordinates: the programmed point becomes `programmed`, the written path moves with it.
  void ReframePosition(int axis, double programmed);
  // Motion
  BOOL GetDelta(int axis, BOOL machine, double& delta) const;
  // Where the current coordinates' zero lies in machine coordinates.
  double MachineOrigin(int axis) const;
  // The programmed point an axis word leads to.
  double GetTarget(int axis, BOOL machine) const;
  // The feed rate of a move of that length (inverse time) with the override.
  double FeedRateFor(double length) const;
  // The linear axes whose written path stands beside the programmed point.
  int OffPathAxes() const;
  // Writes the move of one group's masked axes to their targets from where the written path stands;
  // false when the path is there already.
  bool MoveStraightTo(const double target[6], int mask, double speed);
  // Moves along one axis only, to level.
  void MoveNormalTo(int axis, double level, double speed);
  // One canned cycle's plane axes (first, second, normal), levels on the normal axis and feeds.
  struct tagCannedCycle {
    int cycle = 0, a1 = 0, a2 = 0, an = 0;
    bool incremental = false, hasClear = false, hasDepth = false, validQ = false, validP = false;
    double clear = 0, depth = 0, target[3] = {}, retract = 0, feed = 0, rapid = 0, q = 0;
    int spindleAtStart = 0;
  };
  bool CannedCycleAllowed(int cycle);
  int CannedCycleRepeats();
  // The R (clear) and depth levels and the hole position, remembered between blocks of one cycle.
  void ReadCannedCycleLevels(tagCannedCycle& c);
  bool CannedCycleLevelsValid(const tagCannedCycle& c);
  void DrillCannedCycleHole(const tagCannedCycle& c);
  void LeaveCannedCycleHole(const tagCannedCycle& c);
  void ProgramStop(int code);
  void ProgramEnd();
  // Output
  void AddGcodeElement(const char* type, CString parameters);
  void StartSegmentBuffer(int type, int mask);
  void AppendSpeedList(CString& params, int configure, const char* speedUnit) const;
  void WriteVectorMode(int mask, int configure, const char* lengthUnit, const char* speedUnit);
  void WriteLinearInterpolation(int profileType, int mask, int configure, const char* lengthUnit,
                                const char* speedUnit);

  tagGcodeSettings m_settings;

  // interpreter state
  double m_dParameters[MAX_PARAMETER + 1];
  // The written moves are relative, so an arc whose end the drive puts on its start radius leaves the
  // path beside the programmed point until the axis moves straight again.
  double m_dPosition[6];  // where the written path stands
  double m_dProgram[6];   // the programmed point, what absolute and incremental words count from
  double m_dOffset[6];
  double m_dWord[WORD_COUNT];
  bool m_bWord[WORD_COUNT];
  double m_dCycleDepth[3];
  bool m_bCycleDepth[3];
  double m_dCycleR;
  bool m_bCycleR;
  double m_dFeed;
  double m_dSpeed;
  int m_nMotionMode, m_nPlane, m_nDistanceMode, m_nFeedMode, m_nUnits, m_nPathControl, m_nRetractMode;
  int m_nSpindle, m_nCoolant, m_nOverrides;
  bool m_bMachineCoords;
  bool m_bImplicitMotion;

  // pending segments
  int m_nBufferType, m_nBufferMask;
  std::vector<double> m_arrSegSpeed;
  std::vector<BYTE> m_arrSegKind;
  std::vector<double> m_arrSegValue[3];
  int m_nPrevType, m_nPrevMask;
  double m_dPrevSpeed;
  const char* m_pszPrevSpeedUnit = "";  // the unit of m_dPrevSpeed, one of the literals of a flush

  std::vector<tagGcodeElement> m_arrElements;

  // scratch of one line, kept to reuse its storage
  std::vector<CString> m_arrTexts;
  std::vector<BYTE> m_arrKinds;
  std::vector<char> m_arrLetters;
  std::vector<double> m_arrValues;
  std::vector<int> m_arrRanks;
  std::vector<int> m_arrParamNumbers;
  std::vector<double> m_arrParamValues;
  CString m_strComment;
  std::vector<CGcodeExprElement> m_arrOpStack;
  std::vector<CGcodeExprElement> m_arrOutput;
  std::vector<double> m_arrEvalStack;
};
