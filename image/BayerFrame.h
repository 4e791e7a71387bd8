// Raw frames of one-shot colour cameras: a Bayer mosaic stored as a plain 2-D
// FITS image, in which every 2 x 2 cell holds one red, two green and one blue
// pixel. A colour channel is taken out cell by cell, without interpolation,
// so its counts keep their photon statistics.
#pragma once

#include <string>
#include <string_view>

namespace vargaze {

class FitsHeader;
class Timgbuffer;

// True for RGGB, BGGR, GRBG and GBRG, trimmed, in any case.
bool isBayerPatternName(std::string_view text);

struct BayerLayout {
  // Colours of the stored pixels (1,1), (2,1), (1,2), (2,2), such as "RGGB";
  // empty when the frame is no mosaic.
  std::string pattern;
  // Why a frame that names a pattern is read as monochrome; empty otherwise.
  std::string warning;
};

// The mosaic a header announces: a 2-D integer image (BITPIX 8, 16 or 32)
// whose BAYERPAT, or without BAYERPAT whose FILTER, names a pattern. ROWORDER
// and XBAYROFF/YBAYROFF move the pattern's phase on the stored pixels. A
// BAYERPAT naming no known pattern gives no pattern and a warning.
BayerLayout bayerLayout(const FitsHeader& header);

// Replaces the mosaic in `img` (its bayerPattern set) by colour channel
// `color` (1 red, 2 green, 3 blue): pixel (X, Y) of the half-size frame is
// red or blue the one pixel of that colour in cell (X, Y), green the sum of
// its two green pixels. An odd last column or row is left out: it holds half
// cells only. The pixels become 32-bit (two 16-bit greens may pass 65535);
// the channel is marked "TR"/"TG"/"TB", OBSTYPE "DSLR", with binning and
// pixel scale doubled. The header keeps the file's cards. False, with
// readError set and the buffer unchanged, for a frame narrower or lower than
// one cell. Throws RangeError when a green sum of 32-bit pixels does not fit.
bool extractBayerChannel(Timgbuffer& img, int color);

}  // namespace vargaze
