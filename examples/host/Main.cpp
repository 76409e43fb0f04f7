// dravonix-host: a small host application that runs the kernel's main road on a simulated drive
// and prints each step with its result. Exits non-zero at the first failed step.
#include "examples/host/HostSteps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

static int Usage() {
  fprintf(stderr, "usage: dravonix-host [--kernel DIR] [--out DIR]\n");
  return 2;
}

int main(int argc, char** argv) {
  std::string kernel, out = "host-out";
  bool ownKernel = false;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--kernel") && i + 1 < argc) kernel = argv[++i];
    else if (!strcmp(argv[i], "--out") && i + 1 < argc) out = argv[++i];
    else return Usage();
  }
  std::error_code ec;
  if (kernel.empty()) {
    // Work on a copy: the road writes into the kernel folder.
    fs::path tmp = fs::temp_directory_path() / ("dravonix-host-" + std::to_string(getpid()));
    fs::remove_all(tmp, ec);
    fs::create_directories(tmp, ec);
    fs::copy(DRAVONIX_KERNEL_FOLDER, tmp, fs::copy_options::recursive, ec);
    if (ec) {
      fprintf(stderr, "cannot copy the sample kernel folder to %s: %s\n", tmp.c_str(), ec.message().c_str());
      return 1;
    }
    kernel = tmp.string();
    ownKernel = true;
  }
  setenv("DRAVONIX_KERNEL_DIR", kernel.c_str(), 1);
  fs::create_directories(out, ec);
  if (ec) {
    fprintf(stderr, "cannot create %s: %s\n", out.c_str(), ec.message().c_str());
    return 1;
  }
  printf("kernel folder: %s\noutput folder: %s\n", kernel.c_str(), fs::absolute(out).c_str());
  bool ok = RunHostRoad(fs::absolute(out).string());
  if (ownKernel) fs::remove_all(kernel, ec);
  return ok ? 0 : 1;
}
