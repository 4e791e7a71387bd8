// ROI files far larger than any real one: refused above the record limit
// without being read, loaded with bounded memory and time at the limit.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "SyntheticSky.h"
#include "photometry/RoiFile.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

// One 28-byte record: box at (x, y) in ring mode, star size d.
std::string record(std::int32_t x, std::int32_t y, std::int32_t d) {
  std::string out;
  for (const std::int32_t v : {x, y, x, y, d})
    for (int b = 0; b < 4; ++b) out += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * b)) & 0xFF);
  return out + std::string(8, '\0');
}

// Writes `records` records whose sizes alternate between 7 and 11, so every
// record changes the star size.
void writeRoiFile(const std::string& path, std::int64_t records) {
  std::ofstream out(path, std::ios::binary);
  for (std::int64_t i = 0; i < records; ++i)
    out << record(static_cast<std::int32_t>(i % 1000), static_cast<std::int32_t>(i / 1000),
                  i % 2 == 0 ? 7 : 11);
}

test::ChildOutcome loadInChild(const std::string& path) {
  return test::runInChild(
      [&](std::string& report) {
        test::RoiWindowRig rig;
        const bool loaded = LoadROI(rig.win, path, false);
        report = std::to_string(rig.win.count()) + "|" +
                 (rig.ui.messages.empty() ? "" : rig.ui.messages.back());
        return loaded ? 0 : 1;
      },
      test::ChildLimits{-1, 120});
}

TEST(ResourceLimitsPhotometryTest, HundredMegabyteRoiFileIsRefusedUnread) {
  test::TempDir dir;
  const std::string path = dir.file("huge.roi");
  {
    // A sparse file of 100 MB: its size alone decides.
    std::ofstream out(path, std::ios::binary);
    out.seekp(100'000'000 - 1);
    out.put('\0');
  }
  const test::ChildOutcome child = loadInChild(path);
  ASSERT_TRUE(child.exited) << "signal " << child.signal;
  EXPECT_EQ(child.exitCode, 1);
  EXPECT_EQ(child.report, "0|Datei " + path + " ist keine ROI-Datei (zu groß)");
  EXPECT_LT(child.rssGrowthKb, 16 * 1024);

  // One record above the limit is refused the same way.
  writeRoiFile(path, kMaxRoiFileRecords + 1);
  const test::ChildOutcome justAbove = loadInChild(path);
  EXPECT_EQ(justAbove.exitCode, 1);
  EXPECT_EQ(justAbove.report, "0|Datei " + path + " ist keine ROI-Datei (zu groß)");
}

TEST(ResourceLimitsPhotometryTest, RoiFileAtTheLimitLoadsInBoundedTimeAndMemory) {
  test::TempDir dir;
  const std::string path = dir.file("full.roi");
  writeRoiFile(path, kMaxRoiFileRecords);
  const test::ChildOutcome child = loadInChild(path);
  ASSERT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: hung)";
  EXPECT_EQ(child.exitCode, 0) << child.report;
  EXPECT_EQ(child.report, std::to_string(kMaxRoiFileRecords) + "|");
  std::cout << "ROI file of " << kMaxRoiFileRecords << " records: peak memory grew by "
            << child.rssGrowthKb / 1024 << " MB\n";
  EXPECT_LT(child.rssGrowthKb, 256 * 1024);
}

TEST(ResourceLimitsPhotometryTest, SizeChangesEndWithTheLastSizeOnEveryRoi) {
  // What the fast load must still do: each size change applies to the ROIs
  // loaded before it, so all end with the last record's size, and those
  // before the last change also with the ring sizes it set.
  test::TempDir dir;
  const std::string path = dir.file("sizes.roi");
  test::writeBytes(path, record(10, 10, 7) + record(30, 10, 11) + record(50, 10, 9) +
                             record(70, 10, 9));
  test::RoiWindowRig rig;
  ASSERT_TRUE(LoadROI(rig.win, path, false));
  ASSERT_EQ(rig.win.count(), 4);
  EXPECT_EQ(rig.win.ROIsizeEdit.value, 9);
  for (std::int32_t n = 1; n <= 4; ++n) EXPECT_EQ(rig.win.roi(n).d, 9) << n;
  for (std::int32_t n = 1; n <= 2; ++n) {
    EXPECT_EQ(rig.win.roi(n).d2, rig.win.BGinnerEdit.value) << n;
    EXPECT_EQ(rig.win.roi(n).d3, rig.win.BGsizeEdit.value) << n;
  }
  EXPECT_EQ(rig.win.roi(3).x0a, 50);
  EXPECT_EQ(rig.win.BVRIlist.size(), 4u);
}

TEST(ResourceLimitsPhotometryTest, PipeAsRoiFileIsRefusedWithoutWaiting) {
  test::TempDir dir;
  const std::string pipe = test::makePipe(dir, "stars.roi");
  EXPECT_EQ(test::expectPipeRefused([&](std::string& report) {
              test::RoiWindowRig rig;
              const bool loaded = LoadROI(rig.win, pipe, false);
              report = rig.ui.messages.empty() ? "" : rig.ui.messages.back();
              return loaded;
            }),
            "Fehler beim Laden der Datei " + pipe);
}

}  // namespace
}  // namespace vargaze
