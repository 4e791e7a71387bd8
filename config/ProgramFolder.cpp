#include "config/ProgramFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/Strings.h"

namespace vargaze {

namespace {

namespace fs = std::filesystem;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string absoluteFolder(const std::string& folder) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(folder, ec);
  return AddBackslash(ec ? folder : absolute.lexically_normal().string());
}

std::string createdFolder(const std::string& folder) {
  const std::string path = absoluteFolder(folder);
  std::error_code ec;
  fs::create_directories(path, ec);
  return path;
}

bool isWritableFolder(const std::string& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string passwordHome() {
  const passwd* entry = ::getpwuid(::getuid());
  return entry && entry->pw_dir ? std::string(entry->pw_dir) : std::string();
}

}  // namespace

ProgdirSources currentProgdirSources() {
  ProgdirSources sources;
  sources.vargazeHome = environment("VARGAZE_HOME");
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) sources.executableFolder = exe.parent_path().string();
  sources.xdgConfigHome = environment("XDG_CONFIG_HOME");
  sources.home = environment("HOME");
  if (sources.home.empty()) sources.home = passwordHome();
  return sources;
}

std::string findProgdir(const ProgdirSources& sources) {
  if (!sources.vargazeHome.empty()) return createdFolder(sources.vargazeHome);
  if (!sources.executableFolder.empty() && isWritableFolder(sources.executableFolder)) {
    return absoluteFolder(sources.executableFolder);
  }
  // Relative XDG paths are to be ignored, as the base-directory rules say.
  if (!sources.xdgConfigHome.empty() && sources.xdgConfigHome.front() == '/') {
    return createdFolder(AddBackslash(sources.xdgConfigHome) + "vargaze");
  }
  if (!sources.home.empty()) return createdFolder(AddBackslash(sources.home) + ".config/vargaze");
  // Nowhere better to go: the program's own folder, writable or not.
  return absoluteFolder(sources.executableFolder.empty() ? "." : sources.executableFolder);
}

std::string findProgdir() { return findProgdir(currentProgdirSources()); }

std::string iniFilePath(const std::string& progdir) {
  if (progdir.empty()) return kIniFileName;
  return AddBackslash(progdir) + kIniFileName;
}

}  // namespace vargaze
