// vargaze-cli info: what the FITS reader makes of a file, as JSON.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "base/Numbers.h"
#include "cli/Commands.h"
#include "image/BayerFrame.h"
#include "image/Imgbuffer.h"

namespace vargaze::cli {

namespace {


// Julian Dates need more decimals than the shortest round-trip text may give
// (2451545 would print as 2451545.0), so the value goes in as a placeholder
// that is replaced by a fixed 8-decimal number after serialising.
constexpr const char* kJdPlaceholder = "@@JDSTART@@";

std::string describe(const Timgbuffer& img) {
  nlohmann::ordered_json j;
  j["file"] = img.filename;
  j["xsize"] = img.xsize;
  j["ysize"] = img.ysize;
  j["bufferbyte"] = img.bufferbyte;
  j["bitpix"] = bitpixOf(img.bufferbyte);
  j["JDstart"] = kJdPlaceholder;
  j["Datetime"] = img.Datetime;
  j["Exposure"] = img.Exposure;
  j["FilterName"] = img.FilterName;
  j["FilterType"] = img.FilterType;
  j["Airmass"] = img.Airmass;
  j["PixScale"] = img.PixScale;
  j["Xbinning"] = img.Xbinning;
  j["Ybinning"] = img.Ybinning;
  j["Offset1"] = img.Offset1;
  j["ScaleFactor"] = img.ScaleFactor;
  j["Wordmode"] = img.Wordmode;
  j["bufferMin"] = img.bufferMin;
  j["bufferMax"] = img.bufferMax;
  j["colorimages"] = img.colorimages;
  j["bayerPattern"] = img.bayerPattern;
  j["OBSTYPE"] = img.OBSTYPE;
  j["headerlines"] = img.headerlines;
  j["imageblock"] = img.imageblock;
  std::string text = j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  const std::string quoted = std::string("\"") + kJdPlaceholder + "\"";
  text.replace(text.find(quoted), quoted.size(), formatFixed(img.JDstart, 8, 17));
  return text;
}

}  // namespace

int reportError(const std::string& text) {
  std::cerr << "vargaze-cli: " << text << '\n';
  return 1;
}

int infoCommand(const Args& args) {
  std::string file;
  int color = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--color" && i + 1 < args.size()) {
      if (!tryParseInt32(args[++i], color) || color < 1 || color > 3) {
        return reportError("--color takes 1, 2 or 3");
      }
    } else if (file.empty()) {
      file = args[i];
    } else {
      return reportError("info takes one file");
    }
  }
  if (file.empty()) return reportError("usage: vargaze-cli info FILE [--color 1|2|3]");

  auto img = std::make_unique<Timgbuffer>();
  if (!img->Readfitsfile(file)) return reportError(file + ": " + img->readError);
  if (!img->readWarning.empty()) std::cerr << file << ": " << img->readWarning << '\n';
  if (color != 0 && img->colorimages >= 2 && img->xsize == 0) {
    std::unique_ptr<Timgbuffer> plane;
    if (!img->Readcolorfits(color, plane)) return reportError(file + ": " + img->readError);
    img = std::move(plane);
  } else if (color != 0 && !img->bayerPattern.empty() && !extractBayerChannel(*img, color)) {
    return reportError(file + ": " + img->readError);
  }
  std::cout << describe(*img) << '\n';
  return 0;
}

}  // namespace vargaze::cli
