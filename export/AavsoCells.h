// Reading numbers from table cells of the export: a cell that is not a
// number ends the command with a message naming the cell.
#pragma once

#include <string>

namespace vargaze {

// The number in `text` (blanks around it allowed); throws RangeError
// "'text' ist keine gültige Zahl (where)" otherwise.
double cellNumber(const std::string& text, const std::string& where);

}  // namespace vargaze
