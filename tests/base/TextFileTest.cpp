#include "base/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

int countEntries(const fs::path& folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++n;
  return n;
}

TEST(TextFileSaveTest, WritesCrLfInWindows1252) {
  test::TempDir dir;
  std::string error;
  ASSERT_TRUE(saveTextFile(dir.file("a.txt"), {"Stern;M\xC3\xBCller", "", "1.5 \xE2\x82\xAC"}, error))
      << error;
  EXPECT_EQ(test::readBytes(dir.file("a.txt")), "Stern;M\xFCller\r\n\r\n1.5 \x80\r\n");
}

TEST(TextFileSaveTest, WholeFileStaysUtf8WhenOneCharacterDoesNotFit) {
  test::TempDir dir;
  std::string error;
  ASSERT_TRUE(saveTextFile(dir.file("a.txt"), {"M\xC3\xBCller", "\xCE\xA9"}, error)) << error;
  EXPECT_EQ(test::readBytes(dir.file("a.txt")), "M\xC3\xBCller\r\n\xCE\xA9\r\n");
}

TEST(TextFileSaveTest, NoLinesGiveAnEmptyFile) {
  test::TempDir dir;
  test::writeBytes(dir.file("a.txt"), "old");
  std::string error;
  ASSERT_TRUE(saveTextFile(dir.file("a.txt"), {}, error)) << error;
  EXPECT_TRUE(fs::exists(dir.file("a.txt")));
  EXPECT_EQ(test::readBytes(dir.file("a.txt")), "");
}

TEST(TextFileReadTest, AcceptsLfAndCrLf) {
  test::TempDir dir;
  test::writeBytes(dir.file("lf.txt"), "one\ntwo\n\nfour");
  test::writeBytes(dir.file("crlf.txt"), "one\r\ntwo\r\n\r\nfour\r\n");
  Lines lf;
  Lines crlf;
  std::string error;
  ASSERT_TRUE(readTextLines(dir.file("lf.txt"), lf, error)) << error;
  ASSERT_TRUE(readTextLines(dir.file("crlf.txt"), crlf, error)) << error;
  const Lines expected = {"one", "two", "", "four"};
  EXPECT_EQ(lf, expected);
  EXPECT_EQ(crlf, expected);
}

TEST(TextFileReadTest, EmptyFileHasNoLinesAndOldContentIsReplaced) {
  test::TempDir dir;
  test::writeBytes(dir.file("empty.txt"), "");
  Lines lines = {"stale"};
  std::string error;
  ASSERT_TRUE(readTextLines(dir.file("empty.txt"), lines, error)) << error;
  EXPECT_TRUE(lines.empty());
}

TEST(TextFileReadTest, DecodesEachLine) {
  test::TempDir dir;
  // A run file appended over time: one line in 1252, one in UTF-8, and a BOM.
  test::writeBytes(dir.file("mixed.txt"), "\xEF\xBB\xBFM\xC3\xBCller\r\nM\xFCller\r\n\x80\r\n");
  Lines lines;
  std::string error;
  ASSERT_TRUE(readTextLines(dir.file("mixed.txt"), lines, error)) << error;
  EXPECT_EQ(lines, (Lines{"M\xC3\xBCller", "M\xC3\xBCller", "\xE2\x82\xAC"}));
}

TEST(TextFileReadTest, SaveThenReadGivesTheSameLines) {
  test::TempDir dir;
  const Lines lines = {"JD;Mag", "2460223.38455;12.345", "Bemerkung: \xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F",
                       "  indented\ttab  "};
  std::string error;
  ASSERT_TRUE(saveTextFile(dir.file("r.txt"), lines, error)) << error;
  Lines back;
  ASSERT_TRUE(readTextLines(dir.file("r.txt"), back, error)) << error;
  EXPECT_EQ(back, lines);
}

TEST(TextFileReadTest, MissingFileNamesThePath) {
  test::TempDir dir;
  Lines lines;
  std::string error;
  EXPECT_FALSE(readTextLines(dir.file("missing.txt"), lines, error));
  EXPECT_NE(error.find(dir.file("missing.txt")), std::string::npos) << error;
}

TEST(TextFileReadTest, FolderIsNotAFile) {
  test::TempDir dir;
  Lines lines;
  std::string error;
  EXPECT_FALSE(readTextLines(dir.path().string(), lines, error));
  EXPECT_FALSE(error.empty());
}

TEST(AtomicSaveTest, TargetThatIsAFolderIsLeftAloneAndNoTemporaryRemains) {
  test::TempDir dir;
  fs::create_directory(dir.path() / "project.vgp");
  test::writeBytes(dir.file("project.vgp/inside.txt"), "x");
  std::string error;
  EXPECT_FALSE(saveTextFile(dir.file("project.vgp"), {"line"}, error));
  EXPECT_NE(error.find(dir.file("project.vgp")), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(dir.path() / "project.vgp"));
  EXPECT_EQ(test::readBytes(dir.file("project.vgp/inside.txt")), "x");
  EXPECT_EQ(countEntries(dir.path()), 1);
}

TEST(AtomicSaveTest, MissingFolderFailsWithFileNameAndReason) {
  test::TempDir dir;
  const std::string target = dir.file("no-such-folder/a.txt");
  std::string error;
  EXPECT_FALSE(saveTextFile(target, {"line"}, error));
  EXPECT_NE(error.find(target), std::string::npos) << error;
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_EQ(countEntries(dir.path()), 0);
}

TEST(AtomicSaveTest, WriterFailureKeepsTheOldFile) {
  test::TempDir dir;
  test::writeBytes(dir.file("a.txt"), "old content\r\n");
  std::string error;
  const bool saved = saveFileAtomically(
      dir.file("a.txt"),
      [](AtomicFileOutput& out, std::string& why) {
        out.write("half of the new");
        why = "disk gone";
        return false;
      },
      error);
  EXPECT_FALSE(saved);
  EXPECT_NE(error.find(dir.file("a.txt")), std::string::npos) << error;
  EXPECT_NE(error.find("disk gone"), std::string::npos) << error;
  EXPECT_EQ(test::readBytes(dir.file("a.txt")), "old content\r\n");
  EXPECT_EQ(countEntries(dir.path()), 1);
}

TEST(AtomicSaveTest, ReadOnlyFolderKeepsTheOldFile) {
  test::TempDir dir;
  const fs::path folder = dir.path() / "ro";
  fs::create_directory(folder);
  const std::string target = (folder / "a.txt").string();
  test::writeBytes(target, "old");
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  // Root may write into read-only folders; then a write that fails half-way
  // stands in for the refused one.
  const bool folderWritable = std::ofstream((folder / "probe").string()).is_open();
  std::string error;
  bool saved = false;
  if (!folderWritable) {
    saved = saveTextFile(target, {"new"}, error);
    EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  } else {
    fs::remove(folder / "probe");
    saved = saveFileAtomically(
        target,
        [](AtomicFileOutput& out, std::string&) {
          out.write("new");
          return false;
        },
        error);
  }
  EXPECT_FALSE(saved);
  EXPECT_NE(error.find(target), std::string::npos) << error;
  EXPECT_EQ(test::readBytes(target), "old");
  EXPECT_EQ(countEntries(folder), 1);
}

TEST(TextFileWriterTest, CreateWritesCrLfAndFlushesEachLine) {
  test::TempDir dir;
  TextFileWriter writer;
  ASSERT_TRUE(writer.open(dir.file("run.txt"), TextFileWriter::Mode::Create)) << writer.error();
  ASSERT_TRUE(writer.writeLine("\"Datei\";\"JD\""));
  // Already on disk while the file is still open.
  EXPECT_EQ(test::readBytes(dir.file("run.txt")), "\"Datei\";\"JD\"\r\n");
  ASSERT_TRUE(writer.writeLine("M\xC3\xBCller;1.5"));
  EXPECT_TRUE(writer.close());
  EXPECT_FALSE(writer.isOpen());
  EXPECT_EQ(test::readBytes(dir.file("run.txt")), "\"Datei\";\"JD\"\r\nM\xFCller;1.5\r\n");
}

TEST(TextFileWriterTest, AppendKeepsWhatIsThereAndCreateEmpties) {
  test::TempDir dir;
  test::writeBytes(dir.file("run.txt"), "first\r\n");
  {
    TextFileWriter writer;
    ASSERT_TRUE(writer.open(dir.file("run.txt"), TextFileWriter::Mode::Append, false));
    ASSERT_TRUE(writer.writeLine("second"));
    ASSERT_TRUE(writer.flush());
  }  // the destructor closes
  EXPECT_EQ(test::readBytes(dir.file("run.txt")), "first\r\nsecond\r\n");
  TextFileWriter writer;
  ASSERT_TRUE(writer.open(dir.file("run.txt"), TextFileWriter::Mode::Create));
  ASSERT_TRUE(writer.close());
  EXPECT_EQ(test::readBytes(dir.file("run.txt")), "");
}

TEST(TextFileWriterTest, FailuresAreReported) {
  test::TempDir dir;
  TextFileWriter writer;
  EXPECT_FALSE(writer.writeLine("not open"));
  const std::string target = dir.file("no-such-folder/run.txt");
  EXPECT_FALSE(writer.open(target, TextFileWriter::Mode::Create));
  EXPECT_FALSE(writer.isOpen());
  EXPECT_NE(writer.error().find(target), std::string::npos) << writer.error();
}

TEST(TextFileWriterTest, FullDiskIsReported) {
  // /dev/full accepts the open and refuses every write with ENOSPC.
  ASSERT_TRUE(fs::exists("/dev/full"));
  TextFileWriter writer;
  ASSERT_TRUE(writer.open("/dev/full", TextFileWriter::Mode::Append));
  EXPECT_FALSE(writer.writeLine("frame 1"));
  EXPECT_NE(writer.error().find("No space left on device"), std::string::npos) << writer.error();
}

}  // namespace
}  // namespace vargaze

namespace vargaze {
namespace {

TEST(ReadTextLinesLimitsTest, RefusesOversizedFilesAndNonFiles) {
  test::TempDir dir;
  const std::string path = dir.file("big.txt");
  test::writeBytes(path, std::string(5000, 'x'));
  std::vector<std::string> lines;
  std::string error;
  EXPECT_FALSE(readTextLines(path, lines, error, 4096));
  EXPECT_NE(error.find("larger than"), std::string::npos);
  EXPECT_TRUE(readTextLines(path, lines, error, 8192));
  EXPECT_FALSE(readTextLines(dir.path().string(), lines, error));  // a folder
  EXPECT_FALSE(readTextLines("/dev/zero", lines, error));          // endless device
}

}  // namespace
}  // namespace vargaze
