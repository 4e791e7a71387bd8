// "Background Subtraktion" over a small series: frames with a known sky plane
// written by the test, ring ROIs on the sky, numbered output files.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "photometry/RoiWindow.h"
#include "processing/Background.h"
#include "processing/NumberedOutput.h"
#include "series/Series.h"
#include "support/FitsBuilder.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

using test::TempDir;

constexpr int kW = 40;
constexpr int kH = 30;
using Sky = std::function<int(int, int)>;

class BackgroundTest : public ::testing::Test {
 protected:
  BackgroundTest() { win.AutocenterCheckBox = false; }

  std::string writeFrame(const std::string& name, const Sky& sky) {
    std::vector<double> pixels;
    for (int y = 1; y <= kH; ++y) {
      for (int x = 1; x <= kW; ++x) pixels.push_back(sky(x, y));
    }
    const std::string path = dir.file(name);
    test::writeBytes(path, test::FitsBuilder(16, kW, kH).pixels(pixels).bytes());
    return path;
  }

  // A ROI whose background ring lies around it: for a linear sky the ring's
  // mean is the sky at the centre.
  void addRingRoi(int x, int y) {
    const std::int32_t n = win.Newroi(x - 1, y - 1);
    win.BGROI1(n, x - 1, y - 1);
  }
  void addCornerRois() {
    for (const auto& [x, y] : {std::pair{6, 6}, {35, 6}, {6, 25}, {35, 25}}) addRingRoi(x, y);
  }

  Timgbuffer readBack(const std::string& path) {
    Timgbuffer img;
    EXPECT_TRUE(img.Readfitsfile(path)) << path;
    return img;
  }

  TempDir dir;
  Settings settings;
  test::RecordingUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow win{settings, ui, flags, imgwin};
  Series series{settings, ui, win};
};

TEST_F(BackgroundTest, EachFrameLosesItsOwnPlaneAndIsWrittenNumbered) {
  const std::string f1 = writeFrame(
      "a.fit", [](int x, int y) { return 1000 + 2 * x + 3 * y + (x == 20 && y == 15 ? 5000 : 0); });
  const std::string f2 = writeFrame("b.fit", [](int x, int y) { return 3000 - 5 * x + y; });
  ASSERT_TRUE(series.openSeries({f1, f2}));
  addCornerRois();

  ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
  EXPECT_EQ(ui.progressSteps, 2);
  EXPECT_EQ(ui.progressDone, 2);
  for (const std::string name : {"sky001.fit", "sky002.fit"}) {
    const Timgbuffer out = readBack(dir.file(name));
    ASSERT_EQ(out.xsize, kW);
    for (int y = 1; y <= kH; ++y) {
      for (int x = 1; x <= kW; ++x) {
        const bool star = name == std::string("sky001.fit") && x == 20 && y == 15;
        ASSERT_EQ(out.getpixel(x, y) - out.Offset1, star ? 5100 : 100) << name << x << "," << y;
      }
    }
  }
  EXPECT_EQ(series.img->Offset1, 0.0);
  EXPECT_EQ(series.img->filename, dir.file("sky002.fit"));
  EXPECT_EQ(series.Activeframe(), 2);
}

TEST_F(BackgroundTest, CollinearRoisOnlyAddThePedestal) {
  const std::string f1 = writeFrame("a.fit", [](int x, int y) { return 700 + 4 * x + y; });
  ASSERT_TRUE(series.openSeries({f1}));
  for (int x : {6, 14, 22, 30}) addRingRoi(x, 15);
  ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("flat.fit")));
  const Timgbuffer out = readBack(dir.file("flat001.fit"));
  for (const auto& [x, y] : {std::pair{1, 1}, {40, 30}, {17, 9}}) {
    EXPECT_EQ(out.getpixel(x, y) - out.Offset1, 700 + 4 * x + y + 100);
  }
}

TEST_F(BackgroundTest, AFrameIsTakenFromDiskNotFromAnImageProcessedInMemory) {
  const std::string f1 = writeFrame("a.fit", [](int x, int y) { return 1000 + x + y; });
  ASSERT_TRUE(series.openSeries({f1}));
  addCornerRois();
  series.img->putpixel(10, 10, 60000);  // what an in-memory command left behind
  ASSERT_TRUE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
  EXPECT_EQ(readBack(dir.file("sky001.fit")).getpixel(10, 10), 100);
}

TEST_F(BackgroundTest, AnOutputNameThatIsAFrameIsRefused) {
  const std::string f1 = writeFrame("sky001.fit", [](int x, int) { return 500 + x; });
  const std::string f2 = writeFrame("sky002.fit", [](int x, int) { return 500 + x; });
  const std::string before = test::readBytes(f1);
  ASSERT_TRUE(series.openSeries({f1, f2}));
  addCornerRois();
  EXPECT_FALSE(Backgroundsubtraction1Click(series, dir.path().string() + "/./sky.fit"));
  EXPECT_EQ(ui.messages.back(),
            "Zieldatei gehört zur Serie: " + dir.path().string() + "/./sky001.fit");
  EXPECT_EQ(test::readBytes(f1), before);
  EXPECT_EQ(test::readBytes(f2), test::readBytes(f1));
}

TEST_F(BackgroundTest, RefusalsWriteNothing) {
  EXPECT_FALSE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
  EXPECT_EQ(ui.messages.back(), "Kein Bild geladen");

  const std::string f1 = writeFrame("a.fit", [](int x, int y) { return 800 + x + y; });
  ASSERT_TRUE(series.openSeries({f1}));
  EXPECT_FALSE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
  EXPECT_EQ(ui.messages.back(), "Kein Background definiert.");

  for (const auto& [x, y] : {std::pair{6, 6}, {35, 6}, {6, 25}}) addRingRoi(x, y);
  EXPECT_FALSE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
  EXPECT_EQ(ui.messages.back(), "zu wenig Messpunkte");
  EXPECT_FALSE(std::filesystem::exists(dir.file("sky001.fit")));
}

TEST_F(BackgroundTest, FramesWrittenBeforeAFailureStay) {
  const std::string f1 = writeFrame("a.fit", [](int x, int y) { return 800 + x + y; });
  const std::string f2 = writeFrame("b.fit", [](int x, int y) { return 800 + x + y; });
  ASSERT_TRUE(series.openSeries({f1, f2}));
  addCornerRois();
  std::filesystem::remove(f2);
  EXPECT_FALSE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("sky001.fit")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("sky002.fit")));
  EXPECT_EQ(ui.messages.back(), "Fehler beim Laden der Datei " + f2);
}

TEST_F(BackgroundTest, AFailedWriteIsReported) {
  const std::string f1 = writeFrame("a.fit", [](int x, int y) { return 800 + x + y; });
  ASSERT_TRUE(series.openSeries({f1}));
  addCornerRois();
  const std::string target = dir.file("missing/sky.fit");
  EXPECT_FALSE(Backgroundsubtraction1Click(series, target));
  EXPECT_EQ(ui.messages.back(),
            "Fehler beim Speichern der Datei " + dir.file("missing/sky001.fit"));
}

TEST_F(BackgroundTest, CancelStopsBetweenFrames) {
  const std::string f1 = writeFrame("a.fit", [](int x, int y) { return 800 + x + y; });
  const std::string f2 = writeFrame("b.fit", [](int x, int y) { return 800 + x + y; });
  ASSERT_TRUE(series.openSeries({f1, f2}));
  addCornerRois();
  ui.cancelAfterEvents = ui.eventsProcessed + 2;  // the second frame's round
  EXPECT_FALSE(Backgroundsubtraction1Click(series, dir.file("sky.fit")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("sky001.fit")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("sky002.fit")));
  EXPECT_FALSE(series.runActive);
}

TEST(NumberedOutput, NumberGoesBeforeTheExtensionOfTheFileName) {
  EXPECT_EQ(numberedName("sky.fit", 1, 3), "sky001.fit");
  EXPECT_EQ(numberedName("/d/x.fits/sky.FITS", 12, 3), "/d/x.fits/sky012.FITS");
  EXPECT_EQ(numberedName("/d/sky.fts", 7, 3), "/d/sky007.fts");
  EXPECT_EQ(numberedName("/d.fit/sky", 5, 3), "/d.fit/sky005");
  EXPECT_EQ(numberedName("/d/.fit", 2, 3), "/d/.fit002");
}

TEST(NumberedOutput, FrameNumbersAbove999WidenTheFieldForEveryFrame) {
  EXPECT_EQ(frameNumberDigits(1), 3);
  EXPECT_EQ(frameNumberDigits(999), 3);
  EXPECT_EQ(frameNumberDigits(1000), 4);
  EXPECT_EQ(frameNumberDigits(10000), 5);
  const int digits = frameNumberDigits(1200);
  EXPECT_EQ(numberedName("sky.fit", 7, digits), "sky0007.fit");
  EXPECT_EQ(numberedName("sky.fit", 1000, digits), "sky1000.fit");
  std::set<std::string> names;
  for (int i = 1; i <= 1200; ++i) names.insert(numberedName("sky.fit", i, digits));
  EXPECT_EQ(names.size(), 1200u);
  EXPECT_EQ(*names.begin(), "sky0001.fit");
  EXPECT_EQ(*names.rbegin(), "sky1200.fit");
}

}  // namespace
}  // namespace vargaze
