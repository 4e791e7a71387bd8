// "SNR Berechnung": the modal dialog of the extended signal-to-noise model
// over its SnrForm model. Typing goes to the model at once, as the model's
// handlers expect; "Use data" closes it only when the fields are numbers.
#pragma once

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QSpinBox;

namespace vargaze {

class SnrForm;

class SnrDialog : public QDialog {
  Q_OBJECT

 public:
  // `form` has been filled by its FormShow.
  explicit SnrDialog(SnrForm& form, QWidget* parent = nullptr);

 private:
  void okClicked();
  void showForm();

  SnrForm& form_;
  QLineEdit* aperture_;
  QLineEdit* height_;
  QLineEdit* airmass_;
  QSpinBox* stack_;
  QButtonGroup* stacking_;
  QLineEdit* singleExposure_;
};

}  // namespace vargaze
