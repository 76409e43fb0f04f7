// An owning pointer to a setup, for tests.
#pragma once

#include "kernel/setup/MC_Setup.h"

#include <memory>

struct SetupDeleter {
  void operator()(CMC_Setup* s) const { CMC_Setup::Destroy(s); }
};
using SetupPtr = std::unique_ptr<CMC_Setup, SetupDeleter>;
