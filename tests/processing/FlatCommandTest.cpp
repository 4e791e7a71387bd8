// The flat correction command: master flat from a file, correction of the
// image on display and of every frame loaded afterwards.
#include <gtest/gtest.h>

#include "processing/FlatCommand.h"
#include "series/SeriesFixture.h"

namespace vargaze {
namespace {

class FlatCommandTest : public test::SeriesFixture {
 protected:
  // A flat whose left half reads 1000 and right half 2000. Mean 1500, sample
  // deviation 500 * sqrt(4800 / 4799) = 500.052, so the normalisation level
  // is round(1500 + 750.08) = 2250: factors 2.25 (left) and 1.125 (right).
  std::string writeTwoLevelFlat(const std::string& name) {
    std::vector<double> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = x < kWidth / 2 ? 1000 : 2000;
    }
    return writeImage(name, kWidth, kHeight, pixels);
  }

  std::string writeImage(const std::string& name, int width, int height,
                         const std::vector<double>& pixels) {
    const std::string path = dir.file(name);
    test::writeBytes(path, test::FitsBuilder(16, width, height).pixels(pixels).bytes());
    return path;
  }

  std::string writeUniform(const std::string& name, int width, int height, double value) {
    return writeImage(name, width, height, std::vector<double>(width * height, value));
  }

  FlatCommand command{series};
};

TEST_F(FlatCommandTest, CorrectsTheImageOnDisplayAndSwitchesCorrectionOn) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00")}));
  const std::string flat = writeTwoLevelFlat("flat.fit");
  EXPECT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  EXPECT_EQ(series.img->getpixel(1, 1), 225);        // 100 * 2.25
  EXPECT_EQ(series.img->getpixel(kWidth, 1), 112);   // 100 * 1.125 = 112.5, ties to even
  EXPECT_TRUE(series.img->flatcorrected);
  EXPECT_TRUE(series.controls.FlatCheck);
  EXPECT_EQ(command.Flatfilename, flat);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FlatCommandTest, FramesLoadedAfterwardsAreCorrected) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00"),
                                 writeFrame("b.fit", {}, "2024-01-01T20:01:00")}));
  ASSERT_EQ(command.Flatkorrektur1Click(writeTwoLevelFlat("flat.fit")), FlatResult::Applied);
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(series.img->getpixel(1, 1), 225);
  EXPECT_EQ(series.img->getpixel(kWidth, kHeight), 112);
}

TEST_F(FlatCommandTest, FlatOfAnotherSizeIsKeptButNotApplied) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00")}));
  EXPECT_EQ(command.Flatkorrektur1Click(writeUniform("small.fit", 40, 30, 1000)),
            FlatResult::Mismatch);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Master Flat passt nicht zu geladenem Bild"});
  EXPECT_FALSE(series.controls.FlatCheck);
  EXPECT_EQ(series.img->getpixel(1, 1), 100);
  ASSERT_TRUE(series.flatimg);
  EXPECT_TRUE(series.flatimg->flatmatrix);
  EXPECT_EQ(series.flatimg->xsize, 40);
}

TEST_F(FlatCommandTest, WithoutImageOnlyPreparesTheMatrix) {
  const std::string flat = writeTwoLevelFlat("flat.fit");
  EXPECT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Prepared);
  ASSERT_TRUE(series.flatimg);
  EXPECT_TRUE(series.flatimg->flatmatrix);
  EXPECT_EQ(command.Flatfilename, flat);
  EXPECT_FALSE(series.controls.FlatCheck);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FlatCommandTest, NewFlatIsNotCorrectedByTheOldOneAndImageNotTwice) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00"),
                                 writeFrame("b.fit", {}, "2024-01-01T20:01:00")}));
  ASSERT_EQ(command.Flatkorrektur1Click(writeTwoLevelFlat("flat.fit")), FlatResult::Applied);
  // A uniform flat has every factor 1; corrected by the first flat it would not.
  EXPECT_EQ(command.Flatkorrektur1Click(writeUniform("even.fit", kWidth, kHeight, 1000)),
            FlatResult::Applied);
  EXPECT_EQ(series.img->getpixel(1, 1), 225);  // already corrected: not again
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(series.img->getpixel(1, 1), 100);
  EXPECT_EQ(series.img->getpixel(kWidth, 1), 100);
}

TEST_F(FlatCommandTest, SingleImageIsRedisplayedNotTheSeriesFrame) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00")}));
  // A single image loaded beside the series, as "Bild laden" does.
  const std::string single = writeUniform("single.fit", kWidth, kHeight, 200);
  ASSERT_TRUE(series.LoadImage(series.img, single));
  window.setImage(series.img.get());
  ASSERT_EQ(command.Flatkorrektur1Click(writeTwoLevelFlat("flat.fit")), FlatResult::Applied);
  EXPECT_EQ(series.img->filename, single);
  EXPECT_EQ(series.img->getpixel(1, 1), 450);
  EXPECT_EQ(series.img->getpixel(kWidth, 1), 225);
}

TEST_F(FlatCommandTest, UnreadableOrUnusableFlatKeepsThePreviousOne) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00")}));
  const std::string flat = writeTwoLevelFlat("flat.fit");
  ASSERT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  const Timgbuffer* matrix = series.flatimg.get();

  const std::string broken = dir.file("broken.fit");
  test::writeBytes(broken, "not an image");
  EXPECT_EQ(command.Flatkorrektur1Click(broken), FlatResult::NotLoaded);
  // bufferMax 3: the dark-pixel level round(0.2 * 3) would be 1 and useless.
  EXPECT_EQ(command.Flatkorrektur1Click(writeUniform("dark.fit", kWidth, kHeight, 3)),
            FlatResult::Unusable);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Bild kann nicht geladen werden",
                                                   "Master Flat kann nicht verwendet werden"}));
  EXPECT_EQ(series.flatimg.get(), matrix);
  EXPECT_EQ(command.Flatfilename, flat);
  EXPECT_TRUE(series.controls.FlatCheck);
}

TEST_F(FlatCommandTest, CheckBoxAsksForTheFlatAndUncheckingStopsCorrection) {
  ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00"),
                                 writeFrame("b.fit", {}, "2024-01-01T20:01:00")}));
  command.FlatCheckClick(true, [] { return std::string(); });  // dialog cancelled
  EXPECT_FALSE(series.controls.FlatCheck);
  EXPECT_FALSE(series.flatimg);

  const std::string flat = writeTwoLevelFlat("flat.fit");
  command.FlatCheckClick(true, [&] { return flat; });
  EXPECT_TRUE(series.controls.FlatCheck);
  EXPECT_EQ(series.img->getpixel(1, 1), 225);

  command.FlatCheckClick(false, {});
  EXPECT_FALSE(series.controls.FlatCheck);
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(series.img->getpixel(1, 1), 100);
}

}  // namespace
}  // namespace vargaze
