// Small string, path and file routines used all over the program.
//
// Strings are UTF-8 byte strings; positions and word numbers are 1-based.
// Paths are native: "/" separates folders.
#pragma once

#include <string>
#include <string_view>

namespace vargaze {

// Removes leading and trailing characters of code <= 32 (blanks, tabs,
// line ends and the other control characters).
std::string Trim(std::string_view s);

// Removes every blank (" "); other white space stays.
std::string RemoveBlanks(std::string_view s);

// Upper case of a-z; every other byte stays.
std::string stUpcase(std::string_view s);

// Lower case of A-Z and of the umlauts Ä, Ö, Ü; every other character stays.
std::string StLoCase(std::string_view s);

// The n-th word (n >= 1) of s, words being separated by any run of characters
// from `delims`. Empty when s has fewer than n words.
std::string extractword(int n, std::string_view s, std::string_view delims);

// The extension of a file name in upper case, with its dot (".FIT"); empty
// when there is none.
std::string upperExtension(std::string_view filename);

// The folder path with a trailing "/"; an empty path gives "/".
std::string AddBackslash(std::string_view path);

// The folder part of a file name including its trailing "/"; empty when the
// name has no folder part.
std::string justpathname(std::string_view filename);

// num in decimal, padded with leading zeros to `digits` characters; a wider
// number keeps all its digits. A minus sign counts towards the width.
std::string getnumber(int num, int digits);

// Frame numbers in file names: three digits with leading zeros ("007"),
// wider numbers keep all their digits ("1234").
std::string getFilenumber(int num);

// Copies a file in blocks of 32768 bytes. The copy is written to a temporary
// file beside the target and renamed over it at the end, so a failed copy
// never leaves a half-written target. Returns 0 on success, -1 on failure
// with the reason in `error` ("read error" when the source cannot be read).
int FileCopy(const std::string& infilename, const std::string& outfilename, std::string& error);

}  // namespace vargaze
