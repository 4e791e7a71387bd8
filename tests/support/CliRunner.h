// Runs vargaze-cli as a user does, with its own configuration folder.
#pragma once

#include <string>

#include "support/TempDir.h"

namespace vargaze::test {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs vargaze-cli with `arguments` (already quoted for the shell), with
// VARGAZE_HOME set to `dir` so no user configuration is read.
CliResult runCli(const std::string& arguments, const TempDir& dir);

// 'text' quoted for the shell.
std::string quoted(const std::string& text);

}  // namespace vargaze::test
