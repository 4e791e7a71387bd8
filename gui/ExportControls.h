// Controls the export windows share: the radio groups "Feld-Trennzeichen"
// and "Dezimal-Trennzeichen" with their items in the order of the export
// fields' item numbers.
#pragma once

#include <array>
#include <span>

class QButtonGroup;
class QGroupBox;
class QWidget;

namespace vargaze {

inline constexpr std::array<const char*, 3> kDelimiterItems = {", (Komma)", "; (Semikolon)",
                                                               "| (Pipe)"};
inline constexpr std::array<const char*, 2> kDecimalItems = {". (Punkt)", ", (Komma)"};

// A group box of radio buttons, one per item, stacked; each button joins
// `group` with its item number as id, and item `checked` is selected.
QGroupBox* exportRadioGroup(const char* caption, std::span<const char* const> items,
                            QButtonGroup* group, int checked, QWidget* parent);

}  // namespace vargaze
