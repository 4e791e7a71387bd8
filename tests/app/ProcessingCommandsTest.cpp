// The processing commands as the menus run them: refusals before the file
// dialog, and what a command leaves in the application besides its files.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/MainWindow.h"
#include "app/ProcessingCommands.h"
#include "config/IniFile.h"
#include "support/AppRig.h"

namespace vargaze::test {
namespace {

class ProcessingCommandsTest : public ::testing::Test, protected AppRig {
 protected:
  ProcessingCommandsTest() : AppRig(true) {}
  // A file dialog that counts its showings and answers `answer`.
  ChooseFileName dialog(const std::string& answer = "") {
    return [this, answer] {
      ++dialogs;
      return answer;
    };
  }
  int dialogs = 0;
  MainWindowModel main{app};
};

TEST_F(ProcessingCommandsTest, RefusalsComeBeforeTheFileDialog) {
  struct Row {
    bool image, roi;
    std::function<bool()> command;
    std::vector<std::string> messages;
    int dialogs;
  };
  const auto background = [this] { return backgroundSubtraction(app, dialog()); };
  const auto save = [this] { return saveImage(app, dialog()); };
  const auto jpeg = [this] { return jpegExport(app, dialog()).has_value(); };
  const Row rows[] = {  // in this order the state only grows: no image, an image, a ROI
      {false, false, background, {"Kein Bild geladen"}, 0},
      {false, false, save, {"Kein Bild geladen"}, 0},
      {false, false, jpeg, {}, 0},  // no series: not even the dialog
      {true, false, background, {"Kein Background definiert."}, 0},
      {true, false, save, {}, 1},  // cancelled: nothing written, nothing said
      {true, false, jpeg, {}, 1},
      {true, true, background, {}, 1},
  };
  for (const Row& row : rows) {
    ui.messages.clear();
    dialogs = 0;
    if (row.image && !app.series.imageLoaded) {
      ASSERT_TRUE(app.openSeries({twoStars("a.fit")}));
    }
    if (row.roi && app.roiWindow.count() == 0) app.roiWindow.Newroi(29, 29);
    EXPECT_FALSE(row.command());
    EXPECT_EQ(ui.messages, row.messages) << &row - rows;
    EXPECT_EQ(dialogs, row.dialogs) << &row - rows;
  }
}

TEST_F(ProcessingCommandsTest, RawSelectionIsRememberedAndReplacesTheShownSeries) {
  ASSERT_TRUE(app.openSeries({twoStars("a.fit")}));
  app.exportWindow().TableCleared = false;
  ASSERT_FALSE(app.imageWindow.title.empty());
  const std::string raw = dir.file("night/IMG_1.cr2");
  std::filesystem::create_directory(dir.file("night"));
  writeBytes(raw, "raw");
  writeBytes(dir.file("night/IMG_1.jpg"), "jpeg");

  // A selection without raw files is refused, but its folder is remembered.
  rawToFits(app, {dir.file("night/IMG_1.jpg")}, [] { return std::uint8_t{0}; });
  EXPECT_EQ(IniFile(dir.file("vargaze1.ini")).ReadString("File", "StartupDir", ""), dir.file("night/"));
  EXPECT_FALSE(app.exportWindow().TableCleared);
  EXPECT_FALSE(app.imageWindow.title.empty());

  // The channel dialog cancelled after the list was replaced.
  const RawToFitsResult result = rawToFits(app, {dir.file("night/IMG_1.jpg"), raw}, [] { return std::uint8_t{0}; });
  EXPECT_TRUE(result.listReplaced && result.written.empty());
  EXPECT_EQ(app.series.filelist1, std::vector<std::string>{raw});
  EXPECT_TRUE(app.exportWindow().TableCleared);
  EXPECT_EQ(app.imageWindow.title, "");  // the frame of the old list is no longer shown
}

TEST_F(ProcessingCommandsTest, DcfMarkerModeNeedsAnImageAndShowsItsPrompt) {
  EXPECT_FALSE(setDcfMarker(app, main));
  EXPECT_EQ(ui.messages, std::vector<std::string>{"Load image first"});
  EXPECT_FALSE(app.flags.DCFROI || main.roiWindowShown);
  EXPECT_EQ(main.statusPanel0.rfind("CFG-Datei=", 0), 0u);

  ASSERT_TRUE(app.openSeries({twoStars("a.fit")}));
  EXPECT_TRUE(setDcfMarker(app, main));
  EXPECT_TRUE(app.flags.DCFROI && main.roiWindowShown);
  EXPECT_EQ(main.statusPanel0, "Bild mit DCF Signal auswählen und Position mit linker Maustaste markieren");
}

}  // namespace
}  // namespace vargaze::test
