// Runs a piece of a test in a forked child: what it returns comes back through a pipe, so that the
// child may be stopped, limited or given another user while the test process goes on.
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace dravonix::test {

struct ChildProcess {
  pid_t pid = -1;
  int output = -1;
};

// Starts `body` in a child that ends when it returns.
inline ChildProcess StartChild(const std::function<std::string()>& body) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return {};
  }
  if (pid == 0) {
    close(fds[0]);
    const std::string out = body();
    for (size_t done = 0; done < out.size();) {
      const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
      if (n <= 0) break;
      done += (size_t)n;
    }
    _exit(0);
  }
  close(fds[1]);
  return {pid, fds[0]};
}

// What the child's body returned, or a text starting with "child failed" ("child failed: signal 9"
// for a child killed) when it did not end well.
inline std::string FinishChild(const ChildProcess& child) {
  if (child.pid < 0) return "child failed: fork";
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = read(child.output, buf, sizeof buf)) > 0;) out.append(buf, (size_t)n);
  close(child.output);
  int status = 0;
  waitpid(child.pid, &status, 0);
  if (WIFSIGNALED(status)) return "child failed: signal " + std::to_string(WTERMSIG(status)) + " " + out;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed: status " + std::to_string(status) + " " + out;
  return out;
}

inline std::string InChildProcess(const std::function<std::string()>& body) { return FinishChild(StartChild(body)); }

// As a user without the super-user's rights, which would pass over the permissions a test sets.
inline std::string AsOrdinaryUser(const std::function<std::string()>& body) {
  return InChildProcess([&]() -> std::string {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return "child failed: setuid";
    return body();
  });
}

}  // namespace dravonix::test
