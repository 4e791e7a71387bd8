// Running an outside program and waiting for it, without a shell: the
// arguments reach the program exactly as given, whatever characters the file
// names hold.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vargaze {

struct ProcessResult {
  enum class Outcome { Exited, Signalled, TimedOut, NotStarted };
  Outcome outcome = Outcome::NotStarted;
  int code = 0;       // exit status, signal number, or errno of the failed start
  std::string error;  // why it did not start
};

// Starts argv[0] (a path, not searched on PATH) with the arguments argv,
// standard input from /dev/null and standard output into `stdoutFd` (or
// inherited when -1), and waits for it to end. A program still running after
// `timeLimit` is killed and reported as TimedOut.
ProcessResult runProcess(const std::vector<std::string>& argv, int stdoutFd,
                         std::chrono::milliseconds timeLimit);

}  // namespace vargaze
