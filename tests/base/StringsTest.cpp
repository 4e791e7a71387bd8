#include "base/Strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/FaultInjection.h"

namespace vargaze {
namespace {

TEST(StringsTest, EachRoutineAgainstHandWrittenResults) {
  const struct { std::string got, want; } cases[] = {
      {Trim("  M 31 \t\r\n"), "M 31"}, {Trim(std::string("\0\x01x\x1f", 4)), "x"},
      {Trim(" \t "), ""}, {Trim("\xC3\xA4 "), "\xC3\xA4"},  // bytes above 127 are no blanks
      {Trim("!x!"), "!x!"}, {RemoveBlanks(" 4 5.25 "), "45.25"}, {RemoveBlanks("a\tb"), "a\tb"},
      {stUpcase("fits.Fit a-z{}`@"), "FITS.FIT A-Z{}`@"}, {stUpcase("\xC3\xA4"), "\xC3\xA4"},
      {StLoCase("ABC xyz@[`"), "abc xyz@[`"},
      {StLoCase("\xC3\x84\xC3\x96\xC3\x9C"), "\xC3\xA4\xC3\xB6\xC3\xBC"},  // ÄÖÜ -> äöü
      {StLoCase("M\xC3\x9CLLER"), "m\xC3\xBCller"}, {StLoCase("\xC3\x9F\xC3"), "\xC3\x9F\xC3"},
      {extractword(1, "a;b;;c", ";"), "a"}, {extractword(3, "a;b;;c", ";"), "c"},
      {extractword(4, "a;b;;c", ";"), ""}, {extractword(2, "  12.5 ,\t7 ", " ,\t"), "7"},
      {extractword(1, ";;;", ";"), ""}, {extractword(0, "a", ";"), ""},
      {extractword(-1, "a", ";"), ""}, {extractword(1, "whole", ""), "whole"},
      {upperExtension("/data/night.fits"), ".FITS"}, {upperExtension("IMG_0001.cr2"), ".CR2"},
      {upperExtension("/data.d/frame"), ""}, {upperExtension("frame"), ""},
      {AddBackslash("/home/obs"), "/home/obs/"}, {AddBackslash("/home/obs/"), "/home/obs/"},
      {AddBackslash(""), "/"}, {justpathname("/data/night1/m31_001.fit"), "/data/night1/"},
      {justpathname("/m31.fit"), "/"}, {justpathname("m31.fit"), ""},
      {getnumber(42, 5), "00042"}, {getnumber(12345, 3), "12345"}, {getnumber(0, 1), "0"},
      {getnumber(7, 0), "7"}, {getnumber(-5, 3), "-05"}, {getFilenumber(0), "000"},
      {getFilenumber(7), "007"}, {getFilenumber(999), "999"}, {getFilenumber(1000), "1000"}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
  }
}

TEST(FileCopyTest, CopiesEveryByteAcrossBlockBoundariesOverAnOldTarget) {
  test::TempDir dir;
  test::writeBytes(dir.file("out.bin"), "old content");
  for (std::size_t size : {0, 1, 32768, 32769, 100000}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    test::writeBytes(dir.file("in.bin"), bytes);
    std::string error;
    ASSERT_EQ(FileCopy(dir.file("in.bin"), dir.file("out.bin"), error), 0) << error;
    EXPECT_EQ(test::readBytes(dir.file("out.bin")), bytes) << "size " << size;
  }
  EXPECT_EQ(test::folderNames(dir.path()), (std::set<std::string>{"in.bin", "out.bin"}));
}

TEST(FileCopyTest, SourceThatCannotBeReadLeavesTheTargetAlone) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("folder"));
  test::writeBytes(dir.file("out.txt"), "keep me");
  const std::string pipe = test::makePipe(dir, "night.prn");
  // A folder opens but cannot be read; a pipe would wait for a writer.
  for (const std::string& source : {dir.file("missing.txt"), dir.file("folder"), pipe}) {
    EXPECT_EQ(test::expectPipeRefused([&](std::string& error) {
      return FileCopy(source, dir.file("out.txt"), error) == 0;
    }), "read error") << source;
  }
  EXPECT_EQ(test::readBytes(dir.file("out.txt")), "keep me");
  EXPECT_EQ(test::folderNames(dir.path()), (std::set<std::string>{"folder", "out.txt", "night.prn"}));
  std::string error;
  EXPECT_EQ(FileCopy(dir.file("out.txt"), dir.file("none/out.txt"), error), -1);
  EXPECT_NE(error.find(dir.file("none/out.txt")), std::string::npos) << error;
}

}  // namespace
}  // namespace vargaze
