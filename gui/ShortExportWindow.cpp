#include "gui/ShortExportWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Application.h"
#include "export/ShortExport.h"
#include "gui/ExportControls.h"
#include "gui/FileChooser.h"
#include "gui/SaveFileName.h"

namespace vargaze {

namespace {

QSpinBox* roiBox(int minimum, int value, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setRange(minimum, 99);
  box->setValue(value);
  return box;
}

}  // namespace

ShortExportWindow::ShortExportWindow(Application& app, FileChooser& files,
                                     ShortExportFields& fields, QWidget* parent)
    : QDialog(parent),
      app_(app),
      files_(files),
      fields_(fields),
      roi1_(roiBox(1, fields.ROIEdit1, this)),
      roi2_(roiBox(0, fields.ROIEdit2, this)),
      airmass_(new QCheckBox("Airmass", this)),
      decimals_(new QButtonGroup(this)),
      delimiters_(new QButtonGroup(this)),
      filename_(new QLineEdit(QString::fromStdString(fields.FilenameEdit), this)),
      fileButton_(new QPushButton("..", this)),
      ok_(new QPushButton("OK", this)) {
  setWindowTitle("Daten Export");
  setModal(true);

  auto* column1 = new QComboBox(this);
  column1->addItem("JD (voll)");
  airmass_->setChecked(fields.AirmassCheck);
  auto* columns = new QGridLayout;
  columns->addWidget(new QLabel("Feld 1", this), 0, 0);
  columns->addWidget(column1, 0, 1, 1, 2);
  columns->addWidget(new QLabel("Feld 2", this), 1, 0);
  columns->addWidget(new QLabel("ROI Nr.", this), 1, 1);
  columns->addWidget(roi1_, 1, 2);
  columns->addWidget(new QLabel("Feld 3", this), 2, 0);
  columns->addWidget(new QLabel("ROI Nr.", this), 2, 1);
  columns->addWidget(roi2_, 2, 2);
  columns->addWidget(new QLabel("Feld 4", this), 3, 0);
  columns->addWidget(airmass_, 3, 1, 1, 2);

  auto* groups = new QHBoxLayout;
  groups->addWidget(exportRadioGroup("Dezimal-Trennzeichen", kDecimalItems, decimals_,
                                     fields.DecimalGroup, this));
  groups->addWidget(exportRadioGroup("Feld-Trennzeichen", kDelimiterItems, delimiters_,
                                     fields.DelimiterGroup, this));

  auto* file = new QHBoxLayout;
  file->addWidget(new QLabel("Dateiname", this));
  file->addWidget(filename_, 1);
  file->addWidget(fileButton_);
  fileButton_->setAutoDefault(false);
  fileButton_->setFixedWidth(fileButton_->fontMetrics().horizontalAdvance("...") + 24);
  filename_->setMinimumWidth(280);

  ok_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(groups);
  layout->addLayout(file);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(roi1_, &QSpinBox::valueChanged, this, [this](int n) { fields_.ROIEdit1 = n; });
  connect(roi2_, &QSpinBox::valueChanged, this, [this](int n) { fields_.ROIEdit2 = n; });
  connect(airmass_, &QCheckBox::toggled, this, [this](bool on) { fields_.AirmassCheck = on; });
  connect(decimals_, &QButtonGroup::idClicked, this, &ShortExportWindow::decimalClicked);
  connect(delimiters_, &QButtonGroup::idClicked, this,
          [this](int item) { fields_.DelimiterGroup = item; });
  connect(filename_, &QLineEdit::textChanged, this,
          [this](const QString& text) { fields_.FilenameEdit = text.toStdString(); });
  connect(fileButton_, &QPushButton::clicked, this, &ShortExportWindow::chooseFile);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void ShortExportWindow::decimalClicked(int item) {
  fields_.DecimalGroup = item;
  ShortExportDecimalGroupClick(fields_, app_.ui());
  if (QAbstractButton* delimiter = delimiters_->button(fields_.DelimiterGroup)) {
    delimiter->setChecked(true);
  }
}

void ShortExportWindow::chooseFile() {
  const std::string start =
      fields_.FilenameEdit.empty() ? app_.series.ProjectFilename : fields_.FilenameEdit;
  const std::string name =
      files_.saveFile("Dateiname", folderOf(start), "Tabelle (*.csv)", std::string());
  if (!name.empty()) filename_->setText(QString::fromStdString(withDefaultExtension(name, ".csv")));
}

bool showShortExport(QWidget* parent, Application& app, FileChooser& files,
                     ShortExportFields& fields) {
  {
    ShortExportWindow window(app, files, fields, parent);
    if (window.exec() != QDialog::Accepted) return false;
  }
  // The name asked for here is used once; the window's field stays empty.
  ShortExportFields run = fields;
  const bool measured = app.roiWindow.ROIindex != 0 && app.series.curve.NumCurvePoints > 0;
  if (measured && run.FilenameEdit.empty()) {
    run.FilenameEdit = withDefaultExtension(
        files.saveFile("Save to file", folderOf(app.series.ProjectFilename),
                       "prn-files (*.prn);;txt-files (*.txt)", std::string()),
        ".prn");
    if (run.FilenameEdit.empty()) return false;
  }
  return ShortExport(app.series, run);
}

}  // namespace vargaze
