// Raw-to-FITS conversion through a stand-in converter script.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>

#include "image/RawConverter.h"
#include "support/StandInConverter.h"
#include "processing/RawToFits.h"
#include "series/Series.h"
#include "support/FaultInjection.h"
#include "support/FitsBuilder.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace vargaze {
namespace {

namespace fs = std::filesystem;

class ProgressUi : public test::RecordingUi {
 public:
  void progressStop() override { ++stops; }
  int stops = 0;
};

class RawToFitsTest : public ::testing::Test {
 protected:
  void SetUp() override { converter.emplace(dir.path().string()); }

  std::string rawFile(const std::string& name) {
    const std::string path = dir.file(name);
    test::writeBytes(path, "II*\0raw");
    return path;
  }

  static Timgbuffer readBack(const std::string& path) {
    Timgbuffer img;
    EXPECT_TRUE(img.Readfitsfile(path)) << path;
    return img;
  }

  RawToFitsResult run(const std::vector<std::string>& chosen, std::uint8_t channel) {
    return RawtoFitskonvertieren1Click(series, chosen, [channel] { return channel; });
  }

  test::TempDir dir;
  Settings settings;
  ProgressUi ui;
  MainWindowFlags flags;
  ImageWindowState imgwin;
  RoiWindow window{settings, ui, flags, imgwin};
  Series series{settings, ui, window};
  std::optional<test::StandInConverter> converter;
};

TEST_F(RawToFitsTest, OneChannelOfTheChosenRawFiles) {
  const std::string first = rawFile("IMG_0001.CR2");
  const std::string second = rawFile("img_0002.cr2");  // lower case counts too
  series.RGBcolornumber = 3;
  const RawToFitsResult r = run({first, dir.file("photo.jpg"), second}, 1);
  EXPECT_TRUE(r.listReplaced);
  EXPECT_EQ(series.filelist1, (std::vector<std::string>{first, second}));
  EXPECT_EQ(series.FramesLoaded, 2);
  EXPECT_EQ(r.written,
            (std::vector<std::string>{dir.file("IMG_0001_R.fit"), dir.file("img_0002_R.fit")}));
  const Timgbuffer red = readBack(dir.file("IMG_0001_R.fit"));
  EXPECT_EQ(red.xsize, 2);  // portrait turned to landscape, bottom sample first
  EXPECT_EQ(red.getpixel(1, 1), 4);
  EXPECT_EQ(red.getpixel(2, 1), 1);
  EXPECT_EQ(red.FilterName, "TR");
  EXPECT_EQ(series.RGBcolornumber, 3);  // the series' channel is given back
  EXPECT_EQ(ui.stops, 1);
  EXPECT_EQ(ui.progressDone, 2);
  EXPECT_FALSE(fs::exists(rawPpmFilename(first)));
  EXPECT_FALSE(series.imageLoaded);  // the old image is not a frame of the new list
  EXPECT_EQ(settings.StartupDir, dir.path().string() + "/");
}

TEST_F(RawToFitsTest, AllThreeChannelsMarkedAndOnlyNewPicturesRemoved) {
  const std::string raw = rawFile("IMG_0001.CR2");
  const std::string kept = rawFile("IMG_0002.CR2");
  test::writeBytes(rawPpmFilename(kept), "older");
  const RawToFitsResult r = run({raw, kept}, kRawChannelAll);
  ASSERT_EQ(r.written.size(), 6u);
  const char* names[] = {"IMG_0001_R.fit", "IMG_0001_G.fit", "IMG_0001_B.fit"};
  const char* filters[] = {"TR", "TG", "TB"};
  for (int c = 0; c < 3; ++c) {
    const Timgbuffer plane = readBack(dir.file(names[c]));
    EXPECT_EQ(plane.FilterName, filters[c]);
    EXPECT_EQ(plane.getpixel(1, 1), 4 + c);
    EXPECT_EQ(plane.getpixel(2, 1), 1 + c);
    EXPECT_EQ(plane.Datetime.substr(0, 19), "2026-12-05T13:33:08");
  }
  EXPECT_FALSE(fs::exists(rawPpmFilename(raw)));
  EXPECT_TRUE(fs::exists(rawPpmFilename(kept)));
}

TEST_F(RawToFitsTest, RefusedCasesLeaveTheSeries) {
  series.runActive = true;
  EXPECT_FALSE(run({rawFile("A.CR2")}, 2).listReplaced);
  series.runActive = false;
  run({}, 2);
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Bitte erst Raw-Bildserie laden"});
  ui.messages.clear();
  const std::string frame = dir.file("a.fit");
  test::writeBytes(frame, test::FitsBuilder(16, 8, 8).pixels(std::vector<double>(64, 100)).bytes());
  ASSERT_TRUE(series.openSeries({frame}));
  const RawToFitsResult r = run({dir.file("photo.jpg")}, 2);
  EXPECT_FALSE(r.listReplaced);
  EXPECT_EQ(series.filelist1, std::vector<std::string>{frame});
  EXPECT_TRUE(series.imageLoaded);
  // Without a selection the series loaded is converted: not a raw series.
  run({}, 2);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"Funktion nur für \".CR2\"-Dateien verfügbar",
                                                   "Funktion nur für \".CR2\"-Dateien verfügbar"}));
  EXPECT_EQ(ui.progressSteps, 0);
}

TEST_F(RawToFitsTest, CancelEndsAfterTheCurrentFile) {
  const std::vector<std::string> raws = {rawFile("A.CR2"), rawFile("B.CR2")};
  ui.cancelAfterEvents = 2;  // the round after the first file
  const RawToFitsResult r = run(raws, 2);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(r.written, std::vector<std::string>{dir.file("A_G.fit")});
  EXPECT_FALSE(fs::exists(dir.file("B_G.fit")));
  EXPECT_EQ(series.RGBcolornumber, 2);
  EXPECT_EQ(ui.stops, 1);
}

TEST_F(RawToFitsTest, ConverterFailureIsReportedAndRestoresState) {
  setenv("VARGAZE_RAW_CONVERTER", dir.file("no-such-program").c_str(), 1);
  const std::string raw = rawFile("A.CR2");
  series.RGBcolornumber = 1;
  for (std::uint8_t channel : {std::uint8_t{2}, kRawChannelAll}) {
    ui.messages.clear();
    const RawToFitsResult r = run({raw}, channel);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Laden der Datei " + raw});
    EXPECT_EQ(series.RGBcolornumber, 1);
  }
  EXPECT_EQ(ui.stops, 2);
}

// A FITS file that cannot be written ends the conversion with the message
// and leaves the earlier file of that name as it was, for one channel and
// for all three.
TEST_F(RawToFitsTest, SaveFailuresEndTheConversionAndKeepEarlierFiles) {
  const std::string raw = rawFile("A.CR2");
  series.RGBcolornumber = 3;
  for (std::uint8_t channel : {std::uint8_t{1}, kRawChannelAll}) {
    SCOPED_TRACE(static_cast<int>(channel));
    test::SaveAction convert = [&](const std::string&, std::string& message) {
      ui.messages.clear();
      const RawToFitsResult r = run({raw}, channel);
      message = ui.messages.empty() ? "" : ui.messages.back();
      return !r.failed && !r.written.empty();
    };
    const std::string red = dir.file("A_R.fit");
    test::expectFolderTargetReported(dir, "A_R.fit", convert);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Fehler beim Speichern der Datei " + red});

    std::string message;
    ASSERT_TRUE(convert(red, message)) << message;
    // Room for the converter's small picture, not for a FITS file.
    EXPECT_EQ(test::expectFullDiskKeepsFile(red, 1000, convert),
              "Fehler beim Speichern der Datei " + red);
    EXPECT_EQ(readBack(red).FilterName, "TR");
    EXPECT_EQ(series.RGBcolornumber, 3);
    for (const char* plane : {"A_R.fit", "A_G.fit", "A_B.fit"}) fs::remove(dir.file(plane));
  }
}

}  // namespace
}  // namespace vargaze
