#include "export/ExportHeader.h"

#include <algorithm>
#include <filesystem>

#include "base/TextFile.h"

namespace vargaze {

namespace {

bool contains(const std::string& line, const char* key) {
  return line.find(key) != std::string::npos;
}

std::string templatePath(const std::string& progdir) {
  if (progdir.empty() || progdir.back() == '/') return progdir + kExportHeaderFileName;
  return progdir + "/" + kExportHeaderFileName;
}

}  // namespace

std::vector<std::string> createFileheader(const Settings& settings, char delimiter) {
  return {"#TYPE=EXTENDED",
          std::string("#DELIM=") + delimiter,
          "#BAVOBS=" + settings.BAVOBS,
          "#OBSCODE=" + settings.OBSCODE,
          "#OBSTYPE=" + settings.OBSTYPE,
          "#DATE=JD",
          "#SOFTWARE=VARGAZE 3.9.9",
          "#BAVCAT="};
}

std::vector<std::string> loadHeaderTemplate(const std::string& progdir, const Settings& settings,
                                            char delimiter, UiPort& ui) {
  const std::string path = templatePath(progdir);
  std::error_code ec;
  std::string error;
  if (std::filesystem::exists(path, ec)) {
    std::vector<std::string> lines;
    if (readTextLines(path, lines, error)) return lines;
    // Never overwrite a template the user may have written by hand.
    ui.showMessage(error);
    return createFileheader(settings, delimiter);
  }
  std::vector<std::string> header = createFileheader(settings, delimiter);
  if (!saveTextFile(path, header, error)) ui.showMessage(error);
  return header;
}

void updateHeaderLines(std::vector<std::string>& header, const Settings& settings) {
  for (std::string& line : header) {
    if (contains(line, "#BAVOBS=")) {
      line = "#BAVOBS=" + settings.BAVOBS;
    } else if (contains(line, "#OBSCODE=")) {
      line = "#OBSCODE=" + settings.OBSCODE;
    } else if (contains(line, "#OBSTYPE=")) {
      line = "#OBSTYPE=" + settings.OBSTYPE;
    } else if (contains(line, "#SOFTWARE=")) {
      line = "#SOFTWARE=VARGAZE V.3.9.9";
    }
  }
}

void setHeaderObstype(std::vector<std::string>& header, const std::string& obstype) {
  for (std::string& line : header) {
    if (contains(line, "#OBSTYPE=")) line = "#OBSTYPE=" + obstype;
  }
}

void setHeaderDelimiter(std::vector<std::string>& header, char delimiter) {
  std::size_t position = std::string::npos;
  for (std::size_t i = 0; i < header.size();) {
    if (contains(header[i], "#DELIM=")) {
      header.erase(header.begin() + static_cast<std::ptrdiff_t>(i));
      position = i;
    } else {
      ++i;
    }
  }
  if (position == std::string::npos) position = std::min<std::size_t>(1, header.size());
  header.insert(header.begin() + static_cast<std::ptrdiff_t>(position),
                std::string("#DELIM=") + delimiter);
}

}  // namespace vargaze
