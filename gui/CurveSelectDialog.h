// "Kurven-Darstellung Auswahl": sixteen check items "ROI 1" .. "ROI 16" with
// "Alle löschen", "Alle auswählen" and "OK". The check marks live in the
// model's form, so they keep their state between showings; OK stores them
// there and accepts.
#pragma once

#include <QDialog>

class QListWidget;

namespace vargaze {

struct CurveSelectForm;

class CurveSelectDialog : public QDialog {
  Q_OBJECT

 public:
  CurveSelectDialog(CurveSelectForm& form, QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showChecks();
  void OKButtonClick();

  CurveSelectForm& form_;
  QListWidget* list_;
};

}  // namespace vargaze
