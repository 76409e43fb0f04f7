// Per-process test environment: a private copy of the tests' kernel folder, a
// private profile file and a folder for pictures that people look at.
#pragma once
#include <string>

namespace dravonix::test {

// The private kernel folder of this test process (already set as DRAVONIX_KERNEL_DIR).
const std::string& KernelDir();
// The folder KernelDir was copied from: the tests' own kernel folder (the sample one plus the
// plug-ins made to fail), or another named by DRAVONIX_TEST_KERNEL_SOURCE.
const std::string& KernelSource();
// The sample kernel folder that hosts get, as built.
std::string SampleKernelFolder();
// A fresh empty folder under the process's scratch area.
std::string ScratchDir(const std::string& name);
// Where tests save PNGs and other output for people: <build>/test-output/<name>.
std::string OutputPath(const std::string& name);
// A file of the source tree's tests/fixtures folder, whatever the working folder.
std::string FixturePath(const std::string& name);

}  // namespace dravonix::test

namespace dravonix::test {

// How much slower the sanitizer build runs: time bounds in tests are multiplied by it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kTimeFactor = 10;
#else
inline constexpr int kTimeFactor = 1;
#endif

}  // namespace dravonix::test
