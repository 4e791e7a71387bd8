#include "gui/SnrDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/SnrForm.h"

namespace vargaze {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

QCheckBox* checkBox(const char* caption, bool& flag, QWidget* parent) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setChecked(flag);
  QObject::connect(box, &QCheckBox::toggled, parent, [&flag](bool on) { flag = on; });
  return box;
}

}  // namespace

SnrDialog::SnrDialog(SnrForm& form, QWidget* parent)
    : QDialog(parent),
      form_(form),
      aperture_(new QLineEdit(this)),
      height_(new QLineEdit(this)),
      airmass_(new QLineEdit(this)),
      stack_(new QSpinBox(this)),
      stacking_(new QButtonGroup(this)),
      singleExposure_(new QLineEdit(this)) {
  setWindowTitle(SnrForm::kCaption);
  setModal(true);
  auto* heading = new QLabel(QString::fromUtf8(SnrForm::kHeading), this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);

  stack_->setRange(form.nstackEdit.minimum, form.nstackEdit.maximum);
  singleExposure_->setReadOnly(true);
  auto* fields = new QFormLayout;
  fields->addRow(QString::fromUtf8(SnrForm::kApertureLabel), aperture_);
  fields->addRow(QString::fromUtf8(SnrForm::kHeightLabel), height_);
  fields->addRow(QString::fromUtf8(SnrForm::kAirmassLabel), airmass_);
  fields->addRow(checkBox(SnrForm::kScintillationCaption, form.model().scintillation, this));
  fields->addRow(QString::fromUtf8(SnrForm::kStackCountLabel), stack_);

  auto* method = new QGroupBox(QString::fromUtf8(SnrForm::kStackingCaption), this);
  auto* methodLayout = new QHBoxLayout(method);
  for (int i = 0; i < 2; ++i) {
    auto* item = new QRadioButton(QString::fromUtf8(SnrForm::kStackingItems[i]), method);
    stacking_->addButton(item, i);
    methodLayout->addWidget(item);
  }
  auto* exposure = new QHBoxLayout;
  exposure->addWidget(new QLabel(QString::fromUtf8(SnrForm::kSingleExposureLabel), this));
  exposure->addWidget(singleExposure_);
  exposure->addWidget(checkBox(SnrForm::kTotalExposureCaption, form.model().exposureIsTotal, this));

  auto* ok = new QPushButton(QString::fromUtf8(SnrForm::kOkCaption), this);
  auto* cancel = new QPushButton(QString::fromUtf8(SnrForm::kCancelCaption), this);
  ok->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addLayout(fields);
  layout->addWidget(method);
  layout->addLayout(exposure);
  layout->addLayout(buttons);

  showForm();
  connect(aperture_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.DTelEdit = t.toStdString(); });
  connect(height_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.HlocationEdit = t.toStdString(); });
  connect(airmass_, &QLineEdit::textEdited, this,
          [this](const QString& t) { form_.AirmassEditChange(t.toStdString()); });
  connect(stack_, &QSpinBox::valueChanged, this, [this](int n) {
    form_.nstackEditChange(n);
    singleExposure_->setText(qt(form_.AcqtimeEdit));
  });
  connect(stacking_, &QButtonGroup::idClicked, this, [this](int id) { form_.Stackinggroup = id; });
  connect(ok, &QPushButton::clicked, this, &SnrDialog::okClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SnrDialog::showForm() {
  aperture_->setText(qt(form_.DTelEdit));
  height_->setText(qt(form_.HlocationEdit));
  airmass_->setText(qt(form_.AirmassEdit));
  airmass_->setReadOnly(form_.AirmassReadOnly);
  stack_->setValue(form_.nstackEdit.value);
  if (QAbstractButton* item = stacking_->button(form_.Stackinggroup)) item->setChecked(true);
  singleExposure_->setText(qt(form_.AcqtimeEdit));
}

void SnrDialog::okClicked() {
  if (form_.OKbuttonClick()) accept();
}

}  // namespace vargaze
