// The grid library's defaults a picture test runs under: the library's own after start-up, or those
// every kernel grid view sets (grid lines on the right and bottom, dotted, headers without borders).
#pragma once

#include "grid/engine/GXLibraryDefaults.h"

#include <gtest/gtest.h>

#include <string>

namespace dravonix::test {

inline void UseLibraryDefaults(bool kernelViews) {
  if (kernelViews) GXSetLibraryDefaults(1, 2, 1);
  else GXSetLibraryDefaults(0, 0, 0);
}

inline std::string LibraryDefaultsName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "KernelViews" : "StartUp";
}

}  // namespace dravonix::test
