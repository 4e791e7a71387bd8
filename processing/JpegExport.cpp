#include "processing/JpegExport.h"

#include <algorithm>
#include <filesystem>

#include "base/AtomicFile.h"
#include "base/Strings.h"
#include "image/DisplayMap.h"

namespace vargaze {

namespace {

constexpr std::int32_t kLastGammaItem = 6;  // "4.0"
constexpr int kTrueColourIndexMax = 255;

bool writeFile(const std::string& path, const std::string& bytes, std::string& error) {
  return saveFileAtomically(
      path, [&](AtomicFileOutput& out, std::string&) { return out.write(bytes); }, error);
}

}  // namespace

double displayGamma(std::int32_t gammaIndex) {
  return 1.0 / (1.0 + 0.5 * std::clamp(gammaIndex, 0, kLastGammaItem));
}

RgbPicture displayPicture(const Timgbuffer& img, std::int32_t lower, std::int32_t upper,
                          double gamma, bool inverted) {
  const TIndexImage indices = LoadfromBufferGamma(img, lower, upper, gamma, kTrueColourIndexMax);
  TPalette256 palette;
  GetGrayPalette(palette, inverted);
  RgbPicture picture;
  picture.width = indices.width;
  picture.height = indices.height;
  picture.rgb.reserve(static_cast<std::size_t>(indices.width) *
                      static_cast<std::size_t>(indices.height) * 3);
  for (std::int32_t y = 1; y <= indices.height; ++y) {
    for (std::int32_t x = 1; x <= indices.width; ++x) {
      const TPaletteEntry& colour = palette.palPalEntry[indices.at(x, y)];
      picture.rgb.push_back(colour.red);
      picture.rgb.push_back(colour.green);
      picture.rgb.push_back(colour.blue);
    }
  }
  return picture;
}

std::string jpegFrameFilename(const std::string& chosen, std::int32_t n, std::int32_t frames) {
  const int digits = std::max(3, static_cast<int>(std::to_string(frames).size()));
  const std::string base = std::filesystem::path(chosen).replace_extension().string();
  return base + getnumber(n, digits) + ".JPG";
}

JpegExportResult JPGexport(Series& series, const std::string& chosen) {
  JpegExportResult result;
  const std::int32_t frames = series.FramesLoaded;
  for (std::int32_t n = 1; n <= frames; ++n) {
    series.Activeframe() = n;
    if (!series.BlinkScrollBarChange(n)) {
      ++result.skipped;  // never the previous frame's picture under this number
      continue;
    }
    const std::string file = jpegFrameFilename(chosen, n, frames);
    const RgbPicture picture =
        displayPicture(*series.img, series.displayLower, series.displayUpper,
                       displayGamma(series.controls.GammaIndex), series.controls.InvertCheckBox);
    std::string jpeg;
    std::string error;
    if (!encodeJpeg(picture, kJpegQuality, jpeg, error) || !writeFile(file, jpeg, error)) {
      series.ui().showMessage("Fehler beim Speichern der Datei " + file);
      result.saveFailed = true;
      break;
    }
    ++result.written;
  }
  return result;
}

}  // namespace vargaze
