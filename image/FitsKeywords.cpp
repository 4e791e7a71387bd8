#include "image/FitsKeywords.h"

#include <cctype>
#include <string>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "image/Astro.h"
#include "image/BayerFrame.h"
#include "image/FitsHeader.h"
#include "image/Imgbuffer.h"

namespace vargaze {

namespace {

constexpr std::size_t kMaxFilterName = 40;

// The keyword exactly as it stands in columns 1-8, blanks included.
bool exactKeyword(std::string_view card, std::string_view key) {
  std::string padded(key);
  padded.resize(8, ' ');
  return card.substr(0, 8) == padded;
}

// An infrared-cut filter passes the visual band: it is no Cousins I filter,
// whatever its first letter says.
bool namesInfraredCut(const std::string& name) {
  const std::string upper = stUpcase(name);
  return upper == "IRCUT" || upper == "IR-CUT" || upper == "IR CUT" || upper == "IR_CUT";
}

// The filter code of a FILTER value: first letter, else the first two. A
// Bayer pattern in FILTER names the camera's mosaic, no filter: its channel
// gets its code when it is taken out.
void applyFilter(const std::string& value, Timgbuffer& img) {
  img.FilterName = value.substr(0, kMaxFilterName);
  const std::string name = Trim(value);
  if (name.empty() || isBayerPatternName(name)) return;
  if (namesInfraredCut(name)) {
    img.FilterType = 0;  // clear
    return;
  }
  switch (std::toupper(static_cast<unsigned char>(name[0]))) {
    case 'C': img.FilterType = 0; return;
    case 'B': img.FilterType = 2; return;
    case 'V':
    case 'G': img.FilterType = 3; return;
    case 'R': img.FilterType = 4; return;
    case 'I': img.FilterType = 5; return;
    default: break;
  }
  const std::string two = name.substr(0, 2);
  if (two == "TB") img.FilterType = 6;
  if (two == "TG") img.FilterType = 7;
  if (two == "TR") img.FilterType = 8;
}

// AIRMASS and PIXSCALE: the number, or the quoted number when the value is a
// string. A value that does not parse leaves the field as it was.
void applyQuotableNumber(std::string_view card, double& field) {
  double value = 0.0;
  const int position = parseDouble(cardNumericText(card), value);
  if (position == 0) {
    field = value;
  } else if (position == 1) {
    const auto text = cardStringValue(card);
    if (text && tryParseDouble(Trim(*text), value)) field = value;
  }
}

void applyDateText(std::string_view card, FitsDateParts& parts) {
  const auto quoted = cardStringValue(card);
  const std::string text = quoted ? *quoted : cardNumericText(card);
  convertdate(text, parts.year, parts.month, parts.day);
  const auto t = text.find('T');
  if (t != std::string::npos) {
    converttime(std::string_view(text).substr(t + 1, 12), parts.hour, parts.minute, parts.second);
  }
}

void applyTimeText(std::string_view card, FitsDateParts& parts) {
  converttime(cardStringValue(card).value_or(""), parts.hour, parts.minute, parts.second);
}

void applyBitpix(std::int32_t bitpix, Timgbuffer& img, FitsHeaderScan& scan) {
  scan.bitpix = bitpix;
  switch (bitpix) {
    case 8: img.bufferbyte = kPixel8; return;
    case 16: img.bufferbyte = kPixel16; return;
    case 32: img.bufferbyte = kPixel32; return;
    case -32: img.bufferbyte = kPixelFloat; return;
    default: scan.unsupportedBitpix = true; return;  // -64 included: no storage for it
  }
}

}  // namespace

void applyFitsCard(std::string_view card, Timgbuffer& img, FitsHeaderScan& scan) {
  const std::string key = cardKeyword(card);
  std::int32_t integer = 0;
  double number = 0.0;
  const auto readInteger = [&] { return tryParseInt32(cardNumericText(card), integer); };
  const auto readNumber = [&] { return tryParseDouble(cardNumericText(card), number); };

  if (exactKeyword(card, "END")) {
    scan.endFound = true;
  } else if (exactKeyword(card, "NAXIS")) {
    if (readInteger()) scan.naxis = integer;
  } else if (exactKeyword(card, "NAXIS1")) {
    if (readInteger()) img.xsize = integer;
  } else if (exactKeyword(card, "NAXIS2")) {
    if (readInteger()) img.ysize = integer;
  } else if (exactKeyword(card, "BITPIX")) {
    if (readInteger()) {
      applyBitpix(integer, img, scan);
    } else {
      scan.unsupportedBitpix = true;
    }
  } else if (exactKeyword(card, "BZERO")) {
    if (readNumber()) img.Offset1 = number;
  } else if (exactKeyword(card, "BSCALE")) {
    if (readNumber() && number != 0.0) img.ScaleFactor = number;
  } else if (exactKeyword(card, "DATE-OBS")) {
    applyDateText(card, scan.setA);
  } else if (card.substr(0, 4) == "DATE") {
    applyDateText(card, scan.setB);
  } else if (exactKeyword(card, "UT-START") || exactKeyword(card, "TIME-OBS") ||
             exactKeyword(card, "UT")) {
    applyTimeText(card, scan.setA);
  } else if (exactKeyword(card, "TIME")) {
    applyTimeText(card, scan.setB);
  } else if (exactKeyword(card, "TIMESTMP")) {
    FitsDateParts& a = scan.setA;
    ConvertDateRaptor(cardStringValue(card).value_or(""), a.year, a.month, a.day, a.hour,
                      a.minute, a.second);
  } else if (key == "EXPOSURE" || key == "EXPTIME" || key == "EXP_TIME") {
    if (readNumber()) img.Exposure = number;
  } else if (exactKeyword(card, "XBINNING")) {
    if (readInteger() && integer >= 0 && integer <= 65535) img.Xbinning = std::uint16_t(integer);
  } else if (exactKeyword(card, "YBINNING")) {
    if (readInteger() && integer >= 0 && integer <= 65535) img.Ybinning = std::uint16_t(integer);
  } else if (key == "CSPACE") {
    const auto quoted = cardStringValue(card);
    const std::string space = Trim(quoted ? *quoted : cardNumericText(card));
    if (space == "RGB" && scan.naxis == 3) img.colorimages = 3;
  } else if (key == "FILTER") {
    applyFilter(cardStringValue(card).value_or(""), img);
  } else if (key == "AIRMASS") {
    applyQuotableNumber(card, img.Airmass);
  } else if (key == "PIXSCALE") {
    applyQuotableNumber(card, img.PixScale);
  }
}

void applyFitsDate(const FitsHeaderScan& scan, Timgbuffer& img) {
  const FitsDateParts& d = scan.setA.hasDay() || !scan.setB.hasDay() ? scan.setA : scan.setB;
  if (!d.hasDay()) {
    img.JDstart = 0.0;
    img.Datetime = "date?";
    return;
  }
  img.JDstart = JD(d.day, d.month, d.year, d.hour + d.minute / 60.0 + d.second / 3600.0);
  img.Datetime = GetDatetime(d.year, d.month, d.day, d.hour, d.minute, d.second);
}

}  // namespace vargaze
