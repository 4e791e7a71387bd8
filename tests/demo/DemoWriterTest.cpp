// What the demo writes into its folder: the file list, the ROI file, and a
// measurement of the frames with that ROI set against the truth.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>

#include "DemoFolder.h"
#include "demo/DemoRoi.h"
#include "demo/DemoSky.h"
#include "demo/SilentUi.h"
#include "photometry/RoiFile.h"
#include "photometry/RoiWindow.h"

namespace vargaze::test {
namespace {

struct RoiRecord {
  std::int32_t x0a, y0a, x0b, y0b, d;
  std::uint8_t ref;
  float rmag;
};

// Little-endian int32 / float fields of the 28-byte records, read by hand.
std::vector<RoiRecord> readRecords(const std::string& bytes) {
  const auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      v |= std::uint32_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
    }
    return v;
  };
  std::vector<RoiRecord> records;
  for (std::size_t at = 0; at + 28 <= bytes.size(); at += 28) {
    records.push_back({static_cast<std::int32_t>(u32(at)), static_cast<std::int32_t>(u32(at + 4)),
                       static_cast<std::int32_t>(u32(at + 8)),
                       static_cast<std::int32_t>(u32(at + 12)),
                       static_cast<std::int32_t>(u32(at + 16)),
                       static_cast<std::uint8_t>(bytes[at + 20]), std::bit_cast<float>(u32(at + 24))});
  }
  return records;
}

class DemoWriterTest : public DemoFolder {
 protected:
  const demo::DemoDesign design = demo::makeDemoDesign(kOptions);
};

TEST_F(DemoWriterTest, WritesFramesTruthRoiFileAndProjectInOrder) {
  const std::vector<std::string> expected = {file("demo_001.fit"), file("demo_002.fit"),
                                             file("demo_003.fit"), file("truth.csv"),
                                             file("demo.roi"),     file("demo.vgp")};
  EXPECT_EQ(written(), expected);
  for (const std::string& path : expected) EXPECT_TRUE(std::filesystem::is_regular_file(path));
  // 512 x 384 16-bit pixels and one header block, padded to 2880 bytes.
  EXPECT_EQ(std::filesystem::file_size(file("demo_001.fit")), 2880u * (1 + 137));
}

TEST(DemoWriterPathsTest, RelativeFolderGivesAbsolutePaths) {
  const TempDir dir;
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  std::vector<std::string> written;
  EXPECT_NO_THROW(written = demo::writeDemoSeries({2, 128, 128}, "rel"));
  const std::filesystem::path folder = std::filesystem::current_path() / "rel";
  std::filesystem::current_path(before);
  ASSERT_EQ(written.size(), 5u);
  EXPECT_EQ(written.front(), (folder / "demo_001.fit").string());
  EXPECT_EQ(written.back(), (folder / "demo.vgp").string());
  const std::string project = readBytes(written.back());
  EXPECT_NE(project.find("[files]\r\n" + (folder / "demo_001.fit").string() + "\r\n"),
            std::string::npos);
}

TEST_F(DemoWriterTest, RoiFileHoldsFiveRingRoisOnTheStars) {
  const std::string bytes = readBytes(file("demo.roi"));
  ASSERT_EQ(bytes.size(), 5u * 28u);
  const std::vector<RoiRecord> records = readRecords(bytes);
  const std::uint8_t refs[] = {0, 1, 1, 1, 0};
  const float rmags[] = {0.0f, 11.74f, 12.12f, 12.58f, 12.41f};
  for (std::size_t i = 0; i < 5; ++i) {
    const demo::NamedStar& star = design.named[i];
    const RoiRecord& r = records[i];
    EXPECT_LE(std::abs(r.x0a - star.x), 1.0) << star.name;
    EXPECT_LE(std::abs(r.y0a - star.y), 1.0) << star.name;
    EXPECT_EQ(r.x0b, r.x0a) << star.name;  // ring mode
    EXPECT_EQ(r.y0b, r.y0a) << star.name;
    EXPECT_EQ(r.d, 9);
    EXPECT_EQ(r.ref, refs[i]) << star.name;
    EXPECT_FLOAT_EQ(r.rmag, rmags[i]) << star.name;
  }
}

TEST_F(DemoWriterTest, RoiWindowHoldsNamesCatalogueAndTypes) {
  Settings settings;
  demo::SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win(settings, ui, flags, imgwin);
  const Timgbuffer frame = demo::renderFrame(design, 0);
  win.setImage(&frame);
  demo::placeDemoRois(win, design);
  EXPECT_TRUE(ui.messages.empty()) << ui.joined();
  ASSERT_EQ(win.count(), 5);
  EXPECT_EQ(win.ROIsizeEdit.value, 9);
  EXPECT_EQ(win.BGinnerEdit.value, 13);
  EXPECT_EQ(win.BGsizeEdit.value, 19);
  EXPECT_EQ(win.FilterType, 3);
  const char* names[] = {"V Demo", "C1", "C2", "C3", "K"};
  const StarType types[] = {kStarVar, kStarComp, kStarComp, kStarComp, kStarCheck};
  for (std::int32_t n = 1; n <= 5; ++n) {
    const TRoi1& r = win.roi(n);
    EXPECT_EQ(r.Name, names[n - 1]);
    EXPECT_EQ(r.starType(), types[n - 1]) << names[n - 1];
    EXPECT_EQ(r.d2, 13);
    EXPECT_EQ(r.d3, 19);
  }
  EXPECT_EQ(win.roi(5).stype, kStarCheck);
  EXPECT_FLOAT_EQ(win.bvri(2).Bmag, 12.38f);
  EXPECT_FLOAT_EQ(win.bvri(2).Vmag, 11.74f);
  EXPECT_FLOAT_EQ(win.bvri(2).Rmag, 11.37f);
  EXPECT_FLOAT_EQ(win.bvri(2).Imag, 11.02f);
  EXPECT_FLOAT_EQ(win.bvri(5).Vmag, 12.41f);
  EXPECT_FALSE(catalogueValueKnown(win.bvri(1).Vmag));
}

TEST_F(DemoWriterTest, PlacingNeedsAFrame) {
  Settings settings;
  demo::SilentUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win(settings, ui, flags, imgwin);
  EXPECT_THROW(demo::placeDemoRois(win, design), std::runtime_error);
}

// The program measures the frames with the demo's ROI set and finds the
// injected magnitudes within its stated errors (S/N of a few hundred).
TEST_F(DemoWriterTest, MeasuredMagnitudesMatchTheTruth) {
  const double variable[] = {12.30, 13.10, 12.30};
  for (int frame = 1; frame <= 3; ++frame) {
    Timgbuffer img;
    ASSERT_TRUE(img.Readfitsfile(file("demo_00" + std::to_string(frame) + ".fit")));
    Settings settings;
    demo::SilentUi ui;
    MainWindowFlags flags;
    ImageWindowState imgwin;
    RoiWindow win(settings, ui, flags, imgwin);
    win.setImage(&img);
    win.FormShow();
    ASSERT_TRUE(LoadROI(win, file("demo.roi"), false)) << ui.joined();
    win.setInnerSize(13);
    win.setOuterSize(19);
    win.UpdateROItable(0);
    ASSERT_EQ(win.count(), 5);
    EXPECT_NEAR(win.roi(1).mag, variable[frame - 1], 0.03) << "frame " << frame;
    EXPECT_NEAR(win.roi(5).mag, 12.41, 0.03) << "frame " << frame;
    EXPECT_GT(win.roi(1).SN, 150);
    EXPECT_LT(win.roi(1).SN, 700);
  }
}

}  // namespace
}  // namespace vargaze::test
