// The light-curve window's model: smoothing, axis ticks and titles, what the
// curves hold and show, and following the curve arrays as they change.
#include <gtest/gtest.h>

#include <cmath>

#include "app/CurveView.h"
#include "app/ImageView.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

TEST(CurveSmoothingTest, InPlaceLeftToRightByStrength) {
  const std::vector<double> zigzag = {10, 13, 10, 13};
  const std::vector<double> wave = {0, 6, 0, 6, 0, 6};
  const struct {
    std::vector<double> in;
    int strength;
    std::vector<double> out;
  } rows[] = {
      {zigzag, 0, zigzag},
      {zigzag, 1, {10.6, 11.92, 10.984, 12.5968}},
      {zigzag, 2, {10.75, 11.6875, 11.171875, 12.54296875}},
      {zigzag, 3, {11, 34.0 / 3, 103.0 / 9, 337.0 / 27}},
      {wave, 4, {3, 3, 7.0 / 3, 95.0 / 27, 158.0 / 81, 322.0 / 81}},
      {wave, 5, {3, 3, 2.4, 3.48, 1.96, 3.98}},
      {{10, 13, 10}, 5, {10, 13, 10}},  // fewer than 4 points: never smoothed
  };
  for (const auto& row : rows) {
    std::vector<double> y = row.in;
    smoothLine(y, row.strength);
    ASSERT_EQ(y.size(), row.out.size());
    for (std::size_t i = 0; i < y.size(); ++i)
      EXPECT_NEAR(y[i], row.out[i], 1e-12) << "strength " << row.strength << " point " << i;
  }
}

TEST(CurveAxisTest, TickStepsAndDayFractionLabels) {
  const struct {
    double lo, hi;
    int maxDecimals;
    double step;
    int decimals;
  } steps[] = {
      {0.60375, 0.74125, 5, 0.02, 2},  // a 3-hour night with its margins
      {0.6, 0.78, 5, 0.025, 3},        // 0.02 would give ten ticks
      {0.6, 0.78, 2, 0.05, 2},         // 2.5 would need a third decimal
      {0.61, 0.6101, 4, 0.0001, 4},    // never finer than the decimals allowed
      {12.3, 15.9, 3, 0.5, 1},         // magnitudes
  };
  for (const auto& s : steps) {
    const TickStep t = tickStep(s.lo, s.hi, 8, s.maxDecimals);
    EXPECT_DOUBLE_EQ(t.step, s.step) << s.lo << ".." << s.hi;
    EXPECT_EQ(t.decimals, s.decimals) << s.lo << ".." << s.hi;
  }
  const struct {
    double value;
    int decimals;
    const char* label;
  } labels[] = {
      {0.625, 5, ".625"}, {0.61, 5, ".61"}, {0.7, 5, ".7"},     {0.6123456, 5, ".61235"},
      {1.5, 4, "1.5"},    {0.0, 5, "0"},    {-0.25, 5, "-.25"}, {0.123456789, 8, ".12345679"},
  };
  for (const auto& l : labels) EXPECT_EQ(dayFractionLabel(l.value, l.decimals), l.label);
}

class CurveViewTest : public ::testing::Test, protected AppRig {
 protected:
  CurveViewTest() {
    for (const char* name : {"V1", "", "C1", "C2", "K", "C3"}) {
      TRoi1 roi;
      roi.Name = name;
      app.roiWindow.ROIlist.push_back(roi);
    }
    app.settings.JDCurveoffset = 2450000.0;
    app.settings.JDprecision = 5;
  }
  // One full run: frame i at `first` + i * `step`, ROI r at 10 + r + i / 100.
  void run(int frames, double first, double step) {
    CurveArrays curve;
    for (int i = 0; i < frames; ++i) appendFrame(curve, i, first + i * step);
    curve.completeRun(frames);
    app.series.curve = std::move(curve);
  }
  static void appendFrame(CurveArrays& curve, int i, double time) {
    std::vector<float> mags;
    for (int r = 0; r < 6; ++r) mags.push_back(float(10 + r + i / 100.0));
    curve.setFrame(std::size_t(i), time, 1.0f, mags);
  }
  std::vector<std::string> tickLabels() const {
    std::vector<std::string> labels;
    for (const AxisTick& t : view.timeAxis.ticks) labels.push_back(t.label);
    return labels;
  }
  CurveView view{app};
};

TEST_F(CurveViewTest, ANightIsPlottedAsDayFractionsOfFiveCurves) {
  run(6, 5234.61, 0.025);  // 3 hours
  app.series.curve.YMags[2][0] = kNoMagnitude;
  ASSERT_TRUE(view.followCurve());
  EXPECT_FALSE(view.followCurve());  // nothing changed since
  EXPECT_EQ(view.timeAxis.title, "JD-2455234");
  EXPECT_EQ(tickLabels(),
            (std::vector<std::string>{".62", ".64", ".66", ".68", ".7", ".72", ".74"}));
  const std::vector<std::string> legends = {"V1", "Serie 2", "C1", "C2", "K"};
  for (int k = 0; k < kCurvePairs; ++k) {
    EXPECT_EQ(view.curves[k].legend, legends[k]);
    EXPECT_EQ(view.curves[k].colour, roiColour(k + 1));
    EXPECT_TRUE(view.curves[k].pointsVisible);
    EXPECT_FALSE(view.curves[k].lineVisible);
  }
  EXPECT_EQ(view.curves[0].points.size(), 5u);  // the magnitude 99 is left out
  EXPECT_NEAR(view.curves[0].points[2].x, 0.685, 1e-9);
  EXPECT_EQ(view.curves[4].points.size(), 6u);
  // The run set the selection from the six ROIs.
  for (int n = 0; n < kCurveSelectionSize; ++n) EXPECT_EQ(view.CurveSelection[n], n < 6) << n;
  EXPECT_LT(view.magAxis.minimum, 10.0);
  EXPECT_GT(view.magAxis.maximum, 14.05);
}

TEST_F(CurveViewTest, TimeAxisTitleByOffsetAndSpan) {
  const struct {
    double offset, first, step;
    const char* title;
    const char* firstLabel;
  } rows[] = {
      {2450000.0, 5234.61, 0.5, "JD-2450000", "5234.5"},  // two nights: whole times
      {2450000.5, 4734.11, 0.025, "JD-2454734.5", ".12"},
      {0.0, 2455234.61, 0.5, "JD", "2455234.5"},
      {0.0, 2455234.61, 0.025, "JD-2455234", ".62"},
  };
  for (const auto& r : rows) {
    app.settings.JDCurveoffset = r.offset;
    run(6, r.first, r.step);
    view.followCurve();
    EXPECT_EQ(view.timeAxis.title, r.title);
    EXPECT_EQ(tickLabels().at(0), r.firstLabel) << r.title;
  }
}

TEST_F(CurveViewTest, MagnitudeAxisTitleFollowsTheMagnitudeMode) {
  const struct {
    bool instr, diff;
    const char* title;
  } rows[] = {{true, true, "Instr. Mag"}, {false, true, "Diff. Mag"}, {false, false, "Mag"}};
  run(4, 5234.6, 0.01);
  for (const auto& r : rows) {
    app.roiWindow.InstrMag = r.instr;
    app.roiWindow.Diffmag = r.diff;
    view.ShowCurves();
    EXPECT_EQ(view.magAxis.title, r.title);
  }
}

TEST_F(CurveViewTest, SmoothingLinesAndSelectionChangeOnlyWhatTheyOwn) {
  run(4, 5234.6, 0.01);
  for (int i = 0; i < 4; ++i) app.series.curve.YMags[i][0] = i % 2 ? 13.0f : 10.0f;
  view.followCurve();
  view.SpeedButton1Click(true);
  view.SmvalueEditChange(3);
  const CurvePair& v1 = view.curves[0];
  EXPECT_EQ(v1.points[1].y, 13.0);
  EXPECT_NEAR(v1.line[3].y, 337.0 / 27, 1e-6);
  EXPECT_TRUE(v1.lineVisible);

  view.selectForm.ClearButtonClick();
  view.selectForm.checked[0] = true;
  view.AuswahlOk();
  EXPECT_FALSE(view.curves[1].pointsVisible || view.curves[1].lineVisible);
  EXPECT_LT(view.magAxis.maximum, 13.5);  // spans the curve shown only (10..13)
  // A live cycle appends: drawn again, the choice kept.
  appendFrame(app.series.curve, 4, 5234.64);
  app.series.curve.setPoints(5);
  ASSERT_TRUE(view.followCurve());
  EXPECT_EQ(view.curves[0].points.size(), 5u);
  EXPECT_FALSE(view.curves[1].pointsVisible);
  // A full run chooses every ROI again and takes the project's title.
  app.series.CurveTitle = "RZ Cas";
  run(3, 5234.6, 0.01);
  ASSERT_TRUE(view.followCurve());
  EXPECT_TRUE(view.curves[1].pointsVisible);
  EXPECT_EQ(view.title, "RZ Cas");
  EXPECT_EQ(view.curves[0].line, view.curves[0].points);  // 3 points: not smoothed
}

}  // namespace
}  // namespace vargaze::test
