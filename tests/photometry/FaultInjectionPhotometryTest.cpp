// Saving ROI files and the results table under injected failures: a missing
// folder, a target name that is a folder, a full disk. The failure is shown
// and the previous file stays as it was and still loads.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SyntheticSky.h"
#include "base/TextFile.h"
#include "photometry/RoiFile.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

// `count` ROIs in ring mode along a line, ROI 1 a comparison star.
void addRois(RoiWindow& win, int count) {
  for (int i = 0; i < count; ++i) {
    TRoi1 r;
    r.num = win.count() + 1;
    r.xa = r.x0a = r.xb = r.x0b = 10 + 3 * i;
    r.ya = r.y0a = r.yb = r.y0b = 20 + i;
    r.d = 9;
    r.ref = i == 0;
    r.rmag = i == 0 ? 11.25f : 0.0f;
    r.mag = 12.0f;
    win.ROIlist.push_back(r);
    win.BVRIlist.push_back(BVRIRec{});
  }
  win.ROIindex = win.count();
}

class FaultInjectionPhotometryTest : public ::testing::Test {
 protected:
  test::SaveAction saveRoi() {
    return [this](const std::string& path, std::string& message) {
      rig.ui.messages.clear();
      const bool saved = SaveROI(rig.win, path);
      message = rig.ui.messages.empty() ? "" : rig.ui.messages.back();
      return saved;
    };
  }

  test::SaveAction saveTable() {
    return [this](const std::string& path, std::string& message) {
      rig.ui.messages.clear();
      const bool saved = SaveROITable(rig.win, path);
      message = rig.ui.messages.empty() ? "" : rig.ui.messages.back();
      return saved;
    };
  }

  // Loads `path` into a fresh window: `count` ROIs, ROI 1 the comparison star.
  static void expectRoiFileLoads(const std::string& path, int count) {
    test::RoiWindowRig other;
    ASSERT_TRUE(LoadROI(other.win, path, false));
    ASSERT_EQ(other.win.count(), count);
    EXPECT_TRUE(other.win.roi(1).ref);
    EXPECT_EQ(other.win.roi(1).rmag, 11.25f);
    EXPECT_EQ(other.win.roi(count).x0a, 10 + 3 * (count - 1));
  }

  test::TempDir dir;
  test::RoiWindowRig rig;
};

TEST_F(FaultInjectionPhotometryTest, RoiFileSaveFailuresKeepThePreviousFile) {
  addRois(rig.win, 3);
  test::expectMissingFolderReported(dir, "field.roi", saveRoi());
  test::expectFolderTargetReported(dir, "field.roi", saveRoi());
  EXPECT_EQ(rig.ui.messages.back(), "Fehler beim Speichern der Datei " + dir.file("field.roi"));

  const std::string path = dir.file("field.roi");
  ASSERT_TRUE(SaveROI(rig.win, path));
  addRois(rig.win, 500);  // 14 028 bytes; the disk is full after 4096
  const std::string message = test::expectFullDiskKeepsFile(path, 4096, saveRoi());
  EXPECT_EQ(message, "Fehler beim Speichern der Datei " + path);
  expectRoiFileLoads(path, 3);
}

TEST_F(FaultInjectionPhotometryTest, ResultsTableSaveFailuresKeepThePreviousTable) {
  addRois(rig.win, 3);
  test::expectMissingFolderReported(dir, "results.txt", saveTable());
  test::expectFolderTargetReported(dir, "results.txt", saveTable());

  const std::string path = dir.file("results.txt");
  ASSERT_TRUE(SaveROITable(rig.win, path));
  addRois(rig.win, 400);
  const std::string message = test::expectFullDiskKeepsFile(path, 2000, saveTable());
  EXPECT_EQ(message, "Fehler beim Speichern der Datei " + path);
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(readTextLines(path, lines, error)) << error;
  EXPECT_EQ(lines.size(), 2u + 3u);
}

TEST_F(FaultInjectionPhotometryTest, ReadOnlyFolderKeepsTheRoiFile) {
  VARGAZE_SKIP_READ_ONLY_AS_ROOT();
  addRois(rig.win, 3);
  std::filesystem::create_directory(dir.file("ro"));
  const std::string path = dir.file("ro/field.roi");
  ASSERT_TRUE(SaveROI(rig.win, path));
  addRois(rig.win, 5);
  test::expectReadOnlyFolderKeepsFile(path, saveRoi());
  expectRoiFileLoads(path, 3);
}

}  // namespace
}  // namespace vargaze
