// Writing a Timgbuffer as a FITS file. The buffer itself is not changed: the
// header is updated on a copy and the pixels are converted into the file's
// big-endian layout on the way out.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/Numbers.h"
#include "image/Imgbuffer.h"

namespace vargaze {

namespace {

// Removes every card with keyword `key` (columns 1-8), moving the following
// cards up so that END stays directly behind the last card.
void removeFitskey(FitsHeader& header, std::string_view key) {
  std::string padded(key);
  padded.resize(8, ' ');
  const int end = header.endCard();
  if (end == 0) return;
  int write = 1;
  for (int read = 1; read <= end; ++read) {
    const std::string card(header.card(read));
    if (read < end && card.substr(0, 8) == padded) continue;
    if (write != read) header.setCard(write, card);
    ++write;
  }
  for (; write <= end; ++write) header.setCard(write, "");
}

// The header the file gets: the buffer's cards with the metadata written in,
// the pixel type and a zero point that keeps the physical values.
FitsHeader fileHeader(const Timgbuffer& img, int bitpix, double bzero) {
  Timgbuffer meta;
  meta.fitsheader = img.fitsheader;
  meta.xsize = img.xsize;
  meta.ysize = img.ysize;
  meta.Datetime = img.Datetime;
  meta.Exposure = img.Exposure;
  meta.Instrument = img.Instrument;
  meta.FilterName = img.FilterName;
  meta.ISOspeed = img.ISOspeed;
  meta.UpdateFitsHeader();
  FitsHeader& header = meta.fitsheader;
  // A colour plane is written as a plain 2-D image.
  setFitskey(header, "NAXIS", "2");
  removeFitskey(header, "NAXIS3");
  removeFitskey(header, "CSPACE");
  // A channel taken out of a Bayer mosaic is no mosaic any more.
  if (img.FilterName == "TR" || img.FilterName == "TG" || img.FilterName == "TB") {
    for (const char* key : {"BAYERPAT", "XBAYROFF", "YBAYROFF"}) removeFitskey(header, key);
  }
  setFitskey(header, "BITPIX", std::to_string(bitpix));
  setFitskey(header, "BSCALE", "1");
  setFitskey(header, "BZERO", formatGeneral(bzero));
  return header;
}

template <typename Word>
void putBigEndian(Word value, std::byte* out) {
  for (std::size_t i = 0; i < sizeof(Word); ++i) {
    out[i] = static_cast<std::byte>(value >> (8 * (sizeof(Word) - 1 - i)));
  }
}

// The pixel bytes in file order. 16-bit unsigned words are stored signed with
// BZERO 32768 (the XOR flips the sign bit: u - 32768 as a signed word).
std::vector<std::byte> filePixels(const Timgbuffer& img, bool unsignedWords) {
  const std::int64_t n = img.pixelCount();
  const int bytes = bytesPerPixel(img.bufferbyte);
  std::vector<std::byte> out(static_cast<std::size_t>(n * bytes));
  if (n == 0 || bytes == 0) return out;
  switch (img.bufferbyte) {
    case kPixel8:
      std::memcpy(out.data(), img.data8(), out.size());
      break;
    case kPixelUnset:
    case kPixel16: {
      const std::uint16_t flip = unsignedWords ? 0x8000 : 0;
      const std::uint16_t* p = img.data16();
      for (std::int64_t i = 0; i < n; ++i) {
        putBigEndian(static_cast<std::uint16_t>(p[i] ^ flip), &out[std::size_t(i) * 2]);
      }
      break;
    }
    default: {  // 32-bit integer and float: the same four bytes reversed
      const auto* p = reinterpret_cast<const std::uint32_t*>(img.bufferpointer.get());
      for (std::int64_t i = 0; i < n; ++i) putBigEndian(p[i], &out[std::size_t(i) * 4]);
      break;
    }
  }
  return out;
}


}  // namespace

bool Timgbuffer::Writefitsfile(const std::string& fitsfilename) const {
  std::string error;
  return Writefitsfile(fitsfilename, error);
}

bool Timgbuffer::Writefitsfile(const std::string& fitsfilename, std::string& error) const {
  const bool words = bufferbyte == kPixel16 || bufferbyte == kPixelUnset;
  const bool unsignedWords = words && Wordmode;
  // Physical value = stored value - Offset1; unsigned words go out shifted by 32768.
  const double bzero = (unsignedWords ? 32768.0 : 0.0) - Offset1;
  const FitsHeader header = fileHeader(*this, bitpixOf(bufferbyte), bzero);
  const int end = header.endCard();
  if (end == 0) {
    error = "the header has no END card";
    return false;
  }
  const int headerBlocks = (end + kFitsCardsPerBlock - 1) / kFitsCardsPerBlock;
  std::string headerBytes(header.data(), std::size_t(headerBlocks) * kFitsBlockSize);
  // Cards after END (and never-written cards) are blanks in a FITS file.
  std::replace(headerBytes.begin(), headerBytes.end(), '\0', ' ');
  const std::vector<std::byte> pixels = filePixels(*this, unsignedWords);
  const std::size_t padding = (kFitsBlockSize - pixels.size() % kFitsBlockSize) % kFitsBlockSize;
  const std::string zeros(padding, '\0');

  return saveFileAtomically(
      fitsfilename,
      [&](AtomicFileOutput& out, std::string&) {
        return out.write(headerBytes) &&
               out.write(std::string_view(reinterpret_cast<const char*>(pixels.data()),
                                          pixels.size())) &&
               out.write(zeros);
      },
      error);
}

}  // namespace vargaze
