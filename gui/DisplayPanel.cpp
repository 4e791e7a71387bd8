#include "gui/DisplayPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "config/SettingLimits.h"
#include "series/Series.h"

namespace vargaze {

namespace {

QCheckBox* checkBox(const char* text, const char* hint, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromUtf8(text), parent);
  if (hint != nullptr) box->setToolTip(QString::fromUtf8(hint));
  return box;
}

QScrollBar* levelBar(QWidget* parent) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setRange(0, 1000);
  bar->setMinimumWidth(180);
  return bar;
}

// A control with its caption above it.
QWidget* captioned(const char* caption, QWidget* control, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QString::fromUtf8(caption), box));
  layout->addWidget(control);
  return box;
}

}  // namespace

DisplayPanel::DisplayPanel(Series& series, QWidget* parent) : QWidget(parent), series_(series) {
  auto* levels = new QGroupBox(QStringLiteral("Contrast levels"), this);
  auto* grid = new QGridLayout(levels);
  upper_ = levelBar(levels);
  lower_ = levelBar(levels);
  upperValue_ = new QLabel(levels);
  lowerValue_ = new QLabel(levels);
  upperValue_->setMinimumWidth(48);
  grid->addWidget(new QLabel(QStringLiteral("Upper"), levels), 0, 0);
  grid->addWidget(upper_, 0, 1);
  grid->addWidget(upperValue_, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Lower"), levels), 1, 0);
  grid->addWidget(lower_, 1, 1);
  grid->addWidget(lowerValue_, 1, 2);

  auto* toggles = new QWidget(this);
  auto* toggleGrid = new QGridLayout(toggles);
  toggleGrid->setContentsMargins(0, 0, 0, 0);
  auto_ = checkBox("Auto", "automatische Kontrast Einstellung", toggles);
  planet_ = checkBox("Planet", nullptr, toggles);
  invert_ = checkBox("Invert", "Bilder invertiert darstellen", toggles);
  flip_ = checkBox("Flip vert.", "Bilder vertikal spiegeln", toggles);
  rot180_ = checkBox("180°Rot.", "Bilder um 180° drehen", toggles);
  flat_ = checkBox("Flat corr.", "Flatfield Korrektur (Masterflat muss vorhanden sein)", toggles);
  toggleGrid->addWidget(auto_, 0, 0);
  toggleGrid->addWidget(planet_, 1, 0);
  toggleGrid->addWidget(invert_, 2, 0);
  toggleGrid->addWidget(flip_, 0, 1);
  toggleGrid->addWidget(rot180_, 1, 1);
  toggleGrid->addWidget(flat_, 2, 1);

  gamma_ = new QComboBox(this);
  gamma_->addItems({"1.0", "1.5", "2.0", "2.5", "3.0", "3.5", "4.0"});
  zoom_ = new QComboBox(this);
  for (std::string_view entry : settingLimits::ZoomEntries) {
    zoom_->addItem(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
  }
  blink_ = checkBox("Blink", "Bildserie automatisch ablaufen lassen", this);
  slider_ = new QScrollBar(Qt::Horizontal, this);
  slider_->setMinimumWidth(160);
  slider_->setToolTip(QStringLiteral("Schieberegler für Bildserien"));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(levels);
  layout->addWidget(toggles);
  layout->addWidget(captioned("Gamma", gamma_, this));
  layout->addWidget(captioned("Zoom", zoom_, this));
  layout->addWidget(blink_);
  layout->addWidget(captioned("Image slider", slider_, this));
  layout->addStretch(1);

  connect(upper_, &QScrollBar::valueChanged,
          [this](int v) { forward([&] { series_.UpperscrollbarChange(v); }); });
  connect(lower_, &QScrollBar::valueChanged,
          [this](int v) { forward([&] { series_.LowerScrollBarChange(v); }); });
  connect(auto_, &QCheckBox::clicked,
          [this](bool on) { forward([&] { series_.AutocontrastCheckClick(on); }); });
  connect(planet_, &QCheckBox::clicked,
          [this](bool on) { forward([&] { series_.PlanetCheckBoxClick(on); }); });
  connect(invert_, &QCheckBox::clicked,
          [this](bool on) { forward([&] { series_.InvertCheckBoxClick(on); }); });
  connect(flip_, &QCheckBox::clicked,
          [this](bool on) { forward([&] { series_.FlipcheckClick(on); }); });
  connect(rot180_, &QCheckBox::clicked,
          [this](bool on) { forward([&] { series_.Rot180CheckClick(on); }); });
  connect(flat_, &QCheckBox::clicked, this, &DisplayPanel::flatClicked);
  connect(gamma_, &QComboBox::activated,
          [this](int i) { forward([&] { series_.GammaComboBoxChange(i); }); });
  connect(zoom_, &QComboBox::activated,
          [this](int i) { forward([&] { series_.ZoomfactorComboboxChange(i); }); });
  connect(blink_, &QCheckBox::clicked,
          [this](bool on) { forward([&] { series_.BlinkBoxClick(on); }); });
  connect(slider_, &QScrollBar::valueChanged,
          [this](int v) { forward([&] { series_.BlinkScrollBarChange(v); }); });
  sync(true);
  flat_->hide();  // shown once a master flat can be chosen
}

template <typename Handler>
void DisplayPanel::forward(Handler handler) {
  handler();
  emit changed();
}

void DisplayPanel::sync(bool frameControls) {
  const DisplayControls& c = series_.controls;
  const QSignalBlocker blockers[] = {QSignalBlocker(upper_), QSignalBlocker(lower_),
                                     QSignalBlocker(slider_)};
  upper_->setValue(c.Upperscrollbar);
  lower_->setValue(c.LowerScrollBar);
  upperValue_->setText(QString::fromStdString(c.LblUpper));
  lowerValue_->setText(QString::fromStdString(c.LblLower));
  auto_->setChecked(c.AutocontrastCheck);
  planet_->setChecked(c.PlanetCheckBox);
  planet_->setEnabled(c.PlanetCheckBoxEnabled);
  invert_->setChecked(c.InvertCheckBox);
  flip_->setChecked(c.Flipcheck);
  rot180_->setChecked(c.Rot180Check);
  flat_->setChecked(c.FlatCheck);
  gamma_->setCurrentIndex(c.GammaIndex);
  zoom_->setCurrentIndex(c.ZoomIndex);
  blink_->setChecked(c.BlinkBox);
  blink_->setEnabled(c.BlinkBoxEnabled && frameControls);
  slider_->setRange(1, std::max(1, c.BlinkScrollBarMax));
  slider_->setValue(c.BlinkScrollBarPosition);
  for (QWidget* w : {static_cast<QWidget*>(auto_), static_cast<QWidget*>(invert_),
                     static_cast<QWidget*>(flip_), static_cast<QWidget*>(rot180_),
                     static_cast<QWidget*>(flat_), static_cast<QWidget*>(zoom_),
                     static_cast<QWidget*>(slider_)}) {
    w->setEnabled(frameControls);
  }
}

}  // namespace vargaze
