// The header block of the AAVSO/BAV extended-format export: the default
// header, the template file "exportfileheader.txt" in the program folder and
// the lines the export window keeps up to date.
#pragma once

#include <string>
#include <vector>

#include "base/UiPort.h"
#include "config/Settings.h"

namespace vargaze {

inline constexpr const char* kExportHeaderFileName = "exportfileheader.txt";

// The default header for a delimiter character (",", ";" or "|").
std::vector<std::string> createFileheader(const Settings& settings, char delimiter);

// The header the export window starts with: the template file in `progdir`
// as it stands, or, when it is missing, the default header, which is then
// written as the template. A template that exists but cannot be read is
// reported and left alone; the default header is used then.
std::vector<std::string> loadHeaderTemplate(const std::string& progdir, const Settings& settings,
                                            char delimiter, UiPort& ui);

// The lines refreshed whenever the window is shown: "#BAVOBS=", "#OBSCODE=",
// "#OBSTYPE=" from the settings and "#SOFTWARE=" with the program version.
void updateHeaderLines(std::vector<std::string>& header, const Settings& settings);

// Every line containing "#OBSTYPE=" becomes "#OBSTYPE=" + obstype.
void setHeaderObstype(std::vector<std::string>& header, const std::string& obstype);

// Removes every "#DELIM=" line and puts one "#DELIM=" + delimiter where the
// last one stood; as the second line when there was none (at the end of a
// header of fewer than two lines).
void setHeaderDelimiter(std::vector<std::string>& header, char delimiter);

}  // namespace vargaze
