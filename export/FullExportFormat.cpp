#include "export/FullExportFormat.h"

#include <algorithm>

#include "base/Errors.h"

namespace vargaze::exportfmt {

char delimiterOf(std::int32_t delimiterItem) {
  switch (delimiterItem) {
    case 0: return ',';
    case 1: return ';';
    case 2: return '|';
    default: throw RangeError("Feld-Trennzeichen: Auswahl " + std::to_string(delimiterItem) +
                              " ungültig");
  }
}

std::int32_t delimiterItemFor(char delimiter) {
  switch (delimiter) {
    case ',': return 0;
    case ';': return 1;
    case '|': return 2;
    default: return -1;
  }
}

bool decimalCommaOf(std::int32_t decimalItem) {
  if (decimalItem != 0 && decimalItem != 1) {
    throw RangeError("Dezimal-Trennzeichen: Auswahl " + std::to_string(decimalItem) +
                     " ungültig");
  }
  return decimalItem == 1;
}

std::int32_t decimalItemFor(char separator) {
  return separator == '.' ? 0 : separator == ',' ? 1 : -1;
}

std::string numberText(std::string text, bool decimalComma) {
  if (decimalComma) std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

std::string joinFields(const std::vector<std::string>& fields, char delimiter) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += delimiter;
    line += fields[i];
  }
  return line;
}

std::string delimiterConflict(const std::vector<std::string>& fields,
                              const std::vector<std::string>& titles, std::int32_t lineNumber,
                              char delimiter) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].find(delimiter) == std::string::npos) continue;
    const std::string column = i < titles.size() ? titles[i] : std::to_string(i + 1);
    return "Feld \"" + column + "\" in Zeile " + std::to_string(lineNumber) +
           " enthält das Feld-Trennzeichen \"" + std::string(1, delimiter) + "\": \"" +
           fields[i] + "\". Nicht gespeichert.";
  }
  return {};
}

std::string roiNumberRefusal(std::int32_t roiNumber, std::int32_t roiCount) {
  return "ROI Nr. " + std::to_string(roiNumber) + " nicht vorhanden (ROIs: " +
         std::to_string(roiCount) + ")";
}

}  // namespace vargaze::exportfmt
