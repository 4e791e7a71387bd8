#include "image/RawConverter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/Numbers.h"
#include "image/ChildProcess.h"

namespace vargaze {

namespace {

namespace fs = std::filesystem;

// FAT, the file system of camera cards, keeps times in 2-second steps.
constexpr std::int64_t kFileTimeStep = 2;

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
         a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
         a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Closes the information file on every path out.
struct FileDescriptor {
  int fd = -1;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Why a converter run failed, or empty when it ended with status 0.
std::string runFailure(const ProcessResult& r, const std::string& program,
                       std::chrono::milliseconds timeLimit) {
  switch (r.outcome) {
    case ProcessResult::Outcome::Exited:
      return r.code == 0 ? std::string()
                         : "the raw converter ended with exit status " + std::to_string(r.code);
    case ProcessResult::Outcome::Signalled:
      return "the raw converter was ended by signal " + std::to_string(r.code);
    case ProcessResult::Outcome::TimedOut:
      return "the raw converter did not finish within " +
             formatGeneral(static_cast<double>(timeLimit.count()) / 1000.0) + " s and was stopped";
    case ProcessResult::Outcome::NotStarted:
      break;
  }
  return "cannot start the raw converter " + program + ": " + r.error;
}

}  // namespace

RawConverterSources currentRawConverterSources() {
  RawConverterSources sources;
  sources.environment = environmentValue(kRawConverterVariable);
  sources.searchPath = environmentValue("PATH");
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) sources.executableFolder = exe.parent_path().string();
  return sources;
}

std::string findRawConverter(const RawConverterSources& sources) {
  if (!sources.environment.empty()) return sources.environment;
  if (!sources.executableFolder.empty()) {
    const std::string beside = (fs::path(sources.executableFolder) / kRawConverterName).string();
    if (isExecutableFile(beside)) return beside;
  }
  std::string_view rest = sources.searchPath;
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    // Empty and relative entries name the current folder: never run from there.
    if (folder.empty() || folder.front() != '/') continue;
    const std::string candidate = (fs::path(folder) / kRawConverterName).string();
    if (isExecutableFile(candidate)) return candidate;
  }
  return {};
}

std::string rawPpmFilename(const std::string& rawfilename) {
  return fs::path(rawfilename).replace_extension(".ppm").string();
}

RawOutputCheck::RawOutputCheck(std::string ppmfilename) : ppm_(std::move(ppmfilename)) {
  startSeconds_ = std::chrono::duration_cast<std::chrono::seconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  existed_ = ::stat(ppm_.c_str(), &before_) == 0;
}

bool RawOutputCheck::writtenByConversion() const {
  struct stat now {};
  if (::stat(ppm_.c_str(), &now) != 0 || !S_ISREG(now.st_mode)) return false;
  if (existed_ && sameFile(before_, now)) return false;  // left over from before
  return now.st_mtim.tv_sec >= startSeconds_ - kFileTimeStep;
}

bool ConvertRaw1(const std::string& filename, const std::string& infofilename, std::string& error,
                 std::chrono::milliseconds timeLimit) {
  const std::string program = findRawConverter(currentRawConverterSources());
  if (program.empty()) {
    error = std::string("raw converter not found: set ") + kRawConverterVariable +
            ", put dcraw beside the program or install dcraw";
    return false;
  }
  std::error_code ec;
  if (!fs::is_regular_file(filename, ec)) {
    error = "raw file not found: " + filename;
    return false;
  }
  // A name starting with "-" would be read as an option.
  const std::string rawArgument = filename.front() == '-' ? "./" + filename : filename;

  FileDescriptor info;
  info.fd = ::open(infofilename.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (info.fd < 0) {
    error = "cannot write the information file " + infofilename + ": " +
            std::generic_category().message(errno);
    return false;
  }
  const RawOutputCheck output(rawPpmFilename(filename));

  ProcessResult r = runProcess({program, "-i", "-v", rawArgument}, info.fd, timeLimit);
  error = runFailure(r, program, timeLimit);
  if (!error.empty()) {
    error += " (camera information of " + filename + ")";
    return false;
  }
  r = runProcess({program, "-4", "-t", "0", rawArgument}, -1, timeLimit);
  error = runFailure(r, program, timeLimit);
  if (!error.empty()) {
    error += " (conversion of " + filename + ")";
    return false;
  }
  if (!output.writtenByConversion()) {
    error = "the raw converter wrote no new PPM file " + output.ppmfilename();
    return false;
  }
  return true;
}

bool ConvertRaw1(const std::string& filename, const std::string& infofilename) {
  std::string error;
  return ConvertRaw1(filename, infofilename, error);
}

}  // namespace vargaze
