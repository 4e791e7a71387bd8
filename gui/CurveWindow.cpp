#include "gui/CurveWindow.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>
#include <filesystem>

#include "app/Application.h"
#include "gui/CurveSelectDialog.h"
#include "gui/FileChooser.h"

namespace vargaze {

namespace {

constexpr int kRefreshMs = 1000;
constexpr int kMarkerSize = 7;  // pixels
constexpr int kLineWidth = 2;

QString text(const std::string& s) {
  return QString::fromStdString(s);
}

QList<QPointF> pointsOf(const std::vector<CurvePoint>& curve) {
  QList<QPointF> list;
  list.reserve(static_cast<qsizetype>(curve.size()));
  for (const CurvePoint& p : curve) list.append(QPointF(p.x, p.y));
  return list;
}

// Tick labels exactly as the model writes them, each at its value.
void showAxis(QCategoryAxis* axis, const CurveAxis& model) {
  for (const QString& label : axis->categoriesLabels()) axis->remove(label);
  axis->setTitleText(text(model.title));
  axis->setRange(model.minimum, model.maximum);
  axis->setStartValue(model.minimum);
  double previous = model.minimum;
  for (const AxisTick& tick : model.ticks) {
    if (tick.value <= previous) continue;  // a category must end after the previous one
    axis->append(text(tick.label), tick.value);
    previous = tick.value;
  }
  axis->setReverse(model.inverted);
}

// The picture of one point. A line series without pen that draws this at
// every point paints a curve of thousands of frames at once; a scatter
// series would make a graphics item of every point.
QImage pointMarker(const QColor& colour) {
  const int size = kMarkerSize;
  QImage marker(size, size, QImage::Format_ARGB32_Premultiplied);
  marker.fill(Qt::transparent);
  QPainter painter(&marker);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
  return marker;
}

template <class Widget>
Widget* named(Widget* widget, const char* name, const char* hint = nullptr) {
  widget->setObjectName(name);
  if (hint != nullptr) widget->setToolTip(QString::fromUtf8(hint));
  return widget;
}

}  // namespace

CurveWindow::CurveWindow(Application& app, FileChooser& files, QWidget* parent)
    : QWidget(parent, Qt::Window),
      app_(app),
      files_(files),
      model_(app),
      chart_(new QChart),
      view_(new QChartView(chart_, this)) {
  setWindowTitle(CurveView::kCaption);
  buildChart();
  buildLiveControls();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(buildPanel());
  layout->addWidget(view_, 1);
  resize(860, 560);

  selectDialog_ = new CurveSelectDialog(model_.selectForm, this);
  selectDialog_->setWindowModality(Qt::WindowModal);
  connect(selectDialog_, &QDialog::accepted, this, [this] {
    model_.AuswahlOk();
    showVisibility();
    showAxes();
  });

  refreshTimer_ = new QTimer(this);
  refreshTimer_->setInterval(kRefreshMs);
  connect(refreshTimer_, &QTimer::timeout, this, [this] {
    followCurve();
    refreshLive();
  });
  refreshTimer_->start();
  // Live mode lets events run while a cycle measures: the sign turns yellow then.
  app_.live.signChanged = [this] { refreshLive(); };
  showAll();
  followCurve();
  refreshLive();
}

CurveWindow::~CurveWindow() {
  app_.live.signChanged = nullptr;
}

QHBoxLayout* CurveWindow::buildPanel() {
  lineButton_ = named(new QToolButton(this), "LineButton", CurveView::kLinesHint);
  lineButton_->setText(CurveView::kLinesCaption);
  lineButton_->setCheckable(true);
  connect(lineButton_, &QToolButton::toggled, this, [this](bool down) {
    model_.SpeedButton1Click(down);
    showVisibility();
    showLines();
  });
  smvalueEdit_ = named(new QSpinBox(this), "SmvalueEdit");
  smvalueEdit_->setRange(0, CurveView::kMaxSmoothing);
  smvalueEdit_->setValue(model_.SmValue);
  connect(smvalueEdit_, &QSpinBox::valueChanged, this, [this](int value) {
    model_.SmvalueEditChange(value);
    showLines();
  });
  auto* exitButton =
      named(new QPushButton(QString::fromUtf8(CurveView::kExitCaption), this), "ExitButton");
  connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
  auto* printButton =
      named(new QPushButton(CurveView::kPrintCaption, this), "Printbutton", CurveView::kPrintHint);
  connect(printButton, &QPushButton::clicked, this, &CurveWindow::PrintbuttonClick);
  auto* bmpButton =
      named(new QPushButton(CurveView::kBmpCaption, this), "BMPButton", CurveView::kBmpHint);
  connect(bmpButton, &QPushButton::clicked, this, &CurveWindow::BMPButtonClick);
  titleEdit_ =
      named(new QLineEdit(text(model_.TitleEdit), this), "TitleEdit", CurveView::kTitleHint);
  connect(titleEdit_, &QLineEdit::textEdited, this, [this](const QString& title) {
    model_.TitleEditChange(title.toStdString());
    chart_->setTitle(title);
  });
  auto* selectButton = named(new QPushButton(CurveView::kSelectCaption, this), "AuswahlButton",
                             CurveView::kSelectHint);
  connect(selectButton, &QPushButton::clicked, this, &CurveWindow::AuswahlButtonClick);

  auto* panel = new QHBoxLayout;
  panel->addWidget(lineButton_);
  panel->addWidget(
      named(new QLabel(QString::fromUtf8(CurveView::kSmoothingLabel), this), "smoothLabel"));
  panel->addWidget(smvalueEdit_);
  panel->addSpacing(12);
  panel->addWidget(exitButton);
  panel->addWidget(printButton);
  panel->addWidget(bmpButton);
  panel->addWidget(titleEdit_, 1);
  panel->addWidget(selectButton);
  return panel;
}

void CurveWindow::buildChart() {
  view_->setObjectName("Chart1");
  view_->setRenderHint(QPainter::Antialiasing);
  chart_->legend()->setAlignment(Qt::AlignRight);
  chart_->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  timeAxis_ = new QCategoryAxis;
  magAxis_ = new QCategoryAxis;
  for (QCategoryAxis* axis : {timeAxis_, magAxis_})
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  chart_->addAxis(timeAxis_, Qt::AlignBottom);
  chart_->addAxis(magAxis_, Qt::AlignLeft);
  for (std::size_t k = 0; k < kCurvePairs; ++k) {
    points_[k] = new QLineSeries;
    points_[k]->setPointsVisible(true);
    points_[k]->setMarkerSize(kMarkerSize);
    lines_[k] = new QLineSeries;
    for (QXYSeries* series :
         {static_cast<QXYSeries*>(points_[k]), static_cast<QXYSeries*>(lines_[k])}) {
      chart_->addSeries(series);
      series->attachAxis(timeAxis_);
      series->attachAxis(magAxis_);
    }
  }
}

// "Live", "Stop" and the refresh sign sit on the chart's top left corner.
void CurveWindow::buildLiveControls() {
  auto* box = new QWidget(view_);
  lifeBtn_ = named(new QPushButton(CurveView::kLiveCaption, box), "LifeBtn");
  stopButton_ = named(new QPushButton(CurveView::kStopCaption, box), "StopButton");
  refreshSign_ = named(new QLabel(box), "RefreshSign");
  refreshSign_->setFixedSize(14, 14);
  connect(lifeBtn_, &QPushButton::clicked, this, &CurveWindow::LifeBtnClick);
  connect(stopButton_, &QPushButton::clicked, this, &CurveWindow::StopButtonClick);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSizeConstraint(QLayout::SetFixedSize);  // follows Stop being shown or hidden
  row->addWidget(lifeBtn_);
  row->addWidget(stopButton_);
  row->addWidget(refreshSign_);
  box->move(8, 8);
  stopButton_->hide();
}

bool CurveWindow::followCurve() {
  if (!model_.followCurve()) return false;
  titleEdit_->setText(text(model_.TitleEdit));
  showAll();
  showNormal();
  return true;
}

void CurveWindow::refreshLive() {
  lifeBtn_->setEnabled(model_.LifeBtnEnabled());
  stopButton_->setVisible(model_.StopButtonVisible());
  QColor colour = palette().color(QPalette::Button);
  if (model_.refreshSign() == RefreshSign::Yellow) colour = QColor(Qt::yellow);
  if (model_.refreshSign() == RefreshSign::Green) colour = QColor(Qt::green);
  if (colour == signColour_) return;
  signColour_ = colour;
  refreshSign_->setStyleSheet(
      QString("background-color: %1; border: 1px solid gray; border-radius: 7px;")
          .arg(colour.name()));
}

void CurveWindow::showAll() {
  chart_->setTitle(text(model_.title));
  for (std::size_t k = 0; k < kCurvePairs; ++k) {
    const CurvePair& c = model_.curves[k];
    const QColor colour(QRgb(c.colour));
    points_[k]->setName(text(c.legend));
    points_[k]->setPen(Qt::NoPen);
    points_[k]->setLightMarker(pointMarker(colour));
    points_[k]->replace(pointsOf(c.points));
    lines_[k]->setPen(QPen(colour, kLineWidth));
  }
  showLines();
  showVisibility();
  showAxes();
}

void CurveWindow::showVisibility() {
  for (std::size_t k = 0; k < kCurvePairs; ++k) {
    const CurvePair& c = model_.curves[k];
    points_[k]->setVisible(c.pointsVisible);
    lines_[k]->setVisible(c.lineVisible);
    for (QLegendMarker* marker : chart_->legend()->markers(points_[k]))
      marker->setVisible(c.pointsVisible);
    for (QLegendMarker* marker : chart_->legend()->markers(lines_[k])) marker->setVisible(false);
  }
}

void CurveWindow::showLines() {
  for (std::size_t k = 0; k < kCurvePairs; ++k) lines_[k]->replace(pointsOf(model_.curves[k].line));
}

void CurveWindow::showAxes() {
  showAxis(timeAxis_, model_.timeAxis);
  showAxis(magAxis_, model_.magAxis);
}

void CurveWindow::AuswahlButtonClick() {
  selectDialog_->open();
}

// The chart alone, without the live buttons that sit on it.
QImage CurveWindow::picture() const {
  QImage image(view_->viewport()->size(), QImage::Format_RGB888);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  view_->render(&painter, QRectF(image.rect()), view_->viewport()->rect());
  return image;
}

bool CurveWindow::saveBmp(const QString& filename) {
  if (picture().save(filename, "BMP")) return true;
  app_.ui().showMessage("Fehler beim Speichern der Datei " + filename.toStdString());
  return false;
}

void CurveWindow::BMPButtonClick() {
  std::string name =
      files_.saveFile(CurveView::kBmpHint, app_.series.imagepath, CurveView::kBmpFilter, "");
  if (name.empty()) return;
  if (std::filesystem::path(name).extension().empty()) name += ".bmp";
  saveBmp(text(name));
}

void CurveWindow::print(QPrinter& printer) {
  printer.setPageOrientation(QPageLayout::Landscape);
  QPainter painter(&printer);
  view_->render(&painter, QRectF(painter.viewport()), view_->viewport()->rect());
}

void CurveWindow::PrintbuttonClick() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) print(printer);
}

void CurveWindow::LifeBtnClick() {
  try {
    model_.LifeBtnClick();
  } catch (const std::exception& e) {
    app_.ui().showMessage(e.what());
  }
  followCurve();
  refreshLive();
  emit liveModeChanged();
}

void CurveWindow::StopButtonClick() {
  model_.StopButtonClick();
  refreshLive();
  emit liveModeChanged();
}

}  // namespace vargaze
