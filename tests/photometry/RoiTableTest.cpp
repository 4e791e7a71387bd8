// The ROI table texts: header, growth and clearing.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "photometry/RoiTable.h"

namespace vargaze {
namespace {

TEST(RoiTableTest, HeaderAndGrowth) {
  RoiTable table(3);
  EXPECT_EQ(table.rowCount(), 4);
  EXPECT_EQ(table.cell(0, 0), "i");
  EXPECT_EQ(table.cell(0, 7), "S/N (error)");
  EXPECT_EQ(table.cell(0, 11), "Ic (cat.)");
  table.setCell(10, 5, "12.500");  // a ROI number beyond the rows adds rows
  EXPECT_EQ(table.rowCount(), 11);
  EXPECT_EQ(table.cell(10, 5), "12.500");
  EXPECT_EQ(table.cell(50, 5), "");
  table.clearCells(10, 1, 11);
  EXPECT_EQ(table.cell(10, 5), "");
  EXPECT_THROW(table.setCell(0, 1, "x"), RangeError);  // the header is fixed
  EXPECT_THROW(table.cell(1, 12), RangeError);
}

}  // namespace
}  // namespace vargaze
