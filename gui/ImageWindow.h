// The image window: the drawing area in a scroll area, titled with the frame
// on display. The middle button pans the picture while a scroll bar is shown;
// other mouse events go to the main window, which runs the ROI cycle, and the
// mouse position becomes the pixel readout.
#pragma once

#include <QCursor>
#include <QPoint>
#include <QScrollArea>
#include <QString>

namespace vargaze {

class ImageView;
class ImageWidget;

class ImageWindow : public QScrollArea {
  Q_OBJECT

 public:
  explicit ImageWindow(const ImageView& view, QWidget* parent = nullptr);

  // Takes the new picture, its size and title; call after every display.
  void refresh();
  // The mouse cursor of the ROI modes: 1 placing (cross), 2 moving; other
  // modes leave it.
  void setMode(int mode);

  ImageWidget* imageWidget() const { return image_; }

 signals:
  // "X=.. Y=.. I=.. Max=..", or empty outside the frame.
  void readoutChanged(const QString& text);
  void pressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void moved(QPoint at);
  void released(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

 private:
  void onPressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void onMoved(QPoint at);
  void onReleased(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

  const ImageView& view_;
  ImageWidget* image_;
  bool panning_ = false;
  QPoint panStart_;  // press position in drawing-area pixels, kept for the whole pan
  QCursor cursorBeforePan_;
};

}  // namespace vargaze
