#include "gui/ImageWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include "app/ImageView.h"

namespace vargaze {

namespace {

QColor colourOf(std::uint32_t rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The outline through the corner pixels themselves: right and bottom are part
// of the box, as the corners are.
void drawBox(QPainter& painter, const ScreenRect& r) {
  const QPoint corners[] = {{r.left, r.top},
                            {r.right, r.top},
                            {r.right, r.bottom},
                            {r.left, r.bottom},
                            {r.left, r.top}};
  painter.drawPolyline(corners, 5);
}

QRect boundingRect(const ScreenRect& r) {
  return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)).normalized();
}

QPoint mousePoint(const QMouseEvent* event) { return event->position().toPoint(); }

}  // namespace

ImageWidget::ImageWidget(const ImageView& view, QWidget* parent) : QWidget(parent), view_(view) {
  setMouseTracking(true);  // the pixel readout follows the mouse without a button
  setAttribute(Qt::WA_OpaquePaintEvent);
  refresh();
}

void ImageWidget::refresh() {
  resize(view_.imgwidth(), view_.imgheight());
  update();
}

QImage ImageWidget::wrappedBitmap() const {
  const TIndexImage& bitmap = view_.bitmap();
  if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.indices.empty()) return {};
  QImage image(bitmap.indices.data(), bitmap.width, bitmap.height, bitmap.rowBytes,
               QImage::Format_Indexed8);
  const TPalette256 palette = view_.palette();
  QList<QRgb> colours;
  colours.reserve(256);
  for (const TPaletteEntry& entry : palette.palPalEntry)
    colours.push_back(qRgb(entry.red, entry.green, entry.blue));
  image.setColorTable(colours);
  return image;
}

void ImageWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage image = wrappedBitmap();
  if (image.isNull()) {
    painter.fillRect(rect(), palette().window());
    return;
  }
  // Nearest neighbour: the pixels stay the pixels of the frame at any zoom.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(QRect(0, 0, view_.imgwidth(), view_.imgheight()), image);
  drawOverlays(painter);
}

void ImageWidget::drawOverlays(QPainter& painter) const {
  const ImageOverlays overlays = view_.overlays();
  if (overlays.userRect) {
    // Inverting the pixels keeps the rectangle visible on any background.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 0));
    drawBox(painter, *overlays.userRect);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  for (const RoiOverlay& roi : overlays.rois) {
    const QColor colour = colourOf(roi.colour);
    painter.setPen(QPen(colour, 0, Qt::SolidLine));
    drawBox(painter, roi.starBox);
    painter.drawText(QRect(QPoint(roi.labelAt.x, roi.labelAt.y), QSize(200, 100)),
                     Qt::AlignLeft | Qt::AlignTop, QString::number(roi.number));
    if (roi.outerBox) drawBox(painter, *roi.outerBox);
    if (roi.innerBox) drawBox(painter, *roi.innerBox);
  }
  if (overlays.trackstarCircle) {
    painter.setPen(QPen(Qt::red, 0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    const QRect box = boundingRect(*overlays.trackstarCircle);
    // drawEllipse's outline covers one pixel beyond the rectangle's size.
    painter.drawEllipse(box.adjusted(0, 0, -1, -1));
  }
}

void ImageWidget::mousePressEvent(QMouseEvent* event) {
  emit pressed(mousePoint(event), event->button(), event->modifiers());
}

void ImageWidget::mouseMoveEvent(QMouseEvent* event) { emit moved(mousePoint(event)); }

void ImageWidget::mouseReleaseEvent(QMouseEvent* event) {
  emit released(mousePoint(event), event->button(), event->modifiers());
}

}  // namespace vargaze
