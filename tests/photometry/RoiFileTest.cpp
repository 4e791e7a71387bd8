// ROI files (byte layout, round trip, damaged files, the question before
// replacing ROIs) and the results text file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "photometry/RoiFile.h"
#include "photometry/StarInfo.h"
#include "SyntheticSky.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::readBytes;
using test::RoiWindowRig;
using test::TempDir;
using test::writeBytes;

std::string bytesOf(std::initializer_list<unsigned> values) {
  std::string s;
  for (const unsigned v : values) s.push_back(static_cast<char>(v));
  return s;
}

void addRoi(RoiWindow& win, std::int32_t x0a, std::int32_t y0a, std::int32_t x0b,
            std::int32_t y0b, std::int32_t d, bool ref, float rmag) {
  TRoi1 r;
  r.num = win.count() + 1;
  r.x0a = x0a;
  r.y0a = y0a;
  r.x0b = x0b;
  r.y0b = y0b;
  r.xa = x0a + 2;  // current centres differ from the start positions
  r.ya = y0a + 3;
  r.xb = x0b;
  r.yb = y0b;
  r.d = d;
  r.ref = ref;
  r.rmag = rmag;
  r.mag = 12.0f;
  win.ROIlist.push_back(r);
  win.BVRIlist.push_back(BVRIRec{});
  win.ROIindex = win.count();
}

// One comparison star in ring mode and one fixed marker without background.
void addTwoRois(RoiWindow& win) {
  addRoi(win, 12, 34, 12, 34, 9, true, 11.25f);
  addRoi(win, -1, 300, 0, 0, 5, false, -7.5f);
}

class RoiFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  RoiWindowRig rig;
};

TEST_F(RoiFileTest, RecordsAreLittleEndianAt28Bytes) {
  addTwoRois(rig.win);
  const std::string path = dir.file("field.roi");
  ASSERT_TRUE(SaveROI(rig.win, path));
  const std::string expected =
      bytesOf({0x0C, 0, 0, 0, 0x22, 0, 0, 0, 0x0C, 0, 0, 0, 0x22, 0, 0, 0,  // x0a y0a x0b y0b
               0x09, 0, 0, 0, 0x01, 0, 0, 0, 0x00, 0x00, 0x34, 0x41,        // d ref pad 11.25
               0xFF, 0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
               0x05, 0, 0, 0, 0x00, 0, 0, 0, 0x00, 0x00, 0xF0, 0xC0});      // -7.5
  ASSERT_EQ(expected.size(), 56u);
  EXPECT_EQ(readBytes(path), expected);
  EXPECT_TRUE(rig.ui.messages.empty());
}

TEST_F(RoiFileTest, SavingWithoutRoisWritesNothing) {
  const std::string path = dir.file("empty.roi");
  EXPECT_FALSE(SaveROI(rig.win, path));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"Keine ROI definiert"});
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(RoiFileTest, SaveFailureIsReported) {
  addTwoRois(rig.win);
  const std::string path = dir.file("missing/field.roi");
  EXPECT_FALSE(SaveROI(rig.win, path));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"Fehler beim Speichern der Datei " + path});
}

TEST_F(RoiFileTest, RoundTripGivesStartPositionsAndNoMagnitude) {
  addTwoRois(rig.win);
  const std::string path = dir.file("field.roi");
  ASSERT_TRUE(SaveROI(rig.win, path));

  RoiWindowRig other;
  other.imgwin.TrackstarX = 50.0;
  other.imgwin.TrackstarY = 60.0;
  ASSERT_TRUE(LoadROI(other.win, path));
  EXPECT_TRUE(other.ui.questions.empty());  // nothing to replace
  ASSERT_EQ(other.win.count(), 2);
  EXPECT_EQ(other.win.ROIindex, 2);
  const TRoi1& a = other.win.roi(1);
  EXPECT_EQ(a.num, 1);
  EXPECT_EQ(a.xa, 12);
  EXPECT_EQ(a.x0a, 12);
  EXPECT_EQ(a.ya, 34);
  EXPECT_EQ(a.y0a, 34);
  EXPECT_EQ(a.xb, 12);
  EXPECT_EQ(a.yb, 34);
  EXPECT_TRUE(a.ringMode());
  EXPECT_TRUE(a.ref);
  EXPECT_EQ(a.rmag, 11.25f);
  EXPECT_EQ(a.mag, 99.0f);
  const TRoi1& b = other.win.roi(2);
  EXPECT_EQ(b.num, 2);
  EXPECT_TRUE(b.isFixed());
  EXPECT_EQ(b.xa, -1);
  EXPECT_EQ(b.y0a, 300);
  EXPECT_EQ(b.xb, 0);  // background never placed
  EXPECT_FALSE(b.ref);
  EXPECT_EQ(b.rmag, -7.5f);
  EXPECT_EQ(b.mag, 99.0f);
  // The size control took each record's size in turn: all end with the last.
  EXPECT_EQ(a.d, 5);
  EXPECT_EQ(b.d, 5);
  EXPECT_EQ(other.win.ROIsizeEdit.value, 5);
  for (const BVRIRec& c : other.win.BVRIlist) EXPECT_EQ(c.Vmag, 99.0f);
  EXPECT_EQ(other.imgwin.TrackstarX, -1.0);
  EXPECT_EQ(other.imgwin.TrackstarY, -1.0);
}

TEST_F(RoiFileTest, PaddingBytesAreIgnored) {
  addTwoRois(rig.win);
  const std::string clean = dir.file("clean.roi");
  ASSERT_TRUE(SaveROI(rig.win, clean));
  std::string bytes = readBytes(clean);
  for (const std::size_t at : {21u, 22u, 23u, 49u, 50u, 51u}) bytes[at] = '\xAB';
  const std::string dirty = dir.file("dirty.roi");
  writeBytes(dirty, bytes);

  RoiWindowRig a;
  RoiWindowRig b;
  ASSERT_TRUE(LoadROI(a.win, clean));
  ASSERT_TRUE(LoadROI(b.win, dirty));
  ASSERT_EQ(a.win.count(), b.win.count());
  for (std::int32_t i = 1; i <= a.win.count(); ++i) {
    const TRoi1& p = a.win.roi(i);
    const TRoi1& q = b.win.roi(i);
    EXPECT_EQ(p.x0a, q.x0a);
    EXPECT_EQ(p.y0a, q.y0a);
    EXPECT_EQ(p.x0b, q.x0b);
    EXPECT_EQ(p.y0b, q.y0b);
    EXPECT_EQ(p.d, q.d);
    EXPECT_EQ(p.ref, q.ref);
    EXPECT_EQ(p.rmag, q.rmag);
  }
}

// A single record with the given size.
std::string recordWithSize(std::uint8_t size) {
  return bytesOf({10, 0, 0, 0, 20, 0, 0, 0, 10, 0, 0, 0, 20, 0, 0, 0, size, 0, 0, 0, 0, 0, 0, 0,
                  0, 0, 0, 0});
}

TEST_F(RoiFileTest, SizesAreClampedToTheSizeControl) {
  const std::string path = dir.file("sizes.roi");
  writeBytes(path, recordWithSize(3));
  ASSERT_TRUE(LoadROI(rig.win, path));
  EXPECT_EQ(rig.win.roi(1).d, 5);

  writeBytes(path, recordWithSize(200));
  ASSERT_TRUE(LoadROI(rig.win, path, false));
  EXPECT_EQ(rig.win.roi(1).d, 99);
  EXPECT_EQ(rig.win.ROIsizeEdit.value, 99);

  writeBytes(path, recordWithSize(0) + recordWithSize(11));
  ASSERT_TRUE(LoadROI(rig.win, path, false));
  EXPECT_EQ(rig.win.roi(1).d, 11);
  EXPECT_EQ(rig.win.roi(2).d, 11);
}

TEST_F(RoiFileTest, TornLastRecordIsReportedAndNotLoaded) {
  addTwoRois(rig.win);
  const std::string path = dir.file("torn.roi");
  ASSERT_TRUE(SaveROI(rig.win, path));
  writeBytes(path, readBytes(path) + std::string(10, '\x07'));

  RoiWindowRig other;
  EXPECT_FALSE(LoadROI(other.win, path));
  EXPECT_EQ(other.win.count(), 2);
  EXPECT_EQ(other.win.roi(2).y0a, 300);
  ASSERT_EQ(other.ui.messages.size(), 1u);
  EXPECT_NE(other.ui.messages[0].find("unvollständig"), std::string::npos);
  EXPECT_NE(other.ui.messages[0].find("10 Byte"), std::string::npos);
}

TEST_F(RoiFileTest, DamagedRecordStopsTheLoad) {
  std::string second = recordWithSize(9);
  second[24] = '\0';
  second[25] = '\0';
  second[26] = '\xC0';
  second[27] = '\x7F';  // rmag: a NaN
  const std::string path = dir.file("nan.roi");
  writeBytes(path, recordWithSize(9) + second + recordWithSize(9));
  EXPECT_FALSE(LoadROI(rig.win, path));
  EXPECT_EQ(rig.win.count(), 1);
  ASSERT_EQ(rig.ui.messages.size(), 1u);
  EXPECT_NE(rig.ui.messages[0].find("ROI 2 ist ungültig"), std::string::npos);

  std::string far = recordWithSize(9);
  far[3] = '\x70';  // x0a far beyond any image
  writeBytes(path, far);
  EXPECT_FALSE(LoadROI(rig.win, path, false));
  EXPECT_EQ(rig.win.count(), 0);
}

TEST_F(RoiFileTest, UnreadableOrHugeFilesChangeNothing) {
  addTwoRois(rig.win);
  const std::string missing = dir.file("missing.roi");
  EXPECT_FALSE(LoadROI(rig.win, missing, false));
  EXPECT_EQ(rig.win.count(), 2);
  EXPECT_EQ(rig.ui.messages.back(), "Fehler beim Laden der Datei " + missing);

  const std::string huge = dir.file("huge.roi");
  writeBytes(huge, "");
  std::filesystem::resize_file(huge, (kMaxRoiFileRecords + 1) * kRoiRecordSize);
  EXPECT_FALSE(LoadROI(rig.win, huge, false));
  EXPECT_EQ(rig.win.count(), 2);
  EXPECT_NE(rig.ui.messages.back().find("zu groß"), std::string::npos);
}

TEST_F(RoiFileTest, ExistingRoisAreReplacedOnlyAfterYes) {
  const std::string path = dir.file("one.roi");
  writeBytes(path, recordWithSize(7));
  addTwoRois(rig.win);
  const std::string question = "Vorhandene ROIs werden gelöscht; sind Sie sicher?";

  rig.ui.answers = {UiPort::Answer::No, UiPort::Answer::Cancel, UiPort::Answer::Yes};
  EXPECT_FALSE(LoadROI(rig.win, path));
  EXPECT_EQ(rig.win.count(), 2);
  EXPECT_FALSE(LoadROI(rig.win, path));
  EXPECT_EQ(rig.win.count(), 2);
  EXPECT_TRUE(LoadROI(rig.win, path));
  EXPECT_EQ(rig.win.count(), 1);
  EXPECT_EQ(rig.ui.questions, (std::vector<std::string>{question, question, question}));

  // The project loader replaces without asking.
  EXPECT_TRUE(LoadROI(rig.win, path, false));
  EXPECT_EQ(rig.ui.questions.size(), 3u);
}

TEST_F(RoiFileTest, ProjectFileBesideSuppliesTheStarInformation) {
  addTwoRois(rig.win);
  const std::string path = dir.file("field.roi");
  ASSERT_TRUE(SaveROI(rig.win, path));
  writeBytes(dir.file("field.vgp"),
             "[ROIfile]\r\n2\r\nAlpha\r\nBeta\r\n[BVRI]\r\n12,345;11,8;99,000;99,000\r\n"
             "1;2;3;4\r\n[end]\r\n");

  RoiWindowRig other;
  CompTypeState compType;
  ASSERT_TRUE(LoadROI(other.win, path, true, &compType));
  EXPECT_EQ(other.win.roi(1).Name, "Alpha");
  EXPECT_EQ(other.win.roi(2).Name, "Beta");
  EXPECT_EQ(other.win.bvri(1).Bmag, 12.345f);
  EXPECT_EQ(other.win.bvri(2).Imag, 4.0f);
  // ROI 1 is a comparison star of known magnitude.
  EXPECT_EQ(compType.ItemIndex, 1);
}

TEST_F(RoiFileTest, ResultsTableLines) {
  rig.imgwin.title = "m31.fit";
  rig.win.FilterType = 3;  // "V"
  const auto measured = [&](std::int64_t a, std::int64_t b, std::int32_t max, std::int32_t sn) {
    TRoi1& r = rig.win.roi(rig.win.count());
    r.acounts = a;
    r.bcounts = b;
    r.amaxcounts = max;
    r.npixa = 25;
    r.npixb = 100;
    r.SN = sn;
  };
  addRoi(rig.win, 10, 10, 10, 10, 5, false, 0.0f);
  measured(6230, 1000, 1800, 45);
  // A comparison star as bright as ROI 1: ROI 1 gets its magnitude.
  addRoi(rig.win, 30, 30, 30, 30, 5, true, 12.3456f);
  measured(6230, 1000, 1700, 45);
  addRoi(rig.win, 50, 50, 50, 50, 5, false, 0.0f);
  measured(1005, 1000, 120, 2);

  const std::string path = dir.file("results.txt");
  ASSERT_TRUE(SaveROITable(rig.win, path));
  EXPECT_EQ(readBytes(path),
            "Vargaze results for m31.fit\r\n"
            "N; Counts; PixelMax; Mag; S/N; Refmag; Filter\r\n"
            "1;5230;1800;12.346;45;;V\r\n"
            "2;5230;1700;12.346;45;12.346;V\r\n"
            "3;5;120; ;2;;V\r\n");
}

TEST_F(RoiFileTest, ResultsTableWriteFailureIsReported) {
  addTwoRois(rig.win);
  const std::string path = dir.file("missing/results.txt");
  EXPECT_FALSE(SaveROITable(rig.win, path));
  EXPECT_EQ(rig.ui.messages, std::vector<std::string>{"Fehler beim Speichern der Datei " + path});
}

}  // namespace
}  // namespace vargaze
