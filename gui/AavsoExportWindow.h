// "BAV/AAVSO Datenexport": the export window over the application's one
// ExportForm2. Every control writes into the form at once and the window
// shows the form again after each command, so header, choices and rows are
// kept between showings as the form keeps them. The fill runs inside the
// window: the rows appear as they are measured and "STOP" ends it. Before a
// file is saved the report check runs; its findings stay listed under the
// table (a double click selects the cell named) and a question offers to
// save anyway.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "export/ReportCheck.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

namespace vargaze {

class AavsoRowsModel;
class Application;
class ExportForm2;
class FileChooser;
class QtUi;

class AavsoExportWindow : public QDialog {
  Q_OBJECT

 public:
  // The form must have been prepared by its BAVAAVSODatenexport1Click.
  AavsoExportWindow(Application& app, QtUi& ui, FileChooser& files, QWidget* parent = nullptr);

  QPlainTextEdit* headerEdit() const { return header_; }
  QSpinBox* varEdit() const { return var_; }
  QSpinBox* checkEdit() const { return check_; }
  QLineEdit* jdCorrEdit() const { return jdCorr_; }
  QButtonGroup* delimiterGroup() const { return delimiters_; }
  QComboBox* obstypeSelect() const { return obstype_; }
  QButtonGroup* compCheckGroup() const { return compCheck_; }
  QTableView* table() const { return table_; }
  QListWidget* findingsList() const { return findings_; }
  QPushButton* fillButton() const { return fill_; }
  QPushButton* stopButton() const { return stop_; }
  QPushButton* transformButton() const { return transform_; }
  QPushButton* saveButton() const { return save_; }
  QPushButton* clearButton() const { return clear_; }
  bool filling() const { return filling_; }

  // Closing during the fill stops it instead; the window stays open.
  void reject() override;

 private:
  QWidget* makeFields();
  QWidget* makeButtons();
  void connectControls();

  void fillClicked();
  void stopClicked();
  void transformClicked();
  void saveClicked();
  void clearClicked();
  // During the fill, on every pass of the event loop: new rows, scrolling, STOP.
  void followFill();
  void setCommandsEnabled(bool enabled);

  // The report check over what would be saved, listed; empty after clearing.
  std::vector<Finding> checkFindings();
  void showFindings(const std::vector<Finding>& findings);
  void selectFindingCell(int item);
  // The form's header, choices and buttons as they stand now.
  void showForm();
  void showHeader();
  // Runs a command; a fault it throws becomes a message, never a crash.
  void guarded(const std::function<void()>& command);

  ExportForm2& form_;
  QtUi& ui_;
  FileChooser& files_;
  AavsoRowsModel* rows_;
  std::vector<Finding> shownFindings_;
  bool syncing_ = false;
  bool filling_ = false;
  bool stopRequested_ = false;

  QPlainTextEdit* header_;
  QSpinBox* var_;
  QSpinBox* check_;
  QLineEdit* jdCorr_;
  QButtonGroup* delimiters_;
  QComboBox* obstype_;
  QButtonGroup* compCheck_;
  QWidget* controls_ = nullptr;
  QTableView* table_;
  QGroupBox* findingsBox_;
  QListWidget* findings_;
  QPushButton* fill_;
  QPushButton* stop_;
  QPushButton* transform_;
  QPushButton* save_;
  QPushButton* clear_;
  QPushButton* close_;
  QTimer* fillTimer_;
};

// The menu command "BAV/AAVSO Datenexport": refused without an image or ROIs
// (the form says why), otherwise the window shown modally.
void showAavsoExport(QWidget* parent, Application& app, QtUi& ui, FileChooser& files);

}  // namespace vargaze
