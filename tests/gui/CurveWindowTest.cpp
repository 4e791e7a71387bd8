// The light-curve window on the demo project after a run: five curves of 40
// points named after the ROIs, day-fraction labels, the inverted magnitude
// axis; smoothing, the ROI choice, the BMP picture and the printed page.
#include <gtest/gtest.h>

#include <QCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <fstream>
#include <iterator>

#include "app/Application.h"
#include "demo/DemoWriter.h"
#include "gui/CurveSelectDialog.h"
#include "gui/CurveWindow.h"
#include "gui/FileChooser.h"
#include "gui/QtUi.h"
#include "series/LightCurveRun.h"
#include "support/EnvGuard.h"
#include "support/TempDir.h"

namespace vargaze::test {
namespace {

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CurveWindowTest : public ::testing::Test {
 protected:
  CurveWindowTest() {
    demo::writeDemoSeries({}, dir.path().string());
    ui.setScript(&script);
    app.openProject(dir.file(demo::kProjectFileName), false);
    EXPECT_EQ(Analyse1Click(app.series), RunResult::Completed);
    window = std::make_unique<CurveWindow>(app, files);
  }
  template <class Widget>
  Widget* control(const char* name) const {
    return window->findChild<Widget*>(name);
  }
  bool inLegend(QXYSeries* series) const {
    const QList<QLegendMarker*> markers = window->chart()->legend()->markers(series);
    return !markers.empty() && markers.front()->isVisible();
  }

  TempDir dir;
  EnvGuard home{"VARGAZE_HOME", dir.path().string()};
  UiScript script;
  QtUi ui;
  Application app{ui};
  ScriptedFileChooser files;
  std::unique_ptr<CurveWindow> window;
};

TEST_F(CurveWindowTest, FiveNamedCurvesOverDayFractionsAndAnInvertedMagnitudeAxis) {
  ASSERT_GE(app.roiWindow.count(), 5);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(window->pointSeries(k)->count(), 40);
    EXPECT_TRUE(inLegend(window->pointSeries(k)));
    EXPECT_FALSE(inLegend(window->lineSeries(k)) || window->lineSeries(k)->isVisible());
    EXPECT_EQ(
        window->chart()->legend()->markers(window->pointSeries(k)).front()->label().toStdString(),
        app.roiWindow.ROIlist[std::size_t(k)].Name);
  }
  // The demo night lies within one day: the axis leaves out its whole days.
  const double first = app.series.curve.XTimes[0];
  const long wholeDays = std::lround(app.settings.JDCurveoffset + std::trunc(first));
  EXPECT_EQ(window->timeAxis()->titleText().toStdString(), "JD-" + std::to_string(wholeDays));
  const QStringList labels = window->timeAxis()->categoriesLabels();
  ASSERT_GE(labels.size(), 3);
  for (const QString& label : labels)
    EXPECT_TRUE(QRegularExpression("^\\.\\d{1,5}$").match(label).hasMatch()) << label.toStdString();
  EXPECT_TRUE(window->magAxis()->isReverse());
}

TEST_F(CurveWindowTest, SmoothingChangesOnlyTheLinesAndDeselectingHidesACurve) {
  control<QToolButton>("LineButton")->click();
  const QList<QPointF> points = window->pointSeries(0)->points();
  EXPECT_EQ(window->lineSeries(0)->points(), points);
  control<QSpinBox>("SmvalueEdit")->setValue(3);
  EXPECT_EQ(window->pointSeries(0)->points(), points);
  EXPECT_NE(window->lineSeries(0)->points(), points);
  EXPECT_TRUE(window->lineSeries(0)->isVisible());

  control<QPushButton>("AuswahlButton")->click();
  CurveSelectDialog* dialog = window->selectDialog();
  ASSERT_TRUE(dialog->isVisible());
  dialog->list()->item(1)->setCheckState(Qt::Unchecked);
  dialog->findChild<QPushButton*>("OKButton")->click();
  EXPECT_FALSE(window->pointSeries(1)->isVisible() || window->lineSeries(1)->isVisible());
  EXPECT_FALSE(inLegend(window->pointSeries(1)));
  EXPECT_TRUE(window->pointSeries(2)->isVisible());
}

TEST_F(CurveWindowTest, PictureIsA24BitBmpAndPrintingGivesOneLandscapePage) {
  files.answers = {{dir.file("kurve")}};
  control<QPushButton>("BMPButton")->click();
  const std::string bmp = fileBytes(dir.file("kurve.bmp"));
  ASSERT_GT(bmp.size(), 30u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(std::uint8_t(bmp[28]) | std::uint8_t(bmp[29]) << 8, 24);  // bits per pixel

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(dir.file("kurve.pdf")));
  window->print(printer);
  const QString pdf = QString::fromLatin1(fileBytes(dir.file("kurve.pdf")));
  EXPECT_EQ(pdf.count(QRegularExpression("/Type\\s*/Page\\b")), 1);
  const QRegularExpressionMatch box =
      QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)").match(pdf);
  ASSERT_TRUE(box.hasMatch());
  EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble());
}

TEST_F(CurveWindowTest, LiveAsksThenRunsUntilStop) {
  auto* live = control<QPushButton>("LifeBtn");
  auto* stop = control<QPushButton>("StopButton");
  EXPECT_FALSE(stop->isVisibleTo(window.get()));
  QSignalSpy changes(window.get(), &CurveWindow::liveModeChanged);
  script.answers = {UiPort::Answer::No};
  live->click();
  EXPECT_EQ(script.questions, std::vector<std::string>{CurveView::kLiveQuestion});
  EXPECT_FALSE(app.live.on());
  EXPECT_EQ(window->refreshSignColour(), window->palette().color(QPalette::Button));

  live->click();  // "Ja": the first scan ran and waits for the next
  ASSERT_TRUE(app.live.on());
  EXPECT_FALSE(live->isEnabled());
  EXPECT_TRUE(stop->isVisibleTo(window.get()));
  EXPECT_EQ(window->refreshSignColour(), QColor(Qt::green));
  stop->click();
  EXPECT_FALSE(app.live.on());
  EXPECT_TRUE(live->isEnabled());
  EXPECT_FALSE(stop->isVisibleTo(window.get()));
  EXPECT_EQ(changes.count(), 3);
}

}  // namespace
}  // namespace vargaze::test
