// Where the configuration file lives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "config/ProgramFolder.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Sets or removes an environment variable for one test and restores it after.
class EnvironmentGuard {
 public:
  explicit EnvironmentGuard(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
  }
  ~EnvironmentGuard() {
    if (saved_) {
      ::setenv(name_, saved_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  EnvironmentGuard(const EnvironmentGuard&) = delete;
  EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

std::string withSlash(const fs::path& p) { return p.string() + "/"; }

TEST(ProgramFolderTest, VargazeHomeWinsAndIsCreated) {
  TempDir dir;
  ProgdirSources sources;
  sources.vargazeHome = dir.file("a/b");
  sources.executableFolder = dir.path().string();
  sources.home = dir.path().string();
  EXPECT_EQ(findProgdir(sources), withSlash(dir.path() / "a/b"));
  EXPECT_TRUE(fs::is_directory(dir.path() / "a/b"));
}

TEST(ProgramFolderTest, WritableProgramFolderComesNext) {
  TempDir dir;
  ProgdirSources sources;
  sources.executableFolder = dir.path().string();
  sources.xdgConfigHome = dir.file("xdg");
  EXPECT_EQ(findProgdir(sources), withSlash(dir.path()));
  EXPECT_FALSE(fs::exists(dir.path() / "xdg"));
}

TEST(ProgramFolderTest, UnusableProgramFolderFallsBackToXdgConfigHome) {
  TempDir dir;
  ProgdirSources sources;
  sources.executableFolder = dir.file("not-there");
  sources.xdgConfigHome = dir.file("xdg");
  sources.home = dir.file("home");
  EXPECT_EQ(findProgdir(sources), withSlash(dir.path() / "xdg/vargaze"));
  EXPECT_TRUE(fs::is_directory(dir.path() / "xdg/vargaze"));
}

TEST(ProgramFolderTest, RelativeOrEmptyXdgConfigHomeMeansDotConfig) {
  TempDir dir;
  ProgdirSources sources;
  sources.executableFolder = dir.file("not-there");
  sources.xdgConfigHome = "relative/path";
  sources.home = dir.file("home");
  EXPECT_EQ(findProgdir(sources), withSlash(dir.path() / "home/.config/vargaze"));
  EXPECT_TRUE(fs::is_directory(dir.path() / "home/.config/vargaze"));
  sources.xdgConfigHome.clear();
  EXPECT_EQ(findProgdir(sources), withSlash(dir.path() / "home/.config/vargaze"));
}

TEST(ProgramFolderTest, FileInPlaceOfTheProgramFolderIsNotUsed) {
  TempDir dir;
  test::writeBytes(dir.file("plain-file"), "x");
  ProgdirSources sources;
  sources.executableFolder = dir.file("plain-file");
  sources.xdgConfigHome = dir.file("xdg");
  EXPECT_EQ(findProgdir(sources), withSlash(dir.path() / "xdg/vargaze"));
}

TEST(ProgramFolderTest, EnvironmentVariableIsHonouredAndItsAbsenceToo) {
  EnvironmentGuard guard("VARGAZE_HOME");
  TempDir dir;
  ASSERT_EQ(::setenv("VARGAZE_HOME", dir.file("home").c_str(), 1), 0);
  EXPECT_EQ(findProgdir(), withSlash(dir.path() / "home"));
  EXPECT_EQ(iniFilePath(findProgdir()), (dir.path() / "home/vargaze1.ini").string());
  EXPECT_TRUE(fs::is_directory(dir.path() / "home"));

  // An empty value counts as unset.
  ASSERT_EQ(::setenv("VARGAZE_HOME", "", 1), 0);
  const std::string programFolder = withSlash(fs::read_symlink("/proc/self/exe").parent_path());
  EXPECT_EQ(findProgdir(), programFolder);  // the build folder is writable
  ASSERT_EQ(::unsetenv("VARGAZE_HOME"), 0);
  EXPECT_EQ(findProgdir(), programFolder);
}

TEST(ProgramFolderTest, IniPathAddsTheSlashOnlyWhenMissing) {
  EXPECT_EQ(iniFilePath("/opt/vargaze"), "/opt/vargaze/vargaze1.ini");
  EXPECT_EQ(iniFilePath("/opt/vargaze/"), "/opt/vargaze/vargaze1.ini");
}

}  // namespace
}  // namespace vargaze
