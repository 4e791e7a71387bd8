// The colour-channel dialog: one radio group for a single channel of a colour
// file and one that also offers all three. Each keeps its choice between
// showings; both start on "G".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vargaze {

struct ColourChoice {
  static constexpr const char* kCaption = "Farbkanal Auswahl";
  static constexpr const char* kLabel = "Farbkanal";
  static constexpr const char* kGroupTitle = "Color";
  static constexpr std::array<const char*, 3> kColorItems = {"R", "G", "B"};
  static constexpr std::array<const char*, 4> kColorAllItems = {"R", "G", "B", "RGB"};

  std::int32_t colorgroupIndex = 1;     // selected item of `kColorItems`
  std::int32_t ColorGroupAllIndex = 1;  // selected item of `kColorAllItems`
  bool allShown = false;                // which group the dialog shows

  // 1 R, 2 G, 3 B.
  std::uint8_t GetRGBColorNumber() const { return selected(colorgroupIndex, kColorItems.size()); }
  // 1 R, 2 G, 3 B, 4 all three channels.
  std::uint8_t GetRGBcolorAll() const {
    return selected(ColorGroupAllIndex, kColorAllItems.size());
  }

 private:
  // A radio group always has one item selected; out-of-range indices fall
  // back to "G" rather than naming a channel that does not exist.
  static std::uint8_t selected(std::int32_t index, std::size_t items) {
    const bool valid = index >= 0 && static_cast<std::size_t>(index) < items;
    return static_cast<std::uint8_t>((valid ? index : 1) + 1);
  }
};

}  // namespace vargaze
