#include "grid/engine/GXProfile.h"

#include "platform/ui/WinApp.h"

namespace {
CAppProfile* g_pProfile = nullptr;
}  // namespace

CAppProfile& GXGetAppProfile() {
  if (g_pProfile) return *g_pProfile;
  if (CWinApp* app = AfxGetApp()) return app->GetProfile();
  static CAppProfile processProfile;
  return processProfile;
}

void GXSetAppProfile(CAppProfile* profile) { g_pProfile = profile; }
