// The application profile that the grid keeps its styles in.
#pragma once

#include "platform/core/Profile.h"

// The profile used by the styles', styles maps' and properties' profile operations: one installed
// with GXSetAppProfile, else the application's (as its WriteProfileString sees it), else, in a
// process without an application, one named after the program.
CAppProfile& GXGetAppProfile();
// Null goes back to the application's. The profile must outlive its use by the grid.
void GXSetAppProfile(CAppProfile* profile);
