// "Automatic star marker": asks for the sensitivity, the saturation limit and
// the minimum S/N, then stays on screen, not modal, while the search places
// ROIs, so its "Abbruch" can stop the search; the ROIs found so far stay.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "photometry/StarFinder.h"

class QButtonGroup;
class QPushButton;
class QSpinBox;

namespace vargaze {

class Application;
class QtUi;

class StarFinderWindow : public QDialog {
  Q_OBJECT

 public:
  // One window for the program's life, so its choices persist between runs.
  StarFinderWindow(Application& app, QtUi& ui, QWidget* parent = nullptr);

  // The menu command: asks, then searches the frame on display, or the image
  // window's rectangle when one is drawn. Returns the number of ROIs made
  // (0 when the dialog was cancelled or there is no frame). Does nothing
  // while a search is already running.
  std::int32_t run();
  bool searching() const { return searching_; }

  const StarfindDialog& model() const { return model_; }
  QButtonGroup* sensitivityGroup() const { return sensitivity_; }
  QSpinBox* maxcountEdit() const { return maxcount_; }
  QSpinBox* minSNEdit() const { return minSN_; }
  QPushButton* startButton() const { return start_; }
  QPushButton* cancelButton() const { return cancel_; }

  // "Abbruch": closes the dialog, or stops a running search.
  void reject() override;

 private:
  void startClicked();
  // The image window's rectangle in image positions; nothing without one.
  std::optional<ImageRect> searchRect() const;

  Application& app_;
  QtUi& ui_;
  StarfindDialog model_;
  bool searching_ = false;
  QButtonGroup* sensitivity_;
  QSpinBox* maxcount_;
  QSpinBox* minSN_;
  QPushButton* start_;
  QPushButton* cancel_;
};

}  // namespace vargaze
