// Runs a piece of a test in a child process whose files cannot grow past a limit: every write past
// it fails with EFBIG, as a full disk would fail it, while the parent's files stay writable.
#pragma once

#include "tests/support/ChildProcess.h"

#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <string>

namespace dravonix::test {

// What `body` returned in the child, or a text starting with "child failed" when it did not end well.
inline std::string WithFileSizeLimit(rlim_t limit, const std::function<std::string()>& body) {
  return InChildProcess([&]() -> std::string {
    signal(SIGXFSZ, SIG_IGN);
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = limit;
    return setrlimit(RLIMIT_FSIZE, &r) == 0 ? body() : "child failed: setrlimit";
  });
}

}  // namespace dravonix::test
