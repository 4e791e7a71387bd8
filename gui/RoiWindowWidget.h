// The ROI window "ROI information": aperture sizes, reference star, star
// type, filter, calibration and sky fields, "SNR+" and the ROI table, with the
// frame's file and Julian Date below. Every control forwards to the engine's
// handler and the window then shows the engine's state again; the controls
// are named after the engine's fields (objectName "ROIsizeEdit", ...).
#pragma once

#include <QWidget>
#include <functional>

#include "app/RoiWindowCommands.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace vargaze {

class Application;
class RoiTableModel;

class RoiWindowWidget : public QWidget {
  Q_OBJECT

 public:
  // Create it when the program starts: its first showing (FormShow) sets the
  // configured aperture sizes, which must not override a project's.
  explicit RoiWindowWidget(Application& app, QWidget* parent = nullptr);

  // Shows the engine's state: controls, fields and table.
  void refresh();

  RoiWindowCommands& commands() { return commands_; }
  QTableView* table() const { return table_; }

 signals:
  // "Set" or a double click: show "Stern-Info" for ROI `roi` (app.starInfo is
  // prepared) modally; when the receiver returns, the table is measured again.
  void starInfoRequested(int roi);
  // ROIs were deleted, re-typed, re-sized or re-centred: repaint the image.
  void roisChanged();

 protected:
  // Showing again brings the detector fields up to date.
  void showEvent(QShowEvent* event) override;

 private:
  void buildControls();
  QGroupBox* apertureGroup();
  QGroupBox* referenceGroup();
  QGroupBox* calibrationGroup();
  QGroupBox* skyGroup();
  // Runs an engine handler (a message instead of a crash when it throws) and
  // shows the result; ignored while the window itself sets its controls.
  void run(const std::function<void()>& handler, bool roisChange = false);
  void setReferenceClicked();
  void snrClicked();
  void selectRoiRow();

  Application& app_;
  RoiWindowCommands commands_;
  bool syncing_ = false;
  RoiTableModel* model_;
  QTableView* table_;
  QSpinBox* starSize_ = nullptr;
  QSpinBox* inner_ = nullptr;
  QSpinBox* outer_ = nullptr;
  QCheckBox* autocenter_ = nullptr;
  QSpinBox* refstar_ = nullptr;
  QLineEdit* mag_ = nullptr;
  QLineEdit* name_ = nullptr;
  QComboBox* startype_ = nullptr;
  QLineEdit* magCal_ = nullptr;
  QLineEdit* exposure_ = nullptr;
  QLineEdit* elcount_ = nullptr;
  QLineEdit* pixelsize_ = nullptr;
  QLineEdit* skymag_ = nullptr;
  QLineEdit* airmass_ = nullptr;
  QComboBox* filter_ = nullptr;
  QPushButton* snr_ = nullptr;
  QLineEdit* chart_ = nullptr;
  QLabel* file_ = nullptr;
  QLabel* jd_ = nullptr;
};

}  // namespace vargaze
