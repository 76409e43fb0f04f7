// The four CANopen factor groups of a setup (position, speed, acceleration, time) and the factors
// that convert bus units to drive internal units.
#pragma once

#include "platform/core/Types.h"

class CMC_Setup;
class CMC_Variable;
class CMC_Parameter;

struct CANopenFactorGroup {
  const char* title;  // "Position", ...
  const char* variable;
  const char* dimensionIndex;
  const char* notationIndex;
  const char* numerator;
  const char* divisor;
  UINT labelId, comboId, detailsId;  // controls of the factor group dialog
};

enum { CANOPEN_GROUP_COUNT = 4 };
extern const CANopenFactorGroup g_CANopenFactorGroups[CANOPEN_GROUP_COUNT];

// The objects of one group; all null unless the variable and the four parameters exist.
struct CANopenGroupObjects {
  CMC_Variable* variable = nullptr;
  CMC_Parameter* dimension = nullptr;
  CMC_Parameter* notation = nullptr;
  CMC_Parameter* numerator = nullptr;
  CMC_Parameter* divisor = nullptr;
  bool Exists() const { return variable != nullptr; }
  // The index pair, each truncated to an integer and then to 16 bits.
  SHORT Dimension() const;
  SHORT Notation() const;
};
// Looked up without messages.
CANopenGroupObjects FindCANopenGroup(CMC_Setup* setup, int group);
bool HasCANopenFactorGroups(CMC_Setup* setup);

int ComputeCANopenFactor(CMC_Setup* setup, CMC_Variable* variable, CMC_Parameter* dimension,
                         CMC_Parameter* notation, CMC_Parameter* numerator, CMC_Parameter* divisor);
// Recomputes every existing group; nonzero when none failed, 0 for a null setup.
int UpdateCANopenFactors(CMC_Setup* setup);
