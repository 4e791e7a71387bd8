// The ROI table as a Qt model: rows 1..count() of the table the photometry
// wrote, the header row as the column titles.
#pragma once

#include <QAbstractTableModel>

namespace vargaze {

class RoiWindow;

class RoiTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit RoiTableModel(const RoiWindow& window, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The ROIs or their measurements changed. New cells keep the selection;
  // a ROI more or less starts the rows afresh.
  void refresh();

 private:
  const RoiWindow& window_;
  int rows_ = 0;  // the ROI count shown
};

}  // namespace vargaze
