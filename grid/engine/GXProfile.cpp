#include "grid/engine/GXProfile.h"

namespace {
CAppProfile* g_pProfile = nullptr;
}  // namespace

CAppProfile& GXGetAppProfile() {
  static CAppProfile processProfile;
  return g_pProfile ? *g_pProfile : processProfile;
}

void GXSetAppProfile(CAppProfile* profile) { g_pProfile = profile; }
