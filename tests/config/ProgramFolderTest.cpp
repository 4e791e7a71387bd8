// Where the configuration file lives.
#include "config/ProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/EnvGuard.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolderTest, ChoiceInOrderOfPreference) {
  // "@" stands for a fresh temporary folder, which holds a plain file "file".
  const struct { const char *vargazeHome, *executable, *xdg, *home, *chosen; } cases[] = {
      {"@a/b", "@", "@xdg", "@", "@a/b/"},            // VARGAZE_HOME wins and is created
      {"", "@", "@xdg", "@home", "@"},                // then a writable program folder
      {"", "@not-there", "@xdg", "@home", "@xdg/vargaze/"},
      {"", "@file", "@xdg", "", "@xdg/vargaze/"},     // a file is no program folder
      {"", "@not-there", "relative/path", "@home", "@home/.config/vargaze/"},
      {"", "@not-there", "", "@home", "@home/.config/vargaze/"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen);
    test::TempDir dir;
    test::writeBytes(dir.file("file"), "x");
    const auto at = [&](std::string p) { return p[0] == '@' ? dir.file(p.substr(1)) : p; };
    const std::string chosen = at(c.chosen);
    EXPECT_EQ(findProgdir({at(c.vargazeHome), at(c.executable), at(c.xdg), at(c.home)}),
              fs::path(chosen).lexically_normal().string());
    EXPECT_TRUE(fs::is_directory(chosen));
    // Only the chosen folder is created.
    EXPECT_EQ(fs::exists(dir.file("xdg")), chosen.find("/xdg/") != std::string::npos);
    EXPECT_EQ(fs::exists(dir.file("home")), chosen.find("/home/") != std::string::npos);
  }
}

TEST(ProgramFolderTest, EnvironmentVariableIsHonouredAndItsAbsenceToo) {
  test::TempDir dir;
  const test::EnvGuard home("VARGAZE_HOME", dir.file("home"));
  EXPECT_EQ(iniFilePath(findProgdir()), dir.file("home/vargaze1.ini"));
  EXPECT_TRUE(fs::is_directory(dir.file("home")));
  EXPECT_EQ(iniFilePath(dir.file("home")), dir.file("home/vargaze1.ini"));
  // An empty value counts as unset: the build folder is writable.
  home.set("");
  const std::string programFolder = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
  EXPECT_EQ(findProgdir(), programFolder);
  home.clear();
  EXPECT_EQ(findProgdir(), programFolder);
}

}  // namespace
}  // namespace vargaze
