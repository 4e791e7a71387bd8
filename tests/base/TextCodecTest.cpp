#include "base/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace vargaze {
namespace {

std::string allBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(TextCodecTest, KnownWindows1252Characters) {
  EXPECT_EQ(cp1252ToUnicode(0x41), U'A');
  EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC');  // euro sign
  EXPECT_EQ(cp1252ToUnicode(0x8A), U'\u0160');  // S with caron
  EXPECT_EQ(cp1252ToUnicode(0x96), U'\u2013');  // en dash
  EXPECT_EQ(cp1252ToUnicode(0x99), U'\u2122');  // trade mark
  EXPECT_EQ(cp1252ToUnicode(0x9F), U'\u0178');  // Y with diaeresis
  EXPECT_EQ(cp1252ToUnicode(0xA0), U'\u00A0');
  EXPECT_EQ(cp1252ToUnicode(0xFC), U'\u00FC');  // u umlaut
  EXPECT_EQ(cp1252ToUnicode(0xFF), U'\u00FF');
}

TEST(TextCodecTest, UndefinedBytesMapToControlCharactersOfTheSameNumber) {
  for (int code : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    const auto b = static_cast<unsigned char>(code);
    EXPECT_EQ(cp1252ToUnicode(b), static_cast<char32_t>(b));
    unsigned char back = 0;
    ASSERT_TRUE(unicodeToCp1252(b, back));
    EXPECT_EQ(back, b);
  }
  // The C1 controls that 1252 replaced by printable characters have no byte.
  unsigned char byte = 0;
  EXPECT_FALSE(unicodeToCp1252(0x80, byte));
  EXPECT_FALSE(unicodeToCp1252(0x9F, byte));
  EXPECT_FALSE(unicodeToCp1252(0x100, byte));
}

TEST(TextCodecTest, EveryByteSurvivesTheRoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = cp1252ToUtf8(byte);
    EXPECT_TRUE(isValidUtf8(utf8)) << b;
    EXPECT_EQ(encodeForFile(utf8), byte) << b;
    EXPECT_EQ(decodeFromFile(encodeForFile(utf8)), utf8) << b;
  }
  const std::string bytes = allBytes();
  EXPECT_EQ(encodeForFile(cp1252ToUtf8(bytes)), bytes);
  EXPECT_EQ(decodeFromFile(bytes), cp1252ToUtf8(bytes));
}

TEST(TextCodecTest, Utf8OfHighBytes) {
  EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(cp1252ToUtf8("\x81"), "\xC2\x81");
  EXPECT_EQ(cp1252ToUtf8("M\xFCller"), "M\xC3\xBCller");
}

TEST(TextCodecTest, TextThatFitsIsWrittenAsWindows1252) {
  EXPECT_EQ(encodeForFile("M\xC3\xBCller"), "M\xFCller");  // one byte 0xFC
  EXPECT_EQ(encodeForFile("5 \xE2\x82\xAC"), "5 \x80");    // euro sign 0x80
  EXPECT_EQ(encodeForFile("plain ascii;1.5"), "plain ascii;1.5");
  EXPECT_EQ(encodeForFile(""), "");
}

TEST(TextCodecTest, TextThatDoesNotFitStaysUtf8) {
  const std::string omega = "M\xC3\xBCller \xCE\xA9";  // "Müller Ω"
  EXPECT_EQ(encodeForFile(omega), omega);
  const std::string emoji = "\xF0\x9F\x98\x80";
  EXPECT_EQ(encodeForFile(emoji), emoji);
  // Not UTF-8 at all: written as it is rather than mangled.
  EXPECT_EQ(encodeForFile("a\xFF"), "a\xFF");
}

TEST(TextCodecTest, ReadingTakesValidUtf8AsIsAndElseWindows1252) {
  EXPECT_EQ(decodeFromFile("M\xC3\xBCller"), "M\xC3\xBCller");
  EXPECT_EQ(decodeFromFile("M\xFCller"), "M\xC3\xBCller");
  EXPECT_EQ(decodeFromFile("\x80 5"), "\xE2\x82\xAC 5");
  EXPECT_EQ(decodeFromFile("\xCE\xA9"), "\xCE\xA9");
}

TEST(TextCodecTest, Utf8Validation) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("abc"));
  EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));   // U+10FFFF
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong "/"
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(isValidUtf8("\xE2\x82"));          // cut short
  EXPECT_FALSE(isValidUtf8("\xE2\x28\xAC"));      // bad continuation
  EXPECT_FALSE(isValidUtf8("\x80"));              // lone continuation
}

}  // namespace
}  // namespace vargaze
