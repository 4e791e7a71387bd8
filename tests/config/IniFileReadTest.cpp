// Reading values from INI files, including files that were never written by us.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>

#include "config/IniFile.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::TempDir;
using test::writeBytes;

class IniFileReadTest : public ::testing::Test {
 protected:
  IniFile fileWith(const std::string& bytes) {
    writeBytes(path, bytes);
    return IniFile(path);
  }
  TempDir dir;
  std::string path = dir.file("test.ini");
};

TEST_F(IniFileReadTest, SectionAndKeyNamesIgnoreCase) {
  IniFile ini = fileWith("[Mag]\r\nDefaultROIsize=11\r\n");
  EXPECT_EQ(ini.ReadInteger("Mag", "DefaultROIsize", 9), 11);
  EXPECT_EQ(ini.ReadInteger("mag", "defaultroisize", 9), 11);
  EXPECT_EQ(ini.ReadInteger("MAG", "DEFAULTROISIZE", 9), 11);
}

TEST_F(IniFileReadTest, FirstOfDuplicateKeysWinsAndRepeatedSectionsCountAsOne) {
  IniFile ini = fileWith("[A]\nk=1\nk=2\n[B]\ny=5\n[a]\nk=3\nz=4\n");
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
  EXPECT_EQ(ini.ReadInteger("A", "z", 0), 4);
}

TEST_F(IniFileReadTest, KeysBelongOnlyToTheirOwnSection) {
  IniFile ini = fileWith("k=1\n[A]\nx=2\n[B]\nk=3\n");
  EXPECT_EQ(ini.ReadString("A", "k", "none"), "none");
  EXPECT_EQ(ini.ReadString("C", "k", "none"), "none");
  EXPECT_EQ(ini.ReadString("B", "k", "none"), "3");
}

TEST_F(IniFileReadTest, BlanksAroundNamesAndValuesAreIgnored) {
  IniFile ini = fileWith("  [ Export ]  \n\t BAVOBS  =  Max Muster \t\n");
  EXPECT_EQ(ini.ReadString("Export", "BAVOBS", ""), "Max Muster");
}

TEST_F(IniFileReadTest, CommentsAndLinesWithoutEqualsAreNoKeys) {
  IniFile ini = fileWith("[A]\n;k=1\n#k=2\nk\n=5\nk=3\n");
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 3);
  EXPECT_EQ(ini.ReadString("A", ";k", "none"), "none");
}

TEST_F(IniFileReadTest, ValueKeepsEverythingAfterTheFirstEquals) {
  IniFile ini = fileWith("[A]\nk=a=b\n");
  EXPECT_EQ(ini.ReadString("A", "k", ""), "a=b");
}

TEST_F(IniFileReadTest, LfAndCrLfLinesAndWindows1252Text) {
  // 0xFC is "ü" in Windows-1252.
  IniFile ini = fileWith("[Export]\nBAVOBS=M\xFCller\r\nOBSCODE=ABC\n");
  EXPECT_EQ(ini.ReadString("Export", "BAVOBS", ""), "M\xC3\xBCller");
  EXPECT_EQ(ini.ReadString("Export", "OBSCODE", ""), "ABC");
}

TEST_F(IniFileReadTest, Utf8TextWithByteOrderMark) {
  IniFile ini = fileWith("\xEF\xBB\xBF[Export]\r\nBAVOBS=M\xC3\xBCller\r\n");
  EXPECT_EQ(ini.ReadString("Export", "BAVOBS", ""), "M\xC3\xBCller");
}

TEST_F(IniFileReadTest, IntegersAreDecimalAndMustFit32Bits) {
  IniFile ini = fileWith(
      "[N]\na=12\nb=+12\nc=-3\nd=1.5\ne=12abc\nf=2147483648\ng=-2147483648\nh=\ni=0x10\n");
  EXPECT_EQ(ini.ReadInteger("N", "a", 7), 12);
  EXPECT_EQ(ini.ReadInteger("N", "b", 7), 12);
  EXPECT_EQ(ini.ReadInteger("N", "c", 7), -3);
  EXPECT_EQ(ini.ReadInteger("N", "d", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "e", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "f", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "g", 7), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ini.ReadInteger("N", "h", 7), 7);
  EXPECT_EQ(ini.ReadInteger("N", "i", 7), 7);
}

TEST_F(IniFileReadTest, BooleansAreIntegersWithAnyNonzeroTrue) {
  IniFile ini =
      fileWith("[B]\none=1\nzero=0\nminus=-7\nbig=42\nword=yes\nempty=\nhuge=99999999999\n");
  EXPECT_TRUE(ini.ReadBool("B", "one", false));
  EXPECT_FALSE(ini.ReadBool("B", "zero", true));
  EXPECT_TRUE(ini.ReadBool("B", "minus", false));
  EXPECT_TRUE(ini.ReadBool("B", "big", false));
  EXPECT_FALSE(ini.ReadBool("B", "word", false));
  EXPECT_TRUE(ini.ReadBool("B", "word", true));
  EXPECT_TRUE(ini.ReadBool("B", "empty", true));
  EXPECT_FALSE(ini.ReadBool("B", "huge", false));
  EXPECT_TRUE(ini.ReadBool("B", "missing", true));
}

TEST_F(IniFileReadTest, FloatsUseThePointOnly) {
  IniFile ini =
      fileWith("[F]\na=2.5\nb=-1e3\nc=1,5\nd=1e999\ne=nan\nf=inf\ng=2450000\nh=.5\ni= 7 \n");
  EXPECT_EQ(ini.ReadFloat("F", "a", 99), 2.5);
  EXPECT_EQ(ini.ReadFloat("F", "b", 99), -1000.0);
  EXPECT_EQ(ini.ReadFloat("F", "c", 99), 99.0);
  EXPECT_EQ(ini.ReadFloat("F", "d", 99), 99.0);
  EXPECT_EQ(ini.ReadFloat("F", "e", 99), 99.0);
  EXPECT_EQ(ini.ReadFloat("F", "f", 99), 99.0);
  EXPECT_EQ(ini.ReadFloat("F", "g", 99), 2450000.0);
  EXPECT_EQ(ini.ReadFloat("F", "h", 99), 0.5);
  EXPECT_EQ(ini.ReadFloat("F", "i", 99), 7.0);
}

TEST_F(IniFileReadTest, MissingFileReadsAsEmptyWithoutFailure) {
  IniFile ini(dir.file("absent.ini"));
  EXPECT_TRUE(ini.Reload());
  EXPECT_TRUE(ini.lastError().empty());
  EXPECT_EQ(ini.ReadString("File", "StartupDir", "dflt"), "dflt");
}

TEST_F(IniFileReadTest, BinaryJunkAndGarbageLinesLeaveTheGoodKeysReadable) {
  std::string bytes;
  for (int round = 0; round < 4; ++round) {
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>((b * 37 + round * 11) % 256);
  }
  bytes += "\n[Mag\n]\n[]\n==\n=\n[\n";
  bytes += std::string("\0\0\0\n\0\r\r\n", 8);
  bytes += "[Mag]\nDefaultROIsize=7\n\xFF\xFE=\xFF\n";
  IniFile ini = fileWith(bytes);
  EXPECT_EQ(ini.ReadInteger("Mag", "DefaultROIsize", 9), 7);
  EXPECT_EQ(ini.ReadInteger("Mag", "ImgBinning", 1), 1);
  EXPECT_EQ(ini.ReadFloat("Image", "Zoomfactor", 1.0), 1.0);
}

TEST_F(IniFileReadTest, FileAboveTheSizeLimitReadsAsEmptyAndSaysWhy) {
  std::string bytes = "[Mag]\nDefaultROIsize=7\n";
  bytes.resize(IniFile::kMaxFileBytes + 1, ';');
  IniFile ini = fileWith(bytes);
  EXPECT_EQ(ini.ReadInteger("Mag", "DefaultROIsize", 9), 9);
  EXPECT_FALSE(ini.Reload());
  EXPECT_NE(ini.lastError().find("larger"), std::string::npos) << ini.lastError();
}

TEST_F(IniFileReadTest, FileJustAtTheSizeLimitIsRead) {
  std::string bytes = "[Mag]\nDefaultROIsize=7\n";
  bytes.resize(IniFile::kMaxFileBytes, ';');
  IniFile ini = fileWith(bytes);
  EXPECT_TRUE(ini.Reload());
  EXPECT_EQ(ini.ReadInteger("Mag", "DefaultROIsize", 9), 7);
}

TEST_F(IniFileReadTest, FolderInPlaceOfTheFileIsReportedNotRead) {
  std::filesystem::create_directory(path);
  IniFile ini(path);
  EXPECT_FALSE(ini.Reload());
  EXPECT_FALSE(ini.lastError().empty());
  EXPECT_EQ(ini.ReadInteger("Mag", "DefaultROIsize", 9), 9);
}

TEST_F(IniFileReadTest, ReloadSeesChangesOnDisk) {
  IniFile ini = fileWith("[A]\nk=1\n");
  writeBytes(path, "[A]\nk=2\n");
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
  EXPECT_TRUE(ini.Reload());
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 2);
}

}  // namespace
}  // namespace vargaze
