// The processing commands through their dialogs write, byte for byte, what
// vargaze-cli process writes from the same input.
#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/ColourChoice.h"
#include "app/MainWindow.h"
#include "demo/DemoWriter.h"
#include "gui/FileChooser.h"
#include "gui/ProcessingMenu.h"
#include "photometry/RoiFile.h"
#include "support/CliRunner.h"
#include "support/GuiApp.h"
#include "support/StandInConverter.h"

namespace vargaze::test {
namespace {

class ProcessingMenuTest : public ::testing::Test {
 protected:
  ProcessingMenuTest() {
    demo::writeDemoSeries({.frames = 3, .width = 160, .height = 130}, in("n"));
    std::filesystem::create_directory(in("cli"));
    std::filesystem::create_directory(in("gui"));
  }
  std::string in(const std::string& name) const { return files.file(name); }
  std::string cli(const std::string& arguments) const {
    const CliResult r = runCli(arguments, cliHome);
    EXPECT_EQ(r.exitCode, 0) << arguments << ": " << r.err;
    return r.out;
  }
  void answer(const std::string& name) { chooser.answers.push_back({name}); }
  // Each file in gui/ holds what its namesake in cli/ holds.
  void expectSameFiles(const std::vector<std::string>& names) const {
    for (const std::string& name : names) {
      const std::string bytes = readBytes(in("gui/" + name));
      EXPECT_FALSE(bytes.empty()) << name;
      EXPECT_TRUE(bytes == readBytes(in("cli/" + name))) << name;
    }
  }

  TempDir files;
  TempDir cliHome;
  GuiApp program;
  Application& app = *program.app;
  MainWindowModel main{app};
  ScriptedFileChooser chooser;
};

TEST_F(ProcessingMenuTest, SeriesCommandsOnTheDemoProject) {
  cli("process background " + in("n/demo.vgp") + " -o " + in("cli/b.fit"));
  cli("process jpeg " + in("n/demo.vgp") + " -o " + in("cli/p.jpg"));
  const std::string shift = cli("process crosscorr " + in("n/demo_001.fit") + " " + in("n/demo_002.fit"));

  ASSERT_EQ(app.openProject(in("n/demo.vgp"), false), ProjectLoadResult::Loaded);
  answer(in("gui/b"));  // typed without extension: the dialog's ".fit" is added
  runBackgroundSubtraction(app, chooser);
  ASSERT_EQ(app.openProject(in("n/demo.vgp"), false), ProjectLoadResult::Loaded);
  answer(in("gui/p.jpg"));
  runJpegExport(app, chooser);
  runCrossCorrelation(app);

  expectSameFiles({"b001.fit", "b002.fit", "b003.fit", "p001.JPG", "p002.JPG", "p003.JPG"});
  std::string said = program.script.messages.back();  // "dx= 1 dy= 2" where the CLI prints "dx=1 dy=2"
  for (std::size_t blank; (blank = said.find("= ")) != std::string::npos;) said.erase(blank + 1, 1);
  EXPECT_EQ(said + "\n", shift);
}

TEST_F(ProcessingMenuTest, FlatAndLinesOnASingleImageThenSaved) {
  cli("process flat " + in("n/demo_002.fit") + " --flat " + in("n/demo_003.fit") + " -o " + in("cli/c.fit"));
  cli("process lines " + in("n/demo_003.fit") + " --roi " + in("n/demo.roi") + " -o " + in("cli/l.fit"));

  ASSERT_TRUE(app.openSeries({in("n/demo_002.fit")}));
  answer(in("n/demo_003.fit"));
  flatCheckClicked(app, chooser, main, true);  // "Flat corr." checked asks for the master flat
  EXPECT_TRUE(app.series.controls.FlatCheck);
  answer(in("gui/c.fit"));
  runSaveImage(app, chooser);

  flatCheckClicked(app, chooser, main, false);  // the next image comes uncorrected
  ASSERT_TRUE(app.series.Load1Click(in("n/demo_003.fit")));
  ASSERT_TRUE(LoadROI(app.roiWindow, in("n/demo.roi"), false));
  app.roiWindow.AutocenterCheckBox = false;  // sky samples stay where they were placed
  app.roiWindow.UpdateROItable(0);
  runEliminateLines(app);
  answer(in("gui/l.fit"));
  runSaveImage(app, chooser);

  expectSameFiles({"c.fit", "l.fit"});
  EXPECT_EQ(chooser.titles, (std::vector<std::string>{kMasterFlatTitle, "", ""}));
  EXPECT_EQ(program.script.messages, std::vector<std::string>{});
}

TEST_F(ProcessingMenuTest, RawConversionAsksForTheChannel) {
  StandInConverter converter(program.dir.path().string());
  for (const char* folder : {"cli/", "gui/"}) writeBytes(in(std::string(folder) + "IMG_0001.CR2"), "raw");
  cli("process raw2fits --channel RGB " + in("cli/IMG_0001.CR2"));

  answer(in("gui/IMG_0001.CR2"));
  ColourChoice choice;  // opens on "G"
  QTimer::singleShot(0, [] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    for (QRadioButton* b : dialog->findChildren<QRadioButton*>())
      if (b->text() == "RGB") b->click();
    dialog->findChild<QPushButton*>()->click();
  });
  runRawToFits(nullptr, app, chooser, main, choice);

  expectSameFiles({"IMG_0001_R.fit", "IMG_0001_G.fit", "IMG_0001_B.fit"});
  EXPECT_EQ(app.series.filelist1, std::vector<std::string>{in("gui/IMG_0001.CR2")});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the hourglass is gone
}

}  // namespace
}  // namespace vargaze::test
