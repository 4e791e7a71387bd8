// The image window's drawing area: the display bitmap of the image view,
// stretched to the zoomed size, with the overlays the view lists drawn over it.
// Mouse events leave as signals in drawing-area pixels; the window decides
// what they mean.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace vargaze {

class ImageView;

class ImageWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ImageWidget(const ImageView& view, QWidget* parent = nullptr);

  // Takes the size of the picture on display; call after every display.
  void refresh();

 signals:
  void pressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void moved(QPoint at);
  void released(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The bitmap as a QImage over the view's own pixels. Built for each paint:
  // a new display replaces the pixel buffer, so an older wrapper would point
  // into freed memory.
  QImage wrappedBitmap() const;
  void drawOverlays(QPainter& painter) const;

  const ImageView& view_;
};

}  // namespace vargaze
