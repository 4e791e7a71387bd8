// The two ways text files are written, under injected failures: the atomic
// replacement used by every save, and the run file written line by line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Strings.h"
#include "base/TextFile.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

test::SaveAction saveLines(std::size_t count) {
  return [count](const std::string& path, std::string& message) {
    const std::vector<std::string> lines(count, "line of a text file that fills the disk");
    return saveTextFile(path, lines, message);
  };
}

TEST(FaultInjectionBaseTest, TextSaveFailuresKeepThePreviousFile) {
  test::TempDir dir;
  test::expectMissingFolderReported(dir, "a.txt", saveLines(3));
  test::expectFolderTargetReported(dir, "a.txt", saveLines(3));

  const std::string path = dir.file("a.txt");
  std::string error;
  ASSERT_TRUE(saveTextFile(path, {"old", "content"}, error)) << error;
  // Full after a few bytes, and full in the middle of a large file.
  for (const std::int64_t limit : {std::int64_t{5}, std::int64_t{100'000}}) {
    const std::string message = test::expectFullDiskKeepsFile(path, limit, saveLines(20'000));
    EXPECT_EQ(message, "cannot write " + path + ": File too large");
  }
  std::vector<std::string> lines;
  ASSERT_TRUE(readTextLines(path, lines, error)) << error;
  EXPECT_EQ(lines, (std::vector<std::string>{"old", "content"}));
}

TEST(FaultInjectionBaseTest, AbandonedWriterLeavesNothingBehind) {
  test::TempDir dir;
  const std::string path = dir.file("a.txt");
  test::writeBytes(path, "old");
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
  EXPECT_EQ(test::readBytes(path), "old");
  EXPECT_EQ(test::folderNames(dir.path()), std::set<std::string>{"a.txt"});
}

TEST(FaultInjectionBaseTest, RunFileKeepsWholeLinesUpToAFullDisk) {
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
            writer.close();
            return 0;
          }
        }
        return 1;
      },
      test::ChildLimits{60, 60});
  EXPECT_EQ(child.exitCode, 0);
  EXPECT_EQ(child.report, "5|cannot write " + path + ": File too large");
  // The five whole lines reached the disk; the torn sixth is the only damage.
  const std::string text = test::readBytes(path);
  EXPECT_EQ(text.substr(0, 55), "line 100;\r\nline 101;\r\nline 102;\r\nline 103;\r\nline 104;\r\n");
  EXPECT_EQ(text.size(), 60u);
}

TEST(FaultInjectionBaseTest, ReadOnlyFolderKeepsTheTextFile) {
  VARGAZE_SKIP_READ_ONLY_AS_ROOT();
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("ro"));
  const std::string path = dir.file("ro/a.txt");
  std::string error;
  ASSERT_TRUE(saveTextFile(path, {"old"}, error));
  test::expectReadOnlyFolderKeepsFile(path, saveLines(3));
}

TEST(FaultInjectionBaseTest, PipesAreRefusedWithoutWaiting) {
  test::TempDir dir;
  const std::string pipe = test::makePipe(dir, "night.prn");
  test::expectPipeRefused([&](std::string& report) {
    std::vector<std::string> lines;
    return readTextLines(pipe, lines, report);
  });
  test::expectPipeRefused([&](std::string& report) {
    return FileCopy(pipe, dir.file("copy.prn"), report) == 0;
  });
  EXPECT_FALSE(std::filesystem::exists(dir.file("copy.prn")));
  // Nor does the run file writer wait on it.
  for (const auto mode : {TextFileWriter::Mode::Create, TextFileWriter::Mode::Append}) {
    test::expectPipeRefused([&](std::string& report) {
      TextFileWriter writer;
      const bool opened = writer.open(pipe, mode);
      report = writer.error();
      return opened;
    });
  }
}

}  // namespace
}  // namespace vargaze
