// The application profile that the grid keeps its styles in.
#pragma once

#include "platform/core/Profile.h"

// The profile used by the styles' and styles maps' profile operations. Until a host installs its
// application's profile, a process-wide one named after the program is used.
CAppProfile& GXGetAppProfile();
// Null goes back to the process-wide one. The profile must outlive its use by the grid.
void GXSetAppProfile(CAppProfile* profile);
