// JPEG series export: the files are read back by libjpeg's own decoder.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "processing/JpegExport.h"
#include "processing/NumberedOutput.h"
#include "processing/ProcessingRig.h"

namespace vargaze {
namespace {

constexpr int kW = 32;
constexpr int kH = 24;

struct Decoded {
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
bool decode(const std::string& bytes, Decoded* out) {
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

// Frames with a top half of 400 and a bottom half of 1000, shown with the
// levels 0..1000: with gamma 1 the display maps 400 to round(400 * 255 /
// 1000) = 102 and 1000 to 255.
class JpegExportTest : public test::ProcessingRig {};

TEST_F(JpegExportTest, FilesShowTheFramesAsDisplayed) {
  struct Row {
    int gammaIndex;
    bool inverted, flipped;
    int top, bottom;  // red of the decoded picture
  } rows[] = {{0, false, false, 102, 255},
              // "2.0": exponent 1/2, 255 * sqrt(0.4) = 161.3; flipped: bright half on top
              {2, true, true, 0, 255 - 161}};
  std::vector<double> pixels(kW * kH, 1000.0);
  std::fill_n(pixels.begin(), kW * kH / 2, 400.0);
  for (const char* name : {"a.fit", "b.fit"}) {
    frames.push_back(dir.file(name));
    test::writeBytes(frames.back(), test::FitsBuilder(16, kW, kH).pixels(pixels).bytes());
  }
  ASSERT_TRUE(series.openSeries(frames));
  series.controls.AutocontrastCheck = false;
  series.controls.LowerScrollBar = 0;
  series.controls.Upperscrollbar = 1000;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.gammaIndex);
    series.controls.GammaIndex = row.gammaIndex;
    series.controls.InvertCheckBox = row.inverted;
    series.controls.Flipcheck = row.flipped;
    const JpegExportResult r = JPGexport(series, dir.file("m.jpg"));
    EXPECT_EQ(std::pair(r.written, r.skipped), std::pair(2, 0));
    EXPECT_EQ(series.Activeframe(), 2);  // the last frame stays on display
    EXPECT_FALSE(std::filesystem::exists(dir.file("m003.JPG")));
    for (const char* name : {"m001.JPG", "m002.JPG"}) {
      Decoded d;
      ASSERT_TRUE(decode(test::readBytes(dir.file(name)), &d)) << name;
      EXPECT_EQ(std::vector({d.width, d.height, d.components}), std::vector({kW, kH, 3}));
      EXPECT_FALSE(d.progressive);
      // Away from the edge between the halves, where JPEG blurs.
      EXPECT_NEAR(d.red(5, 2), row.top, 3);
      EXPECT_NEAR(d.red(5, kH - 3), row.bottom, 3);
    }
  }
}

// The frame number goes before the extension, with as many digits as the
// largest number needs and at least three.
TEST(NumberedNames, NumberBeforeTheExtensionWidenedForLongSeries) {
  const struct {
    bool jpeg;
    const char* chosen;
    int frame, frames;
    const char* expected;
  } rows[] = {
      {false, "sky.fit", 1, 2, "sky001.fit"},
      {false, "/d/x.fits/sky.FITS", 12, 12, "/d/x.fits/sky012.FITS"},
      {false, "/d/sky.fts", 7, 999, "/d/sky007.fts"},
      {false, "/d.fit/sky", 5, 1000, "/d.fit/sky0005"},
      {false, "/d/.fit", 2, 9999, "/d/.fit0002"},
      {false, "sky.fit", 1, 10000, "sky00001.fit"},
      {true, "/a/m.jpg", 7, 12, "/a/m007.JPG"},
      {true, "/a/m.jpg", 7, 1200, "/a/m0007.JPG"},
      {true, "/a/m", 1000, 1200, "/a/m1000.JPG"},
  };
  for (const auto& r : rows) {
    const std::string name = r.jpeg ? jpegFrameFilename(r.chosen, r.frame, r.frames)
                                    : numberedName(r.chosen, r.frame, frameNumberDigits(r.frames));
    EXPECT_EQ(name, r.expected) << r.chosen << ' ' << r.frame << '/' << r.frames;
  }
}

}  // namespace
}  // namespace vargaze
