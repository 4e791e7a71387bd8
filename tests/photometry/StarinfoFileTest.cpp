// The star information sections of project files: names, catalogue values,
// chart identifier, ring sizes and track star, with their failure cases.
#include <gtest/gtest.h>

#include <vector>

#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "SyntheticSky.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::RoiWindowRig;
using test::TempDir;
using test::writeBytes;

class StarinfoFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (std::int32_t i = 0; i < 3; ++i) rig.win.Newroi(10 + 10 * i, 20);
  }
  // Writes the lines as a project file with CR LF line ends; returns its path.
  std::string project(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    const std::string path = dir.file("field.vgp");
    writeBytes(path, text);
    return path;
  }
  TempDir dir;
  RoiWindowRig rig;
};

TEST_F(StarinfoFileTest, AllSectionsOfAProjectFile) {
  rig.imgwin.TrackstarX = 5.0;
  const std::string path = project({
      "[files]", "/data/a.fit", "[ROIfile]", "3", "RR Lyr", "HD 182989", "", "[Curvefile]", "0",
      "[BVRI]", "12,345;11,8;99,000;99,000", "8.1;7.6;7.2;6.9", "", "[Filter]", "3", "BVRImode=0",
      "[compstars]", "AAVSOchartID=X12345AB", "[ROIcenter]", "AutocenterROI=1", "ROID2=9",
      "ROID3=15", "[Tracking]", "123,50;456,25", "[SNR]", "LocationHeight=300", "[end]"});
  ASSERT_TRUE(LoadStarinfos(rig.win, path));
  EXPECT_TRUE(rig.ui.messages.empty());
  EXPECT_EQ(rig.win.roi(1).Name, "RR Lyr");
  EXPECT_EQ(rig.win.roi(2).Name, "HD 182989");
  EXPECT_EQ(rig.win.roi(3).Name, "");  // an empty line names nothing
  const BVRIRec& c1 = rig.win.bvri(1);
  EXPECT_EQ(c1.Bmag, 12.345f);
  EXPECT_EQ(c1.Vmag, 11.8f);
  EXPECT_EQ(c1.Rmag, 99.0f);
  EXPECT_EQ(c1.Imag, 99.0f);
  EXPECT_EQ(rig.win.bvri(2).Imag, 6.9f);
  EXPECT_EQ(rig.win.bvri(3).Bmag, 99.0f);  // empty line: unchanged
  EXPECT_EQ(rig.win.AAVSOchartEdit, "X12345AB");
  EXPECT_EQ(rig.win.BGinnerEdit.value, 9);
  EXPECT_EQ(rig.win.BGsizeEdit.value, 15);
  for (const TRoi1& r : rig.win.ROIlist) {
    EXPECT_EQ(r.d2, 9);
    EXPECT_EQ(r.d3, 15);
  }
  EXPECT_EQ(rig.imgwin.TrackstarX, 123.5);
  EXPECT_EQ(rig.imgwin.TrackstarY, 456.25);
}

TEST_F(StarinfoFileTest, RingSizesAreClampedByTheControls) {
  const std::string path = project({"[ROIcenter]", "ROID2=13", "ROID3=300", "[Tracking]"});
  ASSERT_TRUE(LoadStarinfos(rig.win, path));
  EXPECT_EQ(rig.win.BGinnerEdit.value, 13);
  EXPECT_EQ(rig.win.BGsizeEdit.value, 150);
  EXPECT_EQ(rig.win.roi(2).d2, 13);
  EXPECT_EQ(rig.win.roi(2).d3, 150);
}

TEST_F(StarinfoFileTest, RingSizesNeedRoisAndAFollowingSection) {
  RoiWindowRig empty;
  const std::string path = project({"[ROIcenter]", "ROID2=13", "ROID3=21", "[Tracking]"});
  ASSERT_TRUE(LoadStarinfos(empty.win, path));
  EXPECT_EQ(empty.win.BGinnerEdit.value, 9);
  EXPECT_EQ(empty.win.BGsizeEdit.value, 15);

  ASSERT_TRUE(LoadStarinfos(rig.win, project({"[ROIcenter]", "ROID2=13", "ROID3=21"})));
  EXPECT_EQ(rig.win.BGinnerEdit.value, 9);
}

TEST_F(StarinfoFileTest, ShortLinesRepeatTheirLastField) {
  const std::string path = project({"[BVRI]", "12.5|11.9", "10;;9;8"});
  EXPECT_FALSE(LoadStarinfos(rig.win, path));
  const BVRIRec& c = rig.win.bvri(1);
  EXPECT_EQ(c.Bmag, 12.5f);
  EXPECT_EQ(c.Vmag, 11.9f);
  EXPECT_EQ(c.Rmag, 11.9f);
  EXPECT_EQ(c.Imag, 11.9f);
  // Two adjacent separators enclose an empty field, which is no number.
  EXPECT_EQ(rig.win.bvri(2).Bmag, 10.0f);
  EXPECT_EQ(rig.win.bvri(2).Vmag, 99.0f);
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"'' ist kein gültiger Gleitkommawert"});
}

TEST_F(StarinfoFileTest, ConversionErrorKeepsWhatWasReadBefore) {
  const std::string path = project({"[ROIfile]", "3", "A", "B", "C", "[BVRI]", "1;2;3;4",
                                    "5;x7;6;7", "[compstars]", "AAVSOchartID=Z1"});
  rig.win.AAVSOchartEdit = "old";
  EXPECT_FALSE(LoadStarinfos(rig.win, path));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"'x7' ist kein gültiger Gleitkommawert"});
  EXPECT_EQ(rig.win.roi(3).Name, "C");
  EXPECT_EQ(rig.win.bvri(1).Imag, 4.0f);
  EXPECT_EQ(rig.win.bvri(2).Bmag, 5.0f);
  EXPECT_EQ(rig.win.bvri(2).Vmag, 99.0f);
  EXPECT_EQ(rig.win.AAVSOchartEdit, "");  // emptied at the start, never reached
}

TEST_F(StarinfoFileTest, CountThatIsNoNumber) {
  const std::string path = project({"[ROIfile]", "drei", "A"});
  EXPECT_FALSE(LoadStarinfos(rig.win, path));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"'drei' ist kein gültiger Integerwert"});
  EXPECT_EQ(rig.win.roi(1).Name, "");
}

TEST_F(StarinfoFileTest, NameListEndsAtASectionHeader) {
  // Fewer names than ROIs: the header ends the names and starts its section.
  const std::string path = project({"[ROIfile]", "3", "A", "[BVRI]", "1;2;3;4", "5;6;7;8"});
  ASSERT_TRUE(LoadStarinfos(rig.win, path));
  EXPECT_EQ(rig.win.roi(1).Name, "A");
  EXPECT_EQ(rig.win.roi(2).Name, "");
  EXPECT_EQ(rig.win.bvri(2).Bmag, 5.0f);
}

TEST_F(StarinfoFileTest, NamesAreCutToFortyCharacters) {
  const std::string longName = "Ä123456789012345678901234567890123456789XYZ";
  const std::string path = project({"[ROIfile]", "1", longName});
  ASSERT_TRUE(LoadStarinfos(rig.win, path));
  // 40 characters, the umlaut counting as one.
  EXPECT_EQ(rig.win.roi(1).Name, "Ä123456789012345678901234567890123456789");
}

TEST_F(StarinfoFileTest, EachSectionIsReadOnce) {
  const std::string path = project({"[compstars]", "AAVSOchartID=first", "[compstars]",
                                    "AAVSOchartID=second", "[Tracking]", "1;2", "[Tracking]",
                                    "3;4"});
  ASSERT_TRUE(LoadStarinfos(rig.win, path));
  EXPECT_EQ(rig.win.AAVSOchartEdit, "first");
  EXPECT_EQ(rig.imgwin.TrackstarX, 1.0);
  EXPECT_EQ(rig.imgwin.TrackstarY, 2.0);
}

TEST_F(StarinfoFileTest, ComparisonStarOfKnownMagnitudeMeansStandardised) {
  const std::string path = project({"[ROIfile]", "3", "A", "B", "C"});
  CompTypeState compType;
  rig.win.roi(2).ref = true;  // comparison star of unknown magnitude
  ASSERT_TRUE(LoadStarinfos(rig.win, path, &compType));
  EXPECT_EQ(compType.ItemIndex, 0);

  rig.win.roi(3).ref = true;
  rig.win.roi(3).rmag = 10.5f;
  ASSERT_TRUE(LoadStarinfos(rig.win, path, &compType));
  EXPECT_EQ(compType.ItemIndex, 1);
}

TEST_F(StarinfoFileTest, MissingFileChangesNothing) {
  rig.win.AAVSOchartEdit = "kept";
  EXPECT_FALSE(LoadStarinfos(rig.win, dir.file("none.vgp")));
  EXPECT_EQ(rig.win.AAVSOchartEdit, "kept");
  EXPECT_TRUE(rig.ui.messages.empty());
}

TEST(RoiNameTest, LeadingBracketAndLength) {
  EXPECT_EQ(roiNameFrom("[BVRI]"), "(BVRI]");
  EXPECT_EQ(roiNameFrom("V1234 Cyg"), "V1234 Cyg");
  EXPECT_EQ(roiNameFrom(std::string(45, 'a')), std::string(40, 'a'));
  EXPECT_EQ(roiNameFrom(""), "");
}

}  // namespace
}  // namespace vargaze
