// A small unit table for plot tests, installed behind the plots' unit seam.
#pragma once

#include "plot/PlotUnits.h"

#include <map>
#include <string>

struct FakeUnits {
  struct Unit {
    int type;
    double factor, offset;
  };
  std::map<std::string, Unit> units;
  int conversions = 0;

  static FakeUnits* Of(CMC_Units* t) { return reinterpret_cast<FakeUnits*>(t); }
  CMC_Units* Table() { return reinterpret_cast<CMC_Units*>(this); }
  const Unit* Find(const char* name) const {
    if (*name == '\\') ++name;
    auto it = units.find(name);
    return it == units.end() ? nullptr : &it->second;
  }

  static BOOL Convert(CMC_Units* t, double& v, const char* from, const char* to) {
    FakeUnits* f = Of(t);
    ++f->conversions;
    if (std::string(from) == to) return TRUE;
    const Unit *a = f->Find(from), *b = f->Find(to);
    if (!a || !b || a->type != b->type) return FALSE;
    v = b->factor * ((v - a->offset) / a->factor) + b->offset;
    return TRUE;
  }
  static BOOL Compatible(CMC_Units* t, const char* a, const char* b) {
    if (!*a && !*b) return TRUE;
    if (!*a || !*b) return FALSE;
    const Unit *x = Of(t)->Find(a), *y = Of(t)->Find(b);
    return x && y && x->type == y->type;
  }
  static BOOL Relative(CMC_Units* t, double r, const char* name, CString& found) {
    FakeUnits* f = Of(t);
    const Unit* u = f->Find(name);
    if (!u || u->offset != 0) return FALSE;
    if (r == 1) {
      found = name;
      return TRUE;
    }
    for (auto& [n, o] : f->units) {
      if (&o == u || o.type != u->type || o.offset != 0) continue;
      if (std::abs(o.factor * r - u->factor) <= 1e-12 * u->factor) {
        found = n.c_str();
        return TRUE;
      }
    }
    return FALSE;
  }

  FakeUnits() {
    units = {{"m", {1, 1, 0}}, {"mm", {1, 1000, 0}}, {"km", {1, 0.001, 0}}, {"s", {2, 1, 0}},
             {"ms", {2, 1000, 0}}, {"degC", {3, 1, 0}}, {"degF", {3, 1.8, 32}}};
    static const PlotUnitsOps ops = {&Convert, &Compatible, &Relative};
    previous = PlotUnits::Installed();
    PlotUnits::Install(&ops);
  }
  ~FakeUnits() { PlotUnits::Install(previous); }
  const PlotUnitsOps* previous = nullptr;
};
