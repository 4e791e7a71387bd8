// The program information window: name and version beside the program icon,
// on top of the main window until a click into it, closing it or the main
// window's information timer hides it.
#pragma once

#include <QDialog>

#include "app/InfoWindow.h"

namespace vargaze {

class InfoDialog : public QDialog {
  Q_OBJECT

 public:
  explicit InfoDialog(QWidget* parent = nullptr);

  void showInfo();
  void hideInfo();
  const InfoWindow& model() const { return model_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  // Closing, Escape included, only hides the window; the model follows.
  void hideEvent(QHideEvent* event) override;

 private:
  InfoWindow model_;
};

}  // namespace vargaze
