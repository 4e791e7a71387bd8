// What the processing commands make of frames the tests write: files read
// back and compared with values worked out by hand.
#include <filesystem>
#include <functional>

#include "image/RawConverter.h"
#include "processing/Background.h"
#include "processing/FlatCommand.h"
#include "processing/ImageSave.h"
#include "processing/ProcessingRig.h"
#include "processing/RawToFits.h"
#include "support/Lines.h"

namespace vargaze {
namespace {

using test::kHeight;
using test::kWidth;

class CommandResultTest : public test::ProcessingRig {
 protected:
  // A frame of the rig's size with the pixel values of `value`.
  std::string writeImage(const std::string& name, const std::function<double(int, int)>& value,
                         int width = kWidth, int height = kHeight) {
    std::vector<double> pixels;
    for (int y = 1; y <= height; ++y) {
      for (int x = 1; x <= width; ++x) pixels.push_back(value(x, y));
    }
    test::writeBytes(dir.file(name), test::FitsBuilder(16, width, height).pixels(pixels).bytes());
    return dir.file(name);
  }
  static Timgbuffer readBack(const std::string& path) {
    Timgbuffer img;
    EXPECT_TRUE(img.Readfitsfile(path)) << path;
    return img;
  }
};

TEST_F(CommandResultTest, BackgroundSubtractionTakesEachFramesOwnPlaneFromDisk) {
  frames = {writeImage("a.fit", [](int x, int y) { return 1000 + 2 * x + 3 * y; }),
            writeImage("b.fit", [](int x, int y) { return 3000 - 5 * x + y + (x == 50 ? 900 : 0); })};
  win.AutocenterCheckBox = false;  // centring would climb the slopes
  ASSERT_TRUE(series.openSeries(frames));
  cornerRois();
  series.img->putpixel(20, 20, 60000);  // left by a command in memory: not a frame
  series.controls.LowerScrollBar = 300;
  ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("sky.fit"))) << lastMessage();
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
  EXPECT_EQ(ui.progressSteps, 2);
  EXPECT_EQ(ui.progressDone, 2);
  for (const char* name : {"sky001.fit", "sky002.fit"}) {
    const Timgbuffer out = readBack(dir.file(name));
    ASSERT_EQ(out.xsize, kWidth);
    for (int y = 1; y <= kHeight; ++y) {
      for (int x = 1; x <= kWidth; ++x) {
        const bool column = name == std::string("sky002.fit") && x == 50;
        ASSERT_EQ(out.getpixel(x, y) - out.Offset1, column ? 1000 : 100) << name << x << ',' << y;
      }
    }
  }
  EXPECT_EQ(series.img->filename, dir.file("sky002.fit"));
  EXPECT_EQ(series.Activeframe(), 2);
  EXPECT_EQ(series.controls.LowerScrollBar, 0);
}

TEST_F(CommandResultTest, ImageSaveWritesTheImageAsShownWithItsHeader) {
  open({"a.fit"});
  series.FlipcheckClick(true);
  ASSERT_TRUE(Saveimage1Click(series, dir.file("out.fit")));
  const Timgbuffer back = readBack(dir.file("out.fit"));
  EXPECT_EQ(back.getpixel(30, kHeight + 1 - 30), 20100);  // flipped as displayed
  EXPECT_EQ(back.getpixel(30, 30), 100);
  EXPECT_EQ(back.Datetime.substr(0, 19), "2024-03-01T20:00:00");
  EXPECT_DOUBLE_EQ(back.Exposure, 60.0);
}

TEST_F(CommandResultTest, DcfPulsesFromTheLampFrames) {
  openDcf({true, true, false, false, true, false});
  ASSERT_TRUE(getDCFtime1Click(series, dir.file("dcf.prn")).has_value());
  // A lit frame: 9 lamp pixels of 200 - 10 above the sky, 1710 counts.
  EXPECT_EQ(test::crlfLines(test::readBytes(dir.file("dcf.prn"))),
            (std::vector<std::string>{"1, 1, 3420, 0", "5, 1, 1710, 4",
                                      "mittl. intervall=4 mittl. counts=1710", "Jahr=unbekannt"}));
  EXPECT_EQ(series.img->filename, dir.file("f6.bmp"));  // the last frame stays on display
  EXPECT_EQ(series.Activeframe(), 6);
}

// Counts what RecordingUi does not keep: the progress window closing.
struct ClosingUi : test::RecordingUi {
  void progressStop() override { ++stops; }
  int stops = 0;
};

TEST_F(CommandResultTest, RawToFitsOneChannelOfTheChosenRawFiles) {
  ClosingUi closing;
  Series own{settings, closing, win};
  const std::string first = rawFile("IMG_0001.CR2");
  const std::string second = rawFile("img_0002.cr2");  // lower case counts too
  own.RGBcolornumber = 3;
  const RawToFitsResult r = RawtoFitskonvertieren1Click(
      own, {first, dir.file("photo.jpg"), second}, [] { return std::uint8_t{1}; });
  EXPECT_TRUE(r.listReplaced);
  EXPECT_EQ(own.filelist1, (std::vector<std::string>{first, second}));
  EXPECT_EQ(own.FramesLoaded, 2);
  EXPECT_EQ(r.written,
            (std::vector<std::string>{dir.file("IMG_0001_R.fit"), dir.file("img_0002_R.fit")}));
  const Timgbuffer red = readBack(dir.file("IMG_0001_R.fit"));
  EXPECT_EQ(red.xsize, 2);  // portrait turned to landscape, bottom sample first
  EXPECT_EQ(red.getpixel(1, 1), 4);
  EXPECT_EQ(red.getpixel(2, 1), 1);
  EXPECT_EQ(red.FilterName, "TR");
  EXPECT_EQ(own.RGBcolornumber, 3);  // the series' channel is given back
  EXPECT_EQ(closing.stops, 1);
  EXPECT_EQ(closing.progressDone, 2);
  EXPECT_FALSE(std::filesystem::exists(rawPpmFilename(first)));
  EXPECT_FALSE(own.imageLoaded);  // the old image is not a frame of the new list
  EXPECT_EQ(settings.StartupDir, dir.file(""));
}

TEST_F(CommandResultTest, RawToFitsAllThreeChannelsMarkedAndOnlyNewPicturesRemoved) {
  const std::string raw = rawFile("IMG_0001.CR2");
  const std::string kept = rawFile("IMG_0002.CR2");
  test::writeBytes(rawPpmFilename(kept), "older");
  const RawToFitsResult r =
      RawtoFitskonvertieren1Click(series, {raw, kept}, [] { return kRawChannelAll; });
  ASSERT_EQ(r.written.size(), 6u);
  for (int c = 0; c < 3; ++c) {
    const std::string colour(1, "RGB"[c]);
    const Timgbuffer plane = readBack(dir.file("IMG_0001_" + colour + ".fit"));
    EXPECT_EQ(plane.FilterName, "T" + colour);
    EXPECT_EQ(plane.getpixel(1, 1), 4 + c);
    EXPECT_EQ(plane.getpixel(2, 1), 1 + c);
    EXPECT_EQ(plane.Datetime.substr(0, 19), "2026-12-05T13:33:08");
  }
  EXPECT_FALSE(std::filesystem::exists(rawPpmFilename(raw)));
  EXPECT_TRUE(std::filesystem::exists(rawPpmFilename(kept)));
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
  FlatCommand command{series};
};

TEST_F(FlatTest, CorrectsTheImageOnDisplayAndLaterFramesButNeverTwice) {
  open({"a.fit", "b.fit"});
  const std::string flat = halves("flat.fit", 1000, 2000);
  EXPECT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  EXPECT_EQ(series.img->getpixel(1, 1), 225);       // 100 * 2.25
  EXPECT_EQ(series.img->getpixel(kWidth, 1), 112);  // 112.5, ties to even
  EXPECT_TRUE(series.controls.FlatCheck);
  EXPECT_EQ(command.Flatfilename, flat);
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(series.img->getpixel(1, kHeight), 225);
  // A uniform flat has every factor 1; corrected by the first flat it would not.
  const std::string even = halves("even.fit", 1000, 1000);
  command.FlatCheckClick(true, [&] { return even; });
  EXPECT_EQ(command.Flatfilename, even);
  EXPECT_EQ(series.img->getpixel(1, 1), 225);  // already corrected: not again
  ASSERT_TRUE(series.BlinkScrollBarChange(1));
  EXPECT_EQ(series.img->getpixel(1, 1), 100);
  EXPECT_EQ(series.img->getpixel(kWidth, 1), 100);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FlatTest, SingleImageIsRedisplayedNotTheSeriesFrame) {
  open({"a.fit", "b.fit"});
  // A single image loaded beside the series, as "Bild laden" does.
  const std::string single = halves("single.fit", 200, 200);
  ASSERT_TRUE(series.LoadImage(series.img, single));
  win.setImage(series.img.get());
  ASSERT_EQ(command.Flatkorrektur1Click(halves("flat.fit", 1000, 2000)), FlatResult::Applied);
  EXPECT_EQ(series.img->filename, single);
  EXPECT_EQ(series.img->getpixel(1, 1), 450);
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
  EXPECT_EQ(series.img->getpixel(1, 1), 100);
  EXPECT_TRUE(series.flatimg->flatmatrix);  // kept for the frames to come

  ASSERT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  const Timgbuffer* matrix = series.flatimg.get();
  test::writeBytes(dir.file("broken.fit"), "not an image");
  EXPECT_EQ(command.Flatkorrektur1Click(dir.file("broken.fit")), FlatResult::NotLoaded);
  // bufferMax 3 gives a dark-pixel level round(0.2 * 3) = 1: no usable flat.
  EXPECT_EQ(command.Flatkorrektur1Click(halves("dark.fit", 3, 3)), FlatResult::Unusable);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Master Flat passt nicht zu geladenem Bild",
                                                   "Bild kann nicht geladen werden",
                                                   "Master Flat kann nicht verwendet werden"}));
  EXPECT_EQ(series.flatimg.get(), matrix);
  EXPECT_EQ(command.Flatfilename, flat);
}

}  // namespace
}  // namespace vargaze
