// Runs a piece of a test in a child process whose files cannot grow past a limit: every write past
// it fails with EFBIG, as a full disk would fail it, while the parent's files stay writable.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

namespace dravonix::test {

// What `body` returned in the child, or a text starting with "child failed" when it did not end well.
inline std::string WithFileSizeLimit(rlim_t limit, const std::function<std::string()>& body) {
  int fds[2];
  if (pipe(fds) != 0) return "child failed: pipe";
  const pid_t pid = fork();
  if (pid < 0) return "child failed: fork";
  if (pid == 0) {
    close(fds[0]);
    signal(SIGXFSZ, SIG_IGN);
    rlimit r{};
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = limit;
    std::string out = setrlimit(RLIMIT_FSIZE, &r) == 0 ? body() : "child failed: setrlimit";
    for (size_t done = 0; done < out.size();) {
      const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
      if (n <= 0) break;
      done += (size_t)n;
    }
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, (size_t)n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed: status " + std::to_string(status) + " " + out;
  return out;
}

}  // namespace dravonix::test
