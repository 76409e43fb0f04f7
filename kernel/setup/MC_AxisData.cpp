#include "kernel/setup/MC_AxisData.h"

IMPLEMENT_DYNCREATE(CMC_AxisData, CObject)
