// A small unit table for plot tests, read from a unit file written from `units`.
#pragma once

#include "kernel/params/MC_Units.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

struct FakeUnits {
  struct Unit {
    int type;
    double factor, offset;
  };
  std::map<std::string, Unit> units = {{"m", {1, 1, 0}},     {"mm", {1, 1000, 0}}, {"km", {1, 0.001, 0}},
                                       {"s", {2, 1, 0}},     {"ms", {2, 1000, 0}}, {"degC", {3, 1, 0}},
                                       {"degF", {3, 1.8, 32}}};

  // The table of `units` as they are now; the same table on every call.
  CMC_Units* Table() {
    static int files = 0;
    if (m_file.empty()) m_file = "plot-test-" + std::to_string(++files) + ".cfg";
    std::ofstream out(dravonix::test::KernelDir() + "/Units/" + m_file, std::ios::binary);
    out.precision(17);
    for (auto& [name, u] : units) out << u.type << " [" << name << "] " << u.factor << " " << u.offset << "\n";
    out.close();
    EXPECT_TRUE(m_table.Initialize(m_file.c_str()));
    return &m_table;
  }

 private:
  std::string m_file;
  CMC_Units m_table;
};
