// The file-list editor: the series' file names as editable text, one per
// line, with "Add files" to append chosen files. The caller rebuilds the
// series from the lines when the dialog was closed with "Save changes".
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "app/FileListEditor.h"

class QPlainTextEdit;

namespace vargaze {

class FileChooser;

class FileListDialog : public QDialog {
  Q_OBJECT

 public:
  FileListDialog(FileChooser& chooser, std::vector<std::string> lines, QWidget* parent = nullptr);

  const FileListEditor& model() const { return model_; }
  QPlainTextEdit* editor() const { return edit_; }

  // The buttons' actions.
  void addFilesClicked();
  void saveClicked();
  void cancelClicked();

 private:
  void onTextEdited();
  // Shows the model's lines without counting that as an edit.
  void showLines();

  FileListEditor model_;
  FileChooser& chooser_;
  QPlainTextEdit* edit_;
  bool showing_ = false;
};

// Shows the editor over `lines` modally. True when it was closed with "Save
// changes"; `lines` then holds the edited list.
bool editFileList(QWidget* parent, FileChooser& chooser, std::vector<std::string>& lines);

}  // namespace vargaze
