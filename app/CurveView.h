// The light-curve window "Kurven" as a model: up to five curves, each a point
// series and a line through its points that can be smoothed, the two axes
// with their titles and tick labels, the choice of curves shown, the plot
// title and the state of the live-mode buttons. The widget draws what this
// says and forwards its controls here; it never reads the curve arrays.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "series/LiveMode.h"

namespace vargaze {

class Application;

// Curves drawn at most, whatever the number of ROIs.
inline constexpr int kCurvePairs = 5;
// ROIs that have a selection flag ("ROI 1" .. "ROI 16").
inline constexpr int kCurveSelectionSize = 16;

struct CurvePoint {
  double x = 0.0;  // time minus the part the time axis leaves out
  double y = 0.0;  // magnitude
  bool operator==(const CurvePoint&) const = default;
};

// One curve: its points and the line through them, in one colour.
struct CurvePair {
  std::string legend;              // the ROI's name, or "Serie n"
  std::uint32_t colour = 0;        // 0xRRGGBB
  std::vector<CurvePoint> points;  // frames without a magnitude (99) left out
  std::vector<CurvePoint> line;    // the points, smoothed when SmValue > 0
  bool pointsVisible = false;      // shown, and listed in the legend
  bool lineVisible = false;        // never listed in the legend
};

struct AxisTick {
  double value = 0.0;
  std::string label;
};

struct CurveAxis {
  std::string title;
  double minimum = 0.0;
  double maximum = 1.0;
  std::vector<AxisTick> ticks;  // ascending, inside minimum..maximum
  bool inverted = false;        // the largest value at the start (top)
};

// Smooths a line in place, left to right: each value becomes a weighted mean
// of its neighbours, the ones before it already smoothed. `strength` 0..5;
// lines of fewer than 4 values are left as they are.
void smoothLine(std::vector<double>& y, std::int32_t strength);

// Up to `maxTicks` ticks on round values (1, 2, 2.5 or 5 times a power of
// ten) of at most `maxDecimals` decimals between `minimum` and `maximum`,
// with the number of decimals the step needs.
struct TickStep {
  double step = 1.0;
  std::int32_t decimals = 0;
};
TickStep tickStep(double minimum, double maximum, std::int32_t maxTicks, std::int32_t maxDecimals);

// A day-fraction label: at most `decimals` decimals, trailing zeros dropped,
// no zero before the point (0.625 -> ".625", 1.5 -> "1.5", 0 -> "0").
std::string dayFractionLabel(double value, std::int32_t decimals);

// The dialog "Kurven-Darstellung Auswahl": its check marks keep their state
// between showings; OK hands them to the window.
struct CurveSelectForm {
  static constexpr const char* kCaption = "Kurven-Darstellung Auswahl";
  static constexpr const char* kClearCaption = "Alle löschen";
  static constexpr const char* kSelectAllCaption = "Alle auswählen";
  static constexpr const char* kOkCaption = "OK";
  static std::string itemText(std::int32_t index) { return "ROI " + std::to_string(index + 1); }

  std::array<bool, kCurveSelectionSize> checked = filled(true);

  void SelectAllButtonClick() { checked = filled(true); }
  void ClearButtonClick() { checked = filled(false); }

 private:
  static std::array<bool, kCurveSelectionSize> filled(bool value) {
    std::array<bool, kCurveSelectionSize> flags{};
    flags.fill(value);
    return flags;
  }
};

class CurveView {
 public:
  static constexpr const char* kCaption = "Kurven";
  static constexpr const char* kFirstTitle = "Lichtkurven";  // until the first curve
  static constexpr const char* kTitleEditText = "Titel";
  static constexpr const char* kTitleHint = "Graphik-Titel";
  static constexpr const char* kLinesCaption = "Linien";
  static constexpr const char* kLinesHint = "Linien ein/ausschalten";
  static constexpr const char* kSmoothingLabel = "Glättung";
  static constexpr std::int32_t kMaxSmoothing = 5;
  static constexpr const char* kExitCaption = "Schließen";
  static constexpr const char* kPrintCaption = "Druck";
  static constexpr const char* kPrintHint = "Graphik drucken";
  static constexpr const char* kBmpCaption = "BMP";
  static constexpr const char* kBmpHint = "Graphik als BMP-Datei speichern";
  static constexpr const char* kBmpFilter = "BMP Dateien (*.bmp)";
  static constexpr const char* kSelectCaption = "ROI-Auswahl";
  static constexpr const char* kSelectHint = "Kurven nur selektiv anzeigen";
  static constexpr const char* kLiveCaption = "Live";
  static constexpr const char* kStopCaption = "Stop";
  static constexpr const char* kLiveQuestion =
      "Live view ist nur möglich, wenn sich nur Bilder des untersuchten Sternfelds im Ordner "
      "befinden. Sind Sie sicher?";

  explicit CurveView(Application& app);

  // ---- what the chart shows ----
  std::string title = kFirstTitle;
  std::array<CurvePair, kCurvePairs> curves;
  CurveAxis timeAxis;
  CurveAxis magAxis;

  // ---- controls ----
  bool ShowLines = false;
  std::int32_t SmValue = 0;
  std::string TitleEdit = kTitleEditText;
  std::array<bool, kCurveSelectionSize> CurveSelection;  // index 0 = ROI 1
  CurveSelectForm selectForm;

  // ---- following the curve ----
  // True when the curve changed since it was last drawn.
  bool curveChanged() const;
  // Draws the curve again when it changed: after a full run the selection
  // is set from the ROI count first and the title field takes the project's
  // title. True when drawn.
  bool followCurve();
  // Draws the whole chart from the curve arrays.
  void ShowCurves();

  // ---- handlers ----
  // The line of curve k (0-based) computed again from its points.
  void SmoothLines(std::int32_t k);
  void SpeedButton1Click(bool down);  // "Linien"
  void SmvalueEditChange(std::int32_t value);
  void TitleEditChange(const std::string& text);
  // OK of the selection dialog: the first five check marks become the
  // selection, and the series are switched on or off.
  void AuswahlOk();
  // "Live": asks, then starts live mode; true when it runs.
  bool LifeBtnClick();
  // "Stop": live mode ends (after the file it measures).
  void StopButtonClick();

  bool LifeBtnEnabled() const;
  bool StopButtonVisible() const;
  RefreshSign refreshSign() const;

 private:
  void showSeries();
  void fillMagAxis();

  Application& app_;
  std::uint64_t shownRevision_ = 0;
  std::uint64_t shownRun_ = 0;
};

}  // namespace vargaze
