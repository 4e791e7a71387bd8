#include "gui/RoiTableModel.h"

#include "photometry/RoiWindow.h"

namespace vargaze {

RoiTableModel::RoiTableModel(const RoiWindow& window, QObject* parent)
    : QAbstractTableModel(parent), window_(window), rows_(window.count()) {}

int RoiTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int RoiTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kRoiTableColumns;
}

QVariant RoiTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  return QString::fromStdString(window_.table1.cell(index.row() + 1, index.column()));
}

QVariant RoiTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  if (section < 0 || section >= kRoiTableColumns) return {};
  return QString::fromStdString(roiTableHeader()[std::size_t(section)]);
}

void RoiTableModel::refresh() {
  if (rows_ != window_.count()) {
    beginResetModel();
    rows_ = window_.count();
    endResetModel();
  } else if (rows_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, kRoiTableColumns - 1));
  }
}

}  // namespace vargaze
