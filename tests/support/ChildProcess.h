// A piece of a test run in a forked child process, alongside the test or to be killed, limited or
// given another user by it; what the piece returned comes back through a pipe.
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace dravonix::test {

class ChildProcess {
 public:
  explicit ChildProcess(const std::function<std::string()>& body) {
    if (pipe(m_fds) != 0) return;
    m_pid = fork();
    if (m_pid < 0) {
      close(m_fds[0]);
      close(m_fds[1]);
      return;
    }
    if (m_pid != 0) {
      close(m_fds[1]);
      return;
    }
    close(m_fds[0]);
    const std::string out = body();
    for (size_t done = 0; done < out.size();) {
      const ssize_t n = write(m_fds[1], out.data() + done, out.size() - done);
      if (n <= 0) break;
      done += (size_t)n;
    }
    _exit(0);
  }
  ~ChildProcess() { Wait(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return m_pid; }
  // True once the child has ended (it is then waited for).
  bool Ended() {
    if (m_pid > 0 && !m_reaped && waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_reaped = true;
    return m_pid <= 0 || m_reaped;
  }
  // What the body returned, or a text starting with "child failed" ("child failed: signal 9" for a
  // child killed) when the child did not end well.
  std::string Wait() {
    if (m_pid <= 0) return "child failed: fork";
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = read(m_fds[0], buf, sizeof buf)) > 0;) out.append(buf, (size_t)n);
    close(m_fds[0]);
    if (!m_reaped) waitpid(m_pid, &m_status, 0);
    m_pid = -1;
    if (WIFSIGNALED(m_status)) return "child failed: signal " + std::to_string(WTERMSIG(m_status)) + " " + out;
    if (!WIFEXITED(m_status) || WEXITSTATUS(m_status) != 0)
      return "child failed: status " + std::to_string(m_status) + " " + out;
    return out;
  }

 private:
  int m_fds[2] = {-1, -1};
  pid_t m_pid = -1;
  int m_status = 0;
  bool m_reaped = false;
};

inline std::string InChildProcess(const std::function<std::string()>& body) { return ChildProcess(body).Wait(); }

// As a user without the super-user's rights, which would pass over the permissions a test sets.
inline std::string AsOrdinaryUser(const std::function<std::string()>& body) {
  return InChildProcess([&]() -> std::string {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return "child failed: setuid";
    return body();
  });
}

}  // namespace dravonix::test
