// The net peer as a separate process on the loopback: commands go to its standard input, its event lines are
// collected from its output. Waits are bounded (times the factor given, for slower builds); the process is
// ended when the object goes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

class NetPeerProcess {
 public:
  explicit NetPeerProcess(const std::vector<std::string>& args, int timeFactor = 1) : m_timeFactor(timeFactor) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    char exe[4096] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = std::string(exe, n > 0 ? (size_t)n : 0);
    dir = dir.substr(0, dir.find_last_of('/'));
    std::string path = dir + "/dravonix-netpeer";
    m_pid = fork();
    if (m_pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      std::vector<char*> argv{const_cast<char*>(path.c_str())};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(path.c_str(), argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    m_in = in[1];
    m_out = out[0];
    m_reader = std::thread([this] {
      std::string line;
      char c;
      while (read(m_out, &c, 1) == 1) {
        if (c != '\n') {
          line += c;
          continue;
        }
        std::lock_guard<std::mutex> lk(m_mutex);
        m_lines.push_back(line);
        m_taken.push_back(false);
        line.clear();
        m_cv.notify_all();
      }
    });
    std::string port = WaitFor("port ");
    m_port = port.empty() ? 0 : atoi(port.c_str() + 5);
  }
  ~NetPeerProcess() {
    if (m_in >= 0) close(m_in);
    if (m_pid > 0) {
      for (int i = 0; i < 200 && waitpid(m_pid, nullptr, WNOHANG) == 0; ++i) usleep(10000);
      if (waitpid(m_pid, nullptr, WNOHANG) == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
      }
    }
    if (m_reader.joinable()) m_reader.join();
    if (m_out >= 0) close(m_out);
  }
  int Port() const { return m_port; }
  // Sends a command and waits until the peer has carried it out.
  void Command(const std::string& line) {
    std::string l = line + "\n";
    if (write(m_in, l.data(), l.size()) != (ssize_t)l.size()) return;
    WaitFor("done " + line.substr(0, line.find(' ')));
  }
  // The first line starting with `prefix` not yet taken, or "" after the time limit.
  std::string WaitFor(const std::string& prefix, int ms = 10000) {
    std::unique_lock<std::mutex> lk(m_mutex);
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms * m_timeFactor);
    for (;;) {
      for (size_t i = 0; i < m_lines.size(); ++i)
        if (!m_taken[i] && m_lines[i].compare(0, prefix.size(), prefix) == 0) {
          m_taken[i] = true;
          return m_lines[i];
        }
      if (m_cv.wait_until(lk, until) == std::cv_status::timeout) return "";
    }
  }
  // Whether any line so far starts with `prefix`.
  bool Saw(const std::string& prefix) {
    std::lock_guard<std::mutex> lk(m_mutex);
    for (const std::string& l : m_lines)
      if (l.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }

 private:
  int m_timeFactor;
  pid_t m_pid = -1;
  int m_in = -1, m_out = -1, m_port = 0;
  std::thread m_reader;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::vector<std::string> m_lines;
  std::vector<bool> m_taken;
};
