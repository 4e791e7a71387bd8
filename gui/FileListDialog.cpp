#include "gui/FileListDialog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/FileChooser.h"

namespace vargaze {

namespace {

constexpr const char* kOpenFilter = "Fits files (*.fit *.fits);;BMP files (*.bmp)";

// Lines as a multi-line edit counts them: an empty text has none, and a
// newline at the very end does not start another.
std::vector<std::string> linesOf(const QString& text) {
  QStringList parts = text.split(u'\n');
  if (parts.back().isEmpty()) parts.removeLast();
  std::vector<std::string> lines;
  for (const QString& part : parts) lines.push_back(part.toStdString());
  return lines;
}

QString textOf(const std::vector<std::string>& lines) {
  QStringList parts;
  for (const std::string& line : lines) parts << QString::fromStdString(line);
  return parts.join(u'\n');
}

}  // namespace

FileListDialog::FileListDialog(FileChooser& chooser, std::vector<std::string> lines,
                               QWidget* parent)
    : QDialog(parent),
      model_(std::move(lines)),
      chooser_(chooser),
      edit_(new QPlainTextEdit(this)) {
  setWindowTitle(FileListEditor::kCaption);
  setModal(true);
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* save = new QPushButton(FileListEditor::kSaveCaption, this);
  auto* cancel = new QPushButton(FileListEditor::kCancelCaption, this);
  auto* add = new QPushButton(FileListEditor::kAddFilesCaption, this);
  // Return in the text is a new line, not "Save changes".
  for (QPushButton* button : {save, cancel, add}) button->setAutoDefault(false);
  connect(save, &QPushButton::clicked, this, &FileListDialog::saveClicked);
  connect(cancel, &QPushButton::clicked, this, &FileListDialog::cancelClicked);
  connect(add, &QPushButton::clicked, this, &FileListDialog::addFilesClicked);
  connect(edit_, &QPlainTextEdit::textChanged, this, &FileListDialog::onTextEdited);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add);
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addLayout(buttons);
  resize(680, 420);
  showLines();
}

void FileListDialog::addFilesClicked() {
  model_.addFiles(chooser_.openFiles(FileListEditor::kOpenDialogFileName, "", kOpenFilter));
  showLines();
}

void FileListDialog::saveClicked() {
  model_.saveClick();
  accept();
}

void FileListDialog::cancelClicked() {
  model_.cancelClick();
  reject();
}

void FileListDialog::onTextEdited() {
  if (!showing_) model_.setText(linesOf(edit_->toPlainText()));
}

void FileListDialog::showLines() {
  showing_ = true;
  edit_->setPlainText(textOf(model_.lines()));
  showing_ = false;
}

bool editFileList(QWidget* parent, FileChooser& chooser, std::vector<std::string>& lines) {
  FileListDialog dialog(chooser, lines, parent);
  dialog.exec();
  if (!dialog.model().Savechanges) return false;
  lines = dialog.model().lines();
  return true;
}

}  // namespace vargaze
