// The setup GUI module: scales between base and internal units from a table file beside it, a
// scriptable setup editor and per-parameter refusals.
#include "kernel/setup/MC_Setup.h"
#include "platform/core/Format.h"
#include "platform/core/Module.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Scale {
  double factor = 1;
  double offset = 0;
};

struct State {
  std::mutex mutex;
  bool tableLoaded = false;
  std::map<std::pair<std::string, std::string>, Scale> table;  // (base unit, name or "*")
  std::map<std::pair<std::string, std::string>, Scale> scripted;
  int editResult = 1;
  std::vector<std::pair<std::string, double>> edits;  // parameter, value in base unit
  std::set<std::string> refused;                      // upper-cased parameter names
  std::map<std::string, int> counts;
};

State& St() {
  static State s;
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = (char)toupper((unsigned char)c);
  return s;
}

// The table lies beside the module as drvgui.scales, for every variant.
void LoadTable(State& s) {
  if (s.tableLoaded) return;
  s.tableLoaded = true;
  std::string path = AfxGetModuleFilePath(AfxModuleOfAddress((const void*)&LoadTable));
  size_t slash = path.find_last_of('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "drvgui.scales";
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream fields(line);
    std::string base, name;
    Scale sc;
    if (fields >> base >> name >> sc.factor) {
      if (!(fields >> sc.offset)) sc.offset = 0;
      s.table[{base, name}] = sc;
    }
  }
}

Scale Find(const char* base, const char* name) {
  State& s = St();
  std::lock_guard<std::mutex> lock(s.mutex);
  LoadTable(s);
  std::string b = base ? base : "", n = name ? name : "";
  for (auto* m : {&s.scripted, &s.table}) {
    auto it = m->find({b, n});
    if (it == m->end()) it = m->find({b, "*"});
    if (it != m->end()) return it->second;
  }
  return Scale();
}

void Count(const char* entry) {
  std::lock_guard<std::mutex> lock(St().mutex);
  ++St().counts[entry];
}

}  // namespace

// ---- Test control ---------------------------------------------------------------------------
// "reset"; "edit accept" / "edit refuse"; "edit set NAME VALUE" (base unit, applied by EditSetup);
// "refuse NAME" (OnInitParam); "scale BASE NAME FACTOR OFFSET". Returns 1 for a known command.
extern "C" int GuiStandIn_Script(const char* command) {
  State& s = St();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::istringstream in(command ? command : "");
  std::string verb, what;
  in >> verb;
  if (verb == "reset") {
    s.scripted.clear();
    s.edits.clear();
    s.refused.clear();
    s.counts.clear();
    s.editResult = 1;
    return 1;
  }
  if (verb == "edit" && in >> what) {
    if (what == "accept" || what == "refuse") {
      s.editResult = what == "accept";
      return 1;
    }
    std::string name;
    double v;
    if (what == "set" && in >> name >> v) {
      s.edits.emplace_back(name, v);
      return 1;
    }
    return 0;
  }
  if (verb == "refuse" && in >> what) {
    s.refused.insert(Upper(what));
    return 1;
  }
  std::string base, name;
  Scale sc;
  if (verb == "scale" && in >> base >> name >> sc.factor) {
    if (!(in >> sc.offset)) sc.offset = 0;
    s.scripted[{base, name}] = sc;
    return 1;
  }
  return 0;
}

// How often an entry point was called since the last reset.
extern "C" int GuiStandIn_Count(const char* entry) {
  std::lock_guard<std::mutex> lock(St().mutex);
  auto it = St().counts.find(entry ? entry : "");
  return it == St().counts.end() ? 0 : it->second;
}

// ---- Entry points ---------------------------------------------------------------------------
#ifndef DRVGUI_WITHOUT_ONINITPARAM
extern "C" int OnInitParam(CMC_Setup*, const char* name) {
  Count("OnInitParam");
  std::lock_guard<std::mutex> lock(St().mutex);
  return St().refused.count(Upper(name ? name : "")) ? 0 : 1;
}
#endif

extern "C" int EditSetup(CMC_Setup* setup) {
  Count("EditSetup");
  if (setup && !setup->IsIUCacheEnabled()) Count("EditSetupWithoutCache");
  std::vector<std::pair<std::string, double>> edits;
  int result;
  {
    std::lock_guard<std::mutex> lock(St().mutex);
    edits = St().edits;
    result = St().editResult;
  }
  if (setup)
    for (auto& e : edits) setup->SetParameterValueInBaseUnit(e.first.c_str(), e.second);
  return result;
}

extern "C" double GetScaleFactor(CMC_Setup*, const char* base, const char* name) {
  Count("GetScaleFactor");
  return Find(base, name).factor;
}

#ifndef DRVGUI_WITHOUT_SCALE_OFFSET
extern "C" double GetScaleOffset(CMC_Setup*, const char* base, const char* name) {
  Count("GetScaleOffset");
  return Find(base, name).offset;
}
#endif

extern "C" void ComputeAllOptions(CMC_Setup*) { Count("ComputeAllOptions"); }
