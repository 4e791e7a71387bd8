// Timgbuffer: one monochrome frame in memory with its FITS header and the
// metadata the readers take from the file.
//
// Pixels are addressed 1-based: x = 1..xsize along a stored line, y = 1..ysize
// in storage order. Pixel (x, y) is element (y - 1) * xsize + (x - 1) of the
// storage. The buffer owns its storage; it is movable but not copyable
// (`duplicate` makes a deep copy).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "image/FitsHeader.h"

namespace vargaze {

// Pixel type codes of `bufferbyte`.
enum PixelCode : std::int32_t {
  kPixelUnset = 0,    // treated as 16-bit; set to 2 by operations that need it
  kPixel8 = 1,        // 8-bit unsigned, BITPIX 8
  kPixel16 = 2,       // 16-bit word, BITPIX 16, signed or unsigned by Wordmode
  kPixel32 = 4,       // 32-bit signed integer, BITPIX 32
  kPixelFloat = -4,   // 32-bit IEEE float, BITPIX -32 (only while loading)
  kPixelDouble = -8,  // BITPIX -64: recognised, never stored
};

// Largest image the buffer holds.
inline constexpr std::int64_t kMaxPixels = 100'000'000;

// Bytes per stored pixel for a type code (0 for -8 and unknown codes).
int bytesPerPixel(std::int32_t bufferbyte);
// The FITS BITPIX of a type code (16 for code 0).
int bitpixOf(std::int32_t bufferbyte);

struct Timghistogram {
  std::int32_t Max = 0;    // the value that maps to the top bin
  float Scale = 1.0f;      // factor from pixel value to bin
  std::array<std::int32_t, 256> data{};
};

class Timgbuffer {
 public:
  Timgbuffer();  // the defaults and the seven default header cards
  ~Timgbuffer();
  Timgbuffer(Timgbuffer&&) noexcept;
  Timgbuffer& operator=(Timgbuffer&&) noexcept;
  Timgbuffer(const Timgbuffer&) = delete;
  Timgbuffer& operator=(const Timgbuffer&) = delete;

  // ---- fields, in the order of the image model ----
  std::unique_ptr<std::byte[]> bufferpointer;  // xsize * ysize pixels, line after line
  FitsHeader fitsheader;
  std::int32_t headerlines = 0;  // number of the END card as read from the file
  std::uint8_t colorimages = 0;  // 3 for an RGB colour FITS image
  double JDstart = 0.0;          // Julian Date of the exposure start, 0 when unknown
  std::string Datetime;          // "2023-10-05T21:13:45.250" or "date?"
  std::string Origin;
  double Exposure = 0.0;         // seconds
  std::int32_t xsize = 0;
  std::int32_t ysize = 0;
  float Xpixelsize = 0.0f;
  float Ypixelsize = 0.0f;
  std::string Instrument;
  std::string Observer;
  std::string ISOspeed;
  std::string OBSTYPE = "CCD";
  std::uint16_t Xbinning = 0;
  std::uint16_t Ybinning = 0;
  double RA = 0.0;
  double DEC = 0.0;
  double Airmass = -1.0;
  double PixScale = 0.0;
  bool yori = true;
  std::int32_t bufferbyte = kPixelUnset;
  std::int32_t bufferMax = -1;
  std::int32_t bufferMin = -1;
  double Offset1 = 0.0;       // zero point: physical value = stored value - Offset1
  double ScaleFactor = 1.0;   // BSCALE as read
  bool Wordmode = true;       // 16-bit words are unsigned (true) or signed (false)
  std::int32_t imageblock = 0;  // byte offset of the pixel data in the file read last
  std::string filename;
  std::string shortInfo;
  std::int32_t FilterType = -1;  // -1 unknown, 0 C, 2 B, 3 V/G, 4 R, 5 I, 6 TB, 7 TG, 8 TR
  std::string FilterName;
  bool Flipped = false;
  bool Mirrored = false;
  std::uint8_t rotated = 0;
  std::uint8_t postbinned = 1;
  bool darkcorrected = false;
  bool flatcorrected = false;
  bool flatmatrix = false;
  std::int32_t OverflowCounts = 0;
  // A raw colour mosaic (one-shot colour camera): the colours of the stored
  // pixels (1,1), (2,1), (1,2), (2,2), such as "RGGB"; empty for other frames.
  // extractBayerChannel (image/BayerFrame.h) makes one channel of it.
  std::string bayerPattern;

  // Why the last read failed, in words for the user ("not a FITS file", ...);
  // empty after a successful read.
  std::string readError;
  // What a successful read could not take as the file meant it, in words for
  // the user (an unknown Bayer pattern read as monochrome); empty otherwise.
  std::string readWarning;

  // ---- storage and pixel access ----
  // Allocates xdim * ydim zero pixels of type imgbyte and writes BITPIX.
  // Returns -1 (no storage, sizes unchanged) when that is 0 bytes. Throws
  // RangeError above kMaxPixels or for negative sizes. Readers that overwrite
  // every pixel at once ask for PixelFill::Uninitialized and save a pass.
  enum class PixelFill { Zero, Uninitialized };
  // Pixel memory with its length, handed on from a frame that is replaced to
  // the next one of the same size: a series then does not fault in fresh
  // pages for every frame.
  struct PixelStore {
    std::unique_ptr<std::byte[]> bytes;
    std::size_t size = 0;
  };
  // With `reuse`, a store of exactly the needed length is taken instead of
  // allocating (one of another length is released first).
  int init(std::int32_t xdim, std::int32_t ydim, std::int32_t imgbyte,
           PixelFill fill = PixelFill::Zero, PixelStore* reuse = nullptr);
  // Hands the pixel memory over; the image has no pixels afterwards.
  PixelStore takePixelStore();
  void destroy();
  bool hasImage() const { return xsize > 0 && ysize > 0 && bufferpointer != nullptr; }
  std::int64_t pixelCount() const { return std::int64_t{xsize} * ysize; }

  std::int32_t getpixel(std::int32_t x, std::int32_t y) const;
  void putpixel(std::int32_t x, std::int32_t y, std::int32_t value);

  // Typed views of the storage (nullptr without an image). 16-bit words are
  // stored as uint16_t and read signed through a cast when Wordmode is false.
  std::uint8_t* data8() { return reinterpret_cast<std::uint8_t*>(bufferpointer.get()); }
  std::uint16_t* data16() { return reinterpret_cast<std::uint16_t*>(bufferpointer.get()); }
  std::int32_t* data32() { return reinterpret_cast<std::int32_t*>(bufferpointer.get()); }
  float* dataFloat() { return reinterpret_cast<float*>(bufferpointer.get()); }
  const std::uint8_t* data8() const {
    return reinterpret_cast<const std::uint8_t*>(bufferpointer.get());
  }
  const std::uint16_t* data16() const {
    return reinterpret_cast<const std::uint16_t*>(bufferpointer.get());
  }
  const std::int32_t* data32() const {
    return reinterpret_cast<const std::int32_t*>(bufferpointer.get());
  }
  const float* dataFloat() const { return reinterpret_cast<const float*>(bufferpointer.get()); }

  // Lines and columns copy xsize (ysize) elements of the storage width; the
  // caller's memory must be large enough. Float storage copies nothing.
  void Getline(std::int32_t y, void* line) const;
  void Putline(const void* line, std::int32_t y);
  void Getcolumn(std::int32_t x, void* col) const;
  void Putcolumn(const void* col, std::int32_t x);

  // ---- statistics ----
  std::int32_t getmaxpixel();
  void getminmax();
  void getHistogram(std::int32_t Maxvalue, Timghistogram& hist) const;
  // getmaxpixel, then getHistogram with its result, in one pass over 16-bit
  // words; returns the maximum.
  std::int32_t getmaxpixelAndHistogram(Timghistogram& hist);

  // ---- conversions ----
  void swapbytes();
  bool cmult(float c);
  void IntToWord(std::int32_t offset);
  void WordtoInt(std::int32_t offset);
  void FitsToLongint(double offset);

  // ---- geometry ----
  void flipvertical();
  void fliphorizontal();
  void rotate90(std::uint8_t n);
  void gettemp(Timgbuffer& imgtemp);
  void binning(std::uint8_t n);
  std::unique_ptr<Timgbuffer> duplicate() const;

  // ---- flat field ----
  // Turns this flat image into a matrix of float correction factors
  // (bufferbyte -4, flatmatrix true). Uses bufferMax as the reader left it;
  // refuses (false, unchanged) an empty or float image and a flat whose
  // bufferMax is below 5.
  bool MakeFlatmatrix();
  // Multiplies this image by the flat matrix `flat` once (flatcorrected).
  // False, unchanged, when flat is no matrix or differs in size.
  bool Flatcorrection(const Timgbuffer& flat);

  // ---- FITS header and files ----
  void UpdateFitsHeader();
  // Every read starts from a blank header and fresh values; only the pixel
  // memory may come from `reuse` (see init), as the read overwrites it all.
  bool Readfitsfile(const std::string& fitsfilename, PixelStore* reuse = nullptr);
  bool Readcolorfits(int icolor, std::unique_ptr<Timgbuffer>& img);
  bool Writefitsfile(const std::string& fitsfilename) const;
  // The same, with the reason of a failure in words.
  bool Writefitsfile(const std::string& fitsfilename, std::string& error) const;

  // ---- other image formats ----
  // One colour channel (1 red, 2 green, 3 blue) of an uncompressed 24-bit BMP
  // as a 16-bit image, the picture's bottom row as line 1; marked "TR", "TG"
  // or "TB", OBSTYPE "DSLR", time from the file's modification time (UTC).
  // False with readError set, and the buffer unchanged, for anything else.
  bool ReadBMPfile(const std::string& bmpfilename, int color);
  // One colour channel of a binary PPM ("P6", header of three lines within the
  // first 20 bytes): 8-bit samples for a maximum below 256, else 16-bit
  // big-endian. Marks and time as for BMP. False with readError set, and the
  // buffer unchanged, on a bad header, a size above kMaxPixels or short data.
  bool ReadPPMfile(const std::string& ppmfilename, int color);
  // Takes file name, camera time stamp, camera, shutter time and ISO speed
  // from the converter's information file. UTcorrection (days) is subtracted
  // from the camera's local time; an unreadable time stamp gives JDstart 0 and
  // "date?". False, nothing changed, when the file cannot be read.
  bool SetRawInfo(const std::string& infofilename, double UTcorrection);
};

}  // namespace vargaze
