#include "app/CurveView.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "app/Application.h"
#include "app/ImageView.h"
#include "base/Numbers.h"

namespace vargaze {

namespace {

// Labels an axis of a usual chart size can hold without crowding.
constexpr std::int32_t kMaxTicks = 8;
constexpr std::int32_t kMagDecimals = 3;
// Room left beside the outermost values, as a share of their span.
constexpr double kMargin = 0.05;

bool plotted(float mag) {
  return std::isfinite(mag) && mag < kNoMagnitude;
}

// Whole days plainly, an offset with a fraction with its decimals.
std::string offsetText(double offset) {
  return offset == std::trunc(offset) ? formatFixed(offset, 0) : formatGeneral(offset);
}

// The axis spans the values with a margin; ticks on multiples of a round
// step, written by `label`. Without values the axis has no ticks.
template <class Label>
void fillAxis(CurveAxis& axis, const std::optional<std::pair<double, double>>& values,
              std::int32_t maxDecimals, Label label) {
  axis.ticks.clear();
  const auto [lowest, highest] = values.value_or(std::pair{0.0, 0.0});
  const double margin = highest > lowest ? (highest - lowest) * kMargin : kMargin;
  axis.minimum = lowest - margin;
  axis.maximum = highest + margin;
  if (!values || !std::isfinite(axis.minimum) || !std::isfinite(axis.maximum)) return;
  const TickStep t = tickStep(axis.minimum, axis.maximum, kMaxTicks, maxDecimals);
  const auto first = static_cast<std::int64_t>(std::ceil(axis.minimum / t.step));
  const auto last = static_cast<std::int64_t>(std::floor(axis.maximum / t.step));
  for (std::int64_t i = first; i <= last; ++i) {
    const double value = static_cast<double>(i) * t.step;
    axis.ticks.push_back({value, label(value, t.decimals)});
  }
}

// Smallest and largest of the values, none without values.
class Extent {
 public:
  void add(double v) {
    range_ = range_ ? std::pair{std::min(range_->first, v), std::max(range_->second, v)}
                    : std::pair{v, v};
  }
  const std::optional<std::pair<double, double>>& range() const { return range_; }

 private:
  std::optional<std::pair<double, double>> range_;
};

}  // namespace

void smoothLine(std::vector<double>& y, std::int32_t strength) {
  const std::size_t n = y.size();
  if (n < 4 || strength < 1 || strength > 5) return;
  for (std::size_t i = 0; i < n; ++i) {
    const bool first = i == 0;
    const bool last = i == n - 1;
    if (strength <= 3) {
      // Weights 1, c, 1 over c + 2; an end point counts itself once more.
      const double c = 4.0 - strength;
      if (first) {
        y[i] = ((c + 1.0) * y[i] + y[i + 1]) / (c + 2.0);
      } else if (last) {
        y[i] = ((c + 1.0) * y[i] + y[i - 1]) / (c + 2.0);
      } else {
        y[i] = (y[i - 1] + c * y[i] + y[i + 1]) / (c + 2.0);
      }
    } else if (first) {
      y[i] = (y[i] + y[i + 1]) / 2.0;
    } else if (last) {
      y[i] = (y[i] + y[i - 1]) / 2.0;
    } else if (i == 1) {
      y[i] = (y[i - 1] + y[i] + y[i + 1]) / 3.0;
    } else if (i == n - 2) {
      y[i] = (y[i - 2] + y[i - 1] + y[i]) / 3.0;
    } else if (strength == 4) {
      y[i] = (y[i - 2] + 2.0 * y[i - 1] + 3.0 * y[i] + 2.0 * y[i + 1] + y[i + 2]) / 9.0;
    } else {
      y[i] = (y[i - 2] + y[i - 1] + y[i] + y[i + 1] + y[i + 2]) / 5.0;
    }
  }
}

TickStep tickStep(double minimum, double maximum, std::int32_t maxTicks, std::int32_t maxDecimals) {
  const double span = maximum - minimum;
  if (!(span > 0.0) || !std::isfinite(span) || maxTicks < 2) return {};
  struct Mantissa {
    double value;
    std::int32_t extraDecimals;  // 2.5 needs one decimal more than 1, 2 or 5
  };
  constexpr Mantissa mantissas[] = {{1.0, 0}, {2.0, 0}, {2.5, 1}, {5.0, 0}};
  for (auto exponent = static_cast<std::int32_t>(std::floor(std::log10(span / maxTicks)));;
       ++exponent) {
    for (const Mantissa m : mantissas) {
      const std::int32_t decimals = std::max(0, m.extraDecimals - exponent);
      if (decimals > maxDecimals) continue;
      const double step = m.value * std::pow(10.0, exponent);
      const double ticks = std::floor(maximum / step) - std::ceil(minimum / step) + 1.0;
      if (ticks <= maxTicks) return {step, decimals};
    }
  }
}

std::string dayFractionLabel(double value, std::int32_t decimals) {
  std::string text = formatFixed(value, decimals);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  const std::size_t digits = text.front() == '-' ? 1 : 0;
  if (text.compare(digits, 2, "0.") == 0) text.erase(digits, 1);
  return text;
}

CurveView::CurveView(Application& app) : app_(app) {
  CurveSelection.fill(true);
}

bool CurveView::curveChanged() const {
  return app_.series.curve.revision != shownRevision_;
}

bool CurveView::followCurve() {
  if (!curveChanged()) return false;
  const CurveArrays& curve = app_.series.curve;
  // A colour-index series fills the arrays for its colour table, not for a plot.
  if (app_.series.BVRImode) {
    shownRevision_ = curve.revision;
    return false;
  }
  if (curve.completedRun != shownRun_) {
    shownRun_ = curve.completedRun;
    const std::int32_t rois = app_.roiWindow.count();
    for (std::int32_t n = 0; n < kCurveSelectionSize; ++n) CurveSelection[n] = n < rois;
    TitleEdit = app_.series.CurveTitle;
  }
  ShowCurves();
  return true;
}

void CurveView::ShowCurves() {
  const CurveArrays& curve = app_.series.curve;
  shownRevision_ = curve.revision;
  title = TitleEdit;
  const std::size_t points =
      std::min(static_cast<std::size_t>(std::max(curve.NumCurvePoints, 0)), curve.XTimes.size());
  // A night's curve is labelled with the fraction of the day only.
  const bool dayFraction = points > 0 && curve.XTimes[points - 1] - curve.XTimes[0] < 1.0;
  const double x0 = dayFraction ? std::trunc(curve.XTimes[0]) : 0.0;

  const auto& rois = app_.roiWindow.ROIlist;
  for (std::int32_t k = 0; k < kCurvePairs; ++k) {
    CurvePair& c = curves[k];
    c = CurvePair{};
    if (k >= static_cast<std::int32_t>(rois.size())) continue;
    const std::string& name = rois[k].Name;
    c.legend = name.empty() ? "Serie " + std::to_string(k + 1) : name;
    c.colour = roiColour(k + 1);
    for (std::size_t i = 0; i < points; ++i) {
      const float mag = curve.mag(i, static_cast<std::size_t>(k));
      if (plotted(mag)) c.points.push_back({curve.XTimes[i] - x0, mag});
    }
    SmoothLines(k);
  }
  showSeries();

  Extent times;
  for (std::size_t i = 0; i < points; ++i) times.add(curve.XTimes[i] - x0);
  const double subtracted = app_.settings.JDCurveoffset + x0;
  timeAxis.title = subtracted <= 0.0 ? "JD" : "JD-" + offsetText(subtracted);
  const std::int32_t precision = std::clamp(app_.settings.JDprecision, 0, 8);
  fillAxis(timeAxis, times.range(), precision, [&](double value, std::int32_t decimals) {
    return dayFraction ? dayFractionLabel(value, precision) : formatFixed(value, decimals);
  });
  const RoiWindow& win = app_.roiWindow;
  magAxis.title = win.InstrMag ? "Instr. Mag" : win.Diffmag ? "Diff. Mag" : "Mag";
  magAxis.inverted = true;  // bright stars at the top
  fillMagAxis();
}

// The magnitude axis spans the curves shown.
void CurveView::fillMagAxis() {
  Extent mags;
  for (const CurvePair& c : curves) {
    if (!c.pointsVisible) continue;
    for (const CurvePoint& p : c.points) mags.add(p.y);
  }
  fillAxis(magAxis, mags.range(), kMagDecimals,
           [](double value, std::int32_t decimals) { return formatFixed(value, decimals); });
}

void CurveView::SmoothLines(std::int32_t k) {
  if (k < 0 || k >= kCurvePairs) return;
  CurvePair& c = curves[k];
  std::vector<double> y;
  y.reserve(c.points.size());
  for (const CurvePoint& p : c.points) y.push_back(p.y);
  smoothLine(y, SmValue);
  c.line = c.points;
  for (std::size_t i = 0; i < y.size(); ++i) c.line[i].y = y[i];
}

// Curves of ROIs that exist are switched by the selection; the others stay off.
void CurveView::showSeries() {
  const auto rois = static_cast<std::int32_t>(app_.roiWindow.ROIlist.size());
  for (std::int32_t k = 0; k < kCurvePairs; ++k) {
    const bool on = k < rois && CurveSelection[k];
    curves[k].pointsVisible = on;
    curves[k].lineVisible = on && ShowLines;
  }
}

void CurveView::SpeedButton1Click(bool down) {
  ShowLines = down;
  showSeries();
}

void CurveView::SmvalueEditChange(std::int32_t value) {
  SmValue = std::clamp(value, 0, kMaxSmoothing);
  for (std::int32_t k = 0; k < kCurvePairs; ++k) SmoothLines(k);
}

void CurveView::TitleEditChange(const std::string& text) {
  TitleEdit = text;
  title = text;
  app_.series.CurveTitle = text;
}

void CurveView::AuswahlOk() {
  for (std::int32_t k = 0; k < kCurvePairs; ++k) CurveSelection[k] = selectForm.checked[k];
  showSeries();
  fillMagAxis();
}

bool CurveView::LifeBtnClick() {
  if (!app_.ui().askYesNo(kLiveQuestion)) return false;
  return app_.live.start();
}

void CurveView::StopButtonClick() {
  app_.live.stop();
}

bool CurveView::LifeBtnEnabled() const {
  return app_.live.LifeBtnEnabled();
}
bool CurveView::StopButtonVisible() const {
  return app_.live.StopButtonVisible();
}
RefreshSign CurveView::refreshSign() const {
  return app_.live.refreshSign();
}

}  // namespace vargaze
