// The colour-index table: the written example, the columns chosen by ROI 1,
// the filters that are stored but not printed, and the refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "series/ColorIndex.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::readBytes;

class ColorIndexTest : public test::SeriesRig {
 protected:
  // Frames named after their filter; ROI 1 on a star of 20000 counts, ROI 2
  // on one of `faint` counts: 2000 is 2.5 magnitudes fainter, 200 five.
  // ROI 1 is a comparison star of B 12.345, V 11.678.
  void openFrames(const std::vector<std::pair<std::string, double>>& frames) {
    std::vector<std::string> paths;
    for (const auto& [filter, faint] : frames) {
      test::FrameContent content = test::twoStars();
      content.stars[1].counts = faint;
      content.filter = filter;
      paths.push_back(dir.file(filter + std::to_string(paths.size()) + ".fit"));
      test::writeFrame(paths.back(), content);
    }
    openWithRois(paths);
    win.bvri(1) = BVRIRec{12.345f, 11.678f, 99.0f, 99.0f};
    win.FilterComboboxChange(series.img->FilterType);
    series.BVRImode = true;
    series.ProjectFilename = dir.file("colour.vgp");
  }
  std::string table() { return readBytes(dir.file("colour.prn")); }
};

TEST_F(ColorIndexTest, WritesOneRowPerRoiAndOneColumnPerFilter) {
  openFrames({{"B", 2000.0}, {"V", 200.0}});
  ASSERT_TRUE(BVRIanalyseClick(series));
  EXPECT_EQ(table(), "Filt;B;V;\r\n1;12.345;11.678;\r\n2;14.845;16.678;\r\n");
  EXPECT_TRUE(ui.messages.empty());
  // Frame 1 is shown again and the series counts as measured.
  EXPECT_EQ(series.Activeframe(), 1);
  EXPECT_EQ(series.img->filename, dir.file("B0.fit"));
  EXPECT_EQ(series.curve.NumCurvePoints, 2);
  EXPECT_FLOAT_EQ(series.curve.mag(1, 1), 16.678f);
  EXPECT_FALSE(series.runActive);
  EXPECT_TRUE(series.Timer1Enabled);
}

TEST_F(ColorIndexTest, OtherFiltersAddNoColumnALaterFrameOverwritesAFailedFrameIsSkipped) {
  openFrames({{"B", 20000.0},
              {"V", 200.0},   // removed below: reported, the rest measured
              {"C", 200.0},   // code 0: not stored
              {"TG", 200.0},  // code 7: stored, never printed
              {"X", 200.0},   // unknown: not stored
              {"B", 2000.0}});
  std::filesystem::remove(dir.file("V1.fit"));
  ASSERT_TRUE(BVRIanalyseClick(series));
  EXPECT_EQ(table(), "Filt;B;\r\n1;12.345;\r\n2;14.845;\r\n");
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Fehler beim Laden der Datei " + dir.file("V1.fit")});
}

TEST_F(ColorIndexTest, RefusalsAndTheProjectSavedFirst) {
  test::writeFrame(dir.file("a.fit"), test::twoStars());
  ASSERT_TRUE(series.openSeries({dir.file("a.fit")}));
  series.ProjectFilename = dir.file("colour.vgp");
  EXPECT_FALSE(BVRIanalyseClick(series));
  addRoi(30, 30);
  EXPECT_FALSE(BVRIanalyseClick(series));
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Keine ROI definiert.",
                                      "Farbindex-Tabelle erst ab 2 Bilddateien verfügbar."}));
  EXPECT_FALSE(std::filesystem::exists(dir.file("colour.prn")));

  win.ClearROIs();
  openFrames({{"B", 2000.0}, {"V", 200.0}});
  series.ProjectFilename.clear();
  int asked = 0;
  EXPECT_FALSE(BVRIanalyseClick(series, [&] {
    ++asked;
    return false;
  }));  // declined
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(BVRIanalyseClick(series, [&] {
    series.ProjectFilename = dir.file("named.vgp");
    return true;
  }));
  EXPECT_TRUE(std::filesystem::exists(dir.file("named.prn")));
}

TEST(BVRIArrayTest, ColumnsFollowRoiOneMissingValuesPrintAsHundredOtherCodesAreDropped) {
  BVRIArray table(150);      // more than a hundred ROIs
  table.store(2, 0, 12.5);   // B
  table.store(4, 0, 11.0);   // R
  table.store(3, 1, 13.25);  // V of ROI 2 only: no V column
  table.store(5, 0, 99.0);   // "no magnitude" of a star too faint: no I column
  table.store(2, 149, 15.125);
  const std::vector<std::string> lines = table.lines();
  ASSERT_EQ(lines.size(), 151u);
  EXPECT_EQ(lines[0], "Filt;B;R;");
  EXPECT_EQ(lines[1], "1;12.500;11.000;");
  EXPECT_EQ(lines[2], "2;100.000;100.000;");
  EXPECT_EQ(lines[150], "150;15.125;100.000;");

  BVRIArray all(1);
  for (std::int32_t code = 2; code <= 5; ++code) all.store(code, 0, 10.0 + code);
  all.store(5, 0, 98.999);  // just below the missing mark
  EXPECT_EQ(all.lines(),
            (std::vector<std::string>{"Filt;B;V;R;I;", "1;12.000;13.000;14.000;98.999;"}));

  BVRIArray few(1);  // only codes 2..8 of existing ROIs are stored
  for (const std::int32_t code : {-1, 0, 1, 9, 42}) few.store(code, 0, 10.0);
  few.store(8, 0, 9.5);   // "TR": kept, never printed
  few.store(2, 5, 11.0);  // no ROI 6
  EXPECT_EQ(few.value(8, 0), 9.5);
  EXPECT_EQ(few.value(0, 0), BVRIArray::kNoValue);
  EXPECT_EQ(few.value(9, 0), BVRIArray::kNoValue);
  EXPECT_EQ(few.lines(), (std::vector<std::string>{"Filt;", "1;"}));
}

}  // namespace
}  // namespace vargaze
