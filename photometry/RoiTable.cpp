#include "photometry/RoiTable.h"

#include "base/Errors.h"

namespace vargaze {

const RoiTableRow& roiTableHeader() {
  static const RoiTableRow header = {"i",   "counts A",    "counts B",    "A-B",
                                     "Max(A)", "Mag",      "DMag",        "S/N (error)",
                                     "B-V (cat.)", "Vj (cat.)", "Rc (cat.)", "Ic (cat.)"};
  return header;
}

RoiTable::RoiTable(std::int32_t rows) : rows_(static_cast<std::size_t>(rows) + 1) {
  rows_[0] = roiTableHeader();
}

const std::string& RoiTable::cell(std::int32_t row, int column) const {
  static const std::string empty;
  if (column < 0 || column >= kRoiTableColumns) throw RangeError("table column out of range");
  if (row < 0 || row >= rowCount()) return empty;
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void RoiTable::setCell(std::int32_t row, int column, std::string text) {
  if (row < 1 || column < 0 || column >= kRoiTableColumns) {
    throw RangeError("table cell out of range");
  }
  if (row >= rowCount()) rows_.resize(static_cast<std::size_t>(row) + 1);
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

void RoiTable::clearCells(std::int32_t row, int first, int last) {
  if (row < 1 || row >= rowCount()) return;
  for (int c = first; c <= last && c < kRoiTableColumns; ++c) {
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(c)].clear();
  }
}

const RoiTableRow& RoiTable::row(std::int32_t r) const {
  if (r < 0 || r >= rowCount()) throw RangeError("table row out of range");
  return rows_[static_cast<std::size_t>(r)];
}

}  // namespace vargaze
