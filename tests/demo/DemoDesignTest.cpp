// The design of the demo night: limits, star layout, times, drift, airmass
// and the eclipse.
#include <gtest/gtest.h>

#include <cmath>

#include "demo/DemoSeries.h"

namespace vargaze::demo {
namespace {

TEST(DemoDesignTest, OptionLimits) {
  EXPECT_EQ(checkDemoOptions({}), "");
  EXPECT_EQ(checkDemoOptions({2, 128, 128}), "");
  EXPECT_EQ(checkDemoOptions({999, 4096, 4096}), "");
  EXPECT_NE(checkDemoOptions({1, 512, 384}), "");
  EXPECT_NE(checkDemoOptions({1000, 512, 384}), "");
  EXPECT_NE(checkDemoOptions({40, 127, 384}), "");
  EXPECT_NE(checkDemoOptions({40, 512, 127}), "");
  EXPECT_NE(checkDemoOptions({40, 4097, 384}), "");
  EXPECT_NE(checkDemoOptions({40, 512, 4097}), "");
  EXPECT_THROW(makeDemoDesign({1, 512, 384}), std::invalid_argument);
}

TEST(DemoDesignTest, DefaultsAreFortyFramesOf512By384) {
  const DemoDesign d = makeDemoDesign({});
  EXPECT_EQ(d.frames, 40);
  EXPECT_EQ(d.width, 512);
  EXPECT_EQ(d.height, 384);
}

TEST(DemoDesignTest, NamedStarsInOrderWithTheirTypesAndCatalogue) {
  const DemoDesign d = makeDemoDesign({});
  ASSERT_EQ(d.named.size(), 5u);
  const char* names[] = {"V Demo", "C1", "C2", "C3", "K"};
  const StarType types[] = {kStarVar, kStarComp, kStarComp, kStarComp, kStarCheck};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(d.named[i].name, names[i]);
    EXPECT_EQ(d.named[i].type, types[i]);
    if (i == kVariable) {
      EXPECT_FALSE(catalogueValueKnown(d.named[i].catalogue.Vmag));
      continue;
    }
    const BVRIRec& c = d.named[i].catalogue;
    // Ordinary stars: redder ones are brighter in R and I.
    EXPECT_GT(c.Bmag, c.Vmag);
    EXPECT_GT(c.Vmag, c.Rmag);
    EXPECT_GT(c.Rmag, c.Imag);
    EXPECT_GE(c.Vmag, 11.5f);
    EXPECT_LE(c.Vmag, 12.8f);
  }
}

// Every ROI with its 19-pixel ring, shifted by the drift, stays inside the
// frame and apart from the others, at every allowed size.
TEST(DemoDesignTest, NamedStarsFitEveryFrameSize) {
  for (const DemoOptions o : {DemoOptions{2, 128, 128}, DemoOptions{40, 512, 384},
                              DemoOptions{2, 128, 4096}, DemoOptions{2, 4096, 128},
                              DemoOptions{2, 4096, 4096}}) {
    const DemoDesign d = makeDemoDesign(o);
    for (const NamedStar& s : d.named) {
      for (const double shiftX : {0.0, d.driftX}) {
        for (const double shiftY : {0.0, d.driftY}) {
          EXPECT_GE(s.x + shiftX, 20.0) << s.name << " in " << o.width << "x" << o.height;
          EXPECT_LE(s.x + shiftX, d.width - 20.0) << s.name;
          EXPECT_GE(s.y + shiftY, 20.0) << s.name;
          EXPECT_LE(s.y + shiftY, d.height - 20.0) << s.name;
        }
      }
      for (const NamedStar& other : d.named) {
        if (&other == &s) continue;
        EXPECT_GE(std::hypot(s.x - other.x, s.y - other.y), 25.0) << s.name << " " << other.name;
      }
    }
  }
}

TEST(DemoDesignTest, FieldStarsAreAFewDozenAwayFromTheNamedStars) {
  const DemoDesign d = makeDemoDesign({});
  EXPECT_GE(d.field.size(), 24u);
  EXPECT_LE(d.field.size(), 60u);
  for (const FieldStar& f : d.field) {
    EXPECT_GE(f.x, 1.0);
    EXPECT_LE(f.x, d.width);
    EXPECT_GE(f.y, 1.0);
    EXPECT_LE(f.y, d.height);
    EXPECT_GE(f.vmag, 11.0);
    EXPECT_LE(f.vmag, 16.5);
    for (const NamedStar& s : d.named) EXPECT_GE(std::hypot(f.x - s.x, f.y - s.y), 32.0);
  }
  // The field is not one magnitude copied: there are bright and faint stars.
  double brightest = 99.0, faintest = 0.0;
  for (const FieldStar& f : d.field) {
    brightest = std::min(brightest, f.vmag);
    faintest = std::max(faintest, f.vmag);
  }
  EXPECT_LT(brightest, 13.0);
  EXPECT_GT(faintest, 15.5);
}

TEST(DemoDesignTest, SameOptionsGiveTheSameField) {
  const DemoDesign a = makeDemoDesign({});
  const DemoDesign b = makeDemoDesign({});
  ASSERT_EQ(a.field.size(), b.field.size());
  for (std::size_t i = 0; i < a.field.size(); ++i) {
    EXPECT_EQ(a.field[i].x, b.field[i].x);
    EXPECT_EQ(a.field[i].y, b.field[i].y);
    EXPECT_EQ(a.field[i].vmag, b.field[i].vmag);
  }
}

TEST(DemoDesignTest, StarElectronsFollowTheZeroPoint) {
  const Camera camera;
  // 22 - 12 = 10 mag = 10^4 electrons per second, for 30 s.
  EXPECT_NEAR(starElectrons(camera, 12.0), 3.0e5, 1e-6);
  EXPECT_NEAR(starElectrons(camera, 14.5), 3.0e4, 1e-7);
  EXPECT_NEAR(skyLevel(camera, 511, 383, 256, 192), 800.0, 1e-12);
  EXPECT_NEAR(skyLevel(camera, 512, 384, 266.5, 182.5), 800.0 + 2.5 + 1.5, 1e-12);
}

// A gentle gradient at every size: within 100 of the centre's 800 ADU at
// the corners of the smallest and the largest frames.
TEST(DemoDesignTest, SkyStaysNearItsLevelAtEveryCorner) {
  const Camera camera;
  for (const int size : {128, 512, 4096}) {
    for (const int x : {1, size}) {
      for (const int y : {1, size}) {
        EXPECT_NEAR(skyLevel(camera, size, size, x, y), 800.0, 100.0) << size;
      }
    }
  }
}

// 2024-03-15 0h UT is JD 2460384.5; exposures start every 60 s from 20:00.
TEST(DemoDesignTest, FrameNamesTimesAndDates) {
  const DemoDesign d = makeDemoDesign({});
  const FrameTruth first = frameTruth(d, 0);
  EXPECT_EQ(first.fileName, "demo_001.fit");
  EXPECT_EQ(first.dateObs, "2024-03-15T20:00:00.000");
  EXPECT_NEAR(first.jdStart, 2460384.5 + 20.0 / 24.0, 1e-8);
  EXPECT_NEAR(first.jdMiddle, 2460384.5 + 20.0 / 24.0 + 15.0 / 86400.0, 1e-8);
  const FrameTruth second = frameTruth(d, 1);
  EXPECT_EQ(second.fileName, "demo_002.fit");
  EXPECT_EQ(second.dateObs, "2024-03-15T20:01:00.000");
  EXPECT_NEAR(second.jdStart - first.jdStart, 60.0 / 86400.0, 1e-9);
  EXPECT_EQ(frameTruth(d, 39).fileName, "demo_040.fit");
  EXPECT_EQ(frameTruth(d, 39).dateObs, "2024-03-15T20:39:00.000");
  EXPECT_THROW(frameTruth(d, 40), std::out_of_range);
  EXPECT_THROW(frameTruth(d, -1), std::out_of_range);
}

TEST(DemoDesignTest, LongSeriesRunsPastMidnight) {
  const DemoDesign d = makeDemoDesign({999, 128, 128});
  const FrameTruth last = frameTruth(d, 998);
  EXPECT_EQ(last.fileName, "demo_999.fit");
  // 998 minutes after 20:00 is 12:38 the next day.
  EXPECT_EQ(last.dateObs, "2024-03-16T12:38:00.000");
}

TEST(DemoDesignTest, DriftIsLinearFromZeroToThreeAndMinusTwoPixels) {
  const DemoDesign d = makeDemoDesign({});
  EXPECT_DOUBLE_EQ(frameTruth(d, 0).shiftX, 0.0);
  EXPECT_DOUBLE_EQ(frameTruth(d, 0).shiftY, 0.0);
  EXPECT_NEAR(frameTruth(d, 39).shiftX, 3.0, 1e-12);
  EXPECT_NEAR(frameTruth(d, 39).shiftY, -2.0, 1e-12);
  EXPECT_NEAR(frameTruth(d, 13).shiftX, 3.0 * 13 / 39, 1e-12);
  EXPECT_NEAR(frameTruth(d, 13).shiftY, -2.0 * 13 / 39, 1e-12);
}

TEST(DemoDesignTest, AirmassRisesSlowlyFromOnePointTwo) {
  const DemoDesign d = makeDemoDesign({});
  EXPECT_NEAR(frameTruth(d, 0).airmass, 1.2, 0.002);
  for (int i = 1; i < d.frames; ++i) {
    const double step = frameTruth(d, i).airmass - frameTruth(d, i - 1).airmass;
    EXPECT_GT(step, 0.0);
    EXPECT_LT(step, 0.01);
  }
  EXPECT_LT(frameTruth(d, 39).airmass, 1.5);
}

TEST(DemoDesignTest, EclipseIsFlatOutsideAndSmoothInside) {
  Eclipse e;
  e.outsideMag = 12.3;
  e.depth = 0.8;
  e.minimumJD = 2460385.35;
  e.halfDuration = 0.01;
  EXPECT_DOUBLE_EQ(eclipseMagnitude(e, e.minimumJD), 13.1);
  EXPECT_DOUBLE_EQ(eclipseMagnitude(e, e.minimumJD - 0.01), 12.3);
  EXPECT_DOUBLE_EQ(eclipseMagnitude(e, e.minimumJD + 0.02), 12.3);
  EXPECT_DOUBLE_EQ(eclipseMagnitude(e, e.minimumJD - 0.5), 12.3);
  // Half way in time the dip is half deep (cos^2 of 45 degrees); Julian
  // Dates near 2.46e6 carry about 1e-10 days.
  EXPECT_NEAR(eclipseMagnitude(e, e.minimumJD + 0.005), 12.7, 1e-7);
  EXPECT_NEAR(eclipseMagnitude(e, e.minimumJD - 0.005), 12.7, 1e-7);
  // No step at the contacts.
  EXPECT_NEAR(eclipseMagnitude(e, e.minimumJD + 0.0099), 12.3, 1e-3);
}

TEST(DemoDesignTest, ComparisonAndCheckStarsStayConstant) {
  const DemoDesign d = makeDemoDesign({});
  for (int i = 0; i < d.frames; ++i) {
    const FrameTruth t = frameTruth(d, i);
    ASSERT_EQ(t.vmag.size(), 5u);
    EXPECT_NEAR(t.vmag[1], 11.74, 1e-6);
    EXPECT_NEAR(t.vmag[2], 12.12, 1e-6);
    EXPECT_NEAR(t.vmag[3], 12.58, 1e-6);
    EXPECT_NEAR(t.vmag[4], 12.41, 1e-6);
  }
}

}  // namespace
}  // namespace vargaze::demo
