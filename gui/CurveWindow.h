// The light-curve window "Kurven": a chart of up to five curves (points, and
// lines on demand) with the panel "Linien", "Glättung", "Schließen", "Druck",
// "BMP", the title field and "ROI-Auswahl", and on the chart the live-mode
// buttons "Live" and "Stop" with the refresh sign. It draws what its model
// (app/CurveView.h) says; controls are named after the model's fields
// (objectName "LineButton", "SmvalueEdit", ...).
#pragma once

#include <QColor>
#include <QWidget>
#include <array>

#include "app/CurveView.h"

class QCategoryAxis;
class QHBoxLayout;
class QImage;
class QChart;
class QChartView;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPrinter;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolButton;

namespace vargaze {

class Application;
class CurveSelectDialog;
class FileChooser;

class CurveWindow : public QWidget {
  Q_OBJECT

 public:
  // Draws the curve of `app` at once when there is one, then follows it.
  CurveWindow(Application& app, FileChooser& files, QWidget* parent = nullptr);
  ~CurveWindow() override;

  CurveView& model() { return model_; }

  // Draws the chart again when the curve changed since it was drawn, and
  // shows the window then. Its own timer calls it every second; call it after
  // a run, a project load or a live cycle to show the curve at once.
  bool followCurve();
  // The live buttons and the refresh sign as live mode says.
  void refreshLive();

  // The chart as a 24-bit BMP file; false (with the message) when it cannot
  // be written.
  bool saveBmp(const QString& filename);
  // The chart on one landscape page of `printer`.
  void print(QPrinter& printer);
  // The chart as drawn, without the live buttons that sit on it.
  QImage picture() const;

  QChart* chart() const { return chart_; }
  QChartView* chartView() const { return view_; }
  QLineSeries* lineSeries(int k) const { return lines_[static_cast<std::size_t>(k)]; }
  QLineSeries* pointSeries(int k) const { return points_[static_cast<std::size_t>(k)]; }
  QCategoryAxis* timeAxis() const { return timeAxis_; }
  QCategoryAxis* magAxis() const { return magAxis_; }
  CurveSelectDialog* selectDialog() const { return selectDialog_; }
  QColor refreshSignColour() const { return signColour_; }

 signals:
  // "Live" or "Stop" changed live mode: its scan timer must start or stop.
  void liveModeChanged();

 private:
  QHBoxLayout* buildPanel();
  void buildChart();
  void buildLiveControls();
  // The chart from the model: all series, or their visibility, or the lines.
  void showAll();
  void showVisibility();
  void showLines();
  void showAxes();
  void AuswahlButtonClick();
  void BMPButtonClick();
  void PrintbuttonClick();
  void LifeBtnClick();
  void StopButtonClick();

  Application& app_;
  FileChooser& files_;
  CurveView model_;
  QChart* chart_;
  QChartView* view_;
  std::array<QLineSeries*, kCurvePairs> points_{};
  std::array<QLineSeries*, kCurvePairs> lines_{};
  QCategoryAxis* timeAxis_ = nullptr;
  QCategoryAxis* magAxis_ = nullptr;
  QToolButton* lineButton_ = nullptr;
  QSpinBox* smvalueEdit_ = nullptr;
  QLineEdit* titleEdit_ = nullptr;
  QPushButton* lifeBtn_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QLabel* refreshSign_ = nullptr;
  QColor signColour_;
  CurveSelectDialog* selectDialog_ = nullptr;
  QTimer* refreshTimer_ = nullptr;
};

}  // namespace vargaze
