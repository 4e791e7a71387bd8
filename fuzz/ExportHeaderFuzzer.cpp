// Reads the input as the export header template "exportfileheader.txt" and
// runs the edits the export window makes to it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/Errors.h"
#include "config/Settings.h"
#include "export/ExportHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vargaze::fuzz::writeInput(vargaze::kExportHeaderFileName, data, size);
  vargaze::Settings settings;
  vargaze::fuzz::SilentUi ui;
  try {
    std::vector<std::string> header =
        vargaze::loadHeaderTemplate(vargaze::fuzz::scratchFolder(), settings, ';', ui);
    vargaze::updateHeaderLines(header, settings);
    vargaze::setHeaderObstype(header, "CCD");
    vargaze::setHeaderDelimiter(header, ',');
  } catch (const vargaze::Error&) {
  }
  return 0;
}
