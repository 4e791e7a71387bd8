// Child processes for tests that start programs for real: ended and reaped
// however the test ends, so nothing outlives a failed run on a shared machine.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vargaze::test {

class ChildProcess {
 public:
  using Clock = std::chrono::steady_clock;

  explicit ChildProcess(std::vector<std::string> argv) {
    std::vector<char*> args;  // built before fork: the child may only exec
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      execvp(args[0], args.data());
      _exit(127);
    }
  }
  ~ChildProcess() {
    if (pid_ < 0 || exitCode_) return;
    kill(pid_, SIGTERM);  // lets Xvfb remove its lock file and socket
    if (waitFor(std::chrono::seconds(5))) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit code once the process has ended, waiting at most `timeout`.
  std::optional<int> waitFor(Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (pid_ > 0 && !exitCode_) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      } else if (Clock::now() >= deadline) {
        break;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
    return exitCode_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
};

// Starts Xvfb on a free display number, which the server picks itself and
// writes to a pipe once it accepts connections; returns ":N", or "" on failure.
inline std::string startXvfb(std::optional<ChildProcess>& server) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "";
  server.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipeFds[1]),
                                          "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
  close(pipeFds[1]);
  std::string number;
  char c = 0;
  pollfd ready{pipeFds[0], POLLIN, 0};
  while (poll(&ready, 1, 30000) == 1 && read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeFds[0]);
  return number.empty() ? "" : ":" + number;
}

}  // namespace vargaze::test
