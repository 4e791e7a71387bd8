// The ROI window's table with its calibration fields, read-only: one row per
// ROI as the photometry wrote it, the zero point, the sky brightness, the
// filter and the frame's file and Julian Date.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTableView;

namespace vargaze {

class RoiTableModel;
class RoiWindow;

class RoiTableWindow : public QWidget {
  Q_OBJECT

 public:
  explicit RoiTableWindow(const RoiWindow& window, QWidget* parent = nullptr);

  // Reads the table and the fields again.
  void refresh();

  QTableView* table() const { return table_; }

 private:
  const RoiWindow& window_;
  RoiTableModel* model_;
  QTableView* table_;
  QLineEdit* magCal_;
  QLineEdit* sky_;
  QLineEdit* filter_;
  QLabel* file_;
  QLabel* jd_;
};

}  // namespace vargaze
