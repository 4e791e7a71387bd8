// Projects far larger than any real one: a project listing a million frames
// loads with bounded memory and time, and one above the text file limit is
// refused with a message before it is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "base/TextFile.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

// Peak memory the million-frame load may add. The sanitizer build keeps
// freed blocks in quarantine and needs more room (about 480 MB there against
// about 240 MB in the optimised build).
#if defined(__SANITIZE_ADDRESS__)
constexpr std::int64_t kMaxGrowthKb = 768 * 1024;
#else
constexpr std::int64_t kMaxGrowthKb = 512 * 1024;
#endif

class ResourceLimitsSeriesTest : public test::SeriesRig {
 protected:
  // Writes a project whose [files] section lists `frames` frames, each line
  // 62 bytes with its CR LF (seven digits at least: a long temporary folder
  // makes the lines longer). Only the first frame exists. Returns the size.
  std::uintmax_t writeHugeProject(const std::string& project, std::int64_t frames) {
    const std::string prefix = dir.file("f");
    const std::size_t digits =
        std::max<std::size_t>(7, 62 - std::min<std::size_t>(62, prefix.size() + 6));
    std::ofstream out(project, std::ios::binary);
    out << "[files]\r\n";
    for (std::int64_t i = 0; i < frames; ++i) {
      const std::string number = std::to_string(i);
      const std::string name = prefix + std::string(digits - number.size(), '0') + number + ".fit";
      out << name << "\r\n";
      if (i == 0) test::writeFrame(name, test::twoStars());
    }
    out << "[ROIfile]\r\n0\r\n[Curvefile]\r\n0\r\n\r\n[end]\r\n";
    out.close();
    EXPECT_TRUE(out.good());
    return std::filesystem::file_size(project);
  }

  // Loads `project` in a child with a hang guard; the report is the frame
  // count and the last message.
  test::ChildOutcome load(const std::string& project) {
    return test::runInChild(
        [&](std::string& report) {
          ProjectLoadOptions options;
          options.askForCurve = false;
          const ProjectLoadResult result = LoadProjectfile(series, project, options);
          report = std::to_string(series.filelist1.size()) + " frames";
          if (!ui.messages.empty()) report += "; " + ui.messages.back();
          return static_cast<int>(result);
        },
        test::ChildLimits{-1, 300});
  }
};

TEST_F(ResourceLimitsSeriesTest, MillionFrameProjectLoadsWithBoundedMemory) {
  const std::string project = dir.file("huge.vgp");
  const std::uintmax_t size = writeHugeProject(project, 1'000'000);
  ASSERT_GT(size, 60'000'000u);
  ASSERT_LT(size, kMaxTextFileBytes);
  const test::ChildOutcome child = load(project);
  ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: hung)";
  EXPECT_EQ(child.exitCode, static_cast<int>(ProjectLoadResult::Loaded)) << child.report;
  EXPECT_EQ(child.report, "1000000 frames");
  std::cout << "million-frame project (" << size << " bytes): peak memory grew by "
            << child.rssGrowthKb / 1024 << " MB\n";
  EXPECT_LT(child.rssGrowthKb, kMaxGrowthKb);
}

TEST_F(ResourceLimitsSeriesTest, ProjectAboveTheTextLimitIsRefused) {
  const std::string project = dir.file("huger.vgp");
  ASSERT_GT(writeHugeProject(project, 1'100'000), kMaxTextFileBytes);
  const test::ChildOutcome child = load(project);
  ASSERT_TRUE(child.exited) << "signal " << child.signal;
  EXPECT_EQ(child.exitCode, static_cast<int>(ProjectLoadResult::ReadError));
  EXPECT_EQ(child.report, "0 frames; read error");
  EXPECT_LT(child.rssGrowthKb, 32 * 1024);  // far less memory than the file's size
}

}  // namespace
}  // namespace vargaze
