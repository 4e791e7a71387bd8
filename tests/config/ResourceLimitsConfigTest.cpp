// Configuration files far larger than any real one: read with bounded
// memory and time below the INI size limit, refused above it (and then
// replaced by a sound file on the next write).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/ConfigOptions.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

// An INI of about `bytes` bytes: many junk sections before the one that
// counts, so the key sits at the very end.
std::string bigIni(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 64);
  for (int i = 0; text.size() + 64 < bytes; ++i)
    text += "[Junk" + std::to_string(i) + "]\r\nKey" + std::to_string(i) + "=value\r\n";
  return text + "[Curve]\r\nJDprecision=7\r\n";
}

class ResourceLimitsConfigTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string iniPath = dir.file("vargaze1.ini");
};

TEST_F(ResourceLimitsConfigTest, IniJustBelowTheLimitIsRead) {
  test::writeBytes(iniPath, bigIni(IniFile::kMaxFileBytes - 100));
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        Settings s;
        TConfigOptions options(s, iniPath);
        const bool ok = options.ReadOptions();
        report = std::to_string(s.JDprecision) + " " + options.lastError();
        return ok ? 0 : 1;
      },
      test::ChildLimits{-1, 120});
  ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: hung)";
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_EQ(child.report, "7 ");
  EXPECT_LT(child.rssGrowthKb, 128 * 1024);
}

TEST_F(ResourceLimitsConfigTest, TenMegabyteIniIsRefusedThenReplacedBySoundOne) {
  test::writeBytes(iniPath, bigIni(10u << 20));
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        Settings s;
        TConfigOptions options(s, iniPath);
        const bool read = options.ReadOptions();
        report = std::to_string(s.JDprecision) + "|" + options.lastError();
        if (read) return 1;
        // The working file is ours: one too large to be a configuration is
        // replaced by a sound one on the next write.
        return options.WriteOptions() ? 0 : 2;
      },
      test::ChildLimits{-1, 120});
  ASSERT_TRUE(child.exited) << "signal " << child.signal;
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_EQ(child.report.substr(0, 2), "5|");  // the default, not the file's 7
  EXPECT_NE(child.report.find(iniPath), std::string::npos) << child.report;
  EXPECT_LT(child.rssGrowthKb, 32 * 1024);
  EXPECT_LT(std::filesystem::file_size(iniPath), 4096u);
  Settings s;
  TConfigOptions options(s, iniPath);
  EXPECT_TRUE(options.ReadOptions()) << options.lastError();
  EXPECT_EQ(s.JDprecision, 5);
}

}  // namespace
}  // namespace vargaze
