// "Daten Export" of the menu command "Datenexport (kurz)": which ROIs, the
// airmass, the separators and the file, over ShortExportFields, which the
// caller keeps so the choices stay for the next showing.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vargaze {

class Application;
class FileChooser;
struct ShortExportFields;

class ShortExportWindow : public QDialog {
  Q_OBJECT

 public:
  ShortExportWindow(Application& app, FileChooser& files, ShortExportFields& fields,
                    QWidget* parent = nullptr);

  QSpinBox* roiEdit1() const { return roi1_; }
  QSpinBox* roiEdit2() const { return roi2_; }
  QCheckBox* airmassCheck() const { return airmass_; }
  QButtonGroup* decimalGroup() const { return decimals_; }
  QButtonGroup* delimiterGroup() const { return delimiters_; }
  QLineEdit* filenameEdit() const { return filename_; }
  QPushButton* fileButton() const { return fileButton_; }
  QPushButton* okButton() const { return ok_; }

 private:
  void chooseFile();
  // A decimal comma with the comma delimiter: the form's message, and the
  // delimiter it switches to shown.
  void decimalClicked(int item);

  Application& app_;
  FileChooser& files_;
  ShortExportFields& fields_;
  QSpinBox* roi1_;
  QSpinBox* roi2_;
  QCheckBox* airmass_;
  QButtonGroup* decimals_;
  QButtonGroup* delimiters_;
  QLineEdit* filename_;
  QPushButton* fileButton_;
  QPushButton* ok_;
};

// The menu command "Datenexport (kurz)": the window, and after "OK" the
// export. Without a file name the main window's "Save to file" dialog asks
// for one (only when there is a light curve to write). True when written.
bool showShortExport(QWidget* parent, Application& app, FileChooser& files,
                     ShortExportFields& fields);

}  // namespace vargaze
