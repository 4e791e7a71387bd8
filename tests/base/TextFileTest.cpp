// Text encoding, text files and the safe replacement every save goes through.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/TextCodec.h"
#include "base/TextFile.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

using Lines = std::vector<std::string>;
constexpr auto npos = std::string::npos;

TEST(TextCodecTest, EveryWindows1252ByteAgainstTheCLibrary) {
  const iconv_t cd = iconv_open("UTF-8", "CP1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b), out[8];
    char *inPtr = &in, *outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    // The five bytes the code page leaves undefined become C1 controls of the same number.
    const std::string want = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1)
                                 ? std::string{'\xC2', in}
                                 : std::string(out, outPtr);
    EXPECT_EQ(cp1252ToUtf8(std::string(1, in)), want) << b;
    EXPECT_EQ(decodeFromFile(std::string(1, in)), want) << b;
    EXPECT_EQ(encodeForFile(want), std::string(1, in)) << b;
  }
  iconv_close(cd);
}

TEST(TextCodecTest, FilesGetWindows1252OnlyWhenEveryCharacterFits) {
  const struct { std::string text, bytes; } cases[] = {
      {"M\xC3\xBCller", "M\xFCller"}, {"5 \xE2\x82\xAC", "5 \x80"}, {"plain;1.5", "plain;1.5"},
      {"", ""}, {"M\xC3\xBCller \xCE\xA9", "M\xC3\xBCller \xCE\xA9"},  // Ω has no byte
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}, {"\xC2\x80", "\xC2\x80"}};  // nor U+0080
  for (const auto& c : cases) {
    EXPECT_EQ(encodeForFile(c.text), c.bytes) << c.text;
    EXPECT_EQ(decodeFromFile(c.bytes), c.text) << c.text;
  }
  EXPECT_EQ(encodeForFile("a\xFF"), "a\xFF");  // not UTF-8 at all: written as it is
  const struct { const char* bytes; bool valid; } utf8[] = {
      {"abc", true}, {"\xC2\x80", true}, {"\xDF\xBF", true}, {"\xED\x9F\xBF", true},
      {"\xEE\x80\x80", true}, {"\xEF\xBF\xBF", true}, {"\xF0\x90\x80\x80", true},
      {"\xF4\x8F\xBF\xBF", true}, {"\xF4\x90\x80\x80", false}, {"\xF5\x80\x80\x80", false},
      {"\xC0\xAF", false}, {"\xC1\xBF", false}, {"\xE0\x80\xAF", false},
      {"\xF0\x8F\xBF\xBF", false}, {"\xED\xA0\x80", false}, {"\xED\xBF\xBF", false},
      {"\xE2\x82", false}, {"\xE2\x28\xAC", false}, {"\x80", false}};
  for (const auto& c : utf8) EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(TextFileTest, SavedLinesEndInCrLfAndReadBack) {
  test::TempDir dir;
  const std::string path = dir.file("a.txt");
  const struct { Lines lines; std::string bytes; } saves[] = {
      {{"Stern;M\xC3\xBCller", "", " tab\t\xC3\x9F "}, "Stern;M\xFCller\r\n\r\n tab\t\xDF \r\n"},
      {{"M\xC3\xBCller", "\xCE\xA9"}, "M\xC3\xBCller\r\n\xCE\xA9\r\n"},  // all UTF-8 then
      {{}, ""}};
  for (const auto& c : saves) {
    std::string error;
    test::writeBytes(path, "old");
    ASSERT_TRUE(saveTextFile(path, c.lines, error)) << error;
    EXPECT_EQ(test::readBytes(path), c.bytes);
    Lines back = {"stale"};
    ASSERT_TRUE(readTextLines(path, back, error)) << error;
    EXPECT_EQ(back, c.lines);
  }
  // LF alone and no end at the end; a run file appended over time in both
  // encodings behind a byte order mark, each line decoded on its own.
  const struct { std::string bytes; Lines lines; } reads[] = {
      {"one\ntwo\n\nfour", {"one", "two", "", "four"}},
      {"\xEF\xBB\xBF\xC3\xBC\r\n\xFC\r\n\x80\r\n", {"\xC3\xBC", "\xC3\xBC", "\xE2\x82\xAC"}}};
  for (const auto& c : reads) {
    test::writeBytes(path, c.bytes);
    Lines lines;
    std::string error;
    ASSERT_TRUE(readTextLines(path, lines, error)) << error;
    EXPECT_EQ(lines, c.lines);
  }
}

TEST(TextFileTest, OnlyRegularFilesUpToTheLimitAreRead) {
  test::TempDir dir;
  test::writeBytes(dir.file("big.txt"), std::string(5000, 'x'));
  Lines lines;
  std::string error;
  EXPECT_TRUE(readTextLines(dir.file("big.txt"), lines, error, 5000)) << error;
  EXPECT_FALSE(readTextLines(dir.file("big.txt"), lines, error, 4999));
  EXPECT_NE(error.find("larger than 4999 bytes"), npos) << error;
  // Nor does anything wait on a pipe or read an endless device.
  const std::string pipe = test::makePipe(dir, "night.prn");
  for (const std::string& path :
       {dir.file("missing.txt"), dir.path().string(), std::string("/dev/zero"), pipe}) {
    const std::string report = test::expectPipeRefused(
        [&](std::string& why) { return readTextLines(path, lines, why); });
    EXPECT_NE(report.find(path), npos) << report;
  }
  for (const auto mode : {TextFileWriter::Mode::Create, TextFileWriter::Mode::Append}) {
    test::expectPipeRefused([&](std::string& report) {
      TextFileWriter writer;
      const bool opened = writer.open(pipe, mode);
      report = writer.error();
      return opened;
    });
  }
}

TEST(TextFileTest, FailedSavesKeepThePreviousFileAndSayWhy) {
  test::TempDir dir;
  const test::SaveAction save = [](const std::string& path, std::string& message) {
    return saveTextFile(path, Lines(20'000, "line of a text file that fills the disk"), message);
  };
  test::expectFolderTargetReported(dir, "a.txt", save);
  const std::string path = dir.file("a.txt");
  test::writeBytes(path, "old\r\n");
  EXPECT_EQ(test::expectFullDiskKeepsFile(path, 100'000, save),
            "cannot write " + path + ": File too large");
  std::string error;
  EXPECT_FALSE(saveFileAtomically(
      path,
      [](AtomicFileOutput& out, std::string& why) {
        out.write("half of the new content");
        why = "stopped by the writer";
        return false;
      },
      error));
  EXPECT_EQ(error, "cannot save " + path + ": stopped by the writer");
  EXPECT_FALSE(saveTextFile(dir.file("none/a.txt"), {"x"}, error));
  EXPECT_EQ(error, "cannot save " + dir.file("none/a.txt") + ": No such file or directory");
  EXPECT_EQ(test::readBytes(path), "old\r\n");
  EXPECT_EQ(test::folderNames(dir.path()), std::set<std::string>{"a.txt"});
}

TEST(TextFileWriterTest, LinesReachTheDiskOneByOne) {
  test::TempDir dir;
  const std::string path = dir.file("run.txt");
  TextFileWriter writer;
  EXPECT_FALSE(writer.writeLine("not open"));
  ASSERT_TRUE(writer.open(path, TextFileWriter::Mode::Create)) << writer.error();
  ASSERT_TRUE(writer.writeLine("\"Datei\";\"JD\""));
  EXPECT_EQ(test::readBytes(path), "\"Datei\";\"JD\"\r\n");  // while still open
  ASSERT_TRUE(writer.writeLine("\xC3\xBC;\xCE\xA9"));          // each line encoded on its own
  ASSERT_TRUE(writer.open(path, TextFileWriter::Mode::Append, false));
  ASSERT_TRUE(writer.writeLine("\xC3\xBC") && writer.flush());
  EXPECT_EQ(test::readBytes(path), "\"Datei\";\"JD\"\r\n\xC3\xBC;\xCE\xA9\r\n\xFC\r\n");
  ASSERT_TRUE(writer.open(path, TextFileWriter::Mode::Create) && writer.close());
  EXPECT_FALSE(writer.isOpen());
  EXPECT_EQ(test::readBytes(path), "");
  EXPECT_FALSE(writer.open(dir.file("none/run.txt"), TextFileWriter::Mode::Create));
  EXPECT_NE(writer.error().find(dir.file("none/run.txt")), npos) << writer.error();
}

TEST(TextFileWriterTest, RunFileKeepsWholeLinesUpToAFullDisk) {
  test::TempDir dir;
  const std::string path = dir.file("run.prn");
  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        TextFileWriter writer;
        if (!writer.open(path, TextFileWriter::Mode::Create)) return 3;
        for (int i = 0; i < 100; ++i) {
          // Eleven bytes a line: the limit of 60 bytes falls inside line 6.
          if (!writer.writeLine("line " + std::to_string(100 + i) + ";")) {
            report = std::to_string(i) + "|" + writer.error();
            return 0;
          }
        }
        return 1;
      },
      test::ChildLimits{60, 60});
  EXPECT_EQ(child.exitCode, 0);
  EXPECT_EQ(child.report, "5|cannot write " + path + ": File too large");
  const std::string text = test::readBytes(path);
  EXPECT_EQ(text.substr(0, 55), "line 100;\r\nline 101;\r\nline 102;\r\nline 103;\r\nline 104;\r\n");
  EXPECT_EQ(text.size(), 60u);
}

}  // namespace
}  // namespace vargaze
