// The processing commands that write files, under injected failures: saving
// the image, the JPEG series, the background-subtracted series. A failure is
// shown, ends the command, and leaves earlier files of those names intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/Imgbuffer.h"
#include "processing/Background.h"
#include "processing/ImageSave.h"
#include "processing/JpegExport.h"
#include "support/SeriesRig.h"
#include "support/FaultInjection.h"

namespace vargaze {
namespace {

class FaultInjectionProcessingTest : public test::SeriesRig {
 protected:
  void SetUp() override {
    frames = writeFrames({"a.fit", "b.fit", "c.fit"});
    ASSERT_TRUE(series.openSeries(frames));
  }

  std::string lastMessage() const { return ui.messages.empty() ? "" : ui.messages.back(); }

  test::SaveAction saveImage() {
    return [this](const std::string& path, std::string& message) {
      ui.messages.clear();
      const bool saved = Saveimage1Click(series, path);
      message = lastMessage();
      return saved;
    };
  }

  // The JPEG export of the three frames; "saved" when all three were written.
  test::SaveAction exportJpeg() {
    return [this](const std::string& chosen, std::string& message) {
      ui.messages.clear();
      const JpegExportResult result = JPGexport(series, chosen);
      message = lastMessage();
      return !result.saveFailed && result.written == 3;
    };
  }

  test::SaveAction subtractBackground() {
    return [this](const std::string& target, std::string& message) {
      ui.messages.clear();
      const bool done = Backgroundsubtraction1Click(series, target);
      message = lastMessage();
      return done;
    };
  }

  // Reads a FITS file back: the frame size of the series.
  static void expectFitsReadable(const std::string& path) {
    Timgbuffer img;
    ASSERT_TRUE(img.Readfitsfile(path)) << img.readError;
    EXPECT_EQ(img.xsize, test::kWidth);
    EXPECT_EQ(img.ysize, test::kHeight);
  }

  std::vector<std::string> frames;
};

TEST_F(FaultInjectionProcessingTest, ImageSaveFailuresKeepThePreviousFile) {
  test::expectMissingFolderReported(dir, "saved.fit", saveImage());
  EXPECT_EQ(lastMessage(), "Fehler beim Speichern der Datei " + dir.file("no-such-folder/saved.fit"));
  test::expectFolderTargetReported(dir, "saved.fit", saveImage());

  const std::string path = dir.file("saved.fit");
  ASSERT_TRUE(Saveimage1Click(series, path));
  series.img->putpixel(5, 5, 4321);  // the image changed since
  EXPECT_EQ(test::expectFullDiskKeepsFile(path, 6000, saveImage()),
            "Fehler beim Speichern der Datei " + path);
  expectFitsReadable(path);
}

TEST_F(FaultInjectionProcessingTest, JpegExportStopsAtTheFirstFailedFile) {
  std::string message;
  EXPECT_FALSE(exportJpeg()(dir.file("no-such-folder/m.jpg"), message));
  EXPECT_EQ(message, "Fehler beim Speichern der Datei " + dir.file("no-such-folder/m001.JPG"));
  EXPECT_EQ(ui.messages.size(), 1u);  // one message, then the export ended

  std::filesystem::create_directory(dir.file("m002.JPG"));
  EXPECT_FALSE(exportJpeg()(dir.file("m.jpg"), message));
  EXPECT_EQ(message, "Fehler beim Speichern der Datei " + dir.file("m002.JPG"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("m002.JPG")));
  std::filesystem::remove(dir.file("m002.JPG"));

  ASSERT_TRUE(exportJpeg()(dir.file("m.jpg"), message)) << message;
  const std::string first = test::readBytes(dir.file("m001.JPG"));
  ASSERT_EQ(first.substr(0, 2), "\xFF\xD8");
  series.controls.InvertCheckBox = true;  // every new picture differs
  EXPECT_EQ(test::expectFullDiskKeepsFile(dir.file("m.jpg"), 200, exportJpeg()),
            "Fehler beim Speichern der Datei " + dir.file("m001.JPG"));
  EXPECT_EQ(test::readBytes(dir.file("m001.JPG")), first);
}

TEST_F(FaultInjectionProcessingTest, BackgroundFailuresKeepThePreviousOutput) {
  for (const auto& [x, y] : {std::pair{10, 10}, {90, 10}, {10, 70}, {90, 70}}) addRoi(x, y);
  std::string message;
  EXPECT_FALSE(subtractBackground()(dir.file("no-such-folder/sky.fit"), message));
  EXPECT_EQ(message, "Fehler beim Speichern der Datei " + dir.file("no-such-folder/sky001.fit"));

  std::filesystem::create_directory(dir.file("sky002.fit"));
  EXPECT_FALSE(subtractBackground()(dir.file("sky.fit"), message));
  EXPECT_EQ(message, "Fehler beim Speichern der Datei " + dir.file("sky002.fit"));
  std::filesystem::remove(dir.file("sky002.fit"));

  ASSERT_TRUE(subtractBackground()(dir.file("sky.fit"), message)) << message;
  const std::string before = test::readBytes(dir.file("sky001.fit"));
  EXPECT_EQ(test::expectFullDiskKeepsFile(dir.file("sky.fit"), 5000, subtractBackground()),
            "Fehler beim Speichern der Datei " + dir.file("sky001.fit"));
  EXPECT_EQ(test::readBytes(dir.file("sky001.fit")), before);
  expectFitsReadable(dir.file("sky001.fit"));
}

TEST_F(FaultInjectionProcessingTest, ReadOnlyFolderKeepsTheSavedImage) {
  VARGAZE_SKIP_READ_ONLY_AS_ROOT();
  std::filesystem::create_directory(dir.file("ro"));
  const std::string path = dir.file("ro/saved.fit");
  ASSERT_TRUE(Saveimage1Click(series, path));
  test::expectReadOnlyFolderKeepsFile(path, saveImage());
  expectFitsReadable(path);
}

}  // namespace
}  // namespace vargaze
