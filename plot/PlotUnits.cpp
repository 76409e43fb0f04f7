#include "plot/PlotUnits.h"

namespace {
const PlotUnitsOps* g_ops = nullptr;
}

void PlotUnits::Install(const PlotUnitsOps* ops) { g_ops = ops; }
const PlotUnitsOps* PlotUnits::Installed() { return g_ops; }

BOOL PlotUnits::ConvertValue(CMC_Units* table, double& v, const char* from, const char* to) {
  if (!table || !g_ops || !g_ops->ConvertValue) return FALSE;
  return g_ops->ConvertValue(table, v, from ? from : "", to ? to : "");
}

BOOL PlotUnits::CompatibleUnits(CMC_Units* table, const char* a, const char* b) {
  if (!table || !g_ops || !g_ops->CompatibleUnits) return FALSE;
  return g_ops->CompatibleUnits(table, a ? a : "", b ? b : "");
}

BOOL PlotUnits::FindUnitWithRelativeFactor(CMC_Units* table, double r, const char* name, CString& found) {
  if (!table || !g_ops || !g_ops->FindUnitWithRelativeFactor) return FALSE;
  return g_ops->FindUnitWithRelativeFactor(table, r, name ? name : "", found);
}
