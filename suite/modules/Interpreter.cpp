// The interpreter module: checks and runs drive-language commands on a drive through the
// communication library, and knows where each I/O port's bit lies in drive memory.
#include "comm/MC_CoffFormat.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/Utilities.h"
#include "suite/zurcomm/DriveSimulator.h"
#include "suite/zurcomm/zurcomm.h"
#include "platform/core/Format.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

struct State {
  std::mutex mutex;
  std::string error;
  std::string output;
  std::string log;  // one "0x%04X\t<text>" line per executed text
  std::string failText;
  int failCount = 0;
  std::set<std::string> failOn;  // texts that always fail
};

State& St() {
  static State s;
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

bool StartsWith(const std::string& s, const char* prefix) { return Upper(s).rfind(prefix, 0) == 0; }

bool ParseNumber(const std::string& text, double& v) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  char* end = nullptr;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    v = (double)strtoul(t.c_str() + 2, &end, 16);
  } else {
    v = strtod(t.c_str(), &end);
  }
  return end && *end == 0;
}

bool IsName(const std::string& s) {
  if (s.empty() || !(isalpha((unsigned char)s[0]) || s[0] == '_')) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (isalnum((unsigned char)c) || c == '_') continue;
    // the word halves "(L)" and "(H)" of 32-bit variables
    if (c == '(' && i + 3 == s.size() && (toupper((unsigned char)s[i + 1]) == 'L' || toupper((unsigned char)s[i + 1]) == 'H') &&
        s[i + 2] == ')')
      return true;
    return false;
  }
  return true;
}

enum class Kind { None, Keyword, Update, Goto, Assign, Out, SetOut, ResetOut, Eeprom, LockEeprom, StartLog, StopLog };

struct Statement {
  Kind kind = Kind::None;
  std::string name;
  double value = 0;
  int port = 0;
  WORD address = 0;  // of an assignment's target
  tagVarType type = VAR_INVALID;
  bool update = false;  // an assignment that ends in "UPD"
};

// Splits on ";" and line breaks; a leading "[B]" and the braces of a broadcast block are dropped.
std::vector<std::string> Split(std::string text, bool& broadcast) {
  std::string t = Trim(text);
  broadcast = false;
  if (StartsWith(t, "[B]")) {
    broadcast = true;
    t = t.substr(3);
  }
  std::vector<std::string> out;
  std::string cur;
  for (char c : t) {
    if (c == ';' || c == '\n' || c == '\r' || c == '{' || c == '}') {
      out.push_back(Trim(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(Trim(cur));
  return out;
}

bool Parse(CMC_Setup* setup, CMC_CoffFormat* coff, const std::string& s, Statement& st, std::string& error) {
  st = Statement();
  std::string u = Upper(s);
  if (s.empty()) return true;
  static const char* const kKeywords[] = {"END", "AXISON", "AXISOFF", "STOP", "UPD", "STOPLOG", "RESET", "RET", "WAIT!"};
  for (const char* k : kKeywords)
    if (u == k) {
      st.kind = u == "STOPLOG" ? Kind::StopLog : u == "UPD" ? Kind::Update : Kind::Keyword;
      return true;
    }
  if (u.size() > 4 && u.rfind("STOP", 0) == 0 && isdigit((unsigned char)u[4]) && u.find_first_not_of("0123456789", 4) == std::string::npos) {
    st.kind = Kind::Keyword;
    return true;
  }
  if (u == "ENEEPROM") {
    st.kind = Kind::Eeprom;
    return true;
  }
  if (u.rfind("LOCKEEPROM", 0) == 0 && ParseNumber(s.substr(10), st.value)) {
    st.kind = Kind::LockEeprom;
    return true;
  }
  if (u.rfind("STARTLOG", 0) == 0 && ParseNumber(s.substr(8), st.value)) {
    st.kind = Kind::StartLog;
    return true;
  }
  if (u.rfind("GOTO", 0) == 0 && ParseNumber(s.substr(4), st.value)) {
    st.kind = Kind::Goto;
    return true;
  }
  if ((u.rfind("SOUT#", 0) == 0 || u.rfind("ROUT#", 0) == 0) && ParseNumber(s.substr(5), st.value)) {
    st.kind = u[0] == 'S' ? Kind::SetOut : Kind::ResetOut;
    st.port = (int)st.value;
    return true;
  }
  size_t eq = s.find('=');
  if (eq != std::string::npos && eq > 0) {
    std::string left = Trim(s.substr(0, eq));
    std::string right = Trim(s.substr(eq + 1));
    // a slider's assignment may carry its update: "X=12 UPD"
    std::string ur = Upper(right);
    if (ur.size() > 3 && ur.compare(ur.size() - 3, 3, "UPD") == 0) {
      right = Trim(right.substr(0, right.size() - 3));
      st.update = true;
    }
    std::string ul = Upper(left);
    if (ul.rfind("OUT(", 0) == 0 && ul.back() == ')') {
      double port;
      if (ParseNumber(left.substr(4, left.size() - 5), port) && ParseNumber(right, st.value)) {
        st.kind = Kind::Out;
        st.port = (int)port;
        return true;
      }
    } else if (IsName(left) && ParseNumber(right, st.value)) {
      // a setup variable, else a symbol of the compiled program
      CMC_Variable* v = setup ? setup->FindVariable(left.c_str(), 1) : nullptr;
      if (v) {
        st.address = v->GetAddress();
        st.type = v->GetType();
      } else if (!coff || !coff->LocateVariable(left.c_str(), st.address, st.type) || st.type == VAR_INVALID) {
        error = "Unknown variable \"" + left + "\".";
        return false;
      }
      st.kind = Kind::Assign;
      st.name = left;
      return true;
    } else if (LocateMemoryAddress(CString(left.c_str()), st.address, st.type) && st.address &&
               st.type != VAR_INVALID && ParseNumber(right, st.value)) {
      // a memory quantity, "int@0x8300", written by its type
      st.kind = Kind::Assign;
      st.name = left;
      return true;
    }
  }
  error = "Syntax error: \"" + s + "\".";
  return false;
}

bool ParseAll(CMC_Setup* setup, CMC_CoffFormat* coff, const char* text, std::vector<Statement>& out, bool& broadcast, std::string& error) {
  out.clear();
  for (const std::string& s : Split(text ? text : "", broadcast)) {
    Statement st;
    if (!Parse(setup, coff, s, st, error)) return false;
    if (st.kind != Kind::None) out.push_back(st);
  }
  return true;
}

// Writes words to one drive (or, for the broadcast address, the active one) and restores the active drive.
bool SendWords(WORD axisAddress, WORD address, WORD* words, WORD count, std::string& error) {
  WORD old = 0;
  bool switched = false;
  WORD axis = (WORD)(axisAddress >> 4);
  if (!(axisAddress & DAV_BROADCAST_ADDRESS) && DAV_GetActiveDrive(&old) && old != axis) {
    if (!DAV_SetActiveDrive(axis)) {
      error = DAV_GetLastError();
      return false;
    }
    switched = true;
  }
  bool ok = DAV_SendData(words, address, CMC_Value::GetMemorySpace(address), count);
  if (!ok) error = DAV_GetLastError();
  if (switched) DAV_SetActiveDrive(old);
  return ok;
}

bool PortBit(CMC_Setup* setup, const char* variable, WORD fallback, int port, WORD& address, WORD& mask) {
  if (!setup || port < 0 || port > setup->GetMaxIOPort(1)) return false;
  CMC_Variable* v = setup->FindVariable(variable, 1);
  address = (WORD)((v ? v->GetAddress() : fallback) + port / 16);
  mask = (WORD)(1u << (port % 16));
  return true;
}

bool ChangeOutput(CMC_Setup* setup, WORD axisAddress, int port, bool on, std::string& error) {
  WORD address, mask;
  if (!PortBit(setup, "OUTSTATUS", 0x090A, port, address, mask)) {
    error = "Invalid output port " + std::to_string(port) + ".";
    return false;
  }
  WORD word = 0;
  DriveSimulator::ReadMemory((uint16_t)(axisAddress >> 4), CMC_Value::GetMemorySpace(address), address, &word, 1);
  word = on ? (WORD)(word | mask) : (WORD)(word & ~mask);
  return SendWords(axisAddress, address, &word, 1, error);
}

// UPD: the addressed axis (every axis on a broadcast) takes its commanded position, speed and
// acceleration; without the position loop's variables in the setup nothing moves. The load's words,
// when the setup has them, follow the motor's (no setup gives a ratio: a direct transmission).
void UpdateMotion(CMC_Setup* setup, WORD axisAddress) {
  const char* const names[] = {"CPOS", "CSPD", "CACC", "APOS", "ASPD", "IQ", "APOS_LD", "ASPD_LD"};
  WORD addresses[8] = {};
  for (int i = 0; i < 8; ++i) {
    CMC_Variable* v = setup ? setup->FindVariable(names[i], 1) : nullptr;
    if (!v && i < 6) return;
    addresses[i] = v ? v->GetAddress() : 0;
  }
  const DriveSimulator::MotionWords words{addresses[0], addresses[1], addresses[2], addresses[3],
                                          addresses[4], addresses[5], addresses[6], addresses[7]};
  if (axisAddress & DAV_BROADCAST_ADDRESS) {
    for (uint16_t a : DriveSimulator::Axes()) DriveSimulator::StartMove(a, words);
  } else {
    DriveSimulator::StartMove((uint16_t)(axisAddress >> 4), words);
  }
}

void SetEepromProtection(WORD axisAddress, bool on) {
  if (axisAddress & DAV_BROADCAST_ADDRESS) {
    for (uint16_t a : DriveSimulator::Axes()) DriveSimulator::SetE2ROMWriteProtected(a, on);
  } else {
    DriveSimulator::SetE2ROMWriteProtected((uint16_t)(axisAddress >> 4), on);
  }
}

bool Execute(CMC_Setup* setup, WORD axisAddress, const std::vector<Statement>& list, bool broadcast, std::string& error) {
  if (broadcast) axisAddress = DAV_BROADCAST_ADDRESS;
  for (const Statement& st : list) {
    switch (st.kind) {
      case Kind::Assign: {
        CMC_Value value;
        value.SetValue(st.type, st.value);
        WORD words[4] = {0, 0, 0, 0};
        value.WriteToBuffer(st.type, words);
        if (!SendWords(axisAddress, st.address, words, CMC_Value::GetSizeInWords(st.type), error)) return false;
        if (st.update) UpdateMotion(setup, axisAddress);
        break;
      }
      case Kind::Out:
        if (!ChangeOutput(setup, axisAddress, st.port, st.value != 0, error)) return false;
        break;
      case Kind::SetOut:
      case Kind::ResetOut:
        if (!ChangeOutput(setup, axisAddress, st.port, st.kind == Kind::SetOut, error)) return false;
        break;
      case Kind::Update: UpdateMotion(setup, axisAddress); break;
      case Kind::Eeprom: SetEepromProtection(axisAddress, false); break;
      case Kind::LockEeprom: SetEepromProtection(axisAddress, st.value != 0); break;
      // The loggers of every drive on a broadcast, else of the addressed one.
      case Kind::StartLog:
        DriveSimulator::StartLog(broadcast ? 0 : (uint16_t)(axisAddress >> 4), (int)st.value);
        break;
      case Kind::StopLog: DriveSimulator::StopLog(broadcast ? 0 : (uint16_t)(axisAddress >> 4)); break;
      default: break;  // motion commands only leave their trace in the log
    }
  }
  return true;
}

int Run(CMC_Setup* setup, CMC_CoffFormat* coff, WORD address, const char* text) {
  State& s = St();
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    CString head;
    head.Format("0x%04X\t", address);
    s.log += std::string(head.GetString()) + (text ? text : "") + "\n";
    s.output.clear();
    s.error.clear();
    if (s.failCount > 0 || s.failOn.count(text ? text : "")) {
      if (s.failCount > 0) --s.failCount;
      s.error = s.failText;
      return 0;
    }
  }
  std::vector<Statement> list;
  bool broadcast = false;
  std::string error;
  bool ok = ParseAll(setup, coff, text, list, broadcast, error) && Execute(setup, address, list, broadcast, error);
  std::lock_guard<std::mutex> lock(s.mutex);
  s.error = error;
  if (ok) s.output = "ok";
  return ok ? 1 : 0;
}

}  // namespace

// ---- Test control ---------------------------------------------------------------------------
// "reset"; "fail N TEXT": the next N executions fail with TEXT; "failon TEXT": every execution of
// exactly TEXT fails. Returns 1 for a known command.
extern "C" int InterpStandIn_Script(const char* command) {
  State& s = St();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::string c = command ? command : "";
  if (c == "reset") {
    s.log.clear();
    s.error.clear();
    s.output.clear();
    s.failCount = 0;
    s.failOn.clear();
    return 1;
  }
  if (c.rfind("failon ", 0) == 0) {
    s.failOn.insert(c.substr(7));
    return 1;
  }
  if (c.rfind("fail ", 0) == 0) {
    char* end = nullptr;
    long n = strtol(c.c_str() + 5, &end, 10);
    s.failCount = (int)n;
    s.failText = Trim(end ? end : "");
    return 1;
  }
  return 0;
}

// Every text executed since the last reset, one "0x%04X<TAB>text" line each.
extern "C" const char* InterpStandIn_Log() {
  static std::string copy;
  std::lock_guard<std::mutex> lock(St().mutex);
  copy = St().log;
  return copy.c_str();
}

// ---- Entry points ---------------------------------------------------------------------------
extern "C" int interp_VerifySyntax(CMC_Setup* setup, CMC_CoffFormat* coff, const char* text) {
  std::vector<Statement> list;
  bool broadcast;
  std::string error;
  bool ok = ParseAll(setup, coff, text, list, broadcast, error);
  std::lock_guard<std::mutex> lock(St().mutex);
  St().error = error;
  return ok ? 1 : 0;
}

extern "C" int interp_ExecuteString(CMC_Setup* setup, CMC_CoffFormat* coff, WORD address, const char* text) {
  return Run(setup, coff, address, text);
}

extern "C" int interp_ExecuteFile(CMC_Setup* setup, CMC_CoffFormat* coff, WORD address, FILE* file) {
  std::string text;
  if (file) {
    char buf[1024];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, file)) > 0) text.append(buf, n);
  }
  return Run(setup, coff, address, text.c_str());
}

extern "C" const char* interp_GetErrorString() { return St().error.c_str(); }
extern "C" const char* interp_GetOutputString() { return St().output.c_str(); }

extern "C" int interp_GetInputPortBit(CMC_Setup* setup, int port, WORD& address, WORD& mask) {
  return PortBit(setup, "INSTATUS", 0x0908, port, address, mask) ? 1 : 0;
}

extern "C" int interp_GetOutputPortBit(CMC_Setup* setup, int port, WORD& address, WORD& mask) {
  return PortBit(setup, "OUTSTATUS", 0x090A, port, address, mask) ? 1 : 0;
}
