// "get DCF time" over a series of BMP frames with a lamp and a fixed marker.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/TextFile.h"
#include "processing/DcfCommand.h"
#include "support/SeriesFixture.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

constexpr int kSide = 21;
constexpr int kSky = 10;
constexpr int kLamp = 200;

void putLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// A 24-bit BMP, kSide square, sky everywhere and, when lit, the 3 x 3 lamp
// at columns and rows 10..12 (symmetric, so the reader's row order does not
// matter). Every channel holds the same value.
std::string bmpFrame(bool lit) {
  const int rowBytes = (kSide * 3 + 3) / 4 * 4;
  std::string out = "BM";
  putLittleEndian(out, static_cast<std::uint32_t>(54 + rowBytes * kSide), 4);
  putLittleEndian(out, 0, 4);
  putLittleEndian(out, 54, 4);
  putLittleEndian(out, 40, 4);
  putLittleEndian(out, kSide, 4);
  putLittleEndian(out, kSide, 4);
  putLittleEndian(out, 1, 2);
  putLittleEndian(out, 24, 2);
  for (int i = 0; i < 6; ++i) putLittleEndian(out, 0, 4);
  for (int row = 1; row <= kSide; ++row) {
    std::string line;
    for (int col = 1; col <= kSide; ++col) {
      const bool lamp = lit && row >= 10 && row <= 12 && col >= 10 && col <= 12;
      line.append(3, static_cast<char>(lamp ? kLamp : kSky));
    }
    line.resize(static_cast<std::size_t>(rowBytes), '\0');
    out += line;
  }
  return out;
}

class DcfCommandTest : public test::SeriesFixture {
 protected:
  std::vector<std::string> writeBmpFrames(const std::vector<bool>& lit) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < lit.size(); ++i) {
      paths.push_back(dir.file("f" + std::to_string(i + 1) + ".bmp"));
      test::writeBytes(paths.back(), bmpFrame(lit[i]));
    }
    return paths;
  }

  // The marker on the lamp (star box 5 x 5 around (11, 11)) with a separate
  // sky box around (4, 4), placed on the frame on display.
  void placeMarker() {
    ASSERT_EQ(placeDcfMarker(series, 11, 11, 4, 4), 1);
    EXPECT_TRUE(window.roi(1).isFixed());
  }
};

TEST_F(DcfCommandTest, PulsesFromTheLampFrames) {
  ASSERT_TRUE(series.openSeries(writeBmpFrames({true, true, false, false, true, false})));
  placeMarker();
  const std::string out = dir.file("dcf.prn");
  const auto result = getDCFtime1Click(series, out);
  ASSERT_TRUE(result.has_value());
  // Net counts of a lit frame: 9 lamp pixels of 200 - 10 above the sky.
  ASSERT_EQ(result->pulses.size(), 2u);
  EXPECT_EQ(result->pulses[0].fnum, 1);
  EXPECT_EQ(result->pulses[0].counts, 2 * 1710);
  EXPECT_EQ(result->pulses[1].fnum, 5);
  EXPECT_EQ(result->pulses[1].counts, 1710);
  EXPECT_EQ(result->pulses[1].interval, 4);
  std::vector<std::string> lines;
  std::string error;
  ASSERT_TRUE(readTextLines(out, lines, error));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"1, 1, 3420, 0", "5, 1, 1710, 4",
                                      "mittl. intervall=4 mittl. counts=1710", "Jahr=unbekannt"}));
  EXPECT_EQ(series.Activeframe(), 6);  // the last frame stays on display
  EXPECT_EQ(series.img->filename, dir.file("f6.bmp"));
}

TEST_F(DcfCommandTest, MarkerIsNeededBeforeAnyFileIsTouched) {
  EXPECT_EQ(placeDcfMarker(series, 11, 11, 4, 4), 0);
  ASSERT_TRUE(series.openSeries(writeBmpFrames({true, false})));
  const std::string out = dir.file("dcf.prn");
  EXPECT_FALSE(getDCFtime1Click(series, out).has_value());
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Load image first", "DCF Marker muss erst gesetzt werden!"}));
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(DcfCommandTest, FramesThatAreNoBmpEndTheCommandAndTheOldResultStays) {
  ASSERT_TRUE(series.openSeries(writeBmpFrames({true})));
  placeMarker();
  const std::string out = dir.file("dcf.prn");
  test::writeBytes(out, "earlier result");
  const std::string broken = dir.file("broken.bmp");
  test::writeBytes(broken, "BM not really");
  series.filelist1.push_back(broken);
  EXPECT_FALSE(getDCFtime1Click(series, out).has_value());
  series.filelist1.back() = writeFrame("a.fit", {}, "2024-01-01T20:00:00");
  EXPECT_FALSE(getDCFtime1Click(series, out).has_value());
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Kann BMP-Datei nicht laden", "Kann Datei nicht laden"}));
  EXPECT_EQ(test::readBytes(out), "earlier result");
}

TEST_F(DcfCommandTest, ResultSaveFailuresKeepTheEarlierResult) {
  ASSERT_TRUE(series.openSeries(writeBmpFrames({true, false, true})));
  placeMarker();
  const test::SaveAction evaluate = [this](const std::string& path, std::string& message) {
    ui.messages.clear();
    const bool saved = getDCFtime1Click(series, path).has_value();
    message = ui.messages.empty() ? "" : ui.messages.back();
    return saved;
  };
  test::expectMissingFolderReported(dir, "dcf.prn", evaluate);
  EXPECT_EQ(ui.messages,
            std::vector<std::string>{"Fehler beim Speichern der Datei " +
                                     dir.file("no-such-folder/dcf.prn")});
  test::expectFolderTargetReported(dir, "dcf.prn", evaluate);

  const std::string out = dir.file("dcf.prn");
  test::writeBytes(out, "earlier result\r\n");
  EXPECT_EQ(test::expectFullDiskKeepsFile(out, 20, evaluate),
            "Fehler beim Speichern der Datei " + out);
}

}  // namespace
}  // namespace vargaze
