#include "image/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

extern char** environ;

namespace vargaze {

namespace {

// Frees the spawn file actions on every path out.
struct SpawnActions {
  posix_spawn_file_actions_t actions;
  SpawnActions() { posix_spawn_file_actions_init(&actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
};

// waitpid without blocking; true when the child has ended.
bool reaped(pid_t pid, int& status) {
  for (;;) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return true;
    if (r == 0) return false;
    if (errno != EINTR) {
      // Gone without a status (SIGCHLD ignored elsewhere): taken as a normal
      // end; the converter's caller still checks what it wrote.
      status = 0;
      return true;
    }
  }
}

void killAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, int stdoutFd,
                         std::chrono::milliseconds timeLimit) {
  ProcessResult result;
  if (argv.empty()) {
    result.error = "no program given";
    return result;
  }
  std::vector<std::string> args(argv);
  std::vector<char*> pointers;
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);

  SpawnActions spawn;
  posix_spawn_file_actions_addopen(&spawn.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&spawn.actions, stdoutFd, STDOUT_FILENO);

  pid_t pid = 0;
  const int err =
      ::posix_spawn(&pid, pointers[0], &spawn.actions, nullptr, pointers.data(), environ);
  if (err != 0) {
    result.code = err;
    result.error = std::generic_category().message(err);
    return result;
  }

  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  auto pause = std::chrono::milliseconds(2);
  int status = 0;
  while (!reaped(pid, status)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      killAndReap(pid);
      result.outcome = ProcessResult::Outcome::TimedOut;
      return result;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  if (WIFSIGNALED(status)) {
    result.outcome = ProcessResult::Outcome::Signalled;
    result.code = WTERMSIG(status);
  } else {
    result.outcome = ProcessResult::Outcome::Exited;
    result.code = WEXITSTATUS(status);
  }
  return result;
}

}  // namespace vargaze
