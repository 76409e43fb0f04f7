#include "kernel/dialogs/CANopenFactors.h"

#include "kernel/setup/MC_Setup.h"
#include "kernel/values/QuietErrors.h"

#include <cmath>

const CANopenFactorGroup g_CANopenFactorGroups[CANOPEN_GROUP_COUNT] = {
    {"Position", "CPOS", "pos_dimension_index", "pos_notation_index", "FG_pos_numerator", "FG_pos_divisor", 14000,
     14004, 14008},
    {"Speed", "CSPD", "spd_dimension_index", "spd_notation_index", "FG_spd_numerator", "FG_spd_divisor", 14001, 14005,
     14009},
    {"Acceleration", "CACC", "acc_dimension_index", "acc_notation_index", "FG_acc_numerator", "FG_acc_divisor", 14002,
     14006, 14010},
    {"Time", "ATIME", "time_dimension_index", "time_notation_index", "FG_time_numerator", "FG_time_divisor", 14003,
     14007, 14011},
};

namespace {

SHORT IndexOf(const CMC_Parameter* p) { return (SHORT)(int)p->GetValueInInternalUnit(); }

double MaxOf(const CMC_Parameter* p) { return CMC_Value::GetMaxOfType(p->GetType()).GetValue(p->GetType()); }

}  // namespace

SHORT CANopenGroupObjects::Dimension() const { return IndexOf(dimension); }
SHORT CANopenGroupObjects::Notation() const { return IndexOf(notation); }

CANopenGroupObjects FindCANopenGroup(CMC_Setup* setup, int group) {
  CANopenGroupObjects g;
  if (!setup || group < 0 || group >= CANOPEN_GROUP_COUNT) return g;
  const CANopenFactorGroup& t = g_CANopenFactorGroups[group];
  CQuietErrors quiet;
  CMC_Variable* v = setup->FindVariable(t.variable, 1);
  g.dimension = setup->FindParameter(t.dimensionIndex);
  g.notation = setup->FindParameter(t.notationIndex);
  g.numerator = setup->FindParameter(t.numerator);
  g.divisor = setup->FindParameter(t.divisor);
  if (v && g.dimension && g.notation && g.numerator && g.divisor) g.variable = v;
  else g = CANopenGroupObjects();
  return g;
}

bool HasCANopenFactorGroups(CMC_Setup* setup) {
  for (int i = 0; i < CANOPEN_GROUP_COUNT; ++i)
    if (FindCANopenGroup(setup, i).Exists()) return true;
  return false;
}

int ComputeCANopenFactor(CMC_Setup* setup, CMC_Variable* variable, CMC_Parameter* dimension,
                         CMC_Parameter* notation, CMC_Parameter* numerator, CMC_Parameter* divisor) {
  if (!setup || !variable || !dimension || !notation || !numerator || !divisor) return 0;
  SHORT d = IndexOf(dimension), n = IndexOf(notation);
  if (CMC_Units::IsCANopenInternalUnit(d, n)) {
    numerator->SetValueInInternalUnit(1);
    divisor->SetValueInInternalUnit(1);
    return 1;
  }
  CString saved = variable->GetUnitName();
  CMC_Unit* unit = setup->FindCANopenUnit(saved, d, n);
  if (!unit) return 1;
  if (!variable->ChangeUnit(unit->GetName())) return 0;
  // The held value is the drive's last reading: borrowed for the conversion and put back.
  CMC_Value held = variable->GetRawValue();
  variable->SetValueInInternalUnit(1);
  double f = variable->GetValue();
  variable->GetRawValue() = held;
  variable->ChangeUnit(saved);
  if (!(f > 0)) return 0;
  double r = 1 / f;  // internal units in one bus unit

  const double nmax = MaxOf(numerator), dmax = MaxOf(divisor);
  CMC_Value step;
  step.IncValue(numerator->GetType());
  double q = step.GetValue(numerator->GetType()) / dmax;
  if (!(q <= r)) return 0;

  double s = std::pow(10.0, -std::ceil(std::log10(q)));
  double x = s * r;
  // Beyond 2^63 the whole part no longer fits: the general form takes it.
  if (x < 9223372036854775808.0) {
    long long whole = (long long)std::floor(x);
    if (x - (double)whole < 0.000001) {
      while (whole % 10 == 0 && s > 1) {
        whole /= 10;
        s /= 10;
      }
      if ((double)whole <= nmax && s <= dmax) {
        numerator->SetValueInInternalUnit((double)whole);
        divisor->SetValueInInternalUnit(s);
        return 1;
      }
    }
  }
  double num, div;
  if (r > nmax / dmax) {
    num = nmax;
    div = nmax / r;
  } else {
    div = dmax;
    num = dmax * r;
  }
  if (num > 2147483647.0) {
    num /= 2;
    div = num / r;
  }
  if (div > 2147483647.0) {
    div /= 2;
    num = div * r;
  }
  numerator->SetValueInInternalUnit(num);
  divisor->SetValueInInternalUnit(div);
  return 1;
}

int UpdateCANopenFactors(CMC_Setup* setup) {
  if (!setup) return 0;
  int ok = 1;
  for (int i = 0; i < CANOPEN_GROUP_COUNT; ++i) {
    CANopenGroupObjects g = FindCANopenGroup(setup, i);
    if (g.Exists() && !ComputeCANopenFactor(setup, g.variable, g.dimension, g.notation, g.numerator, g.divisor))
      ok = 0;
  }
  return ok;
}
