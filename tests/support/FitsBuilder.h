// Builds FITS files byte by byte for the tests, independently of the
// program's own writer: header cards from plain text, pixels big-endian.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vargaze::test {

class FitsBuilder {
 public:
  // A header starting with SIMPLE, BITPIX, NAXIS, NAXIS1, NAXIS2 (and NAXIS3
  // when planes > 1).
  FitsBuilder(int bitpix, int width, int height, int planes = 1);

  // Adds a card written as "KEY     = value" (value from column 11 as given).
  FitsBuilder& card(std::string_view key, std::string_view value);
  // Adds a raw card text (padded to 80 columns).
  FitsBuilder& rawCard(std::string_view text);

  // Pixel values in storage order, written in the builder's BITPIX type.
  FitsBuilder& pixels(const std::vector<double>& values);

  // The whole file: header blocks with END, data padded to 2880 bytes.
  // `withEnd` false leaves the END card out.
  std::string bytes(bool withEnd = true) const;

 private:
  int bitpix_;
  std::vector<std::string> cards_;
  std::string data_;
};

}  // namespace vargaze::test
