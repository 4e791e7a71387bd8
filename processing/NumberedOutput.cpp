// Numbered output names and the guard that keeps them off the series' frames.
#include "processing/NumberedOutput.h"

#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "base/Strings.h"

namespace vargaze {

namespace {

// One spelling per file: absolute, with "." and ".." resolved and symbolic
// links followed as far as the path exists.
std::string normalPath(const std::string& name) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::weakly_canonical(name, ec);
  if (ec) return std::filesystem::absolute(name, ec).lexically_normal().string();
  return p.string();
}

}  // namespace

int frameNumberDigits(std::int32_t frameCount) {
  int digits = 3;
  for (std::int64_t limit = 1000; frameCount >= limit; limit *= 10) ++digits;
  return digits;
}

std::string numberedName(const std::string& target, std::int32_t frame, int digits) {
  const std::size_t slash = target.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = target.find_last_of('.');
  if (dot == std::string::npos || dot <= nameStart) dot = target.size();
  return target.substr(0, dot) + getnumber(frame, digits) + target.substr(dot);
}

std::optional<std::string> outputThatIsAFrame(const std::vector<std::string>& outputs,
                                              const std::vector<std::string>& frames) {
  std::unordered_set<std::string> framePaths;
  for (const std::string& f : frames) framePaths.insert(normalPath(f));
  for (const std::string& out : outputs) {
    if (framePaths.count(normalPath(out)) != 0) return out;
  }
  return std::nullopt;
}

}  // namespace vargaze
