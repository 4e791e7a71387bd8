// Frame shift from the cross-correlation of maximum profiles. One routine
// serves every pixel type: the profiles hold 64-bit values, wide enough for
// the smoothing sums of 32-bit pixels.
#include "processing/CrossCorrelation.h"

#include <algorithm>
#include <exception>

#include "base/Errors.h"
#include "base/Numbers.h"

namespace vargaze {

namespace {

Profile rowOf(const Timgbuffer& img, std::int32_t y) {
  Profile row(static_cast<std::size_t>(img.xsize) + 1, 0);
  for (std::int32_t x = 1; x <= img.xsize; ++x)
    row[static_cast<std::size_t>(x)] = img.getpixel(x, y);
  return row;
}

bool readFits(Timgbuffer& img, const std::string& name) {
  try {
    return img.Readfitsfile(name);
  } catch (const std::exception&) {
    return false;  // a value that does not fit its pixel type
  }
}

}  // namespace

void smoothline(Profile& p, std::int32_t n) {
  for (std::int32_t i = 2; i <= n - 1; ++i) {
    const auto k = static_cast<std::size_t>(i);
    p[k] = static_cast<std::int64_t>(
        roundHalfEven(static_cast<double>(p[k - 1] + p[k] + p[k + 1]) / 3.0));
  }
}

Profile xProfile(const Timgbuffer& img) {
  if (img.ysize < 1) return Profile(static_cast<std::size_t>(std::max(img.xsize, 0)) + 1, 0);
  Profile profile = rowOf(img, 1);
  smoothline(profile, img.xsize);
  for (std::int32_t y = 2; y <= img.ysize; ++y) {
    Profile row = rowOf(img, y);
    smoothline(row, img.xsize);
    for (std::size_t x = 1; x < row.size(); ++x) profile[x] = std::max(profile[x], row[x]);
  }
  return profile;
}

Profile yProfile(const Timgbuffer& img) {
  // The maximum over the columns, taken row by row: one pass over the storage.
  Profile profile(static_cast<std::size_t>(std::max(img.ysize, 0)) + 1, 0);
  for (std::int32_t y = 1; y <= img.ysize; ++y) {
    std::int64_t top = img.getpixel(1, y);
    for (std::int32_t x = 2; x <= img.xsize; ++x)
      top = std::max<std::int64_t>(top, img.getpixel(x, y));
    profile[static_cast<std::size_t>(y)] = top;
  }
  return profile;
}

std::int32_t bestShift(const Profile& p1, const Profile& p2, std::int32_t length,
                       std::int32_t range) {
  if (p1.size() <= static_cast<std::size_t>(std::max(length, 0)) ||
      p2.size() <= static_cast<std::size_t>(std::max(length, 0))) {
    throw RangeError("profile shorter than " + std::to_string(length));
  }
  double maxcorr = 0.0;
  std::int32_t best = 0;
  for (std::int32_t s = -range; s <= range; ++s) {
    double corr = 0.0;
    for (std::int32_t k = range + 1; k <= length - range; ++k) {
      corr += static_cast<double>(p1[static_cast<std::size_t>(k)]) *
              static_cast<double>(p2[static_cast<std::size_t>(k + s)]);
    }
    if (corr > maxcorr) {
      maxcorr = corr;
      best = s;
    }
  }
  return best;
}

std::int32_t correlationRange(std::int32_t width) {
  return roundToInt32(0.2 * width);
}

FrameShift CrossCorr(const Timgbuffer& img1, const Timgbuffer& img2, std::int32_t range) {
  if (img1.xsize != img2.xsize || img1.ysize != img2.ysize) {
    throw RangeError("images of different size cannot be correlated");
  }
  range = std::max(range, 0);
  FrameShift shift;
  shift.dx = bestShift(xProfile(img1), xProfile(img2), img1.xsize, range);
  shift.dy = bestShift(yProfile(img1), yProfile(img2), img1.ysize, range);
  return shift;
}

std::optional<FrameShift> crossCorrelateFiles(const std::string& file1, const std::string& file2,
                                              UiPort& ui) {
  Timgbuffer img1;
  if (!readFits(img1, file1)) {
    ui.showMessage("Kann FITS-Datei 1 nicht laden");
    return std::nullopt;
  }
  Timgbuffer img2;
  if (!readFits(img2, file2)) {
    ui.showMessage("Kann FITS-Datei 2 nicht laden");
    return std::nullopt;
  }
  if (img1.xsize != img2.xsize || img1.ysize != img2.ysize ||
      bytesPerPixel(img1.bufferbyte) != bytesPerPixel(img2.bufferbyte)) {
    ui.showMessage("Bilddateien inkompatibel");
    return std::nullopt;
  }
  const FrameShift shift = CrossCorr(img1, img2, correlationRange(img1.xsize));
  ui.showMessage("dx= " + std::to_string(shift.dx) + " dy= " + std::to_string(shift.dy));
  return shift;
}

std::optional<FrameShift> test11Click(Series& series) {
  if (!series.imageLoaded) {
    series.ui().showMessage("Kein Bild geladen");
    return std::nullopt;
  }
  if (series.filelist1.size() < 2) {
    series.ui().showMessage("2 Bilder müssen geladen sein");
    return std::nullopt;
  }
  return crossCorrelateFiles(series.filelist1[0], series.filelist1[1], series.ui());
}

}  // namespace vargaze
