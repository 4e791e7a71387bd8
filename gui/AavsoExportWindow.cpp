#include "gui/AavsoExportWindow.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "app/Application.h"
#include "gui/AavsoRowsModel.h"
#include "gui/ExportControls.h"
#include "gui/FileChooser.h"
#include "gui/ProgressDialog.h"
#include "gui/QtUi.h"
#include "gui/SaveFileName.h"

namespace vargaze {

namespace {

constexpr const char* kFindingsTitle = "Prüfung des Berichts";

QString qt(const std::string& text) { return QString::fromStdString(text); }
QString utf8(const char* text) { return QString::fromUtf8(text); }

QString header(const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) joined << qt(line);
  return joined.join('\n');
}

std::vector<std::string> headerLines(const QString& text) {
  std::vector<std::string> lines;
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split('\n')) lines.push_back(line.toStdString());
  return lines;
}

std::string findingsCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " Beanstandung" : " Beanstandungen");
}

}  // namespace

AavsoExportWindow::AavsoExportWindow(Application& app, QtUi& ui, FileChooser& files,
                                     QWidget* parent)
    : QDialog(parent),
      form_(app.exportWindow()),
      ui_(ui),
      files_(files),
      rows_(new AavsoRowsModel(form_.rows, this)),
      header_(new QPlainTextEdit(this)),
      var_(new QSpinBox(this)),
      check_(new QSpinBox(this)),
      jdCorr_(new QLineEdit(this)),
      delimiters_(new QButtonGroup(this)),
      obstype_(new QComboBox(this)),
      compCheck_(new QButtonGroup(this)),
      table_(new QTableView(this)),
      findingsBox_(new QGroupBox(utf8(kFindingsTitle), this)),
      findings_(new QListWidget(findingsBox_)),
      fill_(new QPushButton("Aktualisieren", this)),
      stop_(new QPushButton("STOP", this)),
      transform_(new QPushButton("BVR Transform", this)),
      save_(new QPushButton("Datei speichern", this)),
      clear_(new QPushButton("Tabelle leeren", this)),
      close_(new QPushButton(utf8("Schließen"), this)),
      fillTimer_(new QTimer(this)) {
  setWindowTitle("BAV/AAVSO Datenexport");
  setModal(true);

  controls_ = new QWidget(this);
  auto* top = new QHBoxLayout(controls_);
  top->setContentsMargins(0, 0, 0, 0);
  auto* headerColumn = new QVBoxLayout;
  headerColumn->addWidget(new QLabel("Header", controls_));
  headerColumn->addWidget(header_);
  header_->setLineWrapMode(QPlainTextEdit::NoWrap);
  header_->setMinimumWidth(300);
  header_->setFixedHeight(header_->fontMetrics().lineSpacing() * 9 + 12);
  top->addLayout(headerColumn, 1);
  top->addWidget(makeFields());
  top->addWidget(exportRadioGroup("Feld-Trennzeichen", kDelimiterItems, delimiters_,
                                  form_.DelimiterIndex, controls_));
  static constexpr std::array<const char*, 2> kCompCheckItems = {"instrumental mag. (standard)",
                                                                 "standardized mag."};
  top->addWidget(exportRadioGroup("comp/check star ", kCompCheckItems, compCheck_, 0, controls_));

  auto* upper = new QHBoxLayout;
  upper->addWidget(controls_, 1);
  upper->addWidget(makeButtons());

  table_->setModel(rows_);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);  // the last row shows whole
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->resizeColumnsToContents();

  auto* findingsLayout = new QVBoxLayout(findingsBox_);
  findingsLayout->addWidget(findings_);
  findings_->setFixedHeight(findings_->fontMetrics().lineSpacing() * 5 + 8);
  // A finding is a sentence or two: wrapped, so none is cut at the window's edge.
  findings_->setWordWrap(true);
  findings_->setResizeMode(QListView::Adjust);
  findings_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(upper);
  layout->addWidget(table_, 1);
  layout->addWidget(findingsBox_);
  resize(1180, 720);

  fillTimer_->setInterval(0);  // once per frame: the fill lets events run after each
  connectControls();
  showForm();
  if (!form_.TableCleared) showFindings(checkFindings());
}

QWidget* AavsoExportWindow::makeFields() {
  auto* fields = new QWidget(controls_);
  auto* form = new QFormLayout(fields);
  form->setContentsMargins(0, 0, 0, 0);
  for (QSpinBox* roi : {var_, check_}) roi->setRange(1, 99);
  const QString hint = "JD Korrektur in Sekunden";
  jdCorr_->setToolTip(hint);
  auto* jdLabel = new QLabel("JD corr. in sec.", fields);
  jdLabel->setToolTip(hint);
  obstype_->addItems({"CCD", "DSLR"});
  form->addRow("ROI Nr. (Variabler)", var_);
  form->addRow("ROI Nr. (Kontrollstern)", check_);
  form->addRow(jdLabel, jdCorr_);
  form->addRow("Observation type", obstype_);
  return fields;
}

QWidget* AavsoExportWindow::makeButtons() {
  auto* buttons = new QWidget(this);
  auto* column = new QVBoxLayout(buttons);
  column->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* button : {fill_, stop_, transform_, save_, clear_, close_}) {
    button->setAutoDefault(false);  // Enter in a field must not start a command
    column->addWidget(button);
  }
  column->addStretch();
  stop_->hide();
  return buttons;
}

void AavsoExportWindow::connectControls() {
  connect(header_, &QPlainTextEdit::textChanged, this, [this] {
    if (!syncing_) form_.ExportHeader = headerLines(header_->toPlainText());
  });
  connect(var_, &QSpinBox::valueChanged, this, [this](int n) {
    if (!syncing_) form_.ROIEdit1 = n;
  });
  connect(check_, &QSpinBox::valueChanged, this, [this](int n) {
    if (!syncing_) form_.ROIEdit2 = n;
  });
  connect(jdCorr_, &QLineEdit::textEdited, this,
          [this](const QString& text) { form_.JDcorrEdit = text.toStdString(); });
  connect(delimiters_, &QButtonGroup::idClicked, this, [this](int item) {
    form_.DelimiterGroupClick(item);
    showHeader();
  });
  connect(obstype_, &QComboBox::activated, this, [this](int item) {
    form_.OBSTYPEselectChange(obstype_->itemText(item).toStdString());
    showHeader();
  });
  connect(compCheck_, &QButtonGroup::idClicked, this, [this](int item) {
    form_.Comp_check_mags = item == 0 ? CompCheckMags::Instrumental : CompCheckMags::Standardized;
  });
  // A corrected cell may answer a finding, or make one.
  rows_->edited = [this] {
    if (!filling_) showFindings(checkFindings());
  };
  connect(findings_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { selectFindingCell(findings_->row(item)); });
  connect(fillTimer_, &QTimer::timeout, this, &AavsoExportWindow::followFill);
  connect(fill_, &QPushButton::clicked, this, &AavsoExportWindow::fillClicked);
  connect(stop_, &QPushButton::clicked, this, &AavsoExportWindow::stopClicked);
  connect(transform_, &QPushButton::clicked, this, &AavsoExportWindow::transformClicked);
  connect(save_, &QPushButton::clicked, this, &AavsoExportWindow::saveClicked);
  connect(clear_, &QPushButton::clicked, this, &AavsoExportWindow::clearClicked);
  connect(close_, &QPushButton::clicked, this, &AavsoExportWindow::reject);
}

void AavsoExportWindow::fillClicked() {
  if (filling_) return;
  // STOP is read from the progress window's flag, which an earlier stopped
  // command may have left set.
  ui_.progressWindow().clearCancel();
  stopRequested_ = false;
  filling_ = true;
  setCommandsEnabled(false);
  fillTimer_->start();
  FillResult result = FillResult::Refused;
  guarded([&] { result = form_.FillButtonClick(); });
  fillTimer_->stop();
  filling_ = false;
  stop_->hide();
  rows_->reload();
  setCommandsEnabled(true);
  showForm();
  if (form_.TopRow > 1) table_->scrollToBottom();  // where the fill left the view
  if (result != FillResult::Refused) {
    showFindings(checkFindings());
  } else if (form_.TableCleared) {
    showFindings({});
  }
}

void AavsoExportWindow::followFill() {
  const bool firstRows = rows_->rowCount() == 0;
  rows_->follow();
  // Sized once the first rows are in, so the cells are readable while filling.
  if (firstRows && rows_->rowCount() > 0) table_->resizeColumnsToContents();
  stop_->setVisible(filling_ && form_.StopButtonVisible && !stopRequested_);
  if (form_.TopRow > 1 && form_.TopRow <= rows_->rowCount()) {
    table_->scrollTo(rows_->index(form_.TopRow - 1, 0), QAbstractItemView::PositionAtTop);
  }
}

void AavsoExportWindow::stopClicked() {
  stopRequested_ = true;
  ui_.progressWindow().requestCancel();
  stop_->hide();
}

void AavsoExportWindow::reject() {
  if (filling_) return stopClicked();
  QDialog::reject();
}

void AavsoExportWindow::setCommandsEnabled(bool enabled) {
  controls_->setEnabled(enabled);
  for (QPushButton* button : {fill_, save_, clear_, close_}) button->setEnabled(enabled);
  transform_->setEnabled(enabled && form_.TransformButtonEnabled);
  table_->setEditTriggers(enabled ? QAbstractItemView::DoubleClicked |
                                        QAbstractItemView::EditKeyPressed |
                                        QAbstractItemView::AnyKeyPressed
                                  : QAbstractItemView::NoEditTriggers);
}

void AavsoExportWindow::transformClicked() {
  TransformResult result = TransformResult::NotPossible;
  guarded([&] { result = form_.TransformButtonClick(); });
  rows_->reload();
  showForm();
  if (result == TransformResult::Inserted) showFindings(checkFindings());
}

void AavsoExportWindow::saveClicked() {
  guarded([this] {
    const std::vector<Finding> found = checkFindings();
    showFindings(found);
    if (!found.empty() &&
        !ui_.askYesNo("Der Bericht hat " + findingsCount(found.size()) +
                      " (siehe Liste unter der Tabelle). Trotzdem speichern?")) {
      return;
    }
    const std::string proposed = form_.proposedFileName();
    const std::string name = withDefaultExtension(
        files_.saveFile("Datei speichern", folderOf(proposed), "CSV Datei (*.csv)",
                        std::filesystem::path(proposed).filename().string()),
        ".csv");
    if (!name.empty()) form_.SaveButtonClick(name);
  });
  showHeader();
}

void AavsoExportWindow::clearClicked() {
  form_.TableReset();
  rows_->reload();
  showForm();
  showFindings({});
}

std::vector<Finding> AavsoExportWindow::checkFindings() {
  // The check applies the delimiter line to the header, as saving does.
  std::vector<Finding> found = form_.checkReport();
  showHeader();
  return found;
}

void AavsoExportWindow::showFindings(const std::vector<Finding>& found) {
  shownFindings_ = found;
  findings_->clear();
  for (const Finding& finding : found) findings_->addItem(qt(describeFinding(finding)));
  std::string title = kFindingsTitle;
  if (!form_.TableCleared || !found.empty()) {
    title += ": " + (found.empty() ? std::string("keine Beanstandungen") : findingsCount(found.size()));
  }
  findingsBox_->setTitle(qt(title));
}

void AavsoExportWindow::selectFindingCell(int item) {
  if (item < 0 || item >= static_cast<int>(shownFindings_.size())) return;
  const Finding& finding = shownFindings_[static_cast<std::size_t>(item)];
  if (finding.row < 1 || finding.row > rows_->rowCount()) return;
  const QModelIndex cell = rows_->index(finding.row - 1, std::max(finding.field, 1) - 1);
  table_->setCurrentIndex(cell);
  table_->scrollTo(cell);
  table_->setFocus();
}

void AavsoExportWindow::showForm() {
  syncing_ = true;
  var_->setValue(form_.ROIEdit1);
  check_->setValue(form_.ROIEdit2);
  if (jdCorr_->text() != qt(form_.JDcorrEdit)) jdCorr_->setText(qt(form_.JDcorrEdit));
  if (QAbstractButton* item = delimiters_->button(form_.DelimiterIndex)) item->setChecked(true);
  obstype_->setCurrentIndex(form_.OBSTYPEselect.empty() ? -1 : obstype_->findText(qt(form_.OBSTYPEselect)));
  compCheck_->button(form_.Comp_check_mags == CompCheckMags::Instrumental ? 0 : 1)->setChecked(true);
  transform_->setEnabled(form_.TransformButtonEnabled && !filling_);
  syncing_ = false;
  showHeader();
}

void AavsoExportWindow::showHeader() {
  const QString text = header(form_.ExportHeader);
  if (header_->toPlainText() == text) return;
  syncing_ = true;
  header_->setPlainText(text);
  syncing_ = false;
}

void AavsoExportWindow::guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ui_.showMessage(e.what());
  }
}

void showAavsoExport(QWidget* parent, Application& app, QtUi& ui, FileChooser& files) {
  if (!app.exportWindow().BAVAAVSODatenexport1Click()) return;
  AavsoExportWindow window(app, ui, files, parent);
  window.exec();
}

}  // namespace vargaze
