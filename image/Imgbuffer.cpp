// Timgbuffer: creation, storage, take-over and copies, header update.
#include "image/Imgbuffer.h"

#include <cstring>

#include "base/Errors.h"
#include "base/Numbers.h"

namespace vargaze {

int bitpixOf(std::int32_t bufferbyte) {
  switch (bufferbyte) {
    case kPixel8: return 8;
    case kPixel32: return 32;
    case kPixelFloat: return -32;
    case kPixelDouble: return -64;
    default: return 16;
  }
}

int bytesPerPixel(std::int32_t bufferbyte) {
  switch (bufferbyte) {
    case kPixel8:
      return 1;
    case kPixelUnset:
    case kPixel16:
      return 2;
    case kPixel32:
    case kPixelFloat:
      return 4;
    default:
      return 0;
  }
}

Timgbuffer::Timgbuffer() {
  // The first card starts the never-written store; the others go before END.
  setFitskey(fitsheader, "SIMPLE", "T");
  setFitskey(fitsheader, "BITPIX", "16");
  setFitskey(fitsheader, "NAXIS", "2");
  setFitskey(fitsheader, "NAXIS1", "0");
  setFitskey(fitsheader, "NAXIS2", "0");
  setFitskey(fitsheader, "BSCALE", "1");
  setFitskey(fitsheader, "BZERO", "0");
}

Timgbuffer::~Timgbuffer() = default;
Timgbuffer::Timgbuffer(Timgbuffer&&) noexcept = default;
Timgbuffer& Timgbuffer::operator=(Timgbuffer&&) noexcept = default;

int Timgbuffer::init(std::int32_t xdim, std::int32_t ydim, std::int32_t imgbyte,
                     PixelFill fill, PixelStore* reuse) {
  const std::int64_t pixels = std::int64_t{xdim} * ydim;
  if (xdim < 0 || ydim < 0 || pixels > kMaxPixels) {
    throw RangeError("image size out of range: " + std::to_string(xdim) + " x " +
                     std::to_string(ydim));
  }
  destroy();
  const std::size_t bytes = static_cast<std::size_t>(pixels) * bytesPerPixel(imgbyte);
  if (bytes == 0) return -1;

  if (reuse != nullptr && reuse->bytes && reuse->size == bytes) {
    bufferpointer = std::move(reuse->bytes);
    if (fill == PixelFill::Zero) std::memset(bufferpointer.get(), 0, bytes);
  } else {
    if (reuse != nullptr) reuse->bytes.reset();  // freed before the new one is taken
    bufferpointer = fill == PixelFill::Zero ? std::make_unique<std::byte[]>(bytes)
                                            : std::make_unique_for_overwrite<std::byte[]>(bytes);
  }
  if (reuse != nullptr) reuse->size = 0;
  xsize = xdim;
  ysize = ydim;
  bufferbyte = imgbyte;
  setFitskey(fitsheader, "BITPIX", std::to_string(bitpixOf(imgbyte)));
  return 0;
}

void Timgbuffer::destroy() {
  bufferpointer.reset();
}

Timgbuffer::PixelStore Timgbuffer::takePixelStore() {
  PixelStore store;
  if (!hasImage()) return store;
  store.size = static_cast<std::size_t>(pixelCount()) * bytesPerPixel(bufferbyte);
  store.bytes = std::move(bufferpointer);
  return store;
}

void Timgbuffer::gettemp(Timgbuffer& imgtemp) {
  if (&imgtemp == this) return;
  xsize = imgtemp.xsize;
  ysize = imgtemp.ysize;
  bufferbyte = imgtemp.bufferbyte;
  yori = imgtemp.yori;
  bufferMax = imgtemp.bufferMax;
  bufferMin = imgtemp.bufferMin;
  ScaleFactor = imgtemp.ScaleFactor;
  bufferpointer = std::move(imgtemp.bufferpointer);
}

std::unique_ptr<Timgbuffer> Timgbuffer::duplicate() const {
  auto copy = std::make_unique<Timgbuffer>();
  copy->xsize = xsize;
  copy->ysize = ysize;
  copy->yori = yori;
  copy->bufferbyte = bufferbyte;
  copy->bufferMax = bufferMax;
  copy->bufferMin = bufferMin;
  copy->ScaleFactor = ScaleFactor;
  copy->Offset1 = Offset1;
  copy->fitsheader = fitsheader;
  copy->headerlines = headerlines;
  copy->JDstart = JDstart;
  copy->Datetime = Datetime;
  copy->Origin = Origin;
  copy->Exposure = Exposure;
  copy->Xpixelsize = Xpixelsize;
  copy->Ypixelsize = Ypixelsize;
  copy->Instrument = Instrument;
  copy->Observer = Observer;
  copy->Xbinning = Xbinning;
  copy->Ybinning = Ybinning;
  copy->RA = RA;
  copy->DEC = DEC;
  copy->PixScale = PixScale;
  copy->FilterName = FilterName;
  copy->FilterType = FilterType;

  const std::size_t bytes =
      hasImage() ? static_cast<std::size_t>(pixelCount()) * bytesPerPixel(bufferbyte) : 0;
  if (bytes > 0) {
    copy->bufferpointer = std::make_unique_for_overwrite<std::byte[]>(bytes);
    std::memcpy(copy->bufferpointer.get(), bufferpointer.get(), bytes);
  }
  return copy;
}

void Timgbuffer::UpdateFitsHeader() {
  setFitskey(fitsheader, "NAXIS1", std::to_string(xsize));
  setFitskey(fitsheader, "NAXIS2", std::to_string(ysize));
  // An unknown date gets no card at all; a made-up 'date?' would mislead readers.
  if (!Datetime.empty() && Datetime != "date?") {
    setFitskeyQuoted(fitsheader, "DATE-OBS", Datetime, "UT start date/time of observation");
  }
  setFitskey(fitsheader, "EXPTIME", formatFixed(Exposure, 3, 8), "Exposure time in seconds");
  setFitskeyQuoted(fitsheader, "INSTRUME", Instrument);
  setFitskeyQuoted(fitsheader, "FILTER", FilterName);
  if (!ISOspeed.empty()) setFitskey(fitsheader, "ISOSPEED", ISOspeed);
}

}  // namespace vargaze
