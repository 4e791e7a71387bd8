// The colour-index table: the written example, the columns chosen by ROI 1,
// the filters that are stored but not printed, and the refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "series/ColorIndex.h"
#include "support/SeriesRig.h"

namespace vargaze {
namespace {

using test::FrameContent;
using test::readBytes;

// ROI 1 on a star of 20000 net counts, ROI 2 on one that is 10 times (B)
// and 100 times (V) fainter: 2.5 and 5 magnitudes below ROI 1.
FrameContent filterFrame(const std::string& filter, double faint) {
  FrameContent content;
  content.stars = {{30, 30, 20000.0, 0.0}, {70, 50, faint, 0.0}};
  content.filter = filter;
  return content;
}

class ColorIndexTest : public test::SeriesRig {
 protected:
  // Opens the frames and makes ROI 1 a comparison star of B 12.345, V 11.678.
  void openFrames(const std::vector<std::pair<std::string, FrameContent>>& frames) {
    std::vector<std::string> paths;
    for (const auto& [name, content] : frames) {
      paths.push_back(dir.file(name));
      test::writeFrame(paths.back(), content);
    }
    ASSERT_TRUE(series.openSeries(paths));
    addRoi(30, 30);
    addRoi(70, 50);
    win.roi(1).ref = true;
    win.bvri(1) = BVRIRec{12.345f, 11.678f, 99.0f, 99.0f};
    win.FilterComboboxChange(series.img->FilterType);
    series.BVRImode = true;
    series.ProjectFilename = dir.file("colour.vgp");
  }
};

TEST_F(ColorIndexTest, WritesOneRowPerRoiAndOneColumnPerFilter) {
  openFrames({{"b.fit", filterFrame("B", 2000.0)}, {"v.fit", filterFrame("V", 200.0)}});
  ASSERT_TRUE(BVRIanalyseClick(series));
  EXPECT_EQ(readBytes(dir.file("colour.prn")),
            "Filt;B;V;\r\n"
            "1;12.345;11.678;\r\n"
            "2;14.845;16.678;\r\n");
  EXPECT_TRUE(ui.messages.empty());
  // Frame 1 is shown again and the series counts as measured.
  EXPECT_EQ(series.Activeframe(), 1);
  EXPECT_EQ(series.img->filename, dir.file("b.fit"));
  EXPECT_EQ(series.curve.NumCurvePoints, 2);
  EXPECT_FLOAT_EQ(series.curve.mag(1, 1), 16.678f);
  EXPECT_FALSE(series.runActive);
  EXPECT_TRUE(series.Timer1Enabled);
}

TEST_F(ColorIndexTest, UnknownAndCameraFiltersAddNoColumn) {
  openFrames({{"b.fit", filterFrame("B", 2000.0)},
              {"c.fit", filterFrame("C", 200.0)},     // code 0: not stored
              {"tg.fit", filterFrame("TG", 200.0)},   // code 7: stored, never printed
              {"x.fit", filterFrame("X", 200.0)}});   // unknown: not stored
  ASSERT_TRUE(BVRIanalyseClick(series));
  EXPECT_EQ(readBytes(dir.file("colour.prn")), "Filt;B;\r\n1;12.345;\r\n2;14.845;\r\n");
}

TEST_F(ColorIndexTest, ALaterFrameOfTheSameFilterOverwrites) {
  openFrames({{"b1.fit", filterFrame("B", 20000.0)}, {"b2.fit", filterFrame("B", 2000.0)}});
  ASSERT_TRUE(BVRIanalyseClick(series));
  EXPECT_EQ(readBytes(dir.file("colour.prn")), "Filt;B;\r\n1;12.345;\r\n2;14.845;\r\n");
}

TEST_F(ColorIndexTest, NoRoiOrOneFrameIsRefused) {
  test::writeFrame(dir.file("a.fit"), filterFrame("B", 2000.0));
  ASSERT_TRUE(series.openSeries({dir.file("a.fit")}));
  series.ProjectFilename = dir.file("colour.vgp");
  EXPECT_FALSE(BVRIanalyseClick(series));
  addRoi(30, 30);
  EXPECT_FALSE(BVRIanalyseClick(series));
  EXPECT_EQ(ui.messages, (std::vector<std::string>{
                             "Keine ROI definiert.",
                             "Farbindex-Tabelle erst ab 2 Bilddateien verfügbar."}));
  EXPECT_FALSE(std::filesystem::exists(dir.file("colour.prn")));
}

TEST_F(ColorIndexTest, WithoutAProjectNameTheProjectIsSavedFirst) {
  openFrames({{"b.fit", filterFrame("B", 2000.0)}, {"v.fit", filterFrame("V", 200.0)}});
  series.ProjectFilename.clear();
  int asked = 0;
  EXPECT_FALSE(BVRIanalyseClick(series, [&] { ++asked; return false; }));  // declined
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(BVRIanalyseClick(series, [&] {
    series.ProjectFilename = dir.file("named.vgp");
    return true;
  }));
  EXPECT_TRUE(std::filesystem::exists(dir.file("named.prn")));
}

TEST_F(ColorIndexTest, AFrameThatFailsIsReportedAndTheRestMeasured) {
  openFrames({{"b.fit", filterFrame("B", 2000.0)}, {"v.fit", filterFrame("V", 200.0)}});
  std::filesystem::remove(dir.file("v.fit"));
  ASSERT_TRUE(BVRIanalyseClick(series));
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Fehler beim Laden der Datei " + dir.file("v.fit")});
  EXPECT_EQ(readBytes(dir.file("colour.prn")), "Filt;B;\r\n1;12.345;\r\n2;14.845;\r\n");
}

TEST(BVRIArrayTest, ColumnsFollowRoiOneAndMissingValuesPrintAsHundred) {
  BVRIArray table(2);
  table.store(2, 0, 12.5);  // B
  table.store(4, 0, 11.0);  // R
  table.store(3, 1, 13.25);  // V of ROI 2 only: no V column
  table.store(5, 1, 10.0);   // I of ROI 2 only: no I column
  EXPECT_EQ(table.lines(),
            (std::vector<std::string>{"Filt;B;R;", "1;12.500;11.000;", "2;100.000;100.000;"}));
}

TEST(BVRIArrayTest, AllFourFiltersAndMoreThanAHundredRois) {
  BVRIArray table(150);
  for (std::int32_t code = 2; code <= 5; ++code) table.store(code, 0, 10.0 + code);
  table.store(2, 149, 15.125);
  const std::vector<std::string> lines = table.lines();
  ASSERT_EQ(lines.size(), 151u);
  EXPECT_EQ(lines[0], "Filt;B;V;R;I;");
  EXPECT_EQ(lines[1], "1;12.000;13.000;14.000;15.000;");
  EXPECT_EQ(lines[150], "150;15.125;100.000;100.000;100.000;");
}

TEST(BVRIArrayTest, CodesOutsideTwoToEightAreNotStored) {
  BVRIArray table(1);
  for (const std::int32_t code : {-1, 0, 1, 9, 42}) table.store(code, 0, 10.0);
  table.store(8, 0, 9.5);   // "TR": kept, never printed
  table.store(2, 5, 11.0);  // no ROI 6
  EXPECT_EQ(table.value(8, 0), 9.5);
  EXPECT_EQ(table.value(0, 0), BVRIArray::kNoValue);
  EXPECT_EQ(table.value(9, 0), BVRIArray::kNoValue);
  EXPECT_EQ(table.lines(), (std::vector<std::string>{"Filt;", "1;"}));
}

TEST(BVRIArrayTest, NinetyNineCountsAsMissing) {
  BVRIArray table(1);
  table.store(2, 0, 99.0);  // "no magnitude" of a star too faint
  table.store(3, 0, 98.999);
  EXPECT_EQ(table.lines(), (std::vector<std::string>{"Filt;V;", "1;98.999;"}));
}

}  // namespace
}  // namespace vargaze
