// "Datenexport" of the menu command "Datenexport (komplett)": file name, ROI
// number and the two separator groups over FullExportFields, which the
// caller keeps so the choices stay for the next showing.
#pragma once

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vargaze {

class Application;
class FileChooser;
struct FullExportFields;

class FullExportWindow : public QDialog {
  Q_OBJECT

 public:
  FullExportWindow(Application& app, FileChooser& files, FullExportFields& fields,
                   QWidget* parent = nullptr);

  QLineEdit* filenameEdit() const { return filename_; }
  QPushButton* fileButton() const { return fileButton_; }
  QSpinBox* roiNumberEdit() const { return roiNumber_; }
  QButtonGroup* delimiterGroup() const { return delimiters_; }
  QButtonGroup* decimalGroup() const { return decimals_; }
  QPushButton* saveButton() const { return save_; }

 private:
  void chooseFile();
  // "Save" closes the window with OK once the fields pass their checks; the
  // refusals keep it open.
  void saveClicked();

  Application& app_;
  FileChooser& files_;
  FullExportFields& fields_;
  QLineEdit* filename_;
  QPushButton* fileButton_;
  QSpinBox* roiNumber_;
  QButtonGroup* delimiters_;
  QButtonGroup* decimals_;
  QPushButton* save_;
};

// The menu command "Datenexport (komplett)": the window, and after "Save"
// the export. The export runs with the window closed, so the progress
// window of a series walk takes its "Abbrechen" click (a modal window would
// block it); a failed save shows the window again. True when written.
bool showFullExport(QWidget* parent, Application& app, FileChooser& files,
                    FullExportFields& fields);

}  // namespace vargaze
