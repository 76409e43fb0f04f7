// The drives' position loop: a trapezoidal move from APOS to CPOS, paced by the layer's clock; the
// load follows through the transmission.
#include "suite/zurcomm/SimulatorState.h"

#include <algorithm>
#include <cmath>

namespace zurcomm {

namespace {

int32_t ReadLong(Drive& d, uint16_t address) {
  const uint16_t* low = d.DataWord(address);
  const uint16_t* high = d.DataWord((uint16_t)(address + 1));
  return low && high ? (int32_t)((uint32_t)*high << 16 | *low) : 0;
}

void WriteLong(Drive& d, uint16_t address, int32_t v) {
  uint16_t* low = d.DataWord(address);
  uint16_t* high = d.DataWord((uint16_t)(address + 1));
  if (!low || !high) return;
  *low = (uint16_t)((uint32_t)v & 0xFFFF);
  *high = (uint16_t)((uint32_t)v >> 16);
}

double ReadFixed(Drive& d, uint16_t address) { return ReadLong(d, address) / 65536.0; }

}  // namespace

void StartMove(Drive& d, const DriveSimulator::MotionWords& w, uint64_t nowMs) {
  Drive::Motion& m = d.motion;
  m = Drive::Motion();
  m.apos = w.apos, m.aspd = w.aspd, m.iq = w.iq;
  // A load word that is the motor's own (feedback on the load) is the motor's to write.
  m.aposLoad = w.aposLoad == w.apos ? 0 : w.aposLoad;
  m.aspdLoad = w.aspdLoad == w.aspd ? 0 : w.aspdLoad;
  m.loadRatio = w.loadRatio;
  m.from = ReadLong(d, w.apos);
  m.loadFrom = m.aposLoad ? ReadLong(d, m.aposLoad) : 0;
  m.distance = (double)ReadLong(d, w.cpos) - m.from;
  const double speed = std::fabs(ReadFixed(d, w.cspd)), accel = std::fabs(ReadFixed(d, w.cacc));
  if (m.distance == 0 || speed <= 0 || accel <= 0 || !w.apos) return;
  // Too short to reach the speed: a triangle.
  const double d0 = std::fabs(m.distance);
  m.speed = std::min(speed, std::sqrt(accel * d0));
  m.accel = accel;
  m.rampSamples = m.speed / accel;
  m.flatSamples = std::max(0.0, (d0 - m.speed * m.rampSamples) / m.speed);
  m.startMs = (double)nowMs;
  m.moving = true;
}

bool MoveTo(Drive& d, double ms) {
  Drive::Motion& m = d.motion;
  const double t = std::max(0.0, (ms - m.startMs) / (d.tsS * 1000.0));
  const double ramp = m.rampSamples, flat = m.flatSamples, end = 2 * ramp + flat;
  double x, v, a;
  if (t < ramp) {
    x = m.accel * t * t / 2, v = m.accel * t, a = m.accel;
  } else if (t < ramp + flat) {
    x = m.speed * ramp / 2 + m.speed * (t - ramp), v = m.speed, a = 0;
  } else if (t < end) {
    const double left = end - t;
    x = std::fabs(m.distance) - m.accel * left * left / 2, v = m.accel * left, a = -m.accel;
  } else {
    x = std::fabs(m.distance), v = 0, a = 0;
  }
  const double sign = m.distance < 0 ? -1 : 1;
  WriteLong(d, m.apos, (int32_t)std::llround(m.from + sign * x));
  if (m.aspd) WriteLong(d, m.aspd, (int32_t)std::llround(sign * v * 65536.0));
  if (m.aposLoad) WriteLong(d, m.aposLoad, (int32_t)std::llround(m.loadFrom + sign * x * m.loadRatio));
  if (m.aspdLoad) WriteLong(d, m.aspdLoad, (int32_t)std::llround(sign * v * m.loadRatio * 65536.0));
  if (uint16_t* iq = m.iq ? d.DataWord(m.iq) : nullptr) {
    const double current = std::clamp(sign * a * DriveSimulator::kCurrentPerAcceleration, -32768.0, 32767.0);
    *iq = (uint16_t)(int16_t)std::lround(current);
  }
  return t < end;
}

}  // namespace zurcomm
