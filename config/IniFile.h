// A Windows-style INI file: "[Section]" lines, each followed by "Key=Value"
// lines.
//
// Section and key names are compared without regard to (ASCII) case. The
// first occurrence of a key wins; sections with the same name count as one.
// Lines that are neither a section header nor a key line (comments, blank
// lines, garbage) are kept as they are and never touched.
//
// Reads never fail: a missing key, or a value that does not parse, gives the
// caller's default. Numbers use the point as decimal separator, whatever the
// locale says.
//
// Every write reaches the disk at once: the file is read again, the key is
// replaced in place (or appended at the end of its section, or a new section
// is appended at the end of the file) and the whole file is replaced through
// saveFileAtomically, so it is never left half-written and changes made to it
// by others meanwhile are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vargaze {

class IniFile {
 public:
  // Files larger than this are not parsed: they read as empty. No real
  // configuration comes near it, and it keeps a hostile file from
  // exhausting memory.
  static constexpr std::uintmax_t kMaxFileBytes = 1024 * 1024;

  // Reads the file at once (see Reload).
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // Reads the file from disk again. A missing file reads as empty and is no
  // failure. A file that cannot be read or is larger than kMaxFileBytes also
  // reads as empty, but the result is false and lastError() says why.
  bool Reload();

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // A decimal 32-bit integer; anything else gives the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // An integer: 0 is false, any other is true; anything else gives the default.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // A finite number with "." as decimal separator; anything else gives the default.
  double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;

  // Each returns false, with the reason in lastError(), when the file cannot
  // be written, could not be read back before writing, or a name or value
  // cannot be stored (a line break, an "=" in a key, a "]" in a section name).
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
  // Writes "1" or "0".
  bool WriteBool(std::string_view section, std::string_view key, bool value);
  // Writes the general format: up to 15 significant digits.
  bool WriteFloat(std::string_view section, std::string_view key, double value);

  // The reason of the last failed Reload or write; empty after success.
  const std::string& lastError() const { return lastError_; }

 private:
  enum class Kind { Other, Section, Key };

  struct Line {
    std::string text;   // the line as in the file
    Kind kind = Kind::Other;
    std::string name;   // section or key name, trimmed
    std::string value;  // key value, trimmed
  };

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  static Line parseLine(std::string text);
  static std::size_t findKey(const std::vector<Line>& lines, std::string_view section,
                             std::string_view key);
  static bool placeKey(std::vector<Line>& lines, std::string_view section,
                       std::string_view key, std::string_view value);
  enum class Load { Read, Missing, TooLarge, Unreadable };

  // Reads the disk file into `lines` (none unless Read); sets lastError_
  // for TooLarge and Unreadable.
  Load loadLines(std::vector<Line>& lines);
  const std::string* findValue(std::string_view section, std::string_view key) const;

  std::string path_;
  std::vector<Line> lines_;
  std::string lastError_;
};

}  // namespace vargaze
