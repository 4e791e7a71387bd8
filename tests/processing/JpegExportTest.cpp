// JPEG series export: the files are read back by libjpeg's own decoder.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "processing/JpegExport.h"
#include "support/SeriesFixture.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;

struct Decoded {
  bool ok = false;
  int width = 0;
  int height = 0;
  int components = 0;
  bool progressive = true;
  std::vector<std::uint8_t> pixels;  // rows from the top

  int red(int x, int y) const {  // 0-based
    return pixels[static_cast<std::size_t>((y * width + x) * components)];
  }
};

struct DecodeErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void decodeFailed(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<DecodeErrors*>(cinfo->err)->jump, 1);
}

// Plain C objects only between setjmp and the jump.
bool decodeInto(const std::string& bytes, Decoded* out) {
  jpeg_decompress_struct cinfo;
  DecodeErrors errors;
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = decodeFailed;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  out->progressive = jpeg_has_multiple_scans(&cinfo) != 0;
  jpeg_start_decompress(&cinfo);
  out->width = static_cast<int>(cinfo.output_width);
  out->height = static_cast<int>(cinfo.output_height);
  out->components = cinfo.output_components;
  out->pixels.resize(static_cast<std::size_t>(out->width * out->height * out->components));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out->pixels.data() +
                   cinfo.output_scanline * static_cast<unsigned>(out->width * out->components);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

Decoded decode(const std::string& path) {
  Decoded d;
  const std::string bytes = test::readBytes(path);
  d.ok = !bytes.empty() && decodeInto(bytes, &d);
  return d;
}

class JpegExportTest : public test::SeriesFixture {
 protected:
  static constexpr int kW = 32;
  static constexpr int kH = 24;

  // Top half 400, bottom half 1000: with levels 0..1000 and gamma 1 the
  // display shows round(400 * 255 / 1000) = 102 above and 255 below.
  std::vector<std::string> writeFrames(int count) {
    std::vector<double> pixels(kW * kH, 1000.0);
    for (int i = 0; i < kW * kH / 2; ++i) pixels[i] = 400.0;
    const std::string bytes = test::FitsBuilder(16, kW, kH).pixels(pixels).bytes();
    std::vector<std::string> paths;
    for (int n = 1; n <= count; ++n) {
      paths.push_back(dir.file("f" + std::to_string(n) + ".fit"));
      test::writeBytes(paths.back(), bytes);
    }
    return paths;
  }

  void openWithFullLevels(const std::vector<std::string>& paths) {
    ASSERT_TRUE(series.openSeries(paths));
    series.controls.AutocontrastCheck = false;
    series.controls.LowerScrollBar = 0;
    series.controls.Upperscrollbar = 1000;
  }
};

TEST_F(JpegExportTest, TwelveFramesGiveTwelveNumberedFiles) {
  openWithFullLevels(writeFrames(12));
  const JpegExportResult r = JPGexport(series, dir.file("movie.jpg"));
  EXPECT_EQ(r.written, 12);
  EXPECT_EQ(r.skipped, 0);
  EXPECT_TRUE(fs::exists(dir.file("movie001.JPG")));
  EXPECT_TRUE(fs::exists(dir.file("movie012.JPG")));
  EXPECT_FALSE(fs::exists(dir.file("movie013.JPG")));
  EXPECT_EQ(series.Activeframe(), 12);  // the last frame stays on display
}

TEST_F(JpegExportTest, FileShowsTheFrameAsDisplayed) {
  openWithFullLevels(writeFrames(1));
  ASSERT_EQ(JPGexport(series, dir.file("m.jpg")).written, 1);
  const Decoded d = decode(dir.file("m001.JPG"));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, kW);
  EXPECT_EQ(d.height, kH);
  EXPECT_EQ(d.components, 3);
  EXPECT_FALSE(d.progressive);
  // Away from the edge between the halves, where JPEG blurs.
  EXPECT_NEAR(d.red(5, 2), 102, 3);
  EXPECT_NEAR(d.red(5, kH - 3), 255, 3);
}

TEST_F(JpegExportTest, GammaInversionAndFlipFollowTheDisplay) {
  openWithFullLevels(writeFrames(1));
  series.controls.GammaIndex = 2;  // "2.0": exponent 1/2, 255 * sqrt(0.4) = 161.3
  series.controls.InvertCheckBox = true;
  series.controls.Flipcheck = true;  // bright half on top
  ASSERT_EQ(JPGexport(series, dir.file("m.jpg")).written, 1);
  const Decoded d = decode(dir.file("m001.JPG"));
  ASSERT_TRUE(d.ok);
  EXPECT_NEAR(d.red(5, 2), 0, 3);
  EXPECT_NEAR(d.red(5, kH - 3), 255 - 161, 3);
}

TEST_F(JpegExportTest, FrameThatCannotBeLoadedIsSkippedNotRepeated) {
  std::vector<std::string> paths = writeFrames(3);
  openWithFullLevels(paths);
  fs::remove(paths[1]);
  const JpegExportResult r = JPGexport(series, dir.file("m.jpg"));
  EXPECT_EQ(r.written, 2);
  EXPECT_EQ(r.skipped, 1);
  EXPECT_FALSE(fs::exists(dir.file("m002.JPG")));
  EXPECT_TRUE(fs::exists(dir.file("m003.JPG")));
}

TEST_F(JpegExportTest, WriteFailureIsReportedAndStopsTheExport) {
  openWithFullLevels(writeFrames(2));
  const std::string chosen = dir.file("no-folder/m.jpg");
  const JpegExportResult r = JPGexport(series, chosen);
  EXPECT_TRUE(r.saveFailed);
  EXPECT_EQ(r.written, 0);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Speichern der Datei " +
                                                  dir.file("no-folder/m001.JPG")});
}

TEST(JpegFrameFilename, NumberFieldWidensForLongSeries) {
  EXPECT_EQ(jpegFrameFilename("/a/m.jpg", 7, 12), "/a/m007.JPG");
  EXPECT_EQ(jpegFrameFilename("/a/m.jpg", 7, 1200), "/a/m0007.JPG");
  EXPECT_EQ(jpegFrameFilename("/a/m", 1000, 1200), "/a/m1000.JPG");
}

}  // namespace
}  // namespace vargaze
