// Projects far larger than any real one: a project listing a million frames
// loads with bounded memory and time, and one above the text file limit is
// refused with a message.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "support/SeriesRig.h"
#include "base/TextFile.h"
#include "series/ProjectFile.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

// Peak memory a load may add, and the time after which it counts as hung.
// The sanitizer build keeps freed blocks in quarantine and needs more room
// (about 480 MB there against about 240 MB in the optimised build).
#if defined(__SANITIZE_ADDRESS__)
constexpr std::int64_t kMaxGrowthKb = 768 * 1024;
#else
constexpr std::int64_t kMaxGrowthKb = 512 * 1024;
#endif
constexpr unsigned kHangSeconds = 300;

class ResourceLimitsSeriesTest : public test::SeriesRig {
 protected:
  // Writes a project whose [files] section lists `frames` frames, each line
  // `lineBytes` long with its CR LF. Only the first frame exists. Returns the
  // file size.
  std::uintmax_t writeHugeProject(const std::string& project, std::int64_t frames,
                                  std::size_t lineBytes) {
    const std::string prefix = dir.file("f");
    // Seven digits at least; a long temporary folder makes the lines longer.
    const std::size_t fixed = prefix.size() + 4 + 2;
    const std::size_t digits = std::max<std::size_t>(7, lineBytes > fixed ? lineBytes - fixed : 0);
    std::ofstream out(project, std::ios::binary);
    out << "[files]\r\n";
    std::string line;
    for (std::int64_t i = 0; i < frames; ++i) {
      std::string number = std::to_string(i);
      line = prefix + std::string(digits - number.size(), '0') + number + ".fit\r\n";
      out << line;
      if (i == 0) test::writeFrame(line.substr(0, line.size() - 2), test::twoStars());
    }
    out << "[ROIfile]\r\n0\r\n[Curvefile]\r\n0\r\n\r\n[end]\r\n";
    out.close();
    EXPECT_TRUE(out.good());
    return std::filesystem::file_size(project);
  }
};

TEST_F(ResourceLimitsSeriesTest, MillionFrameProjectLoadsWithBoundedMemory) {
  const std::string project = dir.file("huge.vgp");
  const std::uintmax_t size = writeHugeProject(project, 1'000'000, 62);
  ASSERT_GT(size, 60'000'000u);
  ASSERT_LT(size, kMaxTextFileBytes);

  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        ProjectLoadOptions options;
        options.askForCurve = false;
        const ProjectLoadResult result = LoadProjectfile(series, project, options);
        report = std::to_string(series.filelist1.size()) + " frames";
        if (!ui.messages.empty()) report += "; " + ui.messages.back();
        return result == ProjectLoadResult::Loaded ? 0 : 1;
      },
      test::ChildLimits{-1, kHangSeconds});
  ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: hung)";
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_EQ(child.report, "1000000 frames");
  std::cout << "million-frame project (" << size << " bytes): peak memory grew by "
            << child.rssGrowthKb / 1024 << " MB\n";
  EXPECT_LT(child.rssGrowthKb, kMaxGrowthKb);
}

TEST_F(ResourceLimitsSeriesTest, ProjectAboveTheTextLimitIsRefused) {
  const std::string project = dir.file("huger.vgp");
  const std::uintmax_t size = writeHugeProject(project, 1'100'000, 62);
  ASSERT_GT(size, kMaxTextFileBytes);

  const test::ChildOutcome child = test::runInChild(
      [&](std::string& report) {
        const ProjectLoadResult result = LoadProjectfile(series, project);
        report = ui.messages.empty() ? "no message" : ui.messages.back();
        return result == ProjectLoadResult::ReadError ? 0 : 1;
      },
      test::ChildLimits{-1, kHangSeconds});
  ASSERT_TRUE(child.exited) << "signal " << child.signal;
  EXPECT_EQ(child.exitCode, 0);
  EXPECT_EQ(child.report, "read error");
  // Refused before the file is read: far less memory than its size.
  EXPECT_LT(child.rssGrowthKb, 32 * 1024);
}

}  // namespace
}  // namespace vargaze
