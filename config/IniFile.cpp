#include "config/IniFile.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "base/Numbers.h"
#include "base/Strings.h"
#include "base/TextFile.h"

namespace vargaze {

namespace {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A name that reads back as itself: not empty, no blanks at its ends (reading
// trims them) and no line break.
bool isStorableName(std::string_view name) {
  return !name.empty() && Trim(name) == name && !hasLineBreak(name);
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) { Reload(); }

IniFile::Line IniFile::parseLine(std::string text) {
  Line line;
  const std::string trimmed = Trim(text);
  if (!trimmed.empty() && trimmed.front() == '[') {
    const auto close = trimmed.rfind(']');
    if (close != std::string::npos) {
      line.kind = Kind::Section;
      line.name = Trim(std::string_view(trimmed).substr(1, close - 1));
    }
  } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
    const auto equals = trimmed.find('=');
    if (equals != std::string::npos) {
      line.name = Trim(std::string_view(trimmed).substr(0, equals));
      line.value = Trim(std::string_view(trimmed).substr(equals + 1));
      if (!line.name.empty()) line.kind = Kind::Key;
    }
  }
  line.text = std::move(text);
  return line;
}

IniFile::Load IniFile::loadLines(std::vector<Line>& lines) {
  lines.clear();
  std::error_code ec;
  const auto status = std::filesystem::status(path_, ec);
  if (status.type() == std::filesystem::file_type::not_found) return Load::Missing;
  if (ec || status.type() != std::filesystem::file_type::regular) {
    lastError_ = "cannot read " + path_ + ": not a regular file";
    return Load::Unreadable;
  }
  const auto size = std::filesystem::file_size(path_, ec);
  if (ec) {
    lastError_ = "cannot read " + path_ + ": " + ec.message();
    return Load::Unreadable;
  }
  if (size > kMaxFileBytes) {
    lastError_ = path_ + " is larger than " + std::to_string(kMaxFileBytes) +
                 " bytes; it is not read as a configuration";
    return Load::TooLarge;
  }
  std::vector<std::string> texts;
  std::string error;
  if (!readTextLines(path_, texts, error)) {
    // Gone between the look and the read: as good as missing.
    if (!std::filesystem::exists(path_, ec) && !ec) return Load::Missing;
    lastError_ = error;
    return Load::Unreadable;
  }
  lines.reserve(texts.size());
  for (auto& text : texts) lines.push_back(parseLine(std::move(text)));
  return Load::Read;
}

bool IniFile::Reload() {
  lastError_.clear();
  const Load result = loadLines(lines_);
  return result == Load::Read || result == Load::Missing;
}

std::size_t IniFile::findKey(const std::vector<Line>& lines, std::string_view section,
                             std::string_view key) {
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.kind == Kind::Section) {
      inSection = sameName(line.name, section);
    } else if (inSection && line.kind == Kind::Key && sameName(line.name, key)) {
      return i;
    }
  }
  return npos;
}

const std::string* IniFile::findValue(std::string_view section, std::string_view key) const {
  const std::size_t i = findKey(lines_, section, key);
  return i == npos ? nullptr : &lines_[i].value;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const std::string* value = findValue(section, key);
  return value ? *value : std::string(defaultValue);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
  const std::string* text = findValue(section, key);
  std::int32_t value = defaultValue;
  if (text) tryParseInt32(*text, value);
  return value;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key,
                          double defaultValue) const {
  const std::string* text = findValue(section, key);
  double value = defaultValue;
  if (text) tryParseDouble(*text, value);
  return value;
}

// Puts key=value into `lines`; false when the key already holds that value.
bool IniFile::placeKey(std::vector<Line>& lines, std::string_view section, std::string_view key,
                       std::string_view value) {
  const std::string keyLine = std::string(key) + "=" + std::string(value);
  const std::size_t existing = findKey(lines, section, key);
  if (existing != npos) {
    Line& line = lines[existing];
    if (line.value == value) return false;
    // Keep the key as the file spells it.
    line = parseLine(line.name + "=" + std::string(value));
    return true;
  }
  for (std::size_t header = 0; header < lines.size(); ++header) {
    if (lines[header].kind != Kind::Section || !sameName(lines[header].name, section)) continue;
    // After the last non-blank line of the section, so blank lines that
    // separate it from the next section stay where they are.
    std::size_t last = header;
    for (std::size_t i = header + 1; i < lines.size() && lines[i].kind != Kind::Section; ++i) {
      if (!Trim(lines[i].text).empty()) last = i;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), parseLine(keyLine));
    return true;
  }
  lines.push_back(parseLine("[" + std::string(section) + "]"));
  lines.push_back(parseLine(keyLine));
  return true;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  lastError_.clear();
  if (!isStorableName(section) || section.find(']') != std::string_view::npos) {
    lastError_ = "cannot store the section name \"" + std::string(section) + "\" in " + path_;
    return false;
  }
  if (!isStorableName(key) || key.find('=') != std::string_view::npos ||
      key.front() == '[' || key.front() == ';' || key.front() == '#') {
    lastError_ = "cannot store the key name \"" + std::string(key) + "\" in " + path_;
    return false;
  }
  if (hasLineBreak(value)) {
    lastError_ = "cannot store a line break in the value of " + std::string(section) + "/" +
                 std::string(key) + " in " + path_;
    return false;
  }

  // Read the file again so that nothing written by others meanwhile is lost.
  // A file too large to read is replaced; one that cannot be read is not.
  std::vector<Line> lines;
  if (loadLines(lines) == Load::Unreadable) return false;
  lastError_.clear();
  if (!placeKey(lines, section, key, value)) {
    lines_ = std::move(lines);
    return true;
  }
  std::vector<std::string> texts;
  texts.reserve(lines.size());
  for (const Line& line : lines) texts.push_back(line.text);
  std::string error;
  if (!saveTextFile(path_, texts, error)) {
    lastError_ = error;
    return false;
  }
  lines_ = std::move(lines);
  return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
  return WriteString(section, key, formatGeneral(value));
}

}  // namespace vargaze
