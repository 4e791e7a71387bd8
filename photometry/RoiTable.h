// The ROI table of the ROI window as texts: a header row and one row per ROI,
// twelve columns, exactly what the window shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vargaze {

inline constexpr int kRoiTableColumns = 12;
using RoiTableRow = std::array<std::string, kRoiTableColumns>;

// Column titles of row 0.
const RoiTableRow& roiTableHeader();

class RoiTable {
 public:
  // Starts with the header row and `rows` empty ROI rows.
  explicit RoiTable(std::int32_t rows = 1000);

  // Cell text; row 0 is the header. Rows beyond the end read as empty.
  const std::string& cell(std::int32_t row, int column) const;
  // Writes a cell, adding rows when `row` lies beyond the end.
  void setCell(std::int32_t row, int column, std::string text);
  // Empties columns first..last of a ROI row.
  void clearCells(std::int32_t row, int first, int last);

  std::int32_t rowCount() const { return static_cast<std::int32_t>(rows_.size()); }
  const RoiTableRow& row(std::int32_t r) const;

 private:
  std::vector<RoiTableRow> rows_;
};

}  // namespace vargaze
