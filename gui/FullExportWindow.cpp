#include "gui/FullExportWindow.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Application.h"
#include "export/FullExport.h"
#include "gui/ExportControls.h"
#include "gui/FileChooser.h"
#include "gui/SaveFileName.h"

namespace vargaze {

FullExportWindow::FullExportWindow(Application& app, FileChooser& files, FullExportFields& fields,
                                   QWidget* parent)
    : QDialog(parent),
      app_(app),
      files_(files),
      fields_(fields),
      filename_(new QLineEdit(QString::fromStdString(fields.FilenameEdit), this)),
      fileButton_(new QPushButton("..", this)),
      roiNumber_(new QSpinBox(this)),
      delimiters_(new QButtonGroup(this)),
      decimals_(new QButtonGroup(this)),
      save_(new QPushButton("Save", this)) {
  setWindowTitle("Datenexport");
  setModal(true);

  auto* file = new QHBoxLayout;
  file->addWidget(new QLabel("Dateiname", this));
  file->addWidget(filename_, 1);
  file->addWidget(fileButton_);
  fileButton_->setAutoDefault(false);
  fileButton_->setFixedWidth(fileButton_->fontMetrics().horizontalAdvance("...") + 24);
  filename_->setMinimumWidth(320);

  // No upper limit of note: the export itself refuses a number beyond the ROIs.
  roiNumber_->setRange(0, 99999);
  roiNumber_->setValue(fields.ROInumEdit);
  auto* roi = new QHBoxLayout;
  roi->addWidget(new QLabel("ROI number", this));
  roi->addWidget(roiNumber_);
  roi->addStretch();

  auto* groups = new QHBoxLayout;
  groups->addWidget(exportRadioGroup("Feld-Trennzeichen", kDelimiterItems, delimiters_,
                                     fields.DelimiterGroup, this));
  groups->addWidget(exportRadioGroup("Dezimal-Trennzeichen", kDecimalItems, decimals_,
                                     fields.DecimalGroup, this));

  auto* cancel = new QPushButton("Cancel", this);
  save_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  for (const char* text :
       {"Datenexport in csv-Datei (alle Daten)", "ROI=0: Alle ROIs für aktuelles Einzelbild",
        "ROI=1..n: Daten für 1 ROI für ganze  Bildserie"}) {
    layout->addWidget(new QLabel(QString::fromUtf8(text), this));
  }
  layout->addLayout(file);
  layout->addLayout(roi);
  layout->addLayout(groups);
  for (const char* text :
       {"Export von: JD, Counts(Stern), Counts(Hintergrund), Counts(Stern-Hintergrund),",
        "Max. Counts,(Stern), Mag, SNR,Luftmasse"}) {
    layout->addWidget(new QLabel(QString::fromUtf8(text), this));
  }
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(filename_, &QLineEdit::textChanged, this,
          [this](const QString& text) { fields_.FilenameEdit = text.toStdString(); });
  connect(roiNumber_, &QSpinBox::valueChanged, this, [this](int n) { fields_.ROInumEdit = n; });
  connect(delimiters_, &QButtonGroup::idClicked, this, [this](int item) { fields_.DelimiterGroup = item; });
  connect(decimals_, &QButtonGroup::idClicked, this, [this](int item) { fields_.DecimalGroup = item; });
  connect(fileButton_, &QPushButton::clicked, this, &FullExportWindow::chooseFile);
  connect(save_, &QPushButton::clicked, this, &FullExportWindow::saveClicked);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FullExportWindow::chooseFile() {
  const std::string start =
      fields_.FilenameEdit.empty() ? app_.series.ProjectFilename : fields_.FilenameEdit;
  const std::string name =
      files_.saveFile("Dateiname", folderOf(start), "Tabelle (*.csv)", std::string());
  if (!name.empty()) filename_->setText(QString::fromStdString(withDefaultExtension(name, ".csv")));
}

void FullExportWindow::saveClicked() {
  try {
    if (checkFullExport(app_.series, fields_)) accept();
  } catch (const std::exception& e) {
    app_.ui().showMessage(e.what());
  }
}

bool showFullExport(QWidget* parent, Application& app, FileChooser& files,
                    FullExportFields& fields) {
  for (;;) {
    FullExportWindow window(app, files, fields, parent);
    if (window.exec() != QDialog::Accepted) return false;
    if (FullExportSave(app.series, fields)) return true;
  }
}

}  // namespace vargaze
