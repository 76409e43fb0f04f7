#include "plot/curves/PlotUnits.h"

#include "kernel/params/MC_Units.h"
#include "kernel/values/QuietErrors.h"

BOOL PlotUnits::ConvertValue(CMC_Units* table, double& v, const char* from, const char* to) {
  if (!table) return FALSE;
  // Plots convert every sample: a unit the table lacks must fail quietly, not once per sample.
  CQuietErrors quiet;
  return table->ConvertValue(v, from ? from : "", to ? to : "") != 0;
}

BOOL PlotUnits::CompatibleUnits(CMC_Units* table, const char* a, const char* b) {
  if (!table) return FALSE;
  return table->CompatibleUnits(a ? a : "", b ? b : "") != 0;
}

BOOL PlotUnits::FindUnitWithRelativeFactor(CMC_Units* table, double r, const char* name, CString& found) {
  if (!table) return FALSE;
  CMC_Unit* unit = table->FindUnitWithRelativeFactor(r, name ? name : "");
  if (!unit) return FALSE;
  found = unit->GetName();
  return TRUE;
}
