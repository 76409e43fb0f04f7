// Motion and device words of the G-code translator: straight moves, arcs, canned cycles, dwell,
// spindle, coolant and program stops.
#include <algorithm>
#include <cmath>

#include "platform/core/Format.h"
#include "views/gcode/GcodeTranslator.h"

namespace {

const double kPi = 3.141592653589793;

// First, second and normal axis and the mask of each plane.
const int kPlaneAxes[3][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}};
const int kPlaneMask[3] = {3, 5, 6};

DWORD SlaveBit(int slave) { return (slave >= 0 && slave < 32) ? (DWORD)1 << slave : 0; }

// Angle of a point about a centre, in degrees, 0 to 360. Measured with the point's own distance
// from the centre: an end point inside the radius tolerance must not be pulled off its direction.
double PointAngle(double p1, double p2, double c1, double c2) {
  const double a = std::atan2(p2 - c2, p1 - c1) * 180.0 / kPi;
  return a < 0 ? a + 360.0 : a;
}

double CounterclockwiseSweep(double start, double end) {
  double s = end - start;
  return s < 0 ? s + 360.0 : s;
}

}  // namespace

BOOL CGcodeTranslator::GetDelta(int axis, BOOL machine, double& delta) const {
  if (!m_bWord[axis]) {
    delta = 0;
    return FALSE;
  }
  const double w = m_dWord[axis];
  if (machine) {
    delta = w - (m_dProgram[axis] + MachineOrigin(axis));
    return delta != 0;
  }
  if (m_nDistanceMode == 1) {
    delta = w;
    return w != 0;
  }
  delta = w - m_dProgram[axis];
  return w != m_dProgram[axis];
}

double CGcodeTranslator::GetTarget(int axis, BOOL machine) const {
  if (!m_bWord[axis]) return m_dProgram[axis];
  const double w = m_dWord[axis];
  if (machine) return w - MachineOrigin(axis);
  return m_nDistanceMode == 1 ? m_dProgram[axis] + w : w;
}

double CGcodeTranslator::GetGcodeFeedRate(BOOL rotational, BOOL machine) const {
  double sum = 0;
  if (m_nFeedMode == 1) {
    for (int k = rotational ? 3 : 0, e = k + 3; k < e; k++) {
      double d;
      GetDelta(k, machine, d);
      sum += d * d;
    }
  }
  return FeedRateFor(std::sqrt(sum));
}

double CGcodeTranslator::FeedRateFor(double length) const {
  double f = m_dFeed;
  if (m_nFeedMode == 1) f *= length;
  if (m_settings.m_bFeedOverride && m_nOverrides == 0) f = f * m_settings.m_nFeedOverride / 100.0;
  return f;
}

int CGcodeTranslator::OffPathAxes() const {
  int mask = 0;
  // an axis without a slave is never moved
  for (int k = 0; k < 3; k++)
    if (m_dPosition[k] != m_dProgram[k] && m_settings.m_nAxisSlave[k] >= 0) mask |= 1 << k;
  return mask;
}

double CGcodeTranslator::GetGcodeSpindleSpeed() const {
  double s = m_dSpeed;
  if (m_settings.m_bSpeedOverride && m_nOverrides == 0) s = s * m_settings.m_nSpeedOverride / 100.0;
  return s;
}

BOOL CGcodeTranslator::TranslateGcodeStraightMove(BOOL rapid, BOOL machine) {
  double target[6];
  int words = 0;
  bool programmed = false;
  for (int k = 0; k < 6; k++) {
    double d;
    programmed = GetDelta(k, machine, d) || programmed;
    target[k] = GetTarget(k, machine);
    if (m_bWord[k]) words |= 1 << k;
  }
  // An arc leaves axes beside the programmed point; any move the block names takes them back.
  const int linearMask = words ? (words & MASK_LINEAR) | OffPathAxes() : 0;
  // the speeds before the move: an inverse-time feed counts from the programmed point, and a block
  // that only takes the path back onto it spends its time on that way
  double linearSpeed = rapid ? m_settings.m_dTraverseRate : GetGcodeFeedRate(FALSE, machine);
  if (!rapid && m_nFeedMode == 1 && linearSpeed == 0) {
    double sum = 0;
    for (int k = 0; k < 3; k++)
      if (linearMask & (1 << k)) sum += (target[k] - m_dPosition[k]) * (target[k] - m_dPosition[k]);
    linearSpeed = FeedRateFor(std::sqrt(sum));
  }
  const double rotationalSpeed = rapid ? m_settings.m_dTraverseRate : GetGcodeFeedRate(TRUE, machine);
  const bool linear = MoveStraightTo(target, linearMask, linearSpeed);
  const bool rotational = MoveStraightTo(target, words & MASK_ROTATIONAL, rotationalSpeed);
  return programmed || linear || rotational;
}

BOOL CGcodeTranslator::TranslateGcodeArc(BOOL clockwise, CString& error) {
  error.Empty();
  double d[6];
  bool moves[6];
  for (int k = 0; k < 6; k++) moves[k] = GetDelta(k, FALSE, d[k]);

  if (m_nPlane < 0 || m_nPlane > 2) {
    error = "no plane was selected";
  } else {
    const int a1 = kPlaneAxes[m_nPlane][0], a2 = kPlaneAxes[m_nPlane][1], an = kPlaneAxes[m_nPlane][2];
    const double tolerance = m_nUnits == 0 ? 0.0002 : 0.002;
    const double p1 = m_dPosition[a1], p2 = m_dPosition[a2];
    const double e1 = GetTarget(a1, FALSE), e2 = GetTarget(a2, FALSE);
    double c1 = 0, c2 = 0, r = 0;
    if (moves[an]) {
      error = "helical motions not supported";
    } else if ((!moves[a1] && !moves[a2]) || (e1 == p1 && e2 == p2)) {
      error = "start and end points MUST be distinct";
    } else if (!m_bWord[WORD_R]) {
      const double i = m_bWord[WORD_I] ? m_dWord[WORD_I] : 0.0;
      const double j = m_bWord[WORD_J] ? m_dWord[WORD_J] : 0.0;
      // The check is the program's own geometry; the arc is written from where the path stands.
      const double q1 = m_dProgram[a1], q2 = m_dProgram[a2];
      const double k1 = q1 + i, k2 = q2 + j;
      c1 = p1 + i;
      c2 = p2 + j;
      if ((k1 == q1 && k2 == q2) || (c1 == p1 && c2 == p2)) {
        error = "at least one of the I and J words must be distinct from the current point";
      } else {
        const double r0 = std::hypot(q1 - k1, q2 - k2), r1 = std::hypot(e1 - k1, e2 - k2);
        if (!(std::fabs(r0 - r1) < tolerance))
          error = m_nUnits == 0
                      ? "distance[circle center, current point] - distance[circle center, end point] > 0.0002 in"
                      : "distance[circle center, current point] - distance[circle center, end point] > 0.002 mm";
        r = std::hypot(p1 - c1, p2 - c2);
      }
    } else if (m_dWord[WORD_R] == 0) {
      error = "R word MUST be non-zero";
    } else {
      const double R = m_dWord[WORD_R];
      const double dx = e1 - p1, dy = e2 - p2;
      const double chord = std::hypot(dx, dy), half = chord / 2;
      r = std::fabs(R);
      if (r < half - tolerance) {
        error = "R word is less than half the distance between the start and end points";
      } else {
        double h2 = r * r - half * half;
        if (h2 < 0) {
          h2 = 0;
          r = half;
        }
        const double h = std::sqrt(h2);
        const double m1 = p1 + dx / 2, m2 = p2 + dy / 2;
        const double u1 = -dy / chord, u2 = dx / chord;
        double best1 = 0, best2 = 0, bestSweep = 0;
        for (int side = 0; side < 2; side++) {
          const double s = side == 0 ? h : -h;
          const double k1 = m1 + s * u1, k2 = m2 + s * u2;
          double ccw = CounterclockwiseSweep(PointAngle(p1, p2, k1, k2), PointAngle(e1, e2, k1, k2));
          double sweep = clockwise ? 360.0 - ccw : ccw;
          if (side == 0 || (R > 0 ? sweep < bestSweep : sweep > bestSweep)) {
            best1 = k1;
            best2 = k2;
            bestSweep = sweep;
          }
        }
        c1 = best1;
        c2 = best2;
      }
    }
    if (error.IsEmpty()) {
      const double start = PointAngle(p1, p2, c1, c2);
      const double ccw = CounterclockwiseSweep(start, PointAngle(e1, e2, c1, c2));
      const double increment = clockwise ? -(360.0 - ccw) : ccw;
      AddGcodeArcSegment(kPlaneMask[m_nPlane], GetGcodeFeedRate(FALSE), r, start, increment);
      // The drive ends the arc on its start radius, which the radius check let differ from the
      // programmed end's by up to the tolerance: the next written moves, being relative, start
      // from there, while the program goes on from its own end point. That point lies on the line
      // from the centre through the programmed end; an end on the radius but for rounding stays
      // as programmed.
      const double r1 = std::hypot(e1 - c1, e2 - c2);
      const bool onRadius = std::fabs(r1 - r) <= 1e-12 * std::max(1.0, r);
      m_dPosition[a1] = onRadius ? e1 : c1 + (e1 - c1) * (r / r1);
      m_dPosition[a2] = onRadius ? e2 : c2 + (e2 - c2) * (r / r1);
      m_dProgram[a1] = e1;
      m_dProgram[a2] = e2;
    }
  }
  int rotational = 0;
  double target[6];
  for (int k = 0; k < 6; k++) {
    target[k] = GetTarget(k, FALSE);
    if (k >= 3 && moves[k]) rotational |= 1 << k;
  }
  MoveStraightTo(target, rotational, GetGcodeFeedRate(TRUE));
  return error.IsEmpty();
}

bool CGcodeTranslator::MoveStraightTo(const double target[6], int mask, double speed) {
  if (!mask) return false;
  const int shift = (mask & MASK_LINEAR) ? 0 : 3;
  double d[3] = {0, 0, 0};
  int moving = 0;
  for (int k = 0; k < 3; k++) {
    const int axis = k + shift;
    if (!(mask & (1 << axis)) || target[axis] == m_dPosition[axis]) continue;
    d[k] = target[axis] - m_dPosition[axis];
    moving |= 1 << axis;
  }
  if (moving) AddGcodeLinearSegment(moving, speed, d[0], d[1], d[2]);
  // exactly on the target: a later block restating it must find nothing left to move
  for (int axis = shift; axis < shift + 3; axis++)
    if (mask & (1 << axis)) m_dPosition[axis] = m_dProgram[axis] = target[axis];
  return moving != 0;
}

bool CGcodeTranslator::CannedCycleAllowed(int cycle) {
  if (m_nFeedMode == 1) {
    Warn("Canned cycle error: inverse time feed rate not allowed");
    return false;
  }
  if (cycle == 7) {
    Warn("G84 ignored: right hand tapping not supported");
    return false;
  }
  if (cycle == 10) {
    Warn("G87 ignored: back boring not supported");
    return false;
  }
  if (m_nPlane < 0 || m_nPlane > 2) {
    Warn("Canned cycle error: no plane was selected");
    return false;
  }
  return true;
}

int CGcodeTranslator::CannedCycleRepeats() {
  if (!m_bWord[WORD_L]) return 1;
  const double l = m_dWord[WORD_L];
  if (l == std::floor(l) && l >= 1 && l <= MAX_CYCLE_REPEATS) return (int)l;
  Warn("Canned cycle warning: L1 has been forced because it had an illegal value");
  return 1;
}

void CGcodeTranslator::ReadCannedCycleLevels(tagCannedCycle& c) {
  const int an = c.an;
  if (m_bWord[WORD_R]) {
    m_dCycleR = m_dWord[WORD_R];
    m_bCycleR = true;
  }
  if (!c.incremental) {
    if (m_bCycleR) c.clear = m_dCycleR, c.hasClear = true;
    for (int k = 0; k < 3; k++) {
      if (m_bWord[k]) {
        c.target[k] = m_dWord[k];
        if (k == an) m_dCycleDepth[k] = m_dWord[k], m_bCycleDepth[k] = true;
      } else if (k == an && m_bCycleDepth[k]) {
        c.target[k] = m_dCycleDepth[k];
      } else {
        c.target[k] = m_dProgram[k];
      }
    }
    c.hasDepth = m_bCycleDepth[an];
    c.depth = c.target[an];
  } else {
    if (m_bCycleR) c.clear = m_dProgram[an] + m_dCycleR, c.hasClear = true;
    if (m_bWord[an]) {
      m_dCycleDepth[an] = m_dWord[an];
      m_bCycleDepth[an] = true;
    }
    if (m_bCycleDepth[an]) c.depth = c.clear + m_dCycleDepth[an], c.hasDepth = true;
    for (int k = 0; k < 3; k++) c.target[k] = m_bWord[k] && k != an ? m_dWord[k] : 0.0;
  }
}

bool CGcodeTranslator::CannedCycleLevelsValid(const tagCannedCycle& c) {
  for (int k = 3; k < 6; k++) {
    double d;
    if (GetDelta(k, FALSE, d)) {
      Warn("Canned cycle error: rotational axis motion not allowed");
      return false;
    }
  }
  if (!c.hasDepth) {
    AddGcodeFreeText(FormatString("Canned cycle error: %c word is missing", "XYZ"[c.an]));
    return false;
  }
  if (!c.hasClear) {
    Warn("Canned cycle error: R word is missing");
    return false;
  }
  if (c.depth >= c.clear) {
    Warn("Canned cycle error: R number is less than or equal with Z number");
    return false;
  }
  return true;
}

void CGcodeTranslator::MoveNormalTo(int axis, double level, double speed) {
  double t[6];
  std::copy(m_dProgram, m_dProgram + 6, t);
  t[axis] = level;
  MoveStraightTo(t, 1 << axis, speed);
}

void CGcodeTranslator::DrillCannedCycleHole(const tagCannedCycle& c) {
  const int cycle = c.cycle;
  switch (cycle) {
    case 6:  // G83
      if (!c.validQ) {
        Warn("Canned cycle syntax error: invalid P word");
      } else {
        double level = c.clear;
        for (;;) {
          double next = std::max(level - c.q, c.depth);
          if (next >= level) next = c.depth;  // no progress left at this magnitude
          level = next;
          MoveNormalTo(c.an, level, c.feed);
          MoveNormalTo(c.an, c.retract, c.rapid);
          MoveNormalTo(c.an, level + 0.1 * c.q, c.rapid);
          if (level <= c.depth) break;
        }
      }
      break;
    case 4: case 5: case 8: case 9: case 11: case 12:
      MoveNormalTo(c.an, c.depth, c.feed);
      if (cycle == 5 || cycle == 9 || cycle == 11 || cycle == 12) {
        if (c.validP)
          TranslateGcodeDwell(m_dWord[WORD_P]);
        else
          Warn("Canned cycle syntax error: invalid P word");
      }
      if ((cycle == 9 || cycle == 11) && c.spindleAtStart != 2) TranslateGcodeSpindle(2);
      break;
  }
}

void CGcodeTranslator::LeaveCannedCycleHole(const tagCannedCycle& c) {
  const int cycle = c.cycle;
  if (cycle == 11) {
    if (m_settings.m_bCycleStart)
      AddGcodeWaitInput(m_settings.m_nCycleStartSlave, m_settings.m_nCycleStartInput,
                        m_settings.m_nCycleStartLevel);
    else
      Warn("G88 warning: cannot stop the program because cycle start button is disabled");
  } else {
    MoveNormalTo(c.an, c.retract, (cycle == 8 || cycle == 12) ? c.feed : c.rapid);
  }
  if ((cycle == 9 || cycle == 11) && c.spindleAtStart != 2) TranslateGcodeSpindle(c.spindleAtStart);
}

void CGcodeTranslator::TranslateGcodeCannedCycle(int cycle) {
  if (!CannedCycleAllowed(cycle)) return;
  tagCannedCycle c;
  c.cycle = cycle;
  c.a1 = kPlaneAxes[m_nPlane][0], c.a2 = kPlaneAxes[m_nPlane][1], c.an = kPlaneAxes[m_nPlane][2];
  if (m_nMotionMode != cycle) {
    for (int k = 0; k < 3; k++) m_bCycleDepth[k] = false;
    m_bCycleR = false;
  } else {
    m_bCycleDepth[c.a1] = m_bCycleDepth[c.a2] = false;
  }
  const int repeats = CannedCycleRepeats();
  c.incremental = m_nDistanceMode == 1;
  ReadCannedCycleLevels(c);
  if (!CannedCycleLevelsValid(c)) return;

  const int an = c.an;
  c.feed = GetGcodeFeedRate(FALSE);
  c.rapid = m_settings.m_dTraverseRate;
  c.retract = m_nRetractMode == 0 ? std::max(c.clear, m_dProgram[an]) : c.clear;
  c.spindleAtStart = m_nSpindle;
  c.q = m_dWord[WORD_Q];
  c.validQ = m_bWord[WORD_Q] && c.q > 0 && (c.clear - c.depth) / c.q <= MAX_CYCLE_PECKS;
  c.validP = m_bWord[WORD_P] && m_dWord[WORD_P] >= 0;

  if (c.clear > m_dProgram[an]) MoveNormalTo(an, c.clear, c.rapid);
  for (int rep = 0; rep < repeats; rep++) {
    if (c.incremental || rep == 0) {
      double t[6];
      std::copy(m_dProgram, m_dProgram + 6, t);
      t[c.a1] = c.incremental ? m_dProgram[c.a1] + c.target[c.a1] : c.target[c.a1];
      t[c.a2] = c.incremental ? m_dProgram[c.a2] + c.target[c.a2] : c.target[c.a2];
      MoveStraightTo(t, (1 << c.a1) | (1 << c.a2), c.rapid);
    }
    if (m_dPosition[an] != c.clear) MoveNormalTo(an, c.clear, c.rapid);
    DrillCannedCycleHole(c);
    LeaveCannedCycleHole(c);
  }
  m_nMotionMode = cycle;
}

void CGcodeTranslator::TranslateGcodeDwell(double seconds) {
  DWORD mask = 0;
  for (int k = 0; k < 6; k++) mask |= SlaveBit(m_settings.m_nAxisSlave[k]);
  if (mask) AddGcodeMotorStop(mask);
  AddGcodeWaitTime(seconds);
}

void CGcodeTranslator::TranslateGcodeSpindle(int state) {
  const int slave = m_settings.m_nSpindleSlave;
  if (slave < 0) {
    AddGcodeFreeText(FormatString("M%d ignored: spindle axis not selected", 3 + state));
    return;
  }
  m_nSpindle = state;
  if (state == 0)
    AddGcodeSpindleProfile(slave, -m_settings.m_nDirection * GetGcodeSpindleSpeed());
  else if (state == 1)
    AddGcodeSpindleProfile(slave, m_settings.m_nDirection * GetGcodeSpindleSpeed());
  else
    AddGcodeMotorStop(SlaveBit(slave));
}

void CGcodeTranslator::TranslateGcodeCoolant(int on) {
  if (!m_settings.m_bCoolantValve) {
    Warn("M7/M8/M9 ignored: coolant valve haven't been selected");
    return;
  }
  m_nCoolant = on ? 1 : 0;
  const int level = m_settings.m_nCoolantLevel;
  AddGcodeOutputBit(m_settings.m_nCoolantSlave, m_settings.m_nCoolantOutput, on ? level : (level ? 0 : 1));
}

void CGcodeTranslator::ProgramStop(int) {
  if (m_settings.m_bCycleStart)
    AddGcodeWaitInput(m_settings.m_nCycleStartSlave, m_settings.m_nCycleStartInput, m_settings.m_nCycleStartLevel);
  else
    Warn("M0 ignored: cycle start button is disabled");
}

void CGcodeTranslator::ProgramEnd() {
  m_bImplicitMotion = false;
  if (m_settings.m_nSpindleSlave >= 0 && m_nSpindle != 2) TranslateGcodeSpindle(2);
  if (m_settings.m_bCoolantValve && m_nCoolant) TranslateGcodeCoolant(0);
  FlushGcodeSegments();  // the pending moves keep the units they were programmed in
  ResetGcodeState();
  if (m_settings.m_bCycleStart)
    AddGcodeWaitInput(m_settings.m_nCycleStartSlave, m_settings.m_nCycleStartInput, m_settings.m_nCycleStartLevel);
  else
    Warn("M2 restart cycle: cycle start button is disabled");
  AddGcodeJump("gcode_start", FALSE);
}
