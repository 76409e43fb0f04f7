// Connects the plots' unit seam to the setup's unit table.
#include "kernel/MC_Units.h"
#include "kernel/QuietErrors.h"
#include "plot/PlotUnits.h"

namespace {

BOOL Convert(CMC_Units* table, double& v, const char* from, const char* to) {
  // Plots convert every sample: a unit the table lacks must fail quietly, not once per sample.
  CQuietErrors quiet;
  return table->ConvertValue(v, from, to) != 0;
}

BOOL Compatible(CMC_Units* table, const char* a, const char* b) { return table->CompatibleUnits(a, b) != 0; }

BOOL Relative(CMC_Units* table, double r, const char* name, CString& found) {
  CMC_Unit* unit = table->FindUnitWithRelativeFactor(r, name);
  if (!unit) return FALSE;
  found = unit->GetName();
  return TRUE;
}

const PlotUnitsOps g_tableOps = {&Convert, &Compatible, &Relative};

struct Installer {
  Installer() { PlotUnits::Install(&g_tableOps); }
} g_installer;

}  // namespace
