// Writing INI files: in place, at once, and without disturbing the rest.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "config/IniFile.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

const std::string kOriginal =
    "; written by hand\r\n"
    "[File]\r\n"
    "StartupDir=/old\r\n"
    "Unknown=keep me\r\n"
    "\r\n"
    "[Mag]\r\n"
    "DefaultROIsize=9\r\n";

class IniFileWriteTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.file("test.ini");
};

TEST_F(IniFileWriteTest, ExistingKeyIsReplacedInPlace) {
  writeBytes(path, kOriginal);
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("file", "startupdir", "/new")) << ini.lastError();
  EXPECT_EQ(readBytes(path),
            "; written by hand\r\n[File]\r\nStartupDir=/new\r\nUnknown=keep me\r\n\r\n"
            "[Mag]\r\nDefaultROIsize=9\r\n");
}

TEST_F(IniFileWriteTest, NewKeyGoesToTheEndOfItsSectionBeforeTheBlankLine) {
  writeBytes(path, kOriginal);
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("File", "Cfgfilename", "a.cfg"));
  ASSERT_TRUE(ini.WriteInteger("Mag", "ImgBinning", 2));
  EXPECT_EQ(readBytes(path),
            "; written by hand\r\n[File]\r\nStartupDir=/old\r\nUnknown=keep me\r\n"
            "Cfgfilename=a.cfg\r\n\r\n[Mag]\r\nDefaultROIsize=9\r\nImgBinning=2\r\n");
}

TEST_F(IniFileWriteTest, NewSectionGoesToTheEndOfTheFile) {
  writeBytes(path, kOriginal);
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteBool("Test", "Testmode", true));
  EXPECT_EQ(readBytes(path), kOriginal + "[Test]\r\nTestmode=1\r\n");
}

TEST_F(IniFileWriteTest, FirstWriteCreatesTheFile) {
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger("Window", "windowwidth", 805));
  ASSERT_TRUE(ini.WriteInteger("Window", "windowheight", 509));
  EXPECT_EQ(readBytes(path), "[Window]\r\nwindowwidth=805\r\nwindowheight=509\r\n");
}

TEST_F(IniFileWriteTest, LfFileComesBackWithCrLfAndKeepsTheKeySpelling) {
  writeBytes(path, "[mag]\nDEFAULTroisize = 9\nother=1\n");
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger("Mag", "DefaultROIsize", 11));
  EXPECT_EQ(readBytes(path), "[mag]\r\nDEFAULTroisize=11\r\nother=1\r\n");
}

TEST_F(IniFileWriteTest, OnlyTheFirstOfDuplicateKeysIsReplaced) {
  writeBytes(path, "[A]\r\nk=1\r\nk=2\r\n");
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger("A", "k", 5));
  EXPECT_EQ(readBytes(path), "[A]\r\nk=5\r\nk=2\r\n");
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 5);
}

TEST_F(IniFileWriteTest, EveryWriteReachesTheDiskAtOnce) {
  IniFile writer(path);
  ASSERT_TRUE(writer.WriteString("Export", "OBSCODE", "XYZ"));
  EXPECT_EQ(IniFile(path).ReadString("Export", "OBSCODE", ""), "XYZ");
  ASSERT_TRUE(writer.WriteString("Export", "OBSCODE", "ABC"));
  EXPECT_EQ(IniFile(path).ReadString("Export", "OBSCODE", ""), "ABC");
}

TEST_F(IniFileWriteTest, ChangesMadeByOthersMeanwhileAreKept) {
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger("A", "mine", 1));
  writeBytes(path, "[A]\r\nmine=1\r\n[Test]\r\nTestmode=1\r\n");
  ASSERT_TRUE(ini.WriteInteger("A", "mine", 2));
  EXPECT_EQ(readBytes(path), "[A]\r\nmine=2\r\n[Test]\r\nTestmode=1\r\n");
}

TEST_F(IniFileWriteTest, UnchangedValueLeavesTheFileAlone) {
  writeBytes(path, kOriginal);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteString("File", "StartupDir", "/old"));
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  // A rewrite goes through a new file renamed over the old one.
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(readBytes(path), kOriginal);
}

TEST_F(IniFileWriteTest, FloatsAreWrittenWithAtMost15SignificantDigitsAndAPoint) {
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteFloat("F", "third", 1.0 / 3.0));
  ASSERT_TRUE(ini.WriteFloat("F", "sum", 0.1 + 0.2));
  ASSERT_TRUE(ini.WriteFloat("F", "jd", 2450000.0));
  ASSERT_TRUE(ini.WriteFloat("F", "neg", -0.25));
  EXPECT_EQ(readBytes(path), "[F]\r\nthird=0.333333333333333\r\nsum=0.3\r\njd=2450000\r\nneg=-0.25\r\n");
  EXPECT_EQ(ini.ReadFloat("F", "neg", 0), -0.25);
}

TEST_F(IniFileWriteTest, LineBreaksCannotSmuggleInKeys) {
  writeBytes(path, kOriginal);
  IniFile ini(path);
  EXPECT_FALSE(ini.WriteString("File", "StartupDir", "/a\r\n[Test]\r\nTestmode=1"));
  EXPECT_FALSE(ini.lastError().empty());
  EXPECT_FALSE(ini.WriteString("File", "Start\nupDir", "x"));
  EXPECT_FALSE(ini.WriteString("Fi\rle", "StartupDir", "x"));
  EXPECT_EQ(readBytes(path), kOriginal);
  EXPECT_FALSE(IniFile(path).ReadBool("Test", "Testmode", false));
}

TEST_F(IniFileWriteTest, NamesThatWouldReadBackDifferentlyAreRefused) {
  IniFile ini(path);
  EXPECT_FALSE(ini.WriteString("Mag", "a=b", "1"));
  EXPECT_FALSE(ini.WriteString("Mag", "", "1"));
  EXPECT_FALSE(ini.WriteString("Mag", " padded", "1"));
  EXPECT_FALSE(ini.WriteString("Mag", ";comment", "1"));
  EXPECT_FALSE(ini.WriteString("Mag", "[x]", "1"));
  EXPECT_FALSE(ini.WriteString("Ma]g", "k", "1"));
  EXPECT_FALSE(ini.WriteString("", "k", "1"));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(IniFileWriteTest, FailedWriteIsReportedAndChangesNothing) {
  const std::string nowhere = dir.file("missing-folder/test.ini");
  IniFile ini(nowhere);
  EXPECT_FALSE(ini.WriteInteger("A", "k", 1));
  EXPECT_FALSE(ini.lastError().empty());
  EXPECT_EQ(ini.ReadInteger("A", "k", 7), 7);
}

TEST_F(IniFileWriteTest, FileThatCannotBeReadIsNotOverwritten) {
  std::filesystem::create_directory(path);
  IniFile ini(path);
  EXPECT_FALSE(ini.WriteInteger("A", "k", 1));
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(IniFileWriteTest, OversizedFileIsReplacedBySoundOne) {
  std::string junk(IniFile::kMaxFileBytes + 10, 'x');
  writeBytes(path, junk);
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger("A", "k", 1)) << ini.lastError();
  EXPECT_EQ(readBytes(path), "[A]\r\nk=1\r\n");
}

TEST_F(IniFileWriteTest, TextOutsideWindows1252IsKeptAsUtf8) {
  IniFile ini(path);
  // "Ω" (U+03A9) has no Windows-1252 byte.
  ASSERT_TRUE(ini.WriteString("Export", "BAVOBS", "\xCE\xA9mega"));
  EXPECT_EQ(readBytes(path), "[Export]\r\nBAVOBS=\xCE\xA9mega\r\n");
  ASSERT_TRUE(ini.WriteString("Export", "BAVOBS", "M\xC3\xBCller"));
  EXPECT_EQ(readBytes(path), "[Export]\r\nBAVOBS=M\xFCller\r\n");
  EXPECT_EQ(IniFile(path).ReadString("Export", "BAVOBS", ""), "M\xC3\xBCller");
}

}  // namespace
}  // namespace vargaze
