#include "grid/engine/GXLibraryDefaults.h"

namespace {
int g_nDefaults[3] = {0, 0, 0};
}  // namespace

void GXSetLibraryDefaults(int nFirst, int nSecond, int nThird) {
  g_nDefaults[0] = nFirst;
  g_nDefaults[1] = nSecond;
  g_nDefaults[2] = nThird;
}

void GXGetLibraryDefaults(int& nFirst, int& nSecond, int& nThird) {
  nFirst = g_nDefaults[0];
  nSecond = g_nDefaults[1];
  nThird = g_nDefaults[2];
}
