#include "base/Strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace vargaze {
namespace {

TEST(StringsTest, TrimRemovesControlCharactersAndBlanksAtBothEnds) {
  EXPECT_EQ(Trim("  M 31 \t\r\n"), "M 31");
  EXPECT_EQ(Trim(std::string("\0\x01x\x1f", 4)), "x");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim(""), "");
  // Bytes above 127 (parts of UTF-8 characters) are not white space.
  EXPECT_EQ(Trim("\xC3\xA4 "), "\xC3\xA4");
  EXPECT_EQ(Trim("!x!"), "!x!");
}

TEST(StringsTest, RemoveBlanksRemovesOnlyBlanks) {
  EXPECT_EQ(RemoveBlanks(" 4 5.25 "), "45.25");
  EXPECT_EQ(RemoveBlanks("a\tb"), "a\tb");
  EXPECT_EQ(RemoveBlanks("   "), "");
}

TEST(StringsTest, UpperCaseIsAsciiOnly) {
  EXPECT_EQ(stUpcase("fits.Fit"), "FITS.FIT");
  EXPECT_EQ(stUpcase("a-z{}"), "A-Z{}");
  EXPECT_EQ(stUpcase("\xC3\xA4"), "\xC3\xA4");  // ä stays
}

TEST(StringsTest, LowerCaseMapsUmlauts) {
  EXPECT_EQ(StLoCase("ABC xyz"), "abc xyz");
  EXPECT_EQ(StLoCase("\xC3\x84\xC3\x96\xC3\x9C"), "\xC3\xA4\xC3\xB6\xC3\xBC");  // ÄÖÜ -> äöü
  EXPECT_EQ(StLoCase("M\xC3\x9CLLER"), "m\xC3\xBCller");
  EXPECT_EQ(StLoCase("\xC3\x9F"), "\xC3\x9F");  // ß has no upper/lower pair here
  EXPECT_EQ(StLoCase("\xC3"), "\xC3");          // a cut sequence is left alone
  EXPECT_EQ(StLoCase("@[`"), "@[`");
}

TEST(StringsTest, ExtractWordSkipsRunsOfDelimiters) {
  EXPECT_EQ(extractword(1, "a;b;;c", ";"), "a");
  EXPECT_EQ(extractword(2, "a;b;;c", ";"), "b");
  EXPECT_EQ(extractword(3, "a;b;;c", ";"), "c");
  EXPECT_EQ(extractword(4, "a;b;;c", ";"), "");
  EXPECT_EQ(extractword(2, "  12.5 ,\t7 ", " ,\t"), "7");
  EXPECT_EQ(extractword(1, ";;;", ";"), "");
  EXPECT_EQ(extractword(0, "a", ";"), "");
  EXPECT_EQ(extractword(-1, "a", ";"), "");
  EXPECT_EQ(extractword(1, "whole", ""), "whole");
}

TEST(StringsTest, AddBackslashAppendsTheSeparatorOnce) {
  EXPECT_EQ(AddBackslash("/home/obs"), "/home/obs/");
  EXPECT_EQ(AddBackslash("/home/obs/"), "/home/obs/");
  EXPECT_EQ(AddBackslash(""), "/");
  EXPECT_EQ(AddBackslash("/"), "/");
}

TEST(StringsTest, JustPathNameKeepsTheTrailingSeparator) {
  EXPECT_EQ(justpathname("/data/night1/m31_001.fit"), "/data/night1/");
  EXPECT_EQ(justpathname("/m31.fit"), "/");
  EXPECT_EQ(justpathname("m31.fit"), "");
  EXPECT_EQ(justpathname("/data/night1/"), "/data/night1/");
}

TEST(StringsTest, NumbersWithLeadingZeros) {
  EXPECT_EQ(getnumber(1, 3), "001");
  EXPECT_EQ(getnumber(42, 5), "00042");
  EXPECT_EQ(getnumber(12345, 3), "12345");
  EXPECT_EQ(getnumber(0, 1), "0");
  EXPECT_EQ(getnumber(7, 0), "7");
  EXPECT_EQ(getnumber(-5, 3), "-05");
  EXPECT_EQ(getFilenumber(0), "000");
  EXPECT_EQ(getFilenumber(7), "007");
  EXPECT_EQ(getFilenumber(999), "999");
  EXPECT_EQ(getFilenumber(1000), "1000");  // wider numbers never lose digits
}

std::string blockPattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

TEST(FileCopyTest, CopiesEveryByteAcrossBlockBoundaries) {
  test::TempDir dir;
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{32768},
                           std::size_t{32769}, std::size_t{100000}}) {
    const std::string bytes = blockPattern(size);
    test::writeBytes(dir.file("in.bin"), bytes);
    std::string error;
    ASSERT_EQ(FileCopy(dir.file("in.bin"), dir.file("out.bin"), error), 0) << error;
    EXPECT_EQ(test::readBytes(dir.file("out.bin")), bytes) << "size " << size;
  }
}

TEST(FileCopyTest, ReplacesAnExistingTargetAndLeavesNoTemporaryFile) {
  test::TempDir dir;
  test::writeBytes(dir.file("in.txt"), "new");
  test::writeBytes(dir.file("out.txt"), "old content");
  std::string error;
  ASSERT_EQ(FileCopy(dir.file("in.txt"), dir.file("out.txt"), error), 0) << error;
  EXPECT_EQ(test::readBytes(dir.file("out.txt")), "new");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2);
}

TEST(FileCopyTest, MissingSourceFailsAndKeepsTheTarget) {
  test::TempDir dir;
  test::writeBytes(dir.file("out.txt"), "keep me");
  std::string error;
  EXPECT_EQ(FileCopy(dir.file("missing.txt"), dir.file("out.txt"), error), -1);
  EXPECT_EQ(error, "read error");
  EXPECT_EQ(test::readBytes(dir.file("out.txt")), "keep me");
}

TEST(FileCopyTest, UnreadableSourceLeavesNoHalfTarget) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder");
  std::string error;
  // A folder opens but cannot be read: the copy must not create the target.
  EXPECT_EQ(FileCopy(dir.file("folder"), dir.file("out.txt"), error), -1);
  EXPECT_EQ(error, "read error");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.txt"));
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(FileCopyTest, TargetInMissingFolderFailsWithItsName) {
  test::TempDir dir;
  test::writeBytes(dir.file("in.txt"), "x");
  const std::string target = dir.file("no-such-folder/out.txt");
  std::string error;
  EXPECT_EQ(FileCopy(dir.file("in.txt"), target, error), -1);
  EXPECT_NE(error.find(target), std::string::npos) << error;
}

}  // namespace
}  // namespace vargaze

namespace vargaze {
namespace {

TEST(UpperExtensionTest, DotOfTheFileNameOnly) {
  EXPECT_EQ(upperExtension("/data/night.fits"), ".FITS");
  EXPECT_EQ(upperExtension("IMG_0001.cr2"), ".CR2");
  EXPECT_EQ(upperExtension("/data.d/frame"), "");
  EXPECT_EQ(upperExtension("frame"), "");
}

}  // namespace
}  // namespace vargaze
