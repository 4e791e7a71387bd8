#include "support/CliRunner.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace vargaze::test {

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

CliResult runCli(const std::string& arguments, const TempDir& dir) {
  const std::string errFile = dir.file("cli-stderr.txt");
  const std::string command = "VARGAZE_HOME=" + quoted(dir.path().string()) + " " +
                              quoted(VARGAZE_CLI_PATH) + " " + arguments + " 2>" +
                              quoted(errFile);
  CliResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buf{};
  std::size_t n = 0;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) result.out.append(buf.data(), n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = readBytes(errFile);
  return result;
}

}  // namespace vargaze::test
