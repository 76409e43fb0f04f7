// An axis of a host's document: a name and the setup behind it.
#pragma once

#include "kernel/setup/MC_AxisData.h"

namespace dravonix::test {

struct NamedAxis : CMC_AxisData {
  NamedAxis(const char* n, CMC_Setup* s) : name(n), setup(s) {}
  const char* GetName() override { return name; }
  CMC_Setup* GetSetup() override { return setup; }
  const char* name;
  CMC_Setup* setup;
};

}  // namespace dravonix::test
