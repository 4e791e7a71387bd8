// Counting, centring, tracking, star finding and the noise model on synthetic
// frames, against plain pixel sums, positions and figures worked out here.
#include <gtest/gtest.h>

#include "PhotometryRig.h"
#include "photometry/Aperture.h"
#include "photometry/SignalNoise.h"
#include "photometry/StarFinder.h"
#include "photometry/Tracking.h"

namespace vargaze {
namespace {

using test::fillImage;
using test::plainSum;
using test::ringRoi;
using Position = std::pair<std::int32_t, std::int32_t>;

// A sloped sky with three stars: every pixel differs.
Timgbuffer starField() {
  Timgbuffer img;
  fillImage(img, 120, 90, [](int x, int y) {
    return int(std::lround(500 + 3 * x + 2 * y + test::gaussian(40.3, 30.7, 4400, 1.7, x, y) +
                           test::gaussian(90.6, 60.2, 1080, 2.1, x, y) +
                           test::gaussian(20.0, 75.0, 3540, 1.5, x, y)));
  });
  return img;
}

TEST(ApertureTest, RingCountsEqualPlainSums) {
  // Sides of the squares: an even size counts the next smaller odd square,
  // the inner ring size d_in leaves out a (2 * (d_in / 2) - 1) square.
  struct Case { int d, dIn, dOut, star, inner, outer; };
  const Case cases[] = {{5, 7, 9, 5, 5, 9}, {6, 8, 9, 5, 7, 9}, {11, 8, 15, 11, 7, 15}, {6, 11, 13, 5, 9, 13}};
  const Timgbuffer img = starField();
  const auto square = [&](int side) {
    return plainSum(img, 40 - side / 2, 31 - side / 2, 40 + side / 2, 31 + side / 2);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.d << " " << c.dIn << " " << c.dOut);
    TRoi1 r = ringRoi(40, 31, c.d);
    bool empty = false;
    countAperture(img, r, c.dIn, c.dOut, empty);
    const int ring = c.outer * c.outer - c.inner * c.inner;
    EXPECT_EQ(std::vector({r.acounts, std::int64_t{r.npixa}, std::int64_t{r.npixb}}),
              std::vector({square(c.star), std::int64_t{c.star * c.star}, std::int64_t{ring}}));
    EXPECT_EQ(r.bcounts, std::llround(double(r.npixa) / ring * double(square(c.outer) - square(c.inner))));
    EXPECT_FALSE(empty);
  }
  // A separate sky box of the star box's size (scale 1); an outer ring
  // square smaller than the inner one.
  TRoi1 r = ringRoi(40, 31, 7);
  std::tie(r.xb, r.x0b, r.yb, r.y0b) = std::tuple(70, 70, 20, 20);
  bool empty = false;
  countAperture(img, r, 0, 9, empty);
  EXPECT_EQ(std::vector({r.acounts, r.bcounts, std::int64_t{r.npixb}}),
            std::vector({plainSum(img, 37, 28, 43, 34), plainSum(img, 67, 17, 73, 23), std::int64_t{49}}));
  r = ringRoi(40, 31, 5);
  countAperture(img, r, 11, 9, empty);
  EXPECT_EQ(std::tuple(empty, r.npixb, r.bcounts), std::tuple(true, 0, std::int64_t{0}));
}

TEST(ApertureTest, BoxesReachingOutsideTheImageCountNothing) {
  const Timgbuffer img = starField();
  bool empty = false;
  // Star box at the left edge (left column 1), beyond the right, top and bottom edges.
  for (auto [x, y] : {Position{3, 40}, Position{119, 40}, Position{60, 2}, Position{60, 89}}) {
    TRoi1 r = ringRoi(x, y, 5);
    countAperture(img, r, 7, 9, empty);
    EXPECT_EQ(std::vector({r.acounts, std::int64_t{r.npixa}, std::int64_t{r.amaxcounts}, std::int64_t{r.npixb}}),
              std::vector<std::int64_t>(4, 0)) << x << "," << y;
  }
  // Star box inside, ring reaching outside: no background, never a partial one.
  TRoi1 r = ringRoi(6, 40, 5);
  countAperture(img, r, 7, 13, empty);
  EXPECT_EQ(std::vector({r.acounts, r.bcounts, std::int64_t{r.npixb}}),
            std::vector({plainSum(img, 4, 38, 8, 42), std::int64_t{0}, std::int64_t{0}}));
  // Touching the last column and row, or starting at column 2, is inside.
  for (auto [x, y] : {Position{118, 88}, Position{4, 3}}) {
    r = ringRoi(x, y, 5);
    countAperture(img, r, 0, 0, empty);
    EXPECT_EQ(r.acounts, plainSum(img, x - 2, y - 2, x + 2, y + 2)) << x << "," << y;
  }
}

TEST(CenteringTest, CentroidMaximumSearchBoxAndTies) {
  // Bright pixels on a sky of 100 around a ROI started at `start`, now at `now`.
  struct Case { const char* what; bool maximum; std::vector<std::pair<Position, int>> pixels; int d;
                Position start, now; double vx, vy; Position centre; };
  // Equal peaks: the smaller column comes first in the scan (the second square holds only that
  // peak). A shift of round(0.4) = 0, round(-0.6) = -1 puts the box around (30, 29), not around
  // the current centre with its brighter star.
  const Case cases[] = {
      {"first of equal maxima", false, {{{27, 33}, 1000}, {{33, 27}, 1000}}, 5, {30, 30}, {30, 30}, 0, 0, {27, 33}},
      {"shift from the start", true, {{{30, 29}, 5000}, {{36, 36}, 9000}}, 3, {30, 30}, {36, 36}, 0.4, -0.6, {30, 29}},
      {"box left of column 2", false, {{{4, 20}, 900}}, 7, {3, 20}, {3, 20}, 0, 0, {3, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Timgbuffer img;
    fillImage(img, 60, 60, [&](int x, int y) {
      for (const auto& [at, v] : c.pixels)
        if (at == Position(x, y)) return v;
      return 100;
    });
    TRoi1 r = ringRoi(c.start.first, c.start.second, c.d);
    std::tie(r.xa, r.ya) = c.now;
    (c.maximum ? centerROI_m : centerROI_s)(img, r, c.vx, c.vy);
    EXPECT_EQ(Position(r.xa, r.ya), c.centre);
  }
  // A saturated 3 x 2 plateau: the rounded mean of its positions (26.5 to even); the ring follows.
  Timgbuffer img;
  fillImage(img, 60, 60, [](int x, int y) { return x >= 30 && x <= 32 && y >= 26 && y <= 27 ? 65535 : 0; });
  TRoi1 s = ringRoi(28, 28, 7);
  centerROI_m(img, s, 0.0, 0.0);
  EXPECT_EQ(std::vector({s.xa, s.ya, s.xb, s.yb, s.amaxcounts}), std::vector({31, 26, 31, 26, 65535}));
}

TEST(TrackingTest, ShiftIsTheStarCentreMinusItsStoredPosition) {
  Timgbuffer img;
  // A symmetric star on a black sky: its weighted centre is its position.
  fillImage(img, 100, 80, [](int x, int y) { return int(std::lround(test::gaussian(52, 41, 14000, 1.5, x, y))); });
  ImageWindowState imgwin;
  std::tie(imgwin.TrackstarX, imgwin.TrackstarY) = std::tuple(50.0, 40.0);
  double sx = 0.0, sy = 0.0;
  ASSERT_TRUE(GetTrackstarShift(img, imgwin, 10, sx, sy));
  EXPECT_NEAR(sx, 2.0, 1e-9);
  EXPECT_NEAR(sy, 1.0, 1e-9);
  EXPECT_EQ(std::pair(imgwin.Vx, imgwin.Vy), std::pair(sx, sy));
}

TEST(StarFinderTest, MediansThresholdsAndBackground) {
  Timgbuffer img;
  const int block[3][3] = {{9, 1, 8}, {2, 7, 3}, {6, 4, 5}};
  fillImage(img, 5, 5, [&](int x, int y) { return x > 1 && x < 5 && y > 1 && y < 5 ? block[x - 2][y - 2] : 10; });
  // Five of the nine pixels around (1, 1) lie outside and count 0.
  EXPECT_EQ(std::pair(getMedian(img, 3, 3), getMedian(img, 1, 1)), std::pair(5, 0));
  // t1 = bg + 10 sqrt(bg / gain), t2 and t3 = bg + 3 % and 10 % of the range
  // up to the limit, never below t1; a gain of 0 counts as 2.
  struct Case { std::int32_t bg; double gain; std::int32_t max, t1, t2, t3; };
  const Case cases[] = {{100, 1.0, 60000, 200, 1897, 6090}, {100, 1.0, 1000, 200, 200, 200},
                        {200, 0.0, 60000, 300, 1994, 6180}};
  for (const Case& c : cases) {
    const StarThresholds t = starThresholds(c.bg, c.gain, c.max);
    EXPECT_EQ(std::vector({thresholdFor(t, 2), thresholdFor(t, 1), thresholdFor(t, 0)}),
              std::vector({c.t1, c.t2, c.t3})) << c.bg << " " << c.max;
  }
  // 799 pixels of 100 and 799 of 200 with a maximum of 1020 (scale 0.25):
  // equal bins, the first one wins (100 -> bin 25 -> 25 / 0.25).
  fillImage(img, 40, 40, [](int x, int y) { return y < 40 || x > 2 ? (y > 20 ? 200 : 100) : x == 1 ? 1020 : 50; });
  const Timghistogram hist = starfindHistogram(img);
  EXPECT_EQ(std::pair(hist.Max, histogramBackground(hist)), std::pair(1020, 100));
}

TEST(StarFinderTest, FindStars) {
  const std::vector<Position> three = {{30, 40}, {70, 25}, {55, 75}};
  // Peaks are 3000 where not given; clickFirst puts a ROI on the first star before the search;
  // window rows run from the top, 100 div 5 - 2 of them. The faint star's ROI is made and deleted.
  struct Case { const char* what; std::vector<Position> stars; std::vector<double> peaks; std::int32_t minSN, max;
                std::optional<ImageRect> rect; bool clickFirst; std::vector<Position> found; int steps = 18; };
  const Case cases[] = {
      {"each star once at its pixel", three, {}, 3, 60000, {}, false, {{70, 25}, {30, 40}, {55, 75}}},
      {"saturated star skipped", {{30, 40}, {70, 25}}, {8000, 2000}, 3, 4000, {}, false, {{70, 25}}},
      {"star of an existing ROI", three, {}, 3, 60000, {}, true, {{30, 40}, {70, 25}, {55, 75}}},
      {"faint star misses S/N 100", {{30, 40}, {70, 25}}, {3000, 150}, 100, 60000, {}, false, {{30, 40}}},
      // Windows from (25, 25): 60 div 5 - 2 columns, 40 div 5 - 2 rows; row 25 is the first row's edge.
      {"user rectangle", three, {}, 3, 60000, ImageRect{20, 20, 80, 60}, false, {{30, 40}}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Rig rig;
    for (std::size_t i = 0; i < c.stars.size(); ++i)
      test::addStar(rig.img, c.stars[i].first, c.stars[i].second, i < c.peaks.size() ? c.peaks[i] : 3000);
    rig.win.AutocenterCheckBox = c.clickFirst;
    if (c.clickFirst) rig.win.Newroi(c.stars[0].first - 1, c.stars[0].second - 1);
    EXPECT_EQ(FindStars(rig.win, rig.img, 200, c.minSN, c.max, c.rect), int(c.found.size()) - c.clickFirst);
    std::vector<Position> found;
    for (const TRoi1& r : rig.win.ROIlist) found.emplace_back(r.xa, r.ya);
    EXPECT_EQ(found, c.found);
    EXPECT_EQ(std::vector({rig.win.ROIindex, rig.ui.progressSteps, rig.ui.progressDone}),
              std::vector({int(c.found.size()), c.steps, c.steps}));
  }
  // The command proposes the brightest pixel, sky + peak, as the limit.
  test::Rig rig;
  test::addStar(rig.img, 30, 40, 3000);
  StarfindDialog dialog;
  ASSERT_TRUE(prepareFindstars(rig.win, dialog));
  EXPECT_EQ(std::pair(dialog.MaxcountEdit.value, findstars(rig.win, dialog)), std::pair(3100, 1));
  EXPECT_EQ(rig.lastMessage(), "1 Sterne gefunden");
}

TEST(SignalNoiseTest, NoiseModelWorkedFigures) {
  TRoi1 roi;  // 25 star pixels holding 10000 counts, 2000 of them sky measured on 56 ring pixels
  std::tie(roi.acounts, roi.bcounts, roi.npixa, roi.npixb) = std::tuple(10000, 2000, 25, 56);
  Settings s;
  s.DarkElectronsPerSec = 0.0;
  const auto sn = [&](double gain, double readNoise, std::int32_t stacking, std::int32_t frames) {
    std::tie(s.ElectronsPerCount, s.ReadnoiseElectrons) = std::tuple(gain, readNoise);
    SnrModel model;
    std::tie(model.SNRspecial, model.Stackingtype, model.Nstack) = std::tuple(frames > 0, stacking, std::max(frames, 1));
    return signalToNoise(roi, 1.0, s, model, 0.0);
  };
  // 8000 / sqrt(2000/56 * (1 + 25/56) * 25 + 10000) = 8000 / 106.26 = 75.29; four averaged
  // frames: twice that; 100 e² read variance per pixel: 65.52; three summed frames read three
  // times: 53.77; an unusable gain counts as 2: 16000 / sqrt(2582 + 20000) = 106.5.
  EXPECT_EQ(std::vector({sn(1, 0, 0, 0), sn(1, 0, 1, 4), sn(1, 10, 0, 0), sn(1, 10, 0, 3), sn(0, 0, 0, 0)}),
            std::vector({75, 151, 66, 54, 106}));
  // S/N 50 against one comparison of S/N 100: 1.086 sqrt(0.02² + 0.010857²) = 0.0247.
  EXPECT_NEAR(magnitudeError(50, float(std::pow(1.0857 / 100, 2)), 1), 0.0247, 0.00005);

  // Scintillation 0.00395 / 0.2^(2/3) at airmass 1 and sea level; shorter
  // than a tenth of the aperture counts as that tenth; the frame's airmass
  // wins with the exponent 1.5; at 8000 m it is 1/e of that.
  SnrModel model;
  model.SNRspecial = true;
  const double sigma = SigmaScint(1.0, model, 1.0);
  EXPECT_NEAR(sigma, 0.011558, 1e-6);
  EXPECT_DOUBLE_EQ(SigmaScint(0.01, model, 1.0), myoung(0.02, model, 1.0));
  EXPECT_NEAR(myoung(1.0, model, 2.0) / sigma, std::pow(2.0, 1.5), 1e-12);
  model.LocationHeight = 8000;
  EXPECT_NEAR(myoung(1.0, model, 1.0) / sigma, std::exp(-1.0), 1e-12);
  // A star of S/N 1000 ends at 1 / sqrt(0.001² + 0.011558²) = 86.
  model.LocationHeight = 0;
  std::tie(roi.acounts, roi.bcounts, roi.npixa, roi.npixb) = std::tuple(1000000, 0, 1, 1000000);
  std::tie(s.ElectronsPerCount, s.ReadnoiseElectrons) = std::tuple(1.0, 0.0);
  EXPECT_EQ(std::pair(signalToNoise(roi, 1.0, s, SnrModel{}, 0.0), signalToNoise(roi, 1.0, s, model, sigma)), std::pair(1000, 86));
}

}  // namespace
}  // namespace vargaze
