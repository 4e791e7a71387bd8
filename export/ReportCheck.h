// Checks an AAVSO extended-format report before it is sent: the required
// header keys, the fields of every data line and the delimiter. The GUI lists
// the findings and lets the user save anyway; the command line prints them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vargaze {

struct Finding {
  enum class Severity { Error, Warning };
  Severity severity = Severity::Error;
  std::int32_t row = 0;    // 1-based data row; 0 for the header or the report as a whole
  std::int32_t field = 0;  // 1-based field of that row (1 = star name .. 15 = notes); 0 for none
  std::string text;        // English, complete sentence
};

// The filters the AAVSO extended format accepts.
const std::vector<std::string>& aavsoFilters();

// `rows` are the data lines split into their fields (fifteen expected).
// `timesAtExposureStart`: the dates are exposure starts, not mid-exposure.
std::vector<Finding> checkAavsoReport(const std::vector<std::string>& header,
                                      const std::vector<std::vector<std::string>>& rows,
                                      char delimiter, bool timesAtExposureStart = false);

// One line per finding: "row 3, field 9 (CMAG): ..." / "header: ...".
std::string describeFinding(const Finding& finding);

}  // namespace vargaze
