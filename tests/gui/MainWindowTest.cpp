// The desktop program end to end on the offscreen platform: starting with a
// frame or the demo project, the menus, commands held during a run, blink,
// flip, zoom, the pixel readout and closing.
#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app/Application.h"
#include "config/IniFile.h"
#include "demo/DemoSeries.h"
#include "demo/DemoWriter.h"
#include "gui/DisplayPanel.h"
#include "gui/FileChooser.h"
#include "gui/ImageWidget.h"
#include "gui/ImageWindow.h"
#include "gui/MainWindow.h"
#include "gui/QtUi.h"
#include "support/EnvGuard.h"
#include "support/SyntheticFrame.h"
#include "support/TempDir.h"

namespace vargaze::test {
namespace {

// One program as `vargaze` starts it, with its configuration in a temporary
// program folder and every question answered from a script.
class Program {
 public:
  explicit Program(const TempDir& dir, const std::string& ini = "") : home_("VARGAZE_HOME", dir.path().string()) {
    if (!ini.empty()) writeBytes(dir.file("vargaze1.ini"), ini);
    ui.setScript(&script);
    app = std::make_unique<Application>(ui);
    window = std::make_unique<MainWindow>(*app, ui, chooser);
    window->show();
  }
  // Starts with `file` as its argument and lets the start run.
  void startWith(const std::string& file) {
    window->startWith(file);
    QTest::qWait(50);
  }

  EnvGuard home_;
  UiScript script;
  QtUi ui;
  ScriptedFileChooser chooser;
  std::unique_ptr<Application> app;
  std::unique_ptr<MainWindow> window;
};

std::string frameFile(const TempDir& dir, const std::string& name) {
  FrameContent content;
  content.stars = {{30, 20, 20000.0, 0.0}};
  writeFrame(dir.file(name), content);
  return dir.file(name);
}

TEST(MainWindowGui, StartsWithAFrameInAnyCase) {
  for (const char* name : {"one.fits", "TWO.FIT"}) {
    TempDir dir;
    Program program(dir);
    program.startWith(frameFile(dir, name));
    DisplayPanel& panel = *program.window->displayPanel();
    EXPECT_TRUE(panel.blinkBox()->isEnabled()) << name;
    EXPECT_EQ(panel.frameSlider()->maximum(), 1) << name;
    ASSERT_NE(program.window->imageWindow(), nullptr) << name;
    EXPECT_TRUE(program.window->imageSubWindow()->windowTitle().startsWith(name)) << name;
  }
}

TEST(MainWindowGui, MenusFollowPrivateModeAndTestmode) {
  for (int flags = 0; flags < 4; ++flags) {
    TempDir dir;
    const bool privateMode = (flags & 1) != 0;
    const bool testmode = (flags & 2) != 0;
    Program program(dir, std::string("[Test]\r\nPrivateMode=") + (privateMode ? "1" : "0") +
                             "\r\nTestmode=" + (testmode ? "1" : "0") + "\r\n");
    bool processingMenu = false;
    for (QAction* menu : program.window->menuBar()->actions()) {
      if (menu->text() == "Bearbeitung") processingMenu = menu->isVisible();
    }
    EXPECT_EQ(processingMenu, privateMode) << flags;
    EXPECT_EQ(program.window->action(Command::JPGexport)->isVisible(), privateMode) << flags;
    EXPECT_EQ(program.window->action(Command::findstars1)->isVisible(), testmode) << flags;
  }
}

TEST(MainWindowGui, SeriesDisplayBlinkFlipZoomReadoutAndClose) {
  TempDir dir;
  Program program(dir);
  MainWindow& window = *program.window;
  const std::vector<std::string> files{frameFile(dir, "a.fit"), frameFile(dir, "b.fit"),
                                       frameFile(dir, "c.fit")};
  program.chooser.answers.push_back(files);
  window.run(Command::Serieladen1);
  ASSERT_EQ(program.app->series.FramesLoaded, 3);
  DisplayPanel& panel = *window.displayPanel();
  EXPECT_FALSE(panel.flatBox()->isVisible());

  // Commands that would replace the series wait while a run owns the frames.
  program.app->series.runActive = true;
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

  // Flip twice: the frame turns in place, its file is not read again.
  std::filesystem::remove(files[0]);
  panel.flipBox()->click();
  panel.flipBox()->click();
  EXPECT_TRUE(program.script.messages.empty());

  // At 50 % the picture is half as wide; the readout names the pixel under
  // the mouse, 0-based, with the brightest pixel around it (the star at
  // column 30, row 20).
  panel.zoomBox()->setCurrentIndex(3);
  emit panel.zoomBox()->activated(3);
  ImageWidget& image = *window.imageWindow()->imageWidget();
  EXPECT_EQ(image.width(), kWidth / 2);
  QTest::mouseMove(&image, QPoint(14, 10));  // pixel (29, 21), next to the star
  EXPECT_TRUE(window.statusPanel(1)->text().startsWith("X=28 Y=20 I=100 Max=20100"))
      << window.statusPanel(1)->text().toStdString();

  window.resize(1000, 700);
  EXPECT_TRUE(window.close());
  IniFile ini(dir.file("vargaze1.ini"));
  EXPECT_EQ(ini.ReadString("Window", "WindowWidth", ""), "1000");
  EXPECT_EQ(ini.ReadString("Window", "WindowHeight", ""), "700");
}

TEST(MainWindowGui, StartsWithTheDemoProject) {
  TempDir dir;
  const std::vector<std::string> written = demo::writeDemoSeries({}, dir.path().string());
  Program program(dir);
  program.script.answers.push_back(UiPort::Answer::No);  // "Lichtkurve darstellen?"
  program.startWith(dir.file(demo::kProjectFileName));
  EXPECT_EQ(program.script.questions, std::vector<std::string>{"Lichtkurve darstellen?"});
  EXPECT_EQ(program.app->series.FramesLoaded, 40);
  EXPECT_EQ(program.window->displayPanel()->frameSlider()->maximum(), 40);
  const ImageOverlays overlays = program.app->imageView.overlays();
  EXPECT_EQ(overlays.rois.size(), static_cast<std::size_t>(program.app->roiWindow.count()));
  EXPECT_GE(overlays.rois.size(), 5u);
  // The first ROI's frame is drawn in red around its star.
  const QImage shot = program.window->imageWindow()->imageWidget()->grab().toImage();
  const RoiOverlay& first = overlays.rois.front().number == 1 ? overlays.rois.front() : overlays.rois.back();
  EXPECT_EQ(shot.pixelColor(first.starBox.left, (first.starBox.top + first.starBox.bottom) / 2),
            QColor(Qt::red));
}

// Clicking the demo's stars at three zooms: each click puts a ROI on the star
// (centred within half a pixel of where it was put into the frame), the
// second click its ring, after which the star information is asked for.
TEST(MainWindowGui, RoisByMouseOnTheDemoStars) {
  TempDir dir;
  demo::writeDemoSeries({}, dir.path().string());
  const demo::DemoDesign design = demo::makeDemoDesign({});
  Program program(dir);
  program.script.answers.push_back(UiPort::Answer::No);  // "Lichtkurve darstellen?"
  program.startWith(dir.file(demo::kProjectFileName));
  MainWindow& window = *program.window;
  window.run(Command::ClearROIs1);
  window.run(Command::MROIneu);
  ImageWidget& image = *window.imageWindow()->imageWidget();
  int starInfoShown = 0;
  const int zooms[] = {0, 1, 3};  // 150 %, 100 %, 50 %
  for (int i = 0; i < 3; ++i) {
    window.displayPanel()->zoomBox()->setCurrentIndex(zooms[i]);
    emit window.displayPanel()->zoomBox()->activated(zooms[i]);
    const demo::NamedStar& star = design.named[static_cast<std::size_t>(i)];
    const double zoom = program.app->settings.ZoomFactor;
    // Half a pixel off the star's 0-based position, where a careless click lands.
    const QPoint at(static_cast<int>((star.x - 0.5) * zoom), static_cast<int>((star.y - 1.5) * zoom));
    QTest::mouseClick(&image, Qt::LeftButton, {}, at);
    QTimer::singleShot(0, [&] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        ++starInfoShown;
        dialog->close();
      }
    });
    QTest::mouseClick(&image, Qt::LeftButton, {}, at);  // on the star: its ring
    const TRoi1& roi = program.app->roiWindow.roi(i + 1);
    EXPECT_LE(std::abs(roi.xa - star.x), 0.5) << star.name;
    EXPECT_LE(std::abs(roi.ya - star.y), 0.5) << star.name;
    EXPECT_EQ(roi.xb, roi.xa) << star.name;
  }
  EXPECT_EQ(starInfoShown, 3);
  EXPECT_EQ(window.statusPanel(0)->text(), "ROIs OK");

  // Shift-drag from empty sky moves every ROI by the drag: (1, -1) on the
  // screen at 50 % is (2, -2) pixels.
  program.app->roiWindow.AutocenterCheckBox = false;  // keep them where they are put
  window.run(Command::MROIedit);
  std::vector<TRoi1> before = program.app->roiWindow.ROIlist;
  QTest::mousePress(&image, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 5));
  QTest::mouseRelease(&image, Qt::LeftButton, Qt::ShiftModifier, QPoint(6, 4));
  for (std::size_t n = 0; n < before.size(); ++n) {
    EXPECT_EQ(program.app->roiWindow.ROIlist[n].xa, before[n].xa + 2) << n;
    EXPECT_EQ(program.app->roiWindow.ROIlist[n].ya, before[n].ya - 2) << n;
  }
}

}  // namespace
}  // namespace vargaze::test
