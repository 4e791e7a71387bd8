#include "support/FitsBuilder.h"

#include <cstring>

namespace vargaze::test {

namespace {

// U: the unsigned integer of the same width as T.
template <typename U, typename T>
void appendBigEndian(std::string& out, T value) {
  static_assert(sizeof(U) == sizeof(T));
  U bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = int(sizeof(U)) - 1; i >= 0; --i) out.push_back(char((bits >> (8 * i)) & 0xFF));
}

std::string pad80(std::string_view text) {
  std::string card(text.substr(0, 80));
  card.resize(80, ' ');
  return card;
}

}  // namespace

FitsBuilder::FitsBuilder(int bitpix, int width, int height, int planes) : bitpix_(bitpix) {
  card("SIMPLE", "                   T");
  card("BITPIX", std::to_string(bitpix));
  card("NAXIS", planes > 1 ? "3" : "2");
  card("NAXIS1", std::to_string(width));
  card("NAXIS2", std::to_string(height));
  if (planes > 1) card("NAXIS3", std::to_string(planes));
}

FitsBuilder& FitsBuilder::card(std::string_view key, std::string_view value) {
  std::string text(key);
  text.resize(8, ' ');
  text += "= ";
  text += value;
  cards_.push_back(pad80(text));
  return *this;
}

FitsBuilder& FitsBuilder::rawCard(std::string_view text) {
  cards_.push_back(pad80(text));
  return *this;
}

FitsBuilder& FitsBuilder::pixels(const std::vector<double>& values) {
  for (double v : values) {
    switch (bitpix_) {
      case 8: data_.push_back(char(std::uint8_t(v))); break;
      case 16: appendBigEndian<std::uint16_t>(data_, std::int16_t(v)); break;
      case 32: appendBigEndian<std::uint32_t>(data_, std::int32_t(v)); break;
      case -32: appendBigEndian<std::uint32_t>(data_, float(v)); break;
      case -64: appendBigEndian<std::uint64_t>(data_, v); break;
    }
  }
  return *this;
}

std::string FitsBuilder::bytes(bool withEnd) const {
  std::string out;
  for (const auto& c : cards_) out += c;
  if (withEnd) out += pad80("END");
  out.resize((out.size() + 2879) / 2880 * 2880, ' ');
  std::string data = data_;
  data.resize((data.size() + 2879) / 2880 * 2880, '\0');
  return out + data;
}

}  // namespace vargaze::test
