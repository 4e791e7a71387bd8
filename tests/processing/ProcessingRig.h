// The series rig with its parts open to the case tables of these tests, the
// stand-in raw converter, and DCF recordings as BMP frames.
#pragma once

#include "processing/DcfCommand.h"
#include "processing/RawToFits.h"
#include "support/ImageFileBytes.h"
#include "support/SeriesRig.h"
#include "support/StandInConverter.h"

namespace vargaze::test {

using Texts = std::vector<std::string>;

// A 21 x 21 24-bit BMP: sky 10 and, when lit, a 3 x 3 lamp of 200 at columns
// and rows 10..12 (symmetric, so the reader's row order does not matter).
inline std::string dcfFrame(bool lit) {
  std::string out = "BM";
  for (std::uint32_t v : {54u + 64 * 21, 0u, 54u, 40u, 21u, 21u, 1u | 24u << 16, 0u, 0u, 0u, 0u,
                          0u, 0u}) {
    putLe32(out, v);
  }
  for (int row = 1; row <= 21; ++row) {
    for (int col = 1; col <= 21; ++col) {
      const bool lamp = lit && row >= 10 && row <= 12 && col >= 10 && col <= 12;
      out.append(3, static_cast<char>(lamp ? 200 : 10));
    }
    out += '\0';  // rows padded to 64 bytes
  }
  return out;
}

class ProcessingRig : public SeriesRig {
 public:
  using SeriesRig::addRoi;
  using SeriesRig::dir;

  // Frames of twoStars() named `names`, opened as the series.
  void open(const Texts& names) {
    frames = writeFrames(names);
    ASSERT_TRUE(series.openSeries(frames));
  }
  // Ring ROIs on the sky near the corners.
  void cornerRois(int count = 4) {
    const int at[][2] = {{10, 10}, {90, 10}, {10, 70}, {90, 70}};
    for (int i = 0; i < count; ++i) addRoi(at[i][0], at[i][1]);
  }
  // DCF frames f1.bmp.. opened as the series and, unless told otherwise, the
  // marker on the lamp of the first (lit) frame with its sky box around (4, 4).
  void openDcf(const std::vector<bool>& lit, bool marker = true) {
    frames.clear();
    for (std::size_t i = 0; i < lit.size(); ++i) {
      frames.push_back(dir.file("f" + std::to_string(i + 1) + ".bmp"));
      writeBytes(frames.back(), dcfFrame(lit[i]));
    }
    ASSERT_TRUE(series.openSeries(frames));
    if (marker) {
      ASSERT_EQ(placeDcfMarker(series, 11, 11, 4, 4), 1);
    }
  }
  std::string rawFile(const std::string& name) {
    writeBytes(dir.file(name), "raw");
    return dir.file(name);
  }
  // Raw-to-FITS of the files `names` in the folder with the chosen channel.
  RawToFitsResult convert(const Texts& names, std::uint8_t channel = 2) {
    Texts chosen;
    for (const std::string& name : names) chosen.push_back(dir.file(name));
    return RawtoFitskonvertieren1Click(series, chosen, [channel] { return channel; });
  }
  std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back(); }

  Texts frames;  // the files the series should hold
  StandInConverter converter{dir.path().string()};
};

}  // namespace vargaze::test
