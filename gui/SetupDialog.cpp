#include "gui/SetupDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <string_view>
#include <utility>

#include "app/SetupDialog.h"
#include "config/SettingLimits.h"

namespace vargaze {

namespace {

QString qt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <class Items>
void addItems(QComboBox* box, const Items& items) {
  for (const auto& item : items) box->addItem(qt(item));
}

QGroupBox* group(const char* caption, QWidget* parent) { return new QGroupBox(qt(caption), parent); }

QFormLayout* formIn(QGroupBox* box) { return new QFormLayout(box); }

// A control with a short text right of it ("digits", the UT note).
QWidget* withNote(QWidget* control, const char* note) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(control);
  layout->addWidget(new QLabel(qt(note), row));
  layout->addStretch();
  return row;
}

}  // namespace

SetupDialog::SetupDialog(SetupForm& form, QWidget* parent)
    : QDialog(parent), form_(form), tabs_(new QTabWidget(this)) {
  setWindowTitle(qt(SetupForm::kCaption));
  setModal(true);
  tabs_->addTab(cameraTab(), qt(kTabs[0]));
  tabs_->addTab(curveTab(), qt(kTabs[1]));
  tabs_->addTab(exportTab(), qt(kTabs[2]));
  tabs_->addTab(transformationTab(), qt(kTabs[3]));
  tabs_->addTab(siteTab(), qt(kTabs[4]));

  auto* ok = new QPushButton("OK", this);
  auto* cancel = new QPushButton("Cancel", this);
  ok->setDefault(true);
  auto* cfgfile = new QLineEdit(qt(form.cfgfileEdit), this);
  cfgfile->setObjectName("cfgfileEdit");
  cfgfile->setReadOnly(true);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(".cfg-Datei", this));
  bottom->addWidget(cfgfile, 1);
  bottom->addSpacing(24);
  bottom->addWidget(ok);
  bottom->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(bottom);
  connect(ok, &QPushButton::clicked, this, &SetupDialog::okClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* SetupDialog::textField(const char* name, std::string& field) {
  auto* edit = new QLineEdit(qt(field), this);
  edit->setObjectName(name);
  connect(edit, &QLineEdit::textEdited, this, [&field](const QString& t) { field = t.toStdString(); });
  return edit;
}

QSpinBox* SetupDialog::spinBox(const char* name, const SpinControl& control, int step,
                               std::function<void(int)> store) {
  auto* spin = new QSpinBox(this);
  spin->setObjectName(name);
  spin->setRange(control.minimum, control.maximum);
  spin->setSingleStep(step);
  spin->setValue(control.value);
  if (step > 1) spin->findChild<QLineEdit*>()->setReadOnly(true);
  connect(spin, &QSpinBox::valueChanged, this, std::move(store));
  return spin;
}

QCheckBox* SetupDialog::checkBox(const char* name, const char* caption, bool& field) {
  auto* box = new QCheckBox(qt(caption), this);
  box->setObjectName(name);
  box->setChecked(field);
  connect(box, &QCheckBox::toggled, this, [&field](bool on) { field = on; });
  return box;
}

QButtonGroup* SetupDialog::radioGroup(QWidget* box, const char* const* items, int count, int& field) {
  auto* buttons = new QButtonGroup(box);
  auto* layout = new QVBoxLayout(box);
  for (int i = 0; i < count; ++i) {
    auto* item = new QRadioButton(qt(items[i]), box);
    buttons->addButton(item, i);
    layout->addWidget(item);
  }
  if (QAbstractButton* chosen = buttons->button(field)) chosen->setChecked(true);
  connect(buttons, &QButtonGroup::idClicked, this, [&field](int id) { field = id; });
  return buttons;
}

QWidget* SetupDialog::cameraTab() {
  auto* tab = new QWidget(this);
  auto* electronics = group("Camera electronics", tab);
  QFormLayout* rows = formIn(electronics);
  rows->addRow("Electrons/ ADU", textField("ElectronsEdit", form_.ElectronsEdit));
  rows->addRow("Read noise (electrons)", textField("ReadNoiseEdit", form_.ReadNoiseEdit));
  rows->addRow("Dark current (electrons/s)", textField("DarkcurrentEdit", form_.DarkcurrentEdit));

  auto* image = group("Image", tab);
  rows = formIn(image);
  rows->addRow("Arcsec/ Pix (unprocessed)", textField("pixelsizeEdit", form_.pixelsizeEdit));
  rows->addRow("process with binning (nxn)",
               spinBox("BinningEdit", form_.BinningEdit, 1, [this](int v) { form_.BinningEdit.set(v); }));
  auto* zoom = new QComboBox(image);
  zoom->setObjectName("ZoomfactorCombobox");
  addItems(zoom, settingLimits::ZoomEntries);
  zoom->setCurrentIndex(form_.ZoomfactorCombobox);
  connect(zoom, &QComboBox::currentIndexChanged, this, [this](int i) { form_.ZoomfactorCombobox = i; });
  rows->addRow("Zoom", zoom);

  auto* filter = group("Filter", tab);
  rows = formIn(filter);
  auto* filters = new QComboBox(filter);
  filters->setObjectName("FilterCombobox");
  filters->setToolTip(qt("für die Aufnahmen verwendeter Filterbereich"));
  addItems(filters, form_.FilterItems);
  filters->setCurrentIndex(form_.FilterCombobox);
  connect(filters, &QComboBox::currentIndexChanged, this, [this](int i) { form_.FilterCombobox = i; });
  rows->addRow("Standard-Filter", filters);
  auto* fromHeader = new QCheckBox("Filter from FITS-Header", filter);
  fromHeader->setObjectName("AutoFilterSelect");
  fromHeader->setChecked(form_.AutoFilterSelect);
  connect(fromHeader, &QCheckBox::clicked, this, [this](bool on) { form_.AutoFilterSelectClick(on); });
  rows->addRow(fromHeader);

  auto* fileInfo = group("File informations", tab);
  rows = formIn(fileInfo);
  rows->addRow("UT offset (hours) for DSLR raw data",
               withNote(spinBox("UToffsetSpinEdit", form_.UToffsetSpinEdit, 1,
                                [this](int v) { form_.UToffsetSpinEdit.set(v); }),
                        "east: +1,.., west:-1,.."));

  auto* obstype = new QComboBox(tab);
  obstype->setObjectName("OBSTYPEselect");
  addItems(obstype, SetupForm::kObstypeItems);
  obstype->setCurrentIndex(form_.OBSTYPEselect);
  connect(obstype, &QComboBox::currentIndexChanged, this, [this](int i) { form_.OBSTYPEselectChange(i); });
  auto* cameraType = new QFormLayout;
  cameraType->addRow("Camera type", obstype);

  auto* layout = new QGridLayout(tab);
  layout->addWidget(electronics, 0, 0);
  layout->addWidget(image, 1, 0);
  layout->addWidget(filter, 0, 1);
  layout->addWidget(fileInfo, 1, 1);
  layout->addLayout(cameraType, 2, 0);
  layout->setRowStretch(3, 1);
  return tab;
}

QWidget* SetupDialog::curveTab() {
  auto* tab = new QWidget(this);
  auto* curves = group("Light curves", tab);
  QFormLayout* rows = formIn(curves);
  rows->addRow("Autocurve refresh (s)", spinBox("AutocurveSecEdit", form_.AutocurveSecEdit, 1,
                                                [this](int v) { form_.AutocurveSecEdit.set(v); }));
  rows->addRow("JD Offset", textField("JDCurveoffsetEdit", form_.JDCurveoffsetEdit));
  auto* extension = new QComboBox(curves);
  extension->setObjectName("CurveExtensionComboBox");
  extension->setEditable(true);
  addItems(extension, SetupForm::kCurveExtensionItems);
  extension->setCurrentText(qt(form_.CurveExtensionComboBox));
  connect(extension, &QComboBox::currentTextChanged, this,
          [this](const QString& t) { form_.CurveExtensionComboBox = t.toStdString(); });
  rows->addRow("Curve file extension", extension);
  auto* time = group("Date/Time", curves);
  time->setObjectName("TimeGroup");
  radioGroup(time, SetupForm::kTimeItems.data(), 2, form_.TimeGroup);
  rows->addRow(time);
  rows->addRow("JD precision", withNote(spinBox("JDprecisionSpinEdit", form_.JDprecisionSpinEdit, 1,
                                                [this](int v) { form_.JDprecisionSpinEdit.set(v); }),
                                        "digits"));

  auto* photometry = group("Photometry", tab);
  rows = formIn(photometry);
  starBox_ = spinBox("ROIsizeSpinEdit", form_.ROIsizeSpinEdit, 2, [this](int v) {
    form_.ROIsizeSpinEditChange(v);
    showRings();
  });
  innerRing_ = spinBox("BGinnerEdit", form_.BGinnerEdit, 2, [this](int v) {
    form_.BGinnerEditChange(v);
    showRings();
  });
  outerRing_ = spinBox("BGouterEdit", form_.BGouterEdit, 2, [this](int v) {
    form_.BGouterEditChange(v);
    showRings();
  });
  rows->addRow("default star aperture (n x n)", starBox_);
  rows->addRow("default inner sky aperture (n x n)", innerRing_);
  rows->addRow("default outer sky aperture (n x n)", outerRing_);
  auto* center = group("Center method", photometry);
  center->setObjectName("CentermethodGroup");
  radioGroup(center, SetupForm::kCenterItems.data(), 2, form_.CentermethodGroup);
  rows->addRow(center);
  QCheckBox* instmag = checkBox("InstmagcorrCheck", "time correction", form_.InstmagcorrCheck);
  instmag->setToolTip(qt("Acq.-zeit normierte instrumentelle Magnituden"));
  rows->addRow("instrumental mag", instmag);

  auto* tracking = group("Tracking", tab);
  rows = formIn(tracking);
  rows->addRow("Tracking range (+-pixels)", spinBox("TrackingRangeEdit", form_.TrackingRangeEdit, 2,
                                                    [this](int v) { form_.TrackingRangeEdit.set(v); }));
  rows->addRow(checkBox("TrackstarShowCheck", "Show track star region", form_.TrackstarShowCheck));
  rows->addRow(checkBox("TrackingCheckbox", "enable tracking", form_.TrackingCheckbox));

  auto* layout = new QGridLayout(tab);
  layout->addWidget(curves, 0, 0, 2, 1);
  layout->addWidget(photometry, 0, 1);
  layout->addWidget(tracking, 1, 1);
  layout->setRowStretch(2, 1);
  return tab;
}

QWidget* SetupDialog::exportTab() {
  auto* tab = new QWidget(this);
  auto* rows = new QFormLayout;
  rows->addRow("BAV Observer code", textField("BAVObsEdit", form_.BAVObsEdit));
  rows->addRow("AAVSO Observer code", textField("AAVSOObsEdit", form_.AAVSOObsEdit));
  auto* delimiter = group("Feld-Trennzeichen", tab);
  delimiter->setObjectName("DelimiterGroup");
  radioGroup(delimiter, SetupForm::kDelimiterItems.data(), 3, form_.DelimiterGroup);
  auto* layout = new QVBoxLayout(tab);
  layout->addLayout(rows);
  layout->addWidget(delimiter);
  layout->addStretch();
  return tab;
}

QWidget* SetupDialog::transformationTab() {
  auto* tab = new QWidget(this);
  auto* bv = group("BV transformation coefficients", tab);
  QFormLayout* rows = formIn(bv);
  rows->addRow("Tb", textField("TBedit", form_.TBedit));
  rows->addRow("Tbv", textField("TBVedit", form_.TBVedit));
  rows->addRow("Tv (BV)", textField("TVedit", form_.TVedit));
  auto* vr = group("VR transformation coefficients", tab);
  rows = formIn(vr);
  rows->addRow("Tv (VR)", textField("TV2Edit", form_.TV2Edit));
  rows->addRow("Tvr", textField("TvrEdit", form_.TvrEdit));
  rows->addRow("Tr", textField("TREdit", form_.TREdit));
  auto* layout = new QHBoxLayout(tab);
  layout->addWidget(bv, 0, Qt::AlignTop);
  layout->addWidget(vr, 0, Qt::AlignTop);
  return tab;
}

QWidget* SetupDialog::siteTab() {
  auto* tab = new QWidget(this);
  auto* telescope = group("Teleskop", tab);
  formIn(telescope)->addRow(qt("Teleskop-Öffnung in cm"), textField("DTelEdit", form_.DTelEdit));
  auto* site = group("Standort", tab);
  formIn(site)->addRow(qt("Höhe des Beobachtungsorts in m"), textField("HlocationEdit", form_.HlocationEdit));
  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(telescope);
  layout->addWidget(site);
  layout->addStretch();
  return tab;
}

// A change of one size may move the others' limits and values.
void SetupDialog::showRings() {
  const std::pair<QSpinBox*, const SpinControl*> spins[] = {
      {starBox_, &form_.ROIsizeSpinEdit}, {innerRing_, &form_.BGinnerEdit}, {outerRing_, &form_.BGouterEdit}};
  for (const auto& [spin, control] : spins) {
    const QSignalBlocker quiet(spin);
    spin->setRange(control->minimum, control->maximum);
    spin->setValue(control->value);
  }
}

void SetupDialog::okClicked() {
  if (form_.OKButtonClick()) accept();
}

bool showSetupDialog(QWidget* parent, SetupForm& form) {
  SetupDialog dialog(form, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace vargaze
