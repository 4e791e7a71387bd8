#include "gui/StarFinderWindow.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Application.h"
#include "gui/ProgressDialog.h"
#include "gui/QtUi.h"

namespace vargaze {

namespace {

QSpinBox* spinBox(const SpinControl& control, int step, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setRange(control.minimum, control.maximum);
  box->setSingleStep(step);
  box->setValue(control.value);
  return box;
}

class BusyCursor {
 public:
  BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

StarFinderWindow::StarFinderWindow(Application& app, QtUi& ui, QWidget* parent)
    // On top, so that "Abbruch" stays in reach while the image repaints.
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      app_(app),
      ui_(ui),
      sensitivity_(new QButtonGroup(this)),
      maxcount_(spinBox(model_.MaxcountEdit, 1000, this)),
      minSN_(spinBox(model_.MinSNEdit, 1, this)),
      start_(new QPushButton("Start", this)),
      cancel_(new QPushButton("Abbruch", this)) {
  setWindowTitle("Automatic star marker");

  auto* sensitivityBox = new QGroupBox("Empfindlichkeit", this);
  auto* items = new QVBoxLayout(sensitivityBox);
  int id = 0;
  for (const char* item : {"gering (nur helle Sterne)", "mittel", "hoch"}) {
    auto* button = new QRadioButton(item, sensitivityBox);
    sensitivity_->addButton(button, id++);
    items->addWidget(button);
  }
  sensitivity_->button(model_.sensitivity)->setChecked(true);

  auto* limits = new QFormLayout;
  limits->addRow("Maximum counts", maxcount_);
  limits->addRow("Minimum S/N", minSN_);

  start_->setDefault(true);
  connect(start_, &QPushButton::clicked, this, &StarFinderWindow::startClicked);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(start_);
  buttons->addWidget(cancel_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Automatische Stern-Markierung", this));
  layout->addWidget(sensitivityBox);
  layout->addLayout(limits);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::int32_t StarFinderWindow::run() {
  if (searching_) return 0;
  if (!prepareFindstars(app_.roiWindow, model_)) return 0;
  maxcount_->setValue(model_.MaxcountEdit.value);
  start_->setEnabled(true);
  if (exec() != QDialog::Accepted) return 0;

  // exec() left the window hidden; shown again it is not modal.
  start_->setEnabled(false);
  show();
  raise();
  searching_ = true;
  std::optional<std::int32_t> count;
  {
    BusyCursor busy;
    app_.roiWindow.startCommand();
    count = searchStars(app_.roiWindow, model_, searchRect());
  }
  searching_ = false;
  app_.roiWindow.ROIchanged = true;
  // Hidden first: a window on top could cover the message.
  hide();
  if (!count) return 0;
  reportStarsFound(ui_, *count);
  return *count;
}

void StarFinderWindow::startClicked() {
  model_.sensitivity = sensitivity_->checkedId();
  model_.MaxcountEdit.set(maxcount_->value());
  model_.MinSNEdit.set(minSN_->value());
  accept();
}

void StarFinderWindow::reject() {
  // During the search "Abbruch", Escape and closing the window all stop it
  // after the row it is in; what it found stays.
  if (searching_) ui_.progressWindow().requestCancel();
  QDialog::reject();
}

std::optional<ImageRect> StarFinderWindow::searchRect() const {
  const std::optional<ScreenRect>& rect = app_.imageView.Rect1;
  if (!rect) return std::nullopt;
  const ScreenPoint topLeft = app_.imageView.imagePosition(rect->left, rect->top);
  const ScreenPoint bottomRight = app_.imageView.imagePosition(rect->right, rect->bottom);
  return ImageRect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace vargaze
