// The three export windows on the demo project after a light-curve run,
// driven through their widgets: each writes the bytes vargaze-cli writes with
// the same choices and the same configuration file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <functional>

#include "app/Application.h"
#include "demo/DemoWriter.h"
#include "export/FullExport.h"
#include "export/ShortExport.h"
#include "gui/AavsoExportWindow.h"
#include "gui/FileChooser.h"
#include "gui/FullExportWindow.h"
#include "gui/QtUi.h"
#include "gui/ShortExportWindow.h"
#include "series/LightCurveRun.h"
#include "support/CliRunner.h"
#include "support/EnvGuard.h"
#include "support/Lines.h"

namespace vargaze::test {
namespace {

class ExportWindows : public ::testing::Test {
 protected:
  ExportWindows() {
    writeBytes(ini_, "[Export]\r\nOBSCODE=XYZ\r\n");
    demo::writeDemoSeries({.frames = 8, .width = 160, .height = 130}, home_.path().string());
    ui.setScript(&script);
    ApplicationOptions options;
    options.iniPath = ini_;
    app = std::make_unique<Application>(ui, options);
    app->openProject(project_, false);
    EXPECT_EQ(Analyse1Click(app->series), RunResult::Completed);
  }
  // What vargaze-cli writes with `options`, after `export KIND PROJECT -o FILE`.
  std::string cli(const std::string& kind, const std::string& options) {
    const CliResult r = runCli("export " + kind + " " + quoted(project_) + " -o " +
                                   quoted(home_.file("cli.txt")) + " --config " + quoted(ini_) + options,
                               home_);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    cliErr = r.err;
    return readBytes(home_.file("cli.txt"));
  }
  // Runs `drive` on the modal window a show function opens.
  template <class Window>
  static void onWindow(std::function<void(Window&)> drive) {
    QTimer::singleShot(0, [drive] { drive(*qobject_cast<Window*>(QApplication::activeModalWidget())); });
  }

  TempDir home_;
  EnvGuard homeVariable_{"VARGAZE_HOME", home_.path().string()};
  const std::string ini_ = home_.file("export.ini"), project_ = home_.file(demo::kProjectFileName);
  UiScript script;
  QtUi ui;
  ScriptedFileChooser chooser;
  std::unique_ptr<Application> app;
  std::string cliErr;
};

TEST_F(ExportWindows, AavsoListsTheFindingsBeforeSavingAndWritesWhatTheCommandLineWrites) {
  ASSERT_TRUE(app->exportWindow().BAVAAVSODatenexport1Click());
  AavsoExportWindow window(*app, ui, chooser);
  window.delimiterGroup()->button(1)->click();   // ";"
  window.compCheckGroup()->button(1)->click();   // standardized magnitudes
  window.jdCorrEdit()->setText("20");
  emit window.jdCorrEdit()->textEdited("20");
  window.fillButton()->click();
  ASSERT_EQ(window.table()->model()->rowCount(), 8);

  // "Nein" to saving anyway: the findings, the ones the command line prints, stay
  // listed; no file dialog, nothing written.
  script.answers = {UiPort::Answer::No};
  window.saveButton()->click();
  const std::string expected = cli("aavso", " --delimiter ';' --standardized --jdcorr 20");
  std::vector<std::string> listed, printed = splitLines(cliErr);
  for (int i = 0; i < window.findingsList()->count(); ++i)
    listed.push_back(window.findingsList()->item(i)->text().toStdString());
  printed.pop_back();  // "saved 8 observation(s) to ..."
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(listed, printed);
  EXPECT_TRUE(script.questions.back().ends_with("Trotzdem speichern?"));
  EXPECT_TRUE(chooser.titles.empty());

  chooser.answers = {{home_.file("gui")}};  // ".csv" added as the dialog's default extension
  window.saveButton()->click();
  EXPECT_EQ(readBytes(home_.file("gui.csv")), expected);

  // A cell edited in the table is what is saved: the last line's "Comment" was "na".
  window.table()->model()->setData(window.table()->model()->index(7, 14), "cloudy");
  chooser.answers = {{home_.file("gui.csv")}};
  window.saveButton()->click();
  EXPECT_EQ(readBytes(home_.file("gui.csv")), expected.substr(0, expected.size() - 4) + "cloudy\r\n");
}

TEST_F(ExportWindows, StopKeepsTheRowsFilledSoFarAndTheNextFillRunsThrough) {
  ASSERT_TRUE(app->exportWindow().BAVAAVSODatenexport1Click());
  AavsoExportWindow window(*app, ui, chooser);
  window.fillButton()->click();
  const std::vector<AavsoRow> complete = app->exportWindow().rows;
  ASSERT_EQ(complete.size(), 8u);

  QTimer stopper;
  bool stopShown = false;
  QObject::connect(&stopper, &QTimer::timeout, [&] {
    if (app->exportWindow().rows.size() < 3) return;
    stopShown = !window.stopButton()->isHidden();
    window.stopButton()->click();
    stopper.stop();
  });
  stopper.start(0);
  window.fillButton()->click();
  EXPECT_TRUE(stopShown);  // more than five frames
  EXPECT_TRUE(window.stopButton()->isHidden());
  EXPECT_EQ(window.table()->model()->rowCount(), 3);
  EXPECT_EQ(app->exportWindow().rows, std::vector<AavsoRow>(complete.begin(), complete.begin() + 3));

  window.fillButton()->click();
  EXPECT_EQ(app->exportWindow().rows, complete);
}

TEST_F(ExportWindows, FullAndShortExportWriteWhatTheCommandLineWrites) {
  FullExportFields full;
  onWindow<FullExportWindow>([this](FullExportWindow& w) {
    chooser.answers = {{home_.file("full")}};
    w.fileButton()->click();
    w.roiNumberEdit()->setValue(1);
    w.delimiterGroup()->button(2)->click();  // "|"
    w.decimalGroup()->button(1)->click();    // ","
    w.saveButton()->click();
  });
  EXPECT_TRUE(showFullExport(nullptr, *app, chooser, full));
  EXPECT_EQ(readBytes(home_.file("full.csv")), cli("full", " --roi 1 --delimiter '|' --decimal ,"));

  ShortExportFields brief;
  onWindow<ShortExportWindow>([](ShortExportWindow& w) {
    w.roiEdit2()->setValue(5);
    w.airmassCheck()->setChecked(true);
    w.decimalGroup()->button(1)->click();  // the comma delimiter gives way to ";"
    EXPECT_TRUE(w.delimiterGroup()->button(1)->isChecked());
    w.okButton()->click();
  });
  chooser.answers = {{home_.file("short")}};  // no file name: the main window's dialog asks
  EXPECT_TRUE(showShortExport(nullptr, *app, chooser, brief));
  EXPECT_EQ(chooser.titles.back(), "Save to file");
  EXPECT_EQ(script.messages, std::vector<std::string>{"Feld-Trennzeichen darf nicht Komma sein!"});
  EXPECT_EQ(readBytes(home_.file("short.prn")),
            cli("short", " --roi2 5 --airmass --decimal , --delimiter ';'"));
}

}  // namespace
}  // namespace vargaze::test
