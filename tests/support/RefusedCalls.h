// Runs a piece of a test in a child process whose system refuses some calls, as a file system
// without unnamed files or permission bits refuses them (a seccomp filter), or kills the child at
// a call, so that the parent sees what that leaves.
#pragma once

#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <functional>
#include <string>
#include <vector>

namespace dravonix::test {

// A call refused with `error` (0: the process is killed there); with `flags`, only when its
// argument `arg` has all of them.
struct RefusedCall {
  long nr;
  int error;
  unsigned flags = 0;
  unsigned arg = 0;
};

// Refuses the calls from now on in this process; false when the system allows no filter.
inline bool RefuseCalls(const std::vector<RefusedCall>& calls) {
  std::vector<sock_filter> f = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
                                BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
                                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)};
  for (const RefusedCall& c : calls) {
    const __u32 ret = c.error ? SECCOMP_RET_ERRNO | (__u32)c.error : SECCOMP_RET_KILL_PROCESS;
    f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    if (!c.flags) {
      f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, (__u32)c.nr, 0, 1));
    } else {
      f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, (__u32)c.nr, 0, 4));
      f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, (__u32)(offsetof(seccomp_data, args) + 8 * c.arg)));
      f.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K, c.flags));
      f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, c.flags, 0, 1));
    }
    f.push_back(BPF_STMT(BPF_RET | BPF_K, ret));
  }
  f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
  sock_fprog prog{(unsigned short)f.size(), f.data()};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) == 0;
}

// A file without a name refused, as FAT through a user-space file system refuses it.
inline const RefusedCall kNoUnnamedFiles{SYS_openat, EOPNOTSUPP, (unsigned)(O_TMPFILE & ~O_DIRECTORY), 2};

// What `body` returned in a child that refuses `calls`.
inline std::string WithRefusedCalls(const std::vector<RefusedCall>& calls, const std::function<std::string()>& body) {
  return InChildProcess([&]() -> std::string { return RefuseCalls(calls) ? body() : "child failed: seccomp"; });
}

}  // namespace dravonix::test
