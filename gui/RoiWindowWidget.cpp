#include "gui/RoiWindowWidget.h"

#include <limits>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "app/Application.h"
#include "gui/RoiTableModel.h"
#include "gui/SnrDialog.h"

namespace vargaze {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

template <class Widget>
Widget* named(Widget* widget, const char* name, const char* hint = nullptr) {
  widget->setObjectName(name);
  if (hint != nullptr) widget->setToolTip(QString::fromUtf8(hint));
  return widget;
}

// A text field as wide as `sample`.
QLineEdit* field(QWidget* parent, const char* name, bool readOnly, const char* hint = nullptr,
                 const char* sample = "00000.000") {
  auto* edit = named(new QLineEdit(parent), name, hint);
  edit->setReadOnly(readOnly);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(sample) + 12);
  return edit;
}

QSpinBox* sizeBox(QWidget* parent, const char* name) {
  auto* box = named(new QSpinBox(parent), name);
  box->setSingleStep(2);
  return box;
}

QLabel* panel(QWidget* parent, const char* name) {
  auto* label = named(new QLabel(parent), name);
  label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);  // file names get copied
  return label;
}

void showValue(QSpinBox* box, const SpinControl& control) {
  box->setRange(control.minimum, control.maximum);
  box->setValue(control.value);
}

// Typing keeps the cursor: the text is only set when the engine's differs.
void showValue(QLineEdit* edit, const std::string& text) {
  if (edit->text() != qt(text)) edit->setText(qt(text));
}

}  // namespace

RoiWindowWidget::RoiWindowWidget(Application& app, QWidget* parent)
    : QWidget(parent),
      app_(app),
      commands_(app),
      model_(new RoiTableModel(app.roiWindow, this)),
      table_(named(new QTableView(this), "table1")) {
  setWindowTitle(RoiWindowCommands::kTitle);
  buildControls();
  // The window exists from the program's start: the configured aperture
  // sizes apply now, before a project brings its own.
  run([this] { app_.roiWindow.FormShow(); });
}

void RoiWindowWidget::buildControls() {
  table_->setModel(model_);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();  // column "i" numbers the rows
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setWordWrap(false);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) run([&] { commands_.table1SelectCell(current.row() + 1); });
          });
  connect(table_, &QTableView::doubleClicked, this, &RoiWindowWidget::setReferenceClicked);

  filter_ = named(new QComboBox(this), "FilterCombobox", "für die Aufnahmen verwendeter Filterbereich");
  for (int i = 0; i < kFilterCount; ++i) filter_->addItem(filterItemName(i));
  connect(filter_, &QComboBox::activated, this,
          [this](int index) { run([&] { app_.roiWindow.FilterComboboxChange(index); }, true); });
  snr_ = named(new QPushButton("SNR+", this), "SNRButton", "SNR Berechnung mit Szintillation und Stacking");
  snr_->setCheckable(true);
  connect(snr_, &QPushButton::clicked, this, &RoiWindowWidget::snrClicked);
  chart_ = field(this, "AAVSOchartEdit", false, nullptr, "X12345ABCDEF");
  connect(chart_, &QLineEdit::textEdited, this,
          [this](const QString& text) { run([&] { app_.roiWindow.AAVSOchartEdit = text.toStdString(); }); });

  auto* groups = new QHBoxLayout;
  groups->addWidget(apertureGroup());
  groups->addWidget(referenceGroup());
  groups->addWidget(calibrationGroup());
  groups->addWidget(skyGroup());
  auto* options = new QHBoxLayout;
  options->addWidget(new QLabel("Filter", this));
  options->addWidget(filter_);
  options->addSpacing(12);
  options->addWidget(snr_);
  options->addSpacing(12);
  options->addWidget(new QLabel("AAVSO Chart ID", this));
  options->addWidget(chart_);
  options->addStretch();
  file_ = panel(this, "FilePanel");
  jd_ = panel(this, "JDPanel");
  auto* panels = new QHBoxLayout;
  panels->addWidget(file_, 3);
  panels->addWidget(jd_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(groups);
  layout->addLayout(options);
  layout->addWidget(table_, 1);
  layout->addLayout(panels);
}

QGroupBox* RoiWindowWidget::apertureGroup() {
  auto* group = new QGroupBox("Aperture setup", this);
  starSize_ = sizeBox(group, "ROIsizeEdit");
  // The star size is chosen by the arrows only, so it stays odd.
  if (auto* text = starSize_->findChild<QLineEdit*>()) text->setReadOnly(true);
  inner_ = sizeBox(group, "BGinnerEdit");
  outer_ = sizeBox(group, "BGsizeEdit");
  autocenter_ = named(new QCheckBox("Auto center", group), "AutocenterCheckBox", "ROI an Stern anpassen");
  RoiWindow* win = &app_.roiWindow;
  // The sizes count the ROIs again; the main window's timer shows the table.
  const auto resize = [=, this](void (RoiWindow::*set)(std::int32_t), int value) {
    run([&] {
      (win->*set)(value);
      win->ROIchanged = true;
    }, true);
  };
  connect(starSize_, &QSpinBox::valueChanged, this, [=](int v) { resize(&RoiWindow::setStarSize, v); });
  connect(inner_, &QSpinBox::valueChanged, this, [=](int v) { resize(&RoiWindow::setInnerSize, v); });
  connect(outer_, &QSpinBox::valueChanged, this, [=](int v) { resize(&RoiWindow::setOuterSize, v); });
  connect(autocenter_, &QCheckBox::clicked, this,
          [=, this](bool on) { run([&] { win->AutocenterCheckBoxClick(on); }, true); });

  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("star pixel (nxn)      sky pixel", group), 0, 0, 1, 3);
  grid->addWidget(starSize_, 1, 0);
  grid->addWidget(inner_, 1, 1);
  grid->addWidget(outer_, 1, 2);
  grid->addWidget(new QLabel("inner         outer ring", group), 2, 1, 1, 2);
  grid->addWidget(autocenter_, 3, 0, 1, 3);
  return group;
}

QGroupBox* RoiWindowWidget::referenceGroup() {
  auto* group = new QGroupBox("Reference stars", this);
  refstar_ = named(new QSpinBox(group), "RefstarEdit", "ROI-Nummer");
  refstar_->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  refstar_->setMaximumWidth(refstar_->fontMetrics().horizontalAdvance("00000") + 40);
  mag_ = field(group, "MagEdit", true, "Referenz-Helligkeit");
  name_ = field(group, "NameEdit", true, "Katalogname oder ID des Sterns", "GSC 1234-5678 (V1234 Cyg)");
  startype_ = named(new QComboBox(group), "StartypeComboBox", "Stern-Typ");
  startype_->addItems({"Var", "Comp", "Check"});
  auto* set = named(new QPushButton("Set", group), "SetRefButton");
  auto* erase = named(new QPushButton("Erase", group), "ROIclearBtn");
  RoiWindow* win = &app_.roiWindow;
  connect(refstar_, &QSpinBox::valueChanged, this, [=, this](int n) {
    run([&] {
      win->RefstarEdit = n;
      win->refstareditChange();
    });
  });
  connect(startype_, &QComboBox::activated, this,
          [=, this](int type) { run([&] { win->SetStarType(type); }, true); });
  connect(set, &QPushButton::clicked, this, &RoiWindowWidget::setReferenceClicked);
  connect(erase, &QPushButton::clicked, this, [this] {
    bool erased = false;
    run([&] { erased = commands_.ROIclearBtnClick(); });
    if (erased) emit roisChanged();
  });

  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("No.", group), 0, 0);
  grid->addWidget(refstar_, 0, 1);
  grid->addWidget(new QLabel("Mag", group), 0, 2);
  grid->addWidget(mag_, 0, 3);
  grid->addWidget(new QLabel("Name", group), 1, 0);
  grid->addWidget(name_, 1, 1, 1, 3);
  grid->addWidget(startype_, 2, 0, 1, 2);
  grid->addWidget(set, 2, 2);
  grid->addWidget(erase, 2, 3);
  return group;
}

QGroupBox* RoiWindowWidget::calibrationGroup() {
  auto* group = new QGroupBox("Calibration", this);
  magCal_ = field(group, "MagCalEdit", true);
  exposure_ = field(group, "ExposureEdit", true);
  elcount_ = field(group, "ElcountEdit", true);
  pixelsize_ = field(group, "PixelsizeEdit", true);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("Mag cal.", group), 0, 0);
  grid->addWidget(magCal_, 0, 1);
  grid->addWidget(new QLabel("Exposure (s)", group), 1, 0);
  grid->addWidget(exposure_, 1, 1);
  grid->addWidget(new QLabel("El./ADU", group), 2, 0);
  grid->addWidget(elcount_, 2, 1);
  grid->addWidget(new QLabel("Arcsec/ Pixel", group), 3, 0);
  grid->addWidget(pixelsize_, 3, 1);
  return group;
}

QGroupBox* RoiWindowWidget::skyGroup() {
  auto* group = new QGroupBox("Sky", this);
  skymag_ = field(group, "SkymagEdit", true);
  airmass_ = field(group, "AirmassEdit", false);
  connect(airmass_, &QLineEdit::textEdited, this,
          [this](const QString& text) { run([&] { commands_.AirmassEditChange(text.toStdString()); }); });
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("Mean sky background", group), 0, 0, 1, 2);
  grid->addWidget(skymag_, 1, 0);
  grid->addWidget(new QLabel("mag/arcsec^2", group), 1, 1);
  grid->addWidget(new QLabel("Airmass", group), 2, 0, 1, 2);
  grid->addWidget(airmass_, 3, 0);
  return group;
}

void RoiWindowWidget::run(const std::function<void()>& handler, bool roisChange) {
  if (syncing_) return;
  try {
    handler();
  } catch (const std::exception& e) {
    app_.ui().showMessage(e.what());
  }
  refresh();
  if (roisChange) emit roisChanged();
}

void RoiWindowWidget::setReferenceClicked() {
  std::int32_t roi = 0;
  run([&] { roi = commands_.SetRefButtonClick(); });
  if (roi == 0) return;
  emit starInfoRequested(roi);
  run([&] { commands_.starInfoClosed(); }, true);
}

void RoiWindowWidget::snrClicked() {
  run([&] {
    commands_.SNRButtonClick([this] { return SnrDialog(commands_.snrForm, this).exec() == QDialog::Accepted; });
  });
}

void RoiWindowWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  run([&] { app_.roiWindow.FormShow(); }, true);
}

void RoiWindowWidget::refresh() {
  const RoiWindow& win = app_.roiWindow;
  syncing_ = true;
  showValue(starSize_, win.ROIsizeEdit);
  showValue(inner_, win.BGinnerEdit);
  showValue(outer_, win.BGsizeEdit);
  autocenter_->setChecked(win.AutocenterCheckBox);
  refstar_->setValue(win.RefstarEdit);
  showValue(mag_, win.MagEdit);
  showValue(name_, win.NameEdit);
  startype_->setCurrentIndex(win.StartypeIndex);
  showValue(magCal_, win.MagCalEdit);
  showValue(exposure_, win.ExposureEdit);
  showValue(elcount_, win.ElcountEdit);
  showValue(pixelsize_, win.PixelsizeEdit);
  showValue(skymag_, win.SkymagEdit);
  showValue(airmass_, win.AirmassEdit);
  filter_->setCurrentIndex(win.FilterType);
  snr_->setChecked(win.snr.SNRspecial);
  QPalette palette = snr_->palette();
  palette.setColor(QPalette::ButtonText,
                   win.snr.SNRspecial ? QColor(Qt::red) : QWidget::palette().color(QPalette::ButtonText));
  snr_->setPalette(palette);
  showValue(chart_, win.AAVSOchartEdit);
  file_->setText(qt(win.FilePanel));
  jd_->setText(qt(win.JDPanel));
  model_->refresh();
  table_->resizeColumnsToContents();
  selectRoiRow();
  syncing_ = false;
}

void RoiWindowWidget::selectRoiRow() {
  const RoiWindow& win = app_.roiWindow;
  if (win.RefstarEdit < 1 || win.RefstarEdit > win.count()) {
    table_->clearSelection();
    return;
  }
  table_->selectRow(win.RefstarEdit - 1);
}

}  // namespace vargaze
