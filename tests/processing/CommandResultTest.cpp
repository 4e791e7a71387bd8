// What the processing commands make of frames the tests write: files read
// back (JPEG files by libjpeg's own decoder) and compared with values worked
// out by hand; the names of numbered output files.
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <jpeglib.h>  // after <cstdio>: it needs FILE and size_t

#include "image/RawConverter.h"
#include "processing/Background.h"
#include "processing/FlatCommand.h"
#include "processing/JpegExport.h"
#include "processing/NumberedOutput.h"
#include "processing/ProcessingRig.h"
#include "processing/RawToFits.h"
#include "support/Lines.h"

namespace vargaze {
namespace {

using test::kHeight;
using test::kWidth;
using test::Texts;

// A JPEG file as libjpeg decodes it; pixels row by row from the top.
struct Decoded {
  int width = 0, height = 0, components = 0;
  bool progressive = true;
  std::vector<std::uint8_t> pixels;
  int red(int x, int y) const { return pixels[std::size_t((y * width + x) * components)]; }
};

struct DecodeErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// Plain C objects only between setjmp and the jump.
bool decode(const std::string& bytes, Decoded* out) {
  jpeg_decompress_struct cinfo;
  DecodeErrors errors;
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<DecodeErrors*>(c->err)->jump, 1);
  };
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
  out->pixels.resize(std::size_t(out->width * out->height * out->components));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &out->pixels[cinfo.output_scanline * unsigned(out->width * out->components)];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

class CommandResultTest : public test::ProcessingRig {
 protected:
  // A 16-bit FITS image with the pixel values of `value`.
  std::string writeImage(const std::string& name, const std::function<double(int, int)>& value,
                         int width = kWidth, int height = kHeight) {
    std::vector<double> pixels;
    for (int i = 0; i < width * height; ++i) pixels.push_back(value(i % width + 1, i / width + 1));
    test::writeBytes(dir.file(name), test::FitsBuilder(16, width, height).pixels(pixels).bytes());
    return dir.file(name);
  }
  Timgbuffer readBack(const std::string& name) const {
    Timgbuffer img;
    EXPECT_TRUE(img.Readfitsfile(dir.file(name))) << name;
    return img;
  }
};

TEST_F(CommandResultTest, BackgroundSubtractionTakesEachFramesOwnPlaneFromDisk) {
  frames = {writeImage("a.fit", [](int x, int y) { return 1000 + 2 * x + 3 * y; }),
            writeImage("b.fit", [](int x, int y) { return 3000 - 5 * x + y + (x == 50) * 900; })};
  win.AutocenterCheckBox = false;  // centring would climb the slopes
  ASSERT_TRUE(series.openSeries(frames));
  cornerRois();
  series.img->putpixel(20, 20, 60000);  // left by a command in memory: not a frame
  series.controls.LowerScrollBar = 300;
  ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("sky.fit"))) << lastMessage();
  EXPECT_EQ(std::vector({ui.progressSteps, ui.progressDone}), std::vector({2, 2}));
  for (const char* name : {"sky001.fit", "sky002.fit"}) {
    const Timgbuffer out = readBack(name);
    ASSERT_EQ(out.xsize, kWidth);
    for (int y = 1; y <= kHeight; ++y) {
      for (int x = 1; x <= kWidth; ++x) {
        const bool column = name == std::string("sky002.fit") && x == 50;
        ASSERT_EQ(out.getpixel(x, y) - out.Offset1, column ? 1000 : 100) << name << x << ',' << y;
      }
    }
  }
  EXPECT_EQ(series.img->filename, dir.file("sky002.fit"));
  EXPECT_EQ(std::vector({series.Activeframe(), series.controls.LowerScrollBar}),
            std::vector({2, 0}));
  EXPECT_EQ(ui.messages, Texts{});
}

TEST_F(CommandResultTest, DcfPulsesFromTheLampFrames) {
  openDcf({true, true, false, false, true, false});
  ASSERT_TRUE(getDCFtime1Click(series, dir.file("dcf.prn")).has_value());
  // A lit frame: 9 lamp pixels of 200 - 10 above the sky, 1710 counts.
  EXPECT_EQ(test::crlfLines(test::readBytes(dir.file("dcf.prn"))),
            (Texts{"1, 1, 3420, 0", "5, 1, 1710, 4", "mittl. intervall=4 mittl. counts=1710",
                   "Jahr=unbekannt"}));
  EXPECT_EQ(series.img->filename, dir.file("f6.bmp"));  // the last frame stays on display
  EXPECT_EQ(series.Activeframe(), 6);
}

// Counts what RecordingUi does not keep: the progress window closing.
struct ClosingUi : test::RecordingUi {
  void progressStop() override { ++stops; }
  int stops = 0;
};

TEST_F(CommandResultTest, RawToFitsOneOrAllChannelsOfTheRawFiles) {
  ClosingUi closing;
  Series own{settings, closing, win};
  ASSERT_TRUE(own.openSeries(writeFrames({"a.fit"})));
  const Texts raws = {rawFile("IMG_0001.CR2"), rawFile("img_0002.cr2")};  // any case
  own.RGBcolornumber = 3;
  const RawToFitsResult r = RawtoFitskonvertieren1Click(
      own, {raws[0], dir.file("photo.jpg"), raws[1]}, [] { return std::uint8_t{1}; });
  EXPECT_TRUE(r.listReplaced);
  EXPECT_EQ(own.filelist1, raws);
  EXPECT_EQ(own.FramesLoaded, 2);
  EXPECT_FALSE(own.imageLoaded);  // the old image is not a frame of the new list
  EXPECT_EQ(r.written, (Texts{dir.file("IMG_0001_R.fit"), dir.file("img_0002_R.fit")}));
  const Timgbuffer red = readBack("IMG_0001_R.fit");
  // Portrait turned to landscape, bottom sample first.
  EXPECT_EQ(std::vector({red.xsize, red.getpixel(1, 1), red.getpixel(2, 1)}),
            std::vector({2, 4, 1}));
  EXPECT_EQ(red.FilterName, "TR");
  EXPECT_EQ(own.RGBcolornumber, 3);  // the series' channel is given back
  EXPECT_EQ(std::vector({closing.stops, closing.progressDone}), std::vector({1, 2}));
  EXPECT_FALSE(std::filesystem::exists(rawPpmFilename(raws[0])));
  EXPECT_EQ(settings.StartupDir, dir.file(""));

  // All three channels of the series now loaded; a picture there before stays.
  test::writeBytes(rawPpmFilename(raws[1]), "older");
  ASSERT_EQ(RawtoFitskonvertieren1Click(own, {}, [] { return kRawChannelAll; }).written.size(), 6u);
  for (int c = 0; c < 3; ++c) {
    const std::string colour(1, "RGB"[c]);
    const Timgbuffer plane = readBack("IMG_0001_" + colour + ".fit");
    EXPECT_EQ(plane.FilterName, "T" + colour);
    EXPECT_EQ(std::vector({plane.getpixel(1, 1), plane.getpixel(2, 1)}),
              std::vector({4 + c, 1 + c}));
    EXPECT_EQ(plane.Datetime.substr(0, 19), "2026-12-05T13:33:08");
  }
  EXPECT_FALSE(std::filesystem::exists(rawPpmFilename(raws[0])));
  EXPECT_TRUE(std::filesystem::exists(rawPpmFilename(raws[1])));
}

// Master flat: left half 1000, right half 2000. Mean 1500, sample deviation
// 500 * sqrt(8000 / 7999) = 500.03, level round(1500 + 1.5 * 500.03) = 2250:
// factors 2.25 on the left and 1.125 on the right.
class FlatTest : public CommandResultTest {
 protected:
  std::string halves(const std::string& name, double left, double right, int w = kWidth,
                     int h = kHeight) {
    return writeImage(name, [=](int x, int) { return x <= w / 2 ? left : right; }, w, h);
  }
  int at(int x, int y) const { return series.img->getpixel(x, y); }
  FlatCommand command{series};
};

TEST_F(FlatTest, CorrectsTheImageOnDisplayAndLaterFramesButNeverTwice) {
  open({"a.fit", "b.fit"});
  const std::string flat = halves("flat.fit", 1000, 2000);
  EXPECT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  EXPECT_EQ(std::vector({at(1, 1), at(kWidth, 1)}), std::vector({225, 112}));  // 112.5 to even
  EXPECT_TRUE(series.controls.FlatCheck);
  EXPECT_EQ(command.Flatfilename, flat);
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(at(1, kHeight), 225);
  // A uniform flat has every factor 1; corrected by the first flat it would not.
  const std::string even = halves("even.fit", 1000, 1000);
  command.FlatCheckClick(true, [&] { return even; });
  EXPECT_EQ(command.Flatfilename, even);
  EXPECT_EQ(at(1, 1), 225);  // already corrected: not again
  ASSERT_TRUE(series.BlinkScrollBarChange(1));
  EXPECT_EQ(std::vector({at(1, 1), at(kWidth, 1)}), std::vector({100, 100}));
  EXPECT_EQ(ui.messages, Texts{});
}

TEST_F(FlatTest, SingleImageIsRedisplayedNotTheSeriesFrame) {
  open({"a.fit", "b.fit"});
  const std::string single = halves("single.fit", 200, 200);  // loaded as "Bild laden" does
  ASSERT_TRUE(series.LoadImage(series.img, single));
  win.setImage(series.img.get());
  ASSERT_EQ(command.Flatkorrektur1Click(halves("flat.fit", 1000, 2000)), FlatResult::Applied);
  EXPECT_EQ(series.img->filename, single);
  EXPECT_EQ(at(1, 1), 450);
}

TEST_F(FlatTest, FlatsThatCannotBeAppliedLeaveImageAndPreviousFlat) {
  const std::string flat = halves("flat.fit", 1000, 2000);
  EXPECT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Prepared);  // no image yet
  EXPECT_TRUE(series.flatimg->flatmatrix);
  EXPECT_EQ(command.Flatfilename, flat);
  open({"a.fit", "b.fit"});
  EXPECT_EQ(command.Flatkorrektur1Click(halves("small.fit", 1000, 1000, 40, 30)),
            FlatResult::Mismatch);
  EXPECT_FALSE(series.controls.FlatCheck);
  EXPECT_EQ(at(1, 1), 100);
  EXPECT_TRUE(series.flatimg->flatmatrix);  // kept for the frames to come

  ASSERT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  const Timgbuffer* matrix = series.flatimg.get();
  test::writeBytes(dir.file("broken.fit"), "not an image");
  EXPECT_EQ(command.Flatkorrektur1Click(dir.file("broken.fit")), FlatResult::NotLoaded);
  // bufferMax 3 gives a dark-pixel level round(0.2 * 3) = 1: no usable flat.
  EXPECT_EQ(command.Flatkorrektur1Click(halves("dark.fit", 3, 3)), FlatResult::Unusable);
  EXPECT_EQ(ui.messages, (Texts{"Master Flat passt nicht zu geladenem Bild",
                                "Bild kann nicht geladen werden",
                                "Master Flat kann nicht verwendet werden"}));
  EXPECT_EQ(series.flatimg.get(), matrix);
  EXPECT_EQ(command.Flatfilename, flat);
}

// Frames with a top half of 400 and a bottom half of 1000, shown with the
// levels 0..1000: with gamma 1 the display maps 400 to round(400 * 255 /
// 1000) = 102 and 1000 to 255.
TEST_F(CommandResultTest, JpegExportShowsTheFramesAsDisplayed) {
  constexpr int kW = 32, kH = 24;
  const struct {
    int gammaIndex;
    bool inverted, flipped;
    int top, bottom;  // red of the decoded picture
  } rows[] = {{0, false, false, 102, 255},
              // "2.0": exponent 1/2, 255 * sqrt(0.4) = 161.3; flipped: bright half on top
              {2, true, true, 0, 255 - 161}};
  for (const char* name : {"a.fit", "b.fit"}) {
    frames.push_back(writeImage(name, [](int, int y) { return y <= kH / 2 ? 400 : 1000; }, kW, kH));
  }
  ASSERT_TRUE(series.openSeries(frames));
  series.controls.AutocontrastCheck = false;
  series.controls.LowerScrollBar = 0;
  series.controls.Upperscrollbar = 1000;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.gammaIndex);
    series.controls.GammaIndex = row.gammaIndex;
    series.controls.InvertCheckBox = row.inverted;
    series.controls.Flipcheck = row.flipped;
    const JpegExportResult r = JPGexport(series, dir.file("m.jpg"));
    EXPECT_EQ(std::vector({r.written, r.skipped, series.Activeframe()}), std::vector({2, 0, 2}));
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
      {false, "sky.fit", 1, 2, "sky001.fit"}, {false, "/d/sky.fts", 7, 999, "/d/sky007.fts"},
      {false, "/d/x.fits/sky.FITS", 12, 12, "/d/x.fits/sky012.FITS"},
      {false, "/d.fit/sky", 5, 1000, "/d.fit/sky0005"}, {false, "/d/.fit", 2, 9999, "/d/.fit0002"},
      {false, "sky.fit", 1, 10000, "sky00001.fit"}, {true, "/a/m.jpg", 7, 12, "/a/m007.JPG"},
      {true, "/a/m.jpg", 7, 1200, "/a/m0007.JPG"}, {true, "/a/m", 1000, 1200, "/a/m1000.JPG"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.jpeg ? jpegFrameFilename(r.chosen, r.frame, r.frames)
                     : numberedName(r.chosen, r.frame, frameNumberDigits(r.frames)),
              r.expected);
  }
}

}  // namespace
}  // namespace vargaze
