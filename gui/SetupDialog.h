// "Vargaze Setup": the five-tab settings dialog over its SetupForm model.
// Each control shows the model's field and forwards every change to it; OK
// closes the dialog only when the model accepted every field.
#pragma once

#include <QDialog>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace vargaze {

class SetupForm;
struct SpinControl;

class SetupDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kTabs[5] = {"Camera Setup", "Photometry/Light Curve Setup",
                                           "Data Export", "Transformation", "Site Info"};

  // `form` has been filled by its FormShow.
  explicit SetupDialog(SetupForm& form, QWidget* parent = nullptr);

  QTabWidget* tabs() const { return tabs_; }

 private:
  QWidget* cameraTab();
  QWidget* curveTab();
  QWidget* exportTab();
  QWidget* transformationTab();
  QWidget* siteTab();
  QLineEdit* textField(const char* name, std::string& field);
  // Arrows only when `step` is 2: typing could leave the odd sizes.
  QSpinBox* spinBox(const char* name, const SpinControl& control, int step,
                    std::function<void(int)> store);
  QCheckBox* checkBox(const char* name, const char* caption, bool& field);
  QButtonGroup* radioGroup(QWidget* box, const char* const* items, int count, int& field);
  void showRings();
  void okClicked();

  SetupForm& form_;
  QTabWidget* tabs_;
  QSpinBox* starBox_ = nullptr;
  QSpinBox* innerRing_ = nullptr;
  QSpinBox* outerRing_ = nullptr;
};

// Runs the dialog modally over a filled form; true when closed with OK.
bool showSetupDialog(QWidget* parent, SetupForm& form);

}  // namespace vargaze
