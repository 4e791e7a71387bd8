// The automatic star marker: medians, thresholds, the window grid, the S/N
// filter, cancelling and the command around the search.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "base/Errors.h"
#include "photometry/StarFinder.h"

namespace vargaze {
namespace {

using Position = std::pair<std::int32_t, std::int32_t>;

TEST(StarFinderTest, MediansThresholdsAndBackground) {
  Timgbuffer img;
  const std::int32_t block[3][3] = {{9, 1, 8}, {2, 7, 3}, {6, 4, 5}};
  test::fillImage(img, 5, 5, [&](int x, int y) {
    return x >= 2 && x <= 4 && y >= 2 && y <= 4 ? block[x - 2][y - 2] : 10;
  });
  EXPECT_EQ(getMedian(img, 3, 3), 5);
  EXPECT_EQ(getMedian(img, 1, 1), 0);  // five of the nine pixels lie outside and count 0
  test::fillImage(img, 5, 5, [](int x, int y) { return x == 3 && y == 3 ? 60000 : 10; });
  EXPECT_EQ(getMedian(img, 3, 3), 10);  // one hot pixel does not make a star

  // t1 = bg + 10 sqrt(bg / gain), t2 = bg + 3 % and t3 = bg + 10 % of the
  // range up to the limit, never below t1; a gain of 0 counts as 2.
  struct Case { std::int32_t bg; double gain; std::int32_t max, t1, t2, t3; };
  const Case cases[] = {{100, 1.0, 60000, 200, 1897, 6090}, {100, 1.0, 150, 200, 200, 200},
                        {100, 1.0, 1000, 200, 200, 200},   {200, 0.0, 60000, 300, 1994, 6180}};
  for (const Case& c : cases) {
    const StarThresholds t = starThresholds(c.bg, c.gain, c.max);
    EXPECT_EQ(std::vector({t.t1, t.t2, t.t3}), std::vector({c.t1, c.t2, c.t3})) << c.bg << " " << c.max;
    EXPECT_EQ(std::vector({thresholdFor(t, 0), thresholdFor(t, 1), thresholdFor(t, 2)}),
              std::vector({c.t3, c.t2, c.t1}));
  }
  EXPECT_THROW(thresholdFor(StarThresholds{}, 3), RangeError);

  // 799 pixels of 100 and 799 of 200 with a maximum of 1020 (scale 0.25):
  // equal bins, the first one wins (100 -> bin 25 -> 25 / 0.25).
  test::fillImage(img, 40, 40, [](int x, int y) {
    return x == 1 && y == 40 ? 1020 : x == 2 && y == 40 ? 50 : y > 20 ? 200 : 100;
  });
  const Timghistogram hist = starfindHistogram(img);
  EXPECT_EQ(hist.Max, 1020);
  EXPECT_EQ(histogramBackground(hist), 100);
}

TEST(StarFinderTest, FindStars) {
  const std::vector<Position> three = {{30, 40}, {70, 25}, {55, 75}};
  struct Case {
    const char* what;
    std::vector<Position> stars;
    std::vector<double> peaks;  // 3000 where not given
    std::int32_t minSN, max;
    std::optional<ImageRect> rect;
    bool autocentre = false;
    bool clickFirst = false;  // a ROI on the first star before the search
    int cancelAfter = -1;
    std::vector<Position> found;  // window rows run from the top
    int steps = 18;               // 100 div 5 - 2 window rows
  };
  const Case cases[] = {
      {"each star once at its pixel", three, {}, 3, 60000, {}, false, false, -1, {{70, 25}, {30, 40}, {55, 75}}},
      {"centred ROIs stay on the stars", three, {}, 3, 60000, {}, true, false, -1, {{70, 25}, {30, 40}, {55, 75}}},
      {"saturated star skipped", {{30, 40}, {70, 25}}, {8000, 2000}, 3, 4000, {}, false, false, -1, {{70, 25}}},
      {"star of an existing ROI", three, {}, 3, 60000, {}, true, true, -1, {{30, 40}, {70, 25}, {55, 75}}},
      {"faint star passes S/N 3", {{30, 40}, {70, 25}}, {3000, 150}, 3, 60000, {}, false, false, -1, {{70, 25}, {30, 40}}},
      // The faint star's ROI was made first and deleted again.
      {"faint star misses S/N 100", {{30, 40}, {70, 25}}, {3000, 150}, 100, 60000, {}, false, false, -1, {{30, 40}}},
      {"cancel keeps what was found", {{10, 10}, {50, 50}}, {}, 3, 60000, {}, false, false, 1, {{10, 10}}, 18},
      // Windows from (25, 25): 60 div 5 - 2 columns, 40 div 5 - 2 rows;
      // the star in row 25 lies on the first window row's edge.
      {"user rectangle", three, {}, 3, 60000, ImageRect{20, 20, 80, 60}, false, false, -1, {{30, 40}}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Rig rig;
    rig.width = rig.height = 100;
    rig.draw();
    for (std::size_t i = 0; i < c.stars.size(); ++i)
      test::addPeakStar(rig.img, c.stars[i].first, c.stars[i].second, i < c.peaks.size() ? c.peaks[i] : 3000, 1.5);
    rig.win.AutocenterCheckBox = c.autocentre;
    if (c.clickFirst) rig.win.Newroi(c.stars[0].first - 1, c.stars[0].second - 1);
    rig.ui.cancelAfterEvents = c.cancelAfter;
    EXPECT_EQ(FindStars(rig.win, rig.img, 200, c.minSN, c.max, c.rect), int(c.found.size()) - c.clickFirst);
    std::vector<Position> found;
    for (const TRoi1& r : rig.win.ROIlist) {
      found.emplace_back(r.xa, r.ya);
      EXPECT_EQ(r.num, int(found.size()));
      EXPECT_EQ(std::pair(r.x0a, r.y0a), found.back());
      if (c.clickFirst && r.num == 1) continue;  // no background placed
      EXPECT_TRUE(r.ringMode());
      EXPECT_GT(r.net(), 0);
    }
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(rig.win.ROIindex, int(c.found.size()));
    EXPECT_EQ(rig.ui.progressSteps, c.steps);
    EXPECT_EQ(rig.ui.progressDone, c.cancelAfter < 0 ? c.steps : c.cancelAfter);
    EXPECT_EQ(rig.ui.eventsProcessed, c.cancelAfter < 0 ? c.steps : c.cancelAfter);
  }
}

TEST(StarFinderTest, BoxWithoutCountsPassesNoMinimum) {
  test::Rig rig;
  test::fillImage(rig.img, 100, 100, [](int, int) { return -1000; });
  test::addPeakStar(rig.img, 30, 40, 3000, 1.0);
  // Premise: the star's median peak is positive but its 5 x 5 box sums below 0.
  ASSERT_LE(test::plainSum(rig.img, 28, 38, 32, 42), 0);
  ASSERT_GT(getMedian(rig.img, 30, 40), 0);
  EXPECT_EQ(FindStars(rig.win, rig.img, 0, 0, 60000), 0);
  EXPECT_EQ(rig.win.count(), 0);
}

TEST(StarFinderTest, CommandWithAndWithoutImage) {
  test::Rig rig;
  rig.win.setImage(nullptr);
  StarfindDialog dialog;
  EXPECT_FALSE(prepareFindstars(rig.win, dialog));
  EXPECT_EQ(findstars(rig.win, dialog), 0);
  EXPECT_EQ(rig.ui.messages, (std::vector<std::string>{"Kein Bild geladen", "Kein Bild geladen"}));

  rig.width = rig.height = 100;
  rig.draw();
  for (const auto& [x, y] : {Position{30, 40}, Position{70, 25}, Position{55, 75}})
    test::addPeakStar(rig.img, x, y, 3000, 1.5);
  rig.win.setImage(&rig.img);
  ASSERT_TRUE(prepareFindstars(rig.win, dialog));
  EXPECT_EQ(dialog.MaxcountEdit.value, 3100);  // the brightest pixel: sky + peak
  EXPECT_EQ(findstars(rig.win, dialog), 3);
  EXPECT_EQ(rig.win.count(), 3);
  EXPECT_EQ(rig.lastMessage(), "3 Sterne gefunden");
}

}  // namespace
}  // namespace vargaze
