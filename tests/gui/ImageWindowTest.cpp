// The image window on a small synthetic frame: the zoomed size, the frame's
// pixels and a ROI frame in the grabbed picture, the readout under the mouse
// and panning with the middle button.
#include "gui/ImageWindow.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "gui/ImageWidget.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

// A black 40 x 30 frame with one pixel of 1000 at the 1-based (11, 21), the
// display levels 0..1000, and ROI 1 of size 5 at (30, 10).
class ImageWindowTest : public ::testing::Test, protected AppRig {
 protected:
  void SetUp() override {
    blankFrame(40, 30).putpixel(11, 21, 1000);
    app.series.img->getminmax();
    std::tie(app.series.displayLower, app.series.displayUpper) = std::pair(0, 1000);
    addRoi(30, 10, 5);
  }
  void show(double zoom) {
    app.settings.ZoomFactor = zoom;
    app.imageView.ShowImage();
    window.refresh();
  }

  ImageWindow window{app.imageView};
};

TEST_F(ImageWindowTest, PaintsTheFrameAndTheRoiFrameAtTheZoom) {
  show(0.5);
  EXPECT_EQ(window.imageWidget()->size(), QSize(20, 15));
  show(2.0);
  const QImage shot = window.imageWidget()->grab().toImage();
  ASSERT_EQ(shot.size(), QSize(80, 60));
  const auto expect = [&shot](QRgb colour, std::initializer_list<QPoint> points) {
    for (const QPoint p : points) EXPECT_EQ(shot.pixel(p), colour) << p.x() << "," << p.y();
  };
  // Pixel (11, 21) is 0-based (10, 20): screen 20..21 x 40..41 at zoom 2. The
  // star box, half-size 2 around 0-based (29, 9), pixels 27..31 x 7..11, is
  // drawn through the screen corners (54, 14) and (62, 22).
  expect(qRgb(255, 255, 255), {{20, 40}, {21, 41}});
  expect(qRgb(255, 0, 0), {{54, 14}, {62, 14}, {58, 22}, {54, 18}, {62, 22}});
  expect(qRgb(0, 0, 0), {{19, 40}, {22, 41}, {20, 39}, {58, 18}, {53, 14}, {63, 22}});
}

TEST_F(ImageWindowTest, MouseMoveReportsThePixelAndTheMiddleButtonPans) {
  show(2.0);
  window.resize(200, 200);
  window.show();
  QWidget* picture = window.imageWidget();
  QSignalSpy readout(&window, &ImageWindow::readoutChanged);
  QTest::mouseMove(picture, QPoint(21, 40));  // 10.5 -> 10
  ASSERT_EQ(readout.count(), 1);
  EXPECT_EQ(readout[0][0].toString(), "X=10 Y=20 I=1000 Max=1000");
  show(4.0);  // 160 x 120 in a smaller window: both scroll bars
  window.resize(100, 80);
  QSignalSpy forwarded(&window, &ImageWindow::pressed);
  QTest::mousePress(picture, Qt::MiddleButton, {}, QPoint(50, 40));
  QTest::mouseMove(picture, QPoint(40, 39));  // 10 left, 1 up: too little to scroll vertically
  EXPECT_EQ(window.horizontalScrollBar()->value(), 10);
  EXPECT_EQ(window.verticalScrollBar()->value(), 0);
  QTest::mouseRelease(picture, Qt::MiddleButton, {}, QPoint(50, 39));
  EXPECT_EQ(forwarded.count(), 0);
  QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(60, 40));
  EXPECT_EQ(forwarded.count(), 1);
}

}  // namespace
}  // namespace vargaze::test
