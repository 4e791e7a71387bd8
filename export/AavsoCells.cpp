#include "export/AavsoCells.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Strings.h"

namespace vargaze {

double cellNumber(const std::string& text, const std::string& where) {
  double value = 0.0;
  if (!tryParseDouble(Trim(text), value)) {
    throw RangeError("'" + text + "' ist keine gültige Zahl (" + where + ")");
  }
  return value;
}

}  // namespace vargaze
