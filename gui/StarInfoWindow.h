// "Stern-Info": name, type and catalogue magnitudes of one ROI, shown over
// the StarInfoDialog model. The widgets only forward the user's typing and
// clicks to the model's handlers and then show the model again, so B, V and
// B-V stay consistent exactly as the model keeps them.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "photometry/StarInfo.h"

class QButtonGroup;
class QGroupBox;
class QLineEdit;

namespace vargaze {

class Application;
class RoiWindow;

class StarInfoWindow : public QDialog {
  Q_OBJECT

 public:
  // `model` must have been prepared for the ROI to show.
  StarInfoWindow(StarInfoDialog& model, RoiWindow& roiWindow, QWidget* parent = nullptr);

  // The text field labelled `caption` ("Bj", "Vt", "Stern-Bezeichnung", ...).
  QLineEdit* field(const QString& caption) const;
  QButtonGroup* starTypeGroup() const { return starType_; }
  QButtonGroup* compTypeGroup() const { return compType_; }
  QGroupBox* katalogGroup() const { return katalog_; }

 protected:
  // Clicking into Bj or Bj-Vj tells the model which of the two is typed.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Field {
    QString caption;
    std::string StarInfoDialog::*text = nullptr;
    // The model's handler for typing; without one the text is just stored.
    // A plain function, not a member pointer: g++ 12's sanitizer build reports
    // a member-pointer call from this slot as a stack underflow.
    void (*typed)(StarInfoDialog&, const std::string&) = nullptr;
    bool magnitude = false;  // enabled only for comparison and check stars
    QLineEdit* edit = nullptr;
  };

  QGroupBox* makeKatalogGroup();
  QLineEdit* addField(Field f);
  void okClicked();
  void showModel();

  StarInfoDialog& model_;
  RoiWindow& roiWindow_;
  std::vector<Field> fields_;
  QButtonGroup* starType_ = nullptr;
  QButtonGroup* compType_ = nullptr;
  QGroupBox* compGroup_ = nullptr;
  QGroupBox* katalog_ = nullptr;
  QLineEdit* idEdit_ = nullptr;
};

// Shows "Stern-Info" modally for the ROI that `app.starInfo` was prepared
// for; true when it was closed with OK and the input stored.
bool showStarInfo(QWidget* parent, Application& app);

}  // namespace vargaze
