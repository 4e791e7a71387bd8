// Saving and loading named configuration copies (".cfg" files).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/ConfigOptions.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

class ConfigCopiesTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(dir.file("copies")); }
  TempDir dir;
  std::string iniPath = dir.file("vargaze1.ini");
  Settings settings;
  TConfigOptions options{settings, iniPath};
};

TEST_F(ConfigCopiesTest, SavedCopyRecordsItsOwnNameLikeTheWorkingFile) {
  const std::string copy = dir.file("copies/night1.cfg");
  settings.TrackingRange = 88;
  ASSERT_TRUE(options.SaveOptions(copy)) << options.lastError();
  EXPECT_EQ(settings.cfgfilename, "night1.cfg");
  EXPECT_TRUE(options.lastMessage().empty());
  const std::string working = readBytes(iniPath);
  EXPECT_NE(working.find("[File]\r\nStartupDir=\r\nCfgfilename=night1.cfg\r\n"), std::string::npos);
  EXPECT_NE(working.find("TrackingRange=88\r\n"), std::string::npos);
  EXPECT_EQ(readBytes(copy), working);
}

TEST_F(ConfigCopiesTest, LoadTakesTheFilesOwnNameWhateverItHolds) {
  const std::string copy = dir.file("copies/other.cfg");
  const std::string bytes =
      "[File]\r\nCfgfilename=something-else.cfg\r\n[Mag]\r\nDefaultROIsize=15\r\n";
  writeBytes(copy, bytes);
  ASSERT_TRUE(options.LoadOptions(copy)) << options.lastError();
  EXPECT_EQ(settings.cfgfilename, "other.cfg");
  EXPECT_EQ(settings.DefaultROIsize, 15);
  EXPECT_EQ(readBytes(iniPath), bytes);
}

TEST_F(ConfigCopiesTest, LoadReadsTheNewWorkingFileFromDisk) {
  writeBytes(iniPath, "[Tracking]\r\nTrackingRange=100\r\n[Mag]\r\nDefaultROIsize=21\r\n");
  ASSERT_TRUE(options.ReadOptions());
  ASSERT_EQ(settings.TrackingRange, 100);
  const std::string copy = dir.file("copies/small.cfg");
  writeBytes(copy, "[Mag]\r\nDefaultROIsize=7\r\n");
  ASSERT_TRUE(options.LoadOptions(copy));
  EXPECT_EQ(settings.DefaultROIsize, 7);
  // Nothing of the old working file lingers.
  EXPECT_EQ(settings.TrackingRange, 50);
}

TEST_F(ConfigCopiesTest, SaveThenLoadRestoresTheSavedSettings) {
  const std::string copy = dir.file("copies/setup.cfg");
  settings.BAVOBS = "MUS";
  settings.ElectronsPerCount = 1.25;
  settings.imgBinning = 2;
  ASSERT_TRUE(options.SaveOptions(copy));
  settings.BAVOBS = "other";
  settings.ElectronsPerCount = 3;
  settings.imgBinning = 3;
  ASSERT_TRUE(options.WriteOptions());
  ASSERT_TRUE(options.LoadOptions(copy));
  EXPECT_EQ(settings.BAVOBS, "MUS");
  EXPECT_EQ(settings.ElectronsPerCount, 1.25);
  EXPECT_EQ(settings.imgBinning, 2);
  EXPECT_EQ(settings.cfgfilename, "setup.cfg");
}

TEST_F(ConfigCopiesTest, FailedLoadChangesNeitherFileNorSettings) {
  settings.TrackingRange = 70;
  ASSERT_TRUE(options.WriteOptions());
  const std::string before = readBytes(iniPath);
  settings.TrackingRange = 80;
  EXPECT_FALSE(options.LoadOptions(dir.file("copies/missing.cfg")));
  EXPECT_EQ(options.lastMessage(), "Load error");
  EXPECT_FALSE(options.lastError().empty());
  EXPECT_EQ(readBytes(iniPath), before);
  EXPECT_EQ(settings.TrackingRange, 80);
  EXPECT_EQ(settings.cfgfilename, "");
}

TEST_F(ConfigCopiesTest, OversizedCopyIsNotLoaded) {
  ASSERT_TRUE(options.WriteOptions());
  const std::string before = readBytes(iniPath);
  const std::string copy = dir.file("copies/huge.cfg");
  writeBytes(copy, std::string(IniFile::kMaxFileBytes + 1, 'x'));
  EXPECT_FALSE(options.LoadOptions(copy));
  EXPECT_EQ(options.lastMessage(), "Load error");
  EXPECT_EQ(readBytes(iniPath), before);
}

TEST_F(ConfigCopiesTest, LoadingTheWorkingFileItselfDoesNotTruncateIt) {
  settings.TrackingRange = 66;
  ASSERT_TRUE(options.WriteOptions());
  const std::string before = readBytes(iniPath);
  ASSERT_TRUE(options.LoadOptions(iniPath));
  EXPECT_EQ(readBytes(iniPath), before);
  EXPECT_EQ(settings.TrackingRange, 66);
  EXPECT_EQ(settings.cfgfilename, "vargaze1.ini");
  // The same file under another spelling of its path.
  ASSERT_TRUE(options.LoadOptions(dir.file("copies/../vargaze1.ini")));
  EXPECT_EQ(readBytes(iniPath), before);
}

TEST_F(ConfigCopiesTest, SavingOntoTheWorkingFileItselfKeepsItWhole) {
  settings.TrackingRange = 66;
  ASSERT_TRUE(options.SaveOptions(iniPath));
  const std::string text = readBytes(iniPath);
  EXPECT_NE(text.find("Cfgfilename=vargaze1.ini\r\n"), std::string::npos);
  EXPECT_NE(text.find("TrackingRange=66\r\n"), std::string::npos);
  EXPECT_NE(text.find("windowheight=509\r\n"), std::string::npos);
}

TEST_F(ConfigCopiesTest, FailedCopyOnSaveIsASaveError) {
  EXPECT_FALSE(options.SaveOptions(dir.file("no-such-folder/x.cfg")));
  EXPECT_EQ(options.lastMessage(), "Save error");
  // The working file already holds the current settings and the new name.
  EXPECT_NE(readBytes(iniPath).find("Cfgfilename=x.cfg\r\n"), std::string::npos);
  EXPECT_EQ(settings.cfgfilename, "x.cfg");
}

TEST_F(ConfigCopiesTest, SaveIsRefusedWhenTheWorkingFileCannotBeWritten) {
  Settings other;
  TConfigOptions broken(other, dir.file("no-such-folder/vargaze1.ini"));
  const std::string copy = dir.file("copies/x.cfg");
  EXPECT_FALSE(broken.SaveOptions(copy));
  EXPECT_EQ(broken.lastMessage(), "Save error");
  EXPECT_FALSE(std::filesystem::exists(copy));
}

TEST_F(ConfigCopiesTest, TestmodeSurvivesSavesAndReachesTheCopies) {
  writeBytes(iniPath, "[Test]\r\nTestmode=1\r\n");
  ASSERT_TRUE(options.ReadOptions());
  for (int i = 0; i < 3; ++i) {
    const std::string copy = dir.file("copies/c" + std::to_string(i) + ".cfg");
    ASSERT_TRUE(options.SaveOptions(copy));
    EXPECT_NE(readBytes(copy).find("[Test]\r\nTestmode=1\r\n"), std::string::npos);
  }
  ASSERT_TRUE(options.LoadOptions(dir.file("copies/c1.cfg")));
  EXPECT_TRUE(settings.Testmode);
}

}  // namespace
}  // namespace vargaze
