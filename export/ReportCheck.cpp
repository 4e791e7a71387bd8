// The checks follow the AAVSO extended file format: six header keys, fifteen
// fields per observation, "na" for a missing optional field.
#include "export/ReportCheck.h"

#include <algorithm>
#include <array>

#include "base/Numbers.h"
#include "base/Strings.h"

namespace vargaze {

namespace {

constexpr std::size_t kFields = 15;

struct FieldRule {
  const char* name;
  std::size_t maxLength;  // 0: no limit
  bool required;          // "na" is not allowed
  bool numeric;
};

// Fields 1..15 of a data line.
constexpr std::array<FieldRule, kFields> kRules = {{
    {"STARID", 30, true, false},    {"DATE", 16, true, true},    {"MAGNITUDE", 8, true, true},
    {"MAGERR", 6, false, true},     {"FILTER", 0, true, false},  {"TRANS", 0, true, false},
    {"MTYPE", 0, true, false},      {"CNAME", 20, false, false}, {"CMAG", 8, false, true},
    {"KNAME", 20, false, false},    {"KMAG", 8, false, true},    {"AIRMASS", 7, false, true},
    {"GROUP", 5, false, false},     {"CHART", 20, false, false}, {"NOTES", 0, false, false},
}};

constexpr const char* kWhereTheObserverCodeIsSet =
    " Your AAVSO observer code is set in the setup (\"AAVSO Observer code\"), as OBSCODE in "
    "section [Export] of vargaze1.ini, or for one report with --obscode CODE.";

class Collector {
 public:
  void error(std::int32_t row, std::int32_t field, std::string text) {
    add(Finding::Severity::Error, row, field, std::move(text));
  }
  void warning(std::int32_t row, std::int32_t field, std::string text) {
    add(Finding::Severity::Warning, row, field, std::move(text));
  }
  std::vector<Finding> findings;

 private:
  void add(Finding::Severity severity, std::int32_t row, std::int32_t field, std::string text) {
    findings.push_back({severity, row, field, std::move(text)});
  }
};

// The value of the first header line "#KEY=..." (trimmed); false when absent.
bool headerValue(const std::vector<std::string>& header, const std::string& key,
                 std::string& value) {
  const std::string prefix = "#" + key + "=";
  for (const std::string& line : header) {
    const std::string trimmed = Trim(line);
    if (trimmed.rfind(prefix, 0) == 0) {
      value = Trim(std::string_view(trimmed).substr(prefix.size()));
      return true;
    }
  }
  return false;
}

void checkHeader(const std::vector<std::string>& header, char delimiter, Collector& out) {
  for (const char* key : {"TYPE", "OBSCODE", "SOFTWARE", "DELIM", "DATE", "OBSTYPE"}) {
    std::string value;
    if (!headerValue(header, key, value)) {
      out.error(0, 0, std::string("The header has no #") + key + "= line.");
    } else if (value.empty()) {
      std::string text = std::string("The header line #") + key + "= has no value.";
      if (key == std::string_view("OBSCODE")) text += kWhereTheObserverCodeIsSet;
      out.error(0, 0, text);
    }
  }
  std::string value;
  if (headerValue(header, "TYPE", value) && !value.empty() && value != "EXTENDED") {
    out.error(0, 0, "#TYPE= must be EXTENDED, not \"" + value + "\".");
  }
  if (headerValue(header, "DELIM", value) && !value.empty() && value != std::string(1, delimiter)) {
    out.error(0, 0, "#DELIM= says \"" + value + "\" but the fields are separated by \"" +
                        std::string(1, delimiter) + "\".");
  }
  if (headerValue(header, "DATE", value) && !value.empty() && value != "JD" && value != "HJD" &&
      value != "EXCEL") {
    out.error(0, 0, "#DATE= must be JD, HJD or EXCEL, not \"" + value + "\".");
  }
  for (const std::string& line : header) {
    if (!Trim(line).empty() && Trim(line)[0] != '#') {
      out.error(0, 0, "The header line \"" + line + "\" does not start with #.");
    }
  }
}

void checkDelimiter(char delimiter, Collector& out) {
  if (delimiter == '#' || delimiter == ' ') {
    out.warning(0, 0, std::string("The delimiter \"") + delimiter +
                          "\" is not accepted by AAVSO; use a comma or a semicolon.");
  } else if (delimiter == '|') {
    out.warning(0, 0,
                "The delimiter \"|\" is meant for BAV reports; for AAVSO use a comma or a "
                "semicolon.");
  }
}

void checkField(const std::string& text, std::int32_t row, std::size_t index, char delimiter,
                Collector& out) {
  const FieldRule& rule = kRules[index];
  const auto field = static_cast<std::int32_t>(index + 1);
  const std::string value = Trim(text);
  if (value.empty()) {
    out.error(row, field,
              rule.required ? "The field is empty." : "The field is empty; write \"na\" instead.");
    return;
  }
  if (text.find(delimiter) != std::string::npos) {
    out.error(row, field, "The field contains the delimiter \"" + std::string(1, delimiter) + "\".");
  }
  if (value == "na") {
    if (rule.required) out.error(row, field, "The field is required; \"na\" is not allowed.");
    return;
  }
  if (rule.maxLength > 0 && value.size() > rule.maxLength) {
    out.error(row, field, "\"" + value + "\" is longer than " + std::to_string(rule.maxLength) +
                              " characters.");
  }
  double number = 0.0;
  if (rule.numeric && !tryParseDouble(value, number)) {
    out.error(row, field, "\"" + value + "\" is not a number.");
  } else if (index == 2 && value.find('.') == std::string::npos) {
    out.error(row, field, "The magnitude \"" + value + "\" has no decimal point.");
  }
  if (index == 4) {
    const auto& filters = aavsoFilters();
    if (std::find(filters.begin(), filters.end(), value) == filters.end()) {
      out.error(row, field, "\"" + value + "\" is not an AAVSO filter.");
    }
  }
  if (index == 5 && value != "YES" && value != "NO") {
    out.error(row, field, "TRANS must be YES or NO, not \"" + value + "\".");
  }
  if (index == 6 && value != "STD" && value != "DIF") {
    out.error(row, field, "MTYPE must be STD or DIF, not \"" + value + "\".");
  }
}

}  // namespace

const std::vector<std::string>& aavsoFilters() {
  // Johnson-Cousins, near infrared, tri-colour (DSLR), clear with V or R
  // zero point, clear with blue blocking, Sloan, Stroemgren, Wing, Sloan
  // z-short, H-alpha and its continuum, orange.
  static const std::vector<std::string> filters = {
      "U",   "B",   "V",   "R",   "I",     "J",     "H",  "K",  "Y",  "TG", "TB",  "TR",
      "CV",  "CR",  "CBB", "SU",  "SG",    "SR",    "SI", "SZ", "STU", "STV", "STB",
      "STY", "STHBW", "STHBN", "MA", "MB", "MI", "ZS", "HA", "HAC", "O"};
  return filters;
}

std::vector<Finding> checkAavsoReport(const std::vector<std::string>& header,
                                      const std::vector<std::vector<std::string>>& rows,
                                      char delimiter, bool timesAtExposureStart) {
  Collector out;
  checkHeader(header, delimiter, out);
  checkDelimiter(delimiter, out);
  if (rows.empty()) out.error(0, 0, "The report has no observations.");
  if (timesAtExposureStart) {
    out.error(0, 0,
              "The dates are exposure starts (JD(begin)); AAVSO wants the middle of the exposure. "
              "Switch on the mid-exposure time correction and fill the table again.");
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto row = static_cast<std::int32_t>(r + 1);
    const std::vector<std::string>& fields = rows[r];
    if (fields.size() != kFields) {
      out.error(row, 0, "The line has " + std::to_string(fields.size()) + " fields instead of 15.");
    }
    const std::size_t n = std::min(fields.size(), kFields);
    for (std::size_t i = 0; i < n; ++i) checkField(fields[i], row, i, delimiter, out);
    if (n > 8 && Trim(fields[7]) == "ENSEMBLE" && Trim(fields[8]) != "na") {
      out.error(row, 9, "With the comparison star ENSEMBLE, CMAG must be \"na\".");
    }
  }
  return out.findings;
}

std::string describeFinding(const Finding& finding) {
  std::string where = finding.row == 0 ? "report" : "row " + std::to_string(finding.row);
  if (finding.field >= 1 && finding.field <= static_cast<std::int32_t>(kFields)) {
    where += ", field " + std::to_string(finding.field) + " (" +
             kRules[static_cast<std::size_t>(finding.field - 1)].name + ")";
  }
  const char* kind = finding.severity == Finding::Severity::Warning ? "warning" : "error";
  return std::string(kind) + ": " + where + ": " + finding.text;
}

}  // namespace vargaze
