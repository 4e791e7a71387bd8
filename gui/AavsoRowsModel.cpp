#include "gui/AavsoRowsModel.h"

namespace vargaze {

AavsoRowsModel::AavsoRowsModel(std::vector<AavsoRow>& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), shown_(static_cast<int>(rows.size())) {}

int AavsoRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

int AavsoRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kAavsoColumns;
}

QVariant AavsoRowsModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  // The fill may have cleared the rows before the view heard of it.
  const auto row = static_cast<std::size_t>(index.row());
  if (!index.isValid() || row >= rows_.size()) return {};
  return QString::fromStdString(rows_[row][static_cast<std::size_t>(index.column())]);
}

bool AavsoRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  const auto row = static_cast<std::size_t>(index.row());
  if (role != Qt::EditRole || !index.isValid() || row >= rows_.size()) return false;
  rows_[row][static_cast<std::size_t>(index.column())] = value.toString().toStdString();
  emit dataChanged(index, index);
  if (edited) edited();
  return true;
}

Qt::ItemFlags AavsoRowsModel::flags(const QModelIndex& index) const {
  return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

QVariant AavsoRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < kAavsoColumns) {
    return QString::fromStdString(aavsoTitles()[static_cast<std::size_t>(section)]);
  }
  return QAbstractTableModel::headerData(section, orientation, role);
}

void AavsoRowsModel::follow() {
  const auto now = static_cast<int>(rows_.size());
  if (now < shown_) {
    beginRemoveRows({}, now, shown_ - 1);
    shown_ = now;
    endRemoveRows();
  } else if (now > shown_) {
    beginInsertRows({}, shown_, now - 1);
    shown_ = now;
    endInsertRows();
  }
}

void AavsoRowsModel::reload() {
  follow();
  if (shown_ > 0) emit dataChanged(index(0, 0), index(shown_ - 1, kAavsoColumns - 1));
}

}  // namespace vargaze
