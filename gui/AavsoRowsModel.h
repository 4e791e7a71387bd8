// The table of "BAV/AAVSO Datenexport" over the export window's rows: the 15
// columns with their titles, row numbers down the side (the report check
// names rows by them), every cell editable, an edit written straight into the
// row that is saved.
#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "export/AavsoExport.h"

namespace vargaze {

class AavsoRowsModel : public QAbstractTableModel {
 public:
  explicit AavsoRowsModel(std::vector<AavsoRow>& rows, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Catches up with the number of rows (the fill adds them while window
  // events run). Rows are inserted and removed, never reset, so the column
  // widths stay.
  void follow();
  // Catches up and shows every cell anew, after a command that may have
  // changed any of them.
  void reload();

  // Called after the user changed a cell.
  std::function<void()> edited;

 private:
  std::vector<AavsoRow>& rows_;
  int shown_ = 0;  // rows the view knows of
};

}  // namespace vargaze
