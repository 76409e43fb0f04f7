// The few unit-table services that plots call, and the sample values plots treat apart.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

class CMC_Units;

// Missing samples: plots mark them 1e100; monitoring stores "not available" as 1.2345e100.
constexpr double PLOT_MISSING = 1e100;
constexpr double PLOT_NOT_AVAILABLE = 1.2345e100;
inline bool IsMissingSample(double v) { return v == PLOT_MISSING || v == PLOT_NOT_AVAILABLE; }
// Open range ends.
constexpr double PLOT_OPEN_MIN = -1e99;
constexpr double PLOT_OPEN_MAX = 1e99;

// The unit-table services plots call; without a table every conversion fails (values stay as
// stored) and no unit is compatible or found.
namespace PlotUnits {
// Empty or beginning with a backslash: the drive's internal unit.
inline bool IsInternalUnit(const char* name) { return !name || !*name || *name == '\\'; }
BOOL ConvertValue(CMC_Units* table, double& v, const char* from, const char* to);
BOOL CompatibleUnits(CMC_Units* table, const char* a, const char* b);
// Name of the unit whose factor relative to `name` is r; FALSE when none.
BOOL FindUnitWithRelativeFactor(CMC_Units* table, double r, const char* name, CString& found);
}  // namespace PlotUnits
