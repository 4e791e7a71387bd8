#include "gui/ImageWindow.h"

#include <QScrollBar>
#include <cstdlib>

#include "app/ImageView.h"
#include "gui/ImageWidget.h"

namespace vargaze {

ImageWindow::ImageWindow(const ImageView& view, QWidget* parent)
    : QScrollArea(parent), view_(view), image_(new ImageWidget(view)) {
  setWidget(image_);
  setWidgetResizable(false);
  connect(image_, &ImageWidget::pressed, this, &ImageWindow::onPressed);
  connect(image_, &ImageWidget::moved, this, &ImageWindow::onMoved);
  connect(image_, &ImageWidget::released, this, &ImageWindow::onReleased);
  refresh();
}

void ImageWindow::refresh() {
  image_->refresh();
  setWindowTitle(QString::fromStdString(view_.title()));
}

void ImageWindow::setMode(int mode) {
  if (mode == 1) image_->setCursor(Qt::CrossCursor);
  if (mode == 2) image_->setCursor(Qt::DragMoveCursor);
}

void ImageWindow::onPressed(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  // A scroll range means the picture does not fit: a scroll bar is shown.
  const bool scrollable = horizontalScrollBar()->maximum() > 0 || verticalScrollBar()->maximum() > 0;
  if (button == Qt::MiddleButton && scrollable) {
    panning_ = true;
    panStart_ = at;
    cursorBeforePan_ = image_->cursor();
    image_->setCursor(Qt::ClosedHandCursor);
    return;
  }
  emit pressed(at, button, modifiers);
}

void ImageWindow::onMoved(QPoint at) {
  if (panning_) {
    // The distance is taken from the press point in the picture's own pixels,
    // which move with the scrolling: the picture follows the mouse.
    const QPoint distance = panStart_ - at;
    if (std::abs(distance.x()) > 1)
      horizontalScrollBar()->setValue(horizontalScrollBar()->value() + distance.x());
    if (std::abs(distance.y()) >= 2)
      verticalScrollBar()->setValue(verticalScrollBar()->value() + distance.y());
    return;
  }
  emit moved(at);
  emit readoutChanged(QString::fromStdString(view_.readout(at.x(), at.y())));
}

void ImageWindow::onReleased(QPoint at, Qt::MouseButton button,
                             Qt::KeyboardModifiers modifiers) {
  if (panning_) {
    panning_ = false;
    image_->setCursor(cursorBeforePan_);
    return;
  }
  emit released(at, button, modifiers);
}

}  // namespace vargaze
