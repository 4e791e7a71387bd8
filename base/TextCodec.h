// Text encoding of the files the program writes and reads.
//
// Internal strings are UTF-8. Files are written in Windows-1252 when every
// character has a place in it, so they stay readable by the tools the users
// already have; otherwise in UTF-8, so no character is ever dropped. Readers
// take valid UTF-8 as UTF-8 and anything else as Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace vargaze {

// Unicode code point of a Windows-1252 byte. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// characters of the same number, so every byte survives a round trip.
char32_t cp1252ToUnicode(unsigned char byte);

// The Windows-1252 byte of a code point; false when it has none.
bool unicodeToCp1252(char32_t codePoint, unsigned char& byte);

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Windows-1252 bytes -> UTF-8.
std::string cp1252ToUtf8(std::string_view bytes);

// The bytes to write for a UTF-8 text: Windows-1252 when every character
// fits, else the UTF-8 text unchanged (also when it is not valid UTF-8).
std::string encodeForFile(std::string_view utf8);

// The UTF-8 text of bytes read from a file: valid UTF-8 stays as it is,
// anything else is read as Windows-1252.
std::string decodeFromFile(std::string_view bytes);

}  // namespace vargaze
