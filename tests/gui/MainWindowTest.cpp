// The desktop program end to end on the offscreen platform: the menus, a
// series, commands held during a run, blink, flip, zoom, the pixel readout,
// closing, and the demo project given as argument with ROIs set by mouse.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineSeries>
#include <QPushButton>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

#include "config/IniFile.h"
#include "demo/DemoSeries.h"
#include "demo/DemoWriter.h"
#include "gui/CurveWindow.h"
#include "gui/DisplayPanel.h"
#include "gui/FileChooser.h"
#include "gui/ImageWidget.h"
#include "gui/ImageWindow.h"
#include "gui/MainWindow.h"
#include "support/GuiApp.h"
#include "support/SyntheticFrame.h"

namespace vargaze::test {
namespace {

// One program as `vargaze` starts it, its main window shown.
struct Program : GuiApp {
  explicit Program(const std::string& ini = "", LiveMode::Clock clock = {})
      : GuiApp(ini, std::move(clock)) {
    window.show();
  }
  void startWith(const std::string& file) {
    window.startWith(file);
    QTest::qWait(50);  // the start runs from the event loop
  }
  std::string frame(const std::string& name) {
    writeFrame(dir.file(name), {.stars = {{30, 20, 20000.0}}});
    return dir.file(name);
  }
  void zoom(int index) {
    window.displayPanel()->zoomBox()->setCurrentIndex(index);
    emit window.displayPanel()->zoomBox()->activated(index);
  }

  ScriptedFileChooser chooser;
  MainWindow window{*app, ui, chooser};
};

TEST(MainWindowGui, MenusFollowPrivateModeAndTestmode) {
  Program program("[Test]\r\nPrivateMode=1\r\nTestmode=0\r\n");
  bool processingMenu = false;
  for (QAction* menu : program.window.menuBar()->actions())
    if (menu->text() == "Bearbeitung") processingMenu = menu->isVisible();
  EXPECT_TRUE(processingMenu && program.window.action(Command::JPGexport)->isVisible());
  EXPECT_FALSE(program.window.action(Command::findstars1)->isVisible());
}

TEST(MainWindowGui, SeriesDisplayBlinkFlipZoomReadoutAndClose) {
  Program program;
  MainWindow& window = program.window;
  const std::vector<std::string> files{program.frame("a.fit"), program.frame("b.fit"),
                                       program.frame("c.fit")};
  program.chooser.answers.push_back(files);
  window.run(Command::Serieladen1);
  ASSERT_EQ(program.app->series.FramesLoaded, 3);
  EXPECT_TRUE(window.imageSubWindow()->windowTitle().startsWith("a.fit "));
  DisplayPanel& panel = *window.displayPanel();
  EXPECT_FALSE(panel.flatBox()->isVisible());
  program.app->series.runActive = true;  // a run owns the frames
  window.refresh();
  EXPECT_FALSE(window.action(Command::Serieladen1)->isEnabled());
  EXPECT_FALSE(panel.frameSlider()->isEnabled());
  EXPECT_TRUE(window.action(Command::Exit1)->isEnabled());
  program.app->series.runActive = false;
  window.refresh();
  // Blink steps on every timer tick and wraps from the last frame to the first.
  panel.blinkBox()->click();
  ASSERT_TRUE(window.blinkTimer()->isActive());
  for (int expected : {2, 3, 1}) {
    QMetaObject::invokeMethod(window.blinkTimer(), "timeout");
    EXPECT_EQ(program.app->series.Activeframe(), expected);
    EXPECT_EQ(panel.frameSlider()->value(), expected);
  }
  panel.blinkBox()->click();
  EXPECT_FALSE(window.blinkTimer()->isActive());
  std::filesystem::remove(files[0]);  // flipping turns the frame in place: no reading
  panel.flipBox()->click();
  panel.flipBox()->click();
  EXPECT_TRUE(program.script.messages.empty());
  // At 50 % half as wide; the readout 0-based, the star at column 30, row 20 the maximum.
  program.zoom(3);
  ImageWidget& image = *window.imageWindow()->imageWidget();
  EXPECT_EQ(image.width(), kWidth / 2);
  QTest::mouseMove(&image, QPoint(14, 10));
  EXPECT_TRUE(window.statusPanel(1)->text().startsWith("X=28 Y=20 I=100 Max=20100"))
      << window.statusPanel(1)->text().toStdString();
  window.resize(1000, 700);
  EXPECT_TRUE(window.close());
  IniFile ini(program.dir.file("vargaze1.ini"));
  EXPECT_EQ(ini.ReadString("Window", "WindowWidth", ""), "1000");
  EXPECT_EQ(ini.ReadString("Window", "WindowHeight", ""), "700");
}

// The demo project, then a ROI clicked on its variable at 50 % (centred
// within half a pixel, the ring, the star information), then a Shift-drag.
TEST(MainWindowGui, DemoProjectAndRoisByMouse) {
  Program program;
  demo::writeDemoSeries({}, program.dir.path().string());
  const demo::DemoDesign design = demo::makeDemoDesign({});
  MainWindow& window = program.window;
  program.script.answers.push_back(UiPort::Answer::No);
  program.startWith(program.dir.file(demo::kProjectFileName));
  EXPECT_EQ(program.script.questions, std::vector<std::string>{"Lichtkurve darstellen?"});
  EXPECT_EQ(window.displayPanel()->frameSlider()->maximum(), 40);
  ImageWidget& image = *window.imageWindow()->imageWidget();
  window.run(Command::ClearROIs1);
  window.run(Command::MROIneu);
  program.zoom(3);  // 50 %
  const demo::NamedStar& star = design.named[demo::kVariable];
  const QPoint at(int((star.x - 0.5) / 2), int((star.y - 1.5) / 2));  // half a pixel off
  QTest::mouseClick(&image, Qt::LeftButton, {}, at);
  bool starInfoShown = false;
  answerNextDialog([&](QWidget* dialog) { starInfoShown = dialog && dialog->close(); });
  QTest::mouseClick(&image, Qt::LeftButton, {}, at);  // on the star: its ring
  const TRoi1& roi = program.app->roiWindow.roi(1);
  EXPECT_TRUE(std::abs(roi.xa - star.x) <= 0.5 && std::abs(roi.ya - star.y) <= 0.5) << roi.xa;
  EXPECT_EQ(std::pair(roi.xb, roi.yb), std::pair(roi.xa, roi.ya));
  EXPECT_TRUE(starInfoShown);
  EXPECT_EQ(window.statusPanel(0)->text(), "ROIs OK");
  // (1, -1) on the screen at 50 % is (2, -2) pixels.
  program.app->roiWindow.AutocenterCheckBox = false;
  window.run(Command::MROIedit);
  const std::vector<TRoi1> before = program.app->roiWindow.ROIlist;
  QTest::mousePress(&image, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 5));
  QTest::mouseRelease(&image, Qt::LeftButton, Qt::ShiftModifier, QPoint(6, 4));
  for (std::size_t n = 0; n < before.size(); ++n) {
    EXPECT_EQ(program.app->roiWindow.ROIlist[n].xa, before[n].xa + 2) << n;
    EXPECT_EQ(program.app->roiWindow.ROIlist[n].ya, before[n].ya - 2) << n;
  }
}

// "Ja" to "Lichtkurve darstellen?" measures the demo project and shows its
// curve; Live then takes two frames copied into the folder once they stayed
// unchanged for two seconds of the injected clock (which gains a second at
// every reading; the scans come every real second).
TEST(MainWindowGui, DemoCurveShownAndFollowedLive) {
  std::chrono::steady_clock::time_point now;
  Program program("[Curve]\r\nAutocurveRefreshSec=1\r\n",
                  [&now] { return now += std::chrono::seconds(1); });
  demo::writeDemoSeries({}, program.dir.path().string());
  program.script.answers = {UiPort::Answer::Yes};
  program.startWith(program.dir.file(demo::kProjectFileName));
  CurveWindow& curve = *program.window.curveWindow();
  ASSERT_TRUE(curve.isVisible());
  const auto pointCounts = [&curve] {
    std::vector<qsizetype> counts;
    for (int k = 0; k < kCurvePairs; ++k) counts.push_back(curve.pointSeries(k)->count());
    return counts;
  };
  EXPECT_EQ(pointCounts(), std::vector<qsizetype>(5, 40));  // its axes: CurveWindowTest

  program.script.answers = {UiPort::Answer::Yes};  // the live question
  curve.findChild<QPushButton*>("LifeBtn")->click();
  ASSERT_TRUE(program.app->live.on());
  EXPECT_TRUE(program.window.autoCurveTimer()->isActive());
  for (const char* name : {"041", "042"}) {
    std::filesystem::copy_file(program.dir.file("demo_001.fit"),
                               program.dir.file(std::string("demo_") + name + ".fit"));
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return pointCounts() == std::vector<qsizetype>(5, 42); }, 15000));
  curve.findChild<QPushButton*>("StopButton")->click();
  EXPECT_FALSE(program.app->live.on() || program.window.autoCurveTimer()->isActive());
}

}  // namespace
}  // namespace vargaze::test
