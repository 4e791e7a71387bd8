// Builds FITS files byte by byte for the tests, independently of the
// program's own writer: header cards from plain text, pixels big-endian.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vargaze::test {

class FitsBuilder {
 public:
  // A header starting with SIMPLE, BITPIX, NAXIS, NAXIS1, NAXIS2 (and NAXIS3
  // when planes > 1).
  FitsBuilder(int bitpix, int width, int height, int planes = 1) : bitpix_(bitpix) {
    card("SIMPLE", "                   T").card("BITPIX", std::to_string(bitpix));
    card("NAXIS", planes > 1 ? "3" : "2");
    card("NAXIS1", std::to_string(width)).card("NAXIS2", std::to_string(height));
    if (planes > 1) card("NAXIS3", std::to_string(planes));
  }

  // Adds a card written as "KEY     = value" (value from column 11 as given).
  FitsBuilder& card(std::string_view key, std::string_view value) {
    std::string text(key);
    text.resize(8, ' ');
    cards_.push_back(pad80(text + "= " + std::string(value)));
    return *this;
  }

  // Pixel values in storage order, written in the builder's BITPIX type.
  FitsBuilder& pixels(const std::vector<double>& values) {
    for (double v : values) {
      switch (bitpix_) {
        case 8: data_.push_back(char(std::uint8_t(v))); break;
        case 16: appendBigEndian<std::uint16_t>(std::int16_t(v)); break;
        case 32: appendBigEndian<std::uint32_t>(std::int32_t(v)); break;
        case -32: appendBigEndian<std::uint32_t>(float(v)); break;
        case -64: appendBigEndian<std::uint64_t>(v); break;
      }
    }
    return *this;
  }

  // The whole file: header blocks with END, data padded to 2880 bytes.
  // `withEnd` false leaves the END card out.
  std::string bytes(bool withEnd = true) const {
    std::string out;
    for (const auto& c : cards_) out += c;
    if (withEnd) out += pad80("END");
    out.resize((out.size() + 2879) / 2880 * 2880, ' ');
    std::string data = data_;
    data.resize((data.size() + 2879) / 2880 * 2880, '\0');
    return out + data;
  }

 private:
  static std::string pad80(std::string_view text) {
    std::string card(text.substr(0, 80));
    card.resize(80, ' ');
    return card;
  }
  // U: the unsigned integer of the same width as T.
  template <typename U, typename T>
  void appendBigEndian(T value) {
    static_assert(sizeof(U) == sizeof(T));
    U bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = int(sizeof(U)) - 1; i >= 0; --i) data_.push_back(char((bits >> (8 * i)) & 0xFF));
  }

  int bitpix_;
  std::vector<std::string> cards_;
  std::string data_;
};

}  // namespace vargaze::test
