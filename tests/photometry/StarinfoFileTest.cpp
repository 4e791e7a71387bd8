// The star information sections of project files: names, catalogue values,
// chart identifier, ring sizes and track star, with their failure cases.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

class StarinfoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::int32_t i = 0; i < 3; ++i) rig.win.Newroi(10 + 10 * i, 20);
  }
  // Loads the lines written as a project file with CR LF line ends.
  bool load(const std::vector<std::string>& lines, CompTypeState* compType = nullptr) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    test::writeBytes(dir.file("field.vgp"), text);
    return LoadStarinfos(rig.win, dir.file("field.vgp"), compType);
  }
  std::vector<float> bvri(std::int32_t n) const {
    const BVRIRec& c = rig.win.bvri(n);
    return {c.Bmag, c.Vmag, c.Rmag, c.Imag};
  }
  test::TempDir dir;
  test::Rig rig;
};

TEST_F(StarinfoFileTest, AllSectionsOfAProjectFile) {
  rig.imgwin.TrackstarX = 5.0;
  ASSERT_TRUE(load({"[files]", "/data/a.fit", "[ROIfile]", "3", "RR Lyr", "HD 182989", "",
                    "[Curvefile]", "0", "[BVRI]", "12,345;11,8;99,000;99,000", "8.1;7.6;7.2;6.9", "",
                    "[Filter]", "3", "BVRImode=0", "[compstars]", "AAVSOchartID=X12345AB",
                    "[ROIcenter]", "AutocenterROI=1", "ROID2=9", "ROID3=15", "[Tracking]",
                    "123,50;456,25", "[SNR]", "LocationHeight=300", "[end]"}));
  EXPECT_TRUE(rig.ui.messages.empty());
  EXPECT_EQ(rig.win.roi(1).Name, "RR Lyr");
  EXPECT_EQ(rig.win.roi(2).Name, "HD 182989");
  EXPECT_EQ(rig.win.roi(3).Name, "");  // an empty line names nothing
  EXPECT_EQ(bvri(1), std::vector({12.345f, 11.8f, 99.0f, 99.0f}));
  EXPECT_EQ(bvri(2), std::vector({8.1f, 7.6f, 7.2f, 6.9f}));
  EXPECT_EQ(bvri(3), std::vector({99.0f, 99.0f, 99.0f, 99.0f}));  // empty line: unchanged
  EXPECT_EQ(rig.win.AAVSOchartEdit, "X12345AB");
  EXPECT_EQ(std::pair(rig.win.BGinnerEdit.value, rig.win.BGsizeEdit.value), std::pair(9, 15));
  for (const TRoi1& r : rig.win.ROIlist) EXPECT_EQ(std::pair(r.d2, r.d3), std::pair(9, 15));
  EXPECT_EQ(std::pair(rig.imgwin.TrackstarX, rig.imgwin.TrackstarY), std::pair(123.5, 456.25));
}

TEST_F(StarinfoFileTest, RingSizesAreClampedAndNeedRoisAndAFollowingSection) {
  ASSERT_TRUE(load({"[ROIcenter]", "ROID2=13", "ROID3=300", "[Tracking]"}));
  EXPECT_EQ(std::pair(rig.win.BGinnerEdit.value, rig.win.BGsizeEdit.value), std::pair(13, 150));
  EXPECT_EQ(std::pair(rig.win.roi(2).d2, rig.win.roi(2).d3), std::pair(13, 150));

  ASSERT_TRUE(load({"[ROIcenter]", "ROID2=17", "ROID3=21"}));  // no section after it
  rig.win.ClearROIs();
  ASSERT_TRUE(load({"[ROIcenter]", "ROID2=19", "ROID3=23", "[Tracking]"}));  // no ROIs
  EXPECT_EQ(std::pair(rig.win.BGinnerEdit.value, rig.win.BGsizeEdit.value), std::pair(13, 150));
}

TEST_F(StarinfoFileTest, FieldsThatAreNoNumbersStopTheReading) {
  // Short lines repeat their last field; two adjacent separators enclose an
  // empty field, which is no number.
  EXPECT_FALSE(load({"[BVRI]", "12.5|11.9", "10;;9;8"}));
  EXPECT_EQ(bvri(1), std::vector({12.5f, 11.9f, 11.9f, 11.9f}));
  EXPECT_EQ(bvri(2), std::vector({10.0f, 99.0f, 99.0f, 99.0f}));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"'' ist kein gültiger Gleitkommawert"});

  // What was read before the error stays; the chart identifier was emptied
  // at the start and never reached.
  rig.ui.messages.clear();
  rig.win.AAVSOchartEdit = "old";
  EXPECT_FALSE(load({"[ROIfile]", "3", "A", "B", "C", "[BVRI]", "1;2;3;4", "5;x7;6;7",
                     "[compstars]", "AAVSOchartID=Z1"}));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"'x7' ist kein gültiger Gleitkommawert"});
  EXPECT_EQ(rig.win.roi(3).Name, "C");
  EXPECT_EQ(bvri(1), std::vector({1.0f, 2.0f, 3.0f, 4.0f}));
  EXPECT_EQ(bvri(2), std::vector({5.0f, 99.0f, 99.0f, 99.0f}));
  EXPECT_EQ(rig.win.AAVSOchartEdit, "");

  rig.ui.messages.clear();
  rig.win.roi(1).Name = "";
  EXPECT_FALSE(load({"[ROIfile]", "drei", "A"}));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"'drei' ist kein gültiger Integerwert"});
  EXPECT_EQ(rig.win.roi(1).Name, "");
}

TEST_F(StarinfoFileTest, NamesSectionsOnceAndTheComparisonType) {
  // Fewer names than ROIs: the header ends the names and starts its section.
  ASSERT_TRUE(load({"[ROIfile]", "3", "A", "[BVRI]", "1;2;3;4", "5;6;7;8"}));
  EXPECT_EQ(rig.win.roi(1).Name, "A");
  EXPECT_EQ(rig.win.roi(2).Name, "");
  EXPECT_EQ(rig.win.bvri(2).Bmag, 5.0f);
  // 40 characters, the umlaut counting as one; a leading bracket becomes "(".
  ASSERT_TRUE(load({"[ROIfile]", "2", "Ä123456789012345678901234567890123456789XYZ", "[BVRI]"}));
  EXPECT_EQ(rig.win.roi(1).Name, "Ä123456789012345678901234567890123456789");
  EXPECT_EQ(roiNameFrom("[BVRI]"), "(BVRI]");
  EXPECT_EQ(roiNameFrom(std::string(45, 'a')), std::string(40, 'a'));
  // Each section is read once.
  ASSERT_TRUE(load({"[compstars]", "AAVSOchartID=first", "[compstars]", "AAVSOchartID=second",
                    "[Tracking]", "1;2", "[Tracking]", "3;4"}));
  EXPECT_EQ(rig.win.AAVSOchartEdit, "first");
  EXPECT_EQ(std::pair(rig.imgwin.TrackstarX, rig.imgwin.TrackstarY), std::pair(1.0, 2.0));
  // Only a comparison star of known magnitude means "standardisiert".
  CompTypeState compType;
  rig.win.roi(2).ref = true;
  ASSERT_TRUE(load({"[ROIfile]", "3", "A", "B", "C"}, &compType));
  EXPECT_EQ(compType.ItemIndex, 0);
  rig.win.roi(3).ref = true;
  rig.win.roi(3).rmag = 10.5f;
  ASSERT_TRUE(load({"[ROIfile]", "3", "A", "B", "C"}, &compType));
  EXPECT_EQ(compType.ItemIndex, 1);
  // A missing file changes nothing.
  rig.win.AAVSOchartEdit = "kept";
  EXPECT_FALSE(LoadStarinfos(rig.win, dir.file("none.vgp")));
  EXPECT_EQ(rig.win.AAVSOchartEdit, "kept");
  EXPECT_TRUE(rig.ui.messages.empty());
}

}  // namespace
}  // namespace vargaze
