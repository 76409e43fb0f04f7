#include "tests/support/TestKernel.h"

#include "grid/engine/GXLibrary.h"
#include "grid/engine/GXLibraryDefaults.h"
#include "platform/core/Ini.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dravonix::test {
namespace {

fs::path& ScratchRoot() {
  static fs::path root = [] {
    fs::path p = fs::temp_directory_path() / ("dravonix-test-" + std::to_string(getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
  }();
  return root;
}

// Every test meets the grid library as a new process does: its own defaults, and not yet started, so
// the kernel's views start it and set theirs again, whatever the test before set.
class LibraryDefaultsReset : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    GXTerminateGridLibrary();
    GXSetLibraryDefaults(0, 0, 0);
  }
};

}  // namespace

const std::string& KernelSource() {
  static const std::string source = [] {
    const char* named = getenv("DRAVONIX_TEST_KERNEL_SOURCE");
    return std::string(named && *named ? named : DRAVONIX_KERNEL_FOLDER);
  }();
  return source;
}

std::string SampleKernelFolder() { return DRAVONIX_SAMPLE_KERNEL_FOLDER; }

const std::string& KernelDir() {
  static std::string dir = [] {
    fs::path k = ScratchRoot() / "kernel";
    fs::create_directories(k);
    fs::copy(KernelSource(), k, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return k.string();
  }();
  return dir;
}

std::string ScratchDir(const std::string& name) {
  fs::path p = ScratchRoot() / name;
  // Settings written into a folder go there before it is emptied.
  WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr);
  fs::remove_all(p);
  fs::create_directories(p);
  return p.string();
}

std::string OutputPath(const std::string& name) {
  fs::path p = fs::path(DRAVONIX_TEST_OUTPUT) / name;
  fs::create_directories(p.parent_path());
  return p.string();
}

std::string FixturePath(const std::string& name) { return (fs::path(DRAVONIX_TEST_FIXTURES) / name).string(); }

}  // namespace dravonix::test

int main(int argc, char** argv) {
  using namespace dravonix::test;
  // The kernel caches its folder at first use: set it before any test runs.
  setenv("DRAVONIX_KERNEL_DIR", KernelDir().c_str(), 1);
  setenv("XDG_CONFIG_HOME", ScratchDir("config").c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new LibraryDefaultsReset);
  int rc = RUN_ALL_TESTS();
  if (!getenv("DRAVONIX_KEEP_SCRATCH")) {
    WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr);
    std::error_code ec;
    fs::remove_all(fs::temp_directory_path() / ("dravonix-test-" + std::to_string(getpid())), ec);
  }
  return rc;
}
