// Reading FITS files into a Timgbuffer: the header pass, the size checks made
// before anything is allocated, the pixel read and the conversion of stored
// values into the buffer's pixel types.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "base/Errors.h"
#include "base/Numbers.h"
#include "image/BayerFrame.h"
#include "image/BinaryFile.h"
#include "image/FitsKeywords.h"
#include "image/PixelLoops.h"
#include "image/Imgbuffer.h"

namespace vargaze {

namespace {

bool fail(Timgbuffer& img, const std::string& reason) {
  img.readError = reason;
  return false;
}

// Checks the announced image size; on failure sets the reason.
bool checkImageSize(Timgbuffer& img, std::int64_t xsize, std::int64_t ysize) {
  const std::int64_t pixels = xsize * ysize;
  if (xsize <= 0 || ysize <= 0) {
    return fail(img, "no image data (NAXIS1 = " + std::to_string(xsize) +
                         ", NAXIS2 = " + std::to_string(ysize) + ")");
  }
  if (pixels > kMaxPixels) {
    return fail(img, "image too large (" + std::to_string(xsize) + " x " + std::to_string(ysize) +
                         " pixels, at most " + std::to_string(kMaxPixels) + ")");
  }
  return true;
}

bool checkDataPresent(Timgbuffer& img, std::int64_t needed, std::int64_t available) {
  if (available < needed) {
    return fail(img, "truncated data (" + std::to_string(available) + " bytes, " +
                         std::to_string(needed) + " needed)");
  }
  return true;
}

// Scales float pixels by BSCALE; integer types are scaled with cmult.
void scaleFloatPixels(Timgbuffer& img, double factor) {
  float* p = img.dataFloat();
  const std::int64_t n = img.pixelCount();
  for (std::int64_t i = 0; i < n; ++i) p[i] = static_cast<float>(p[i] * factor);
}

// 16-bit data with a BZERO: the words become unsigned physical values. Where
// BZERO leaves physical values below 0 (a saved negative image), they are
// shifted up like a negative image instead of being cut off at 0, and Offset1
// remembers the shift.
void applyWordZeroPoint(Timgbuffer& img) {
  std::int32_t offset = roundToInt32(img.Offset1);
  img.Offset1 = 0.0;
  if (offset < 32768) {
    img.getminmax();  // signed words: Wordmode is still false
    const std::int64_t lowest = std::int64_t{img.bufferMin} + offset;
    if (lowest < 0) {
      img.Offset1 = -static_cast<double>(lowest);
      offset = checkedInt32(offset - lowest);
    }
  }
  img.IntToWord(offset);
  img.Wordmode = true;
}

// The common camera case in one pass: unsigned 16-bit data stored signed with
// BZERO 32768. Byte swap, zero point (s + 32768, which is s with the sign bit
// flipped and never leaves the word range) and the pixel range at once; the
// general steps give the same result in four passes over the frame.
void convertUnsignedWords(Timgbuffer& img) {
  std::uint16_t* p = img.data16();
  std::int16_t low = 32767;
  std::int16_t high = -32768;
  pixel::forEachIndex(pixel::storedPixels(img), [&](std::size_t i) {
    const std::uint16_t raw = __builtin_bswap16(p[i]);
    const auto value = static_cast<std::int16_t>(raw);
    low = std::min(low, value);
    high = std::max(high, value);
    p[i] = static_cast<std::uint16_t>(raw ^ 0x8000u);
  });
  img.bufferMin = low + 32768;
  img.bufferMax = high + 32768;
  img.Offset1 = 0.0;
  img.Wordmode = true;
}

// Turns the stored file values (big-endian, BSCALE/BZERO convention) into the
// buffer's pixel types: unsigned 16-bit words, 32-bit integers or bytes, with
// the smallest value shifted to 0 for images that hold negative values.
void convertFitsPixels(Timgbuffer& img, double scaleFactor) {
  if (img.bufferbyte == kPixel16 && scaleFactor == 1.0 && img.Offset1 == 32768.0) {
    convertUnsignedWords(img);
    return;
  }
  img.Wordmode = false;
  const std::int32_t code = img.bufferbyte;
  if (code == kPixel16 || code == kPixel32 || code == kPixelFloat) img.swapbytes();
  if (scaleFactor != 1.0) {
    if (code == kPixelFloat) {
      scaleFloatPixels(img, scaleFactor);
    } else {
      img.bufferMax = img.getmaxpixel();
      img.cmult(static_cast<float>(scaleFactor));
    }
  }
  if (code == kPixel16 && img.Offset1 != 0.0) {
    applyWordZeroPoint(img);
  } else if (code == kPixel32 && img.Offset1 != 0.0) {
    img.FitsToLongint(img.Offset1);
    img.Offset1 = 0.0;
  } else if (code == kPixelFloat) {
    img.FitsToLongint(img.Offset1);
    img.bufferbyte = kPixel32;
    img.Offset1 = 0.0;
  }
  img.getminmax();
  if (img.Offset1 == 0.0 && img.bufferMin < 0) {
    if (img.bufferbyte == kPixel16) {
      img.Offset1 = -static_cast<double>(img.bufferMin);
      img.IntToWord(roundToInt32(img.Offset1));
      img.Wordmode = true;
      img.getminmax();
    } else if (img.bufferbyte == kPixel32) {
      img.Offset1 = -static_cast<double>(img.bufferMin);
      img.FitsToLongint(roundHalfEven(img.Offset1));
      img.getminmax();
    }
  }
  // Every stored word is now >= 0, so reading them unsigned is always right.
  if (img.bufferbyte == kPixel16) img.Wordmode = true;
}

}  // namespace

bool Timgbuffer::Readfitsfile(const std::string& fitsfilename, PixelStore* reuse) {
  BinaryFile file;
  std::string openError;
  if (!file.open(fitsfilename, openError)) {
    filename = fitsfilename;
    readError = openError;
    return false;
  }
  // Nothing of an earlier frame may leak into this one.
  *this = Timgbuffer();
  filename = fitsfilename;
  fitsheader.fillBlank();
  try {
    const std::int64_t size = file.size();
    FitsHeaderScan scan;
    int block = 0;
    for (; block < kFitsMaxHeaderBlocks && !scan.endFound; ++block) {
      char* target = fitsheader.data() + std::int64_t{block} * kFitsBlockSize;
      if (!file.readAt(std::int64_t{block} * kFitsBlockSize, target, kFitsBlockSize)) {
        return fail(*this, block == 0 ? "not a FITS file (shorter than one header block)"
                                      : "truncated header (no END card before the end of file)");
      }
      for (int i = 1; i <= kFitsCardsPerBlock && !scan.endFound; ++i) {
        const int number = block * kFitsCardsPerBlock + i;
        const std::string_view card = fitsheader.card(number);
        if (number == 1 && card.substr(0, 8) != "SIMPLE  ") {
          return fail(*this, "not a FITS file (the first card is not SIMPLE)");
        }
        headerlines = number;
        applyFitsCard(card, *this, scan);
      }
    }
    if (!scan.endFound) return fail(*this, "no END card within 40 header blocks");
    if (scan.unsupportedBitpix) {
      return fail(*this, "unsupported BITPIX " + std::to_string(scan.bitpix));
    }
    imageblock = block * kFitsBlockSize;
    applyFitsDate(scan, *this);
    BayerLayout bayer = bayerLayout(fitsheader);
    bayerPattern = std::move(bayer.pattern);
    readWarning = std::move(bayer.warning);
    if (FilterName == "TR" || FilterName == "TG" || FilterName == "TB") OBSTYPE = "DSLR";

    if (!checkImageSize(*this, xsize, ysize)) return false;
    const std::int64_t plane = pixelCount() * bytesPerPixel(bufferbyte);
    if (colorimages >= 2) {
      if (!checkDataPresent(*this, imageblock + std::int64_t{colorimages} * plane, size)) {
        return false;
      }
      xsize = 0;
      ysize = 0;
      return true;
    }
    if (!checkDataPresent(*this, imageblock + plane, size)) return false;
    init(xsize, ysize, bufferbyte, PixelFill::Uninitialized, reuse);
    if (!file.readAt(imageblock, bufferpointer.get(), static_cast<std::size_t>(plane))) {
      destroy();  // never leave half-read pixels behind
      return fail(*this, "truncated data (read error)");
    }
    convertFitsPixels(*this, ScaleFactor);
    readError.clear();
    return true;
  } catch (const std::exception& e) {
    return fail(*this, std::string("value out of range: ") + e.what());
  }
}

bool Timgbuffer::Readcolorfits(int icolor, std::unique_ptr<Timgbuffer>& img) {
  BinaryFile file;
  std::string openError;
  if (!file.open(filename, openError)) {
    return fail(*this, "cannot open " + filename + ": " + openError);
  }
  if (icolor < 1 || icolor > 3) return fail(*this, "colour plane must be 1, 2 or 3");
  img = duplicate();
  bool error = false;
  const std::int32_t naxis = getFitskeyInteger(fitsheader, "NAXIS", error);
  if (error || naxis != 3) return fail(*this, "not a three-plane colour image");
  const std::int32_t width = getFitskeyInteger(fitsheader, "NAXIS1", error);
  if (error) return fail(*this, "NAXIS1 missing");
  const std::int32_t height = getFitskeyInteger(fitsheader, "NAXIS2", error);
  if (error) return fail(*this, "NAXIS2 missing");
  if (!checkImageSize(*this, width, height)) return false;
  try {
    const std::int64_t plane = std::int64_t{width} * height * bytesPerPixel(bufferbyte);
    const std::int64_t offset = imageblock + (icolor - 1) * plane;
    if (!checkDataPresent(*this, offset + plane, file.size())) return false;
    img->init(width, height, bufferbyte, PixelFill::Uninitialized);
    img->imageblock = static_cast<std::int32_t>(offset);
    if (!file.readAt(offset, img->bufferpointer.get(), static_cast<std::size_t>(plane))) {
      img.reset();
      return fail(*this, "truncated data (read error)");
    }
    static constexpr const char* kNames[] = {"TR", "TG", "TB"};
    static constexpr std::int32_t kCodes[] = {8, 7, 6};
    img->FilterName = kNames[icolor - 1];
    img->FilterType = kCodes[icolor - 1];
    img->OBSTYPE = "DSLR";
    convertFitsPixels(*img, ScaleFactor);
    return true;
  } catch (const std::exception& e) {
    return fail(*this, std::string("value out of range: ") + e.what());
  }
}

}  // namespace vargaze
