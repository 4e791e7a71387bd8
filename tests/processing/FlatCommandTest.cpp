// The flat correction command: master flat from a file, correction of the
// image on display and of every frame loaded afterwards.
#include <gtest/gtest.h>

#include "processing/FlatCommand.h"
#include "support/SeriesFixture.h"

namespace vargaze {
namespace {

class FlatCommandTest : public test::SeriesFixture {
 protected:
  std::string writeImage(const std::string& name, int width, int height, double left,
                         double right) {
    std::vector<double> pixels(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      pixels[i] = static_cast<int>(i) % width < width / 2 ? left : right;
    }
    const std::string path = dir.file(name);
    test::writeBytes(path, test::FitsBuilder(16, width, height).pixels(pixels).bytes());
    return path;
  }
  // Left half 1000, right half 2000: mean 1500, sample deviation
  // 500 * sqrt(4800 / 4799) = 500.05, level round(1500 + 750.08) = 2250, so
  // the factors are 2.25 (left) and 1.125 (right).
  std::string twoLevelFlat() { return writeImage("flat.fit", kWidth, kHeight, 1000, 2000); }
  void openTwoFrames() {
    ASSERT_TRUE(series.openSeries({writeFrame("a.fit", {}, "2024-01-01T20:00:00"),
                                   writeFrame("b.fit", {}, "2024-01-01T20:01:00")}));
  }

  FlatCommand command{series};
};

TEST_F(FlatCommandTest, CorrectsTheImageOnDisplayAndLaterFrames) {
  openTwoFrames();
  const std::string flat = twoLevelFlat();
  EXPECT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  EXPECT_EQ(series.img->getpixel(1, 1), 225);       // 100 * 2.25
  EXPECT_EQ(series.img->getpixel(kWidth, 1), 112);  // 112.5, ties to even
  EXPECT_TRUE(series.controls.FlatCheck);
  EXPECT_EQ(command.Flatfilename, flat);
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(series.img->getpixel(1, kHeight), 225);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FlatCommandTest, FlatOfAnotherSizeIsKeptButNotApplied) {
  openTwoFrames();
  EXPECT_EQ(command.Flatkorrektur1Click(writeImage("small.fit", 40, 30, 1000, 1000)),
            FlatResult::Mismatch);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Master Flat passt nicht zu geladenem Bild"});
  EXPECT_FALSE(series.controls.FlatCheck);
  EXPECT_EQ(series.img->getpixel(1, 1), 100);
  EXPECT_TRUE(series.flatimg->flatmatrix);
}

TEST_F(FlatCommandTest, WithoutImageOnlyPreparesTheMatrix) {
  EXPECT_EQ(command.Flatkorrektur1Click(twoLevelFlat()), FlatResult::Prepared);
  EXPECT_TRUE(series.flatimg->flatmatrix);
  EXPECT_FALSE(series.controls.FlatCheck);
  EXPECT_EQ(command.Flatfilename, dir.file("flat.fit"));
}

TEST_F(FlatCommandTest, NewFlatIsNotCorrectedByTheOldOneAndImageNotTwice) {
  openTwoFrames();
  ASSERT_EQ(command.Flatkorrektur1Click(twoLevelFlat()), FlatResult::Applied);
  // A uniform flat has every factor 1; corrected by the first flat it would not.
  const std::string even = writeImage("even.fit", kWidth, kHeight, 1000, 1000);
  command.FlatCheckClick(true, [&] { return even; });
  EXPECT_EQ(command.Flatfilename, even);
  EXPECT_EQ(series.img->getpixel(1, 1), 225);  // already corrected: not again
  ASSERT_TRUE(series.BlinkScrollBarChange(2));
  EXPECT_EQ(series.img->getpixel(1, 1), 100);
  EXPECT_EQ(series.img->getpixel(kWidth, 1), 100);
}

TEST_F(FlatCommandTest, SingleImageIsRedisplayedNotTheSeriesFrame) {
  openTwoFrames();
  // A single image loaded beside the series, as "Bild laden" does.
  const std::string single = writeImage("single.fit", kWidth, kHeight, 200, 200);
  ASSERT_TRUE(series.LoadImage(series.img, single));
  window.setImage(series.img.get());
  ASSERT_EQ(command.Flatkorrektur1Click(twoLevelFlat()), FlatResult::Applied);
  EXPECT_EQ(series.img->filename, single);
  EXPECT_EQ(series.img->getpixel(1, 1), 450);
}

TEST_F(FlatCommandTest, UnreadableOrUnusableFlatKeepsThePreviousOne) {
  openTwoFrames();
  const std::string flat = twoLevelFlat();
  ASSERT_EQ(command.Flatkorrektur1Click(flat), FlatResult::Applied);
  const Timgbuffer* matrix = series.flatimg.get();
  const std::string broken = dir.file("broken.fit");
  test::writeBytes(broken, "not an image");
  EXPECT_EQ(command.Flatkorrektur1Click(broken), FlatResult::NotLoaded);
  // bufferMax 3 gives a dark-pixel level round(0.2 * 3) = 1: no usable flat.
  EXPECT_EQ(command.Flatkorrektur1Click(writeImage("dark.fit", kWidth, kHeight, 3, 3)),
            FlatResult::Unusable);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Bild kann nicht geladen werden",
                                                   "Master Flat kann nicht verwendet werden"}));
  EXPECT_EQ(series.flatimg.get(), matrix);
  EXPECT_EQ(command.Flatfilename, flat);
}

}  // namespace
}  // namespace vargaze
