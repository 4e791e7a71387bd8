#include "base/TextCodec.h"

#include <array>

namespace vargaze {

namespace {

// Code points of the bytes 0x80..0x9F; the rest of the code page equals
// ISO 8859-1 and thus its own code point.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

void appendUtf8(std::string& out, char32_t cp) {
  auto byte = [](char32_t v) { return static_cast<char>(static_cast<unsigned char>(v)); };
  if (cp < 0x80) {
    out += byte(cp);
  } else if (cp < 0x800) {
    out += byte(0xC0 | (cp >> 6));
    out += byte(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += byte(0xE0 | (cp >> 12));
    out += byte(0x80 | ((cp >> 6) & 0x3F));
    out += byte(0x80 | (cp & 0x3F));
  } else {
    out += byte(0xF0 | (cp >> 18));
    out += byte(0x80 | ((cp >> 12) & 0x3F));
    out += byte(0x80 | ((cp >> 6) & 0x3F));
    out += byte(0x80 | (cp & 0x3F));
  }
}

// Decodes the UTF-8 sequence at `pos`; advances `pos` and returns true when
// it is well-formed.
bool nextCodePoint(std::string_view s, std::size_t& pos, char32_t& cp) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = at(pos);
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    cp = lead;
    ++pos;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07u, minimum = 0x10000;
  } else {
    return false;
  }
  if (pos + length > s.size()) return false;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char c = at(pos + i);
    if ((c & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (c & 0x3Fu);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  pos += length;
  return true;
}

}  // namespace

char32_t cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

bool unicodeToCp1252(char32_t codePoint, unsigned char& byte) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    byte = static_cast<unsigned char>(codePoint);
    return true;
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == codePoint) {
      byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  char32_t cp = 0;
  while (pos < bytes.size()) {
    if (!nextCodePoint(bytes, pos, cp)) return false;
  }
  return true;
}

std::string cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string encodeForFile(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  char32_t cp = 0;
  unsigned char byte = 0;
  while (pos < utf8.size()) {
    if (!nextCodePoint(utf8, pos, cp) || !unicodeToCp1252(cp, byte)) return std::string(utf8);
    out += static_cast<char>(byte);
  }
  return out;
}

std::string decodeFromFile(std::string_view bytes) {
  if (isValidUtf8(bytes)) return std::string(bytes);
  return cp1252ToUtf8(bytes);
}

}  // namespace vargaze
