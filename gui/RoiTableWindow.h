// The ROI window's table with its calibration fields, read-only: one row per
// ROI as the photometry wrote it, the zero point, the sky brightness, the
// filter and the frame's file and Julian Date.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTableView;

namespace vargaze {

class RoiWindow;

// Rows 1..count() of the ROI table; the header row becomes the column titles.
class RoiTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit RoiTableModel(const RoiWindow& window, QObject* parent = nullptr)
      : QAbstractTableModel(parent), window_(window) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The ROIs or their measurements changed.
  void refresh();

 private:
  const RoiWindow& window_;
};

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
