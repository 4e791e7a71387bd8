// vargaze-screenshots OUTDIR: renders each window of the desktop program, on
// the demo project with its apertures, into PNG files for the README and for
// review. Runs on Qt's offscreen platform unless another one is asked for.
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/Application.h"
#include "app/SetupDialog.h"
#include "app/SnrForm.h"
#include "demo/DemoWriter.h"
#include "gui/AavsoExportWindow.h"
#include "gui/ColourChoiceDialog.h"
#include "gui/CurveSelectDialog.h"
#include "gui/CurveWindow.h"
#include "gui/FileChooser.h"
#include "gui/FileListDialog.h"
#include "gui/FullExportWindow.h"
#include "gui/InfoDialog.h"
#include "gui/MainWindow.h"
#include "gui/ProgressDialog.h"
#include "gui/QtUi.h"
#include "gui/RoiWindowWidget.h"
#include "gui/SetupDialog.h"
#include "gui/ShortExportWindow.h"
#include "gui/SnrDialog.h"
#include "gui/StarFinderWindow.h"
#include "gui/StarInfoWindow.h"

namespace {

bool save(QWidget& widget, const QString& folder, const char* name) {
  QTest::qWait(100);
  const QString path = folder + "/" + name + ".png";
  if (!widget.grab().save(path)) {
    std::cerr << "cannot write " << path.toStdString() << '\n';
    return false;
  }
  std::cout << path.toStdString() << '\n';
  return true;
}

// Answers every file dialog as cancelled, like the tests' chooser; when a
// picture name is set, the next dialog is first shown as Qt's own file dialog
// with the program's title, folder and filters, and saved.
class PictureChooser : public vargaze::ScriptedFileChooser {
 public:
  QString folder;
  const char* pictureName = nullptr;
  bool ok = true;

  std::vector<std::string> openFiles(const std::string& title, const std::string& dir,
                                     const std::string& filter) override {
    picture(title, dir, filter, QFileDialog::ExistingFiles);
    return ScriptedFileChooser::openFiles(title, dir, filter);
  }
  std::string openFile(const std::string& title, const std::string& dir,
                       const std::string& filter) override {
    picture(title, dir, filter, QFileDialog::ExistingFile);
    return ScriptedFileChooser::openFile(title, dir, filter);
  }
  std::string saveFile(const std::string& title, const std::string& dir, const std::string& filter,
                       const std::string& proposed) override {
    picture(title, dir, filter, QFileDialog::AnyFile);
    return ScriptedFileChooser::saveFile(title, dir, filter, proposed);
  }

 private:
  void picture(const std::string& title, const std::string& dir, const std::string& filter,
               QFileDialog::FileMode mode) {
    if (pictureName == nullptr) return;
    QFileDialog dialog(nullptr, QString::fromStdString(title), QString::fromStdString(dir),
                       QString::fromStdString(filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(mode);
    if (mode == QFileDialog::AnyFile) dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.resize(760, 460);
    dialog.show();
    ok = save(dialog, folder, pictureName) && ok;
    pictureName = nullptr;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: vargaze-screenshots OUTDIR\n";
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(out);
  QTemporaryDir home;
  ::setenv("VARGAZE_HOME", home.path().toLocal8Bit().constData(), 1);
  const std::string demoDir = (home.path() + "/demo").toStdString();
  vargaze::demo::writeDemoSeries({}, demoDir);

  using namespace vargaze;
  UiScript script;
  script.answers = {UiPort::Answer::No};  // "Lichtkurve darstellen?"
  QtUi ui;
  ui.setScript(&script);
  PictureChooser chooser;
  chooser.folder = out;
  Application app(ui);
  MainWindow window(app, ui, chooser);
  window.resize(1280, 800);
  window.show();
  window.startWith(demoDir + "/demo.vgp");
  QTest::qWait(300);
  window.run(Command::ROIInfoTabelle1);
  bool ok = save(window, out, "main-window");
  ok = save(*window.roiWindow(), out, "roi-window") && ok;

  // The image window alone, with the track-star circle and a rectangle drawn.
  app.settings.ShowTrackstar = true;
  app.imageView.Rect1 = ScreenRect{60, 200, 200, 330};
  window.refresh();
  ok = save(*window.imageSubWindow(), out, "image-window") && ok;

  window.run(Command::Fitsheader1);
  window.run(Command::Tile1);
  ok = save(window, out, "fits-header") && ok;

  FileListDialog fileList(chooser, app.series.filelist1, &window);
  fileList.show();
  ok = save(fileList, out, "file-list") && ok;

  InfoDialog info(&window);
  info.showInfo();
  ok = save(info, out, "info") && ok;

  ColourChoice choice;
  ColourChoiceDialog colour(choice, false, &window);
  colour.show();
  ok = save(colour, out, "colour-channel") && ok;

  app.starInfo.prepare(app.roiWindow, 2, 1, "", "");
  StarInfoWindow starInfo(app.starInfo, app.roiWindow, &window);
  starInfo.show();
  ok = save(starInfo, out, "stern-info") && ok;

  SnrForm snr(app.roiWindow);
  snr.FormShow();
  SnrDialog snrDialog(snr, &window);
  snrDialog.show();
  ok = save(snrDialog, out, "snr-berechnung") && ok;

  StarFinderWindow finder(app, ui, &window);
  finder.show();
  ok = save(finder, out, "star-finder") && ok;

  SetupForm setup(app.roiWindow);
  setup.FormShow();
  SetupDialog setupDialog(setup, &window);
  setupDialog.show();
  const char* tabNames[] = {"setup-camera", "setup-photometry", "setup-export",
                            "setup-transformation", "setup-site"};
  for (int tab = 0; tab < 5; ++tab) {
    setupDialog.tabs()->setCurrentIndex(tab);
    ok = save(setupDialog, out, tabNames[tab]) && ok;
  }
  setupDialog.hide();

  // The light curve with smoothed lines, its selection dialog, then the
  // export windows after it.
  window.run(Command::Analyse1);
  CurveWindow& curve = *window.curveWindow();
  curve.findChild<QToolButton*>("LineButton")->click();
  curve.findChild<QSpinBox*>("SmvalueEdit")->setValue(2);
  ok = save(curve, out, "light-curve") && ok;
  curve.findChild<QPushButton*>("AuswahlButton")->click();
  ok = save(*curve.selectDialog(), out, "curve-selection") && ok;
  curve.selectDialog()->reject();
  curve.hide();
  app.exportWindow().BAVAAVSODatenexport1Click();
  AavsoExportWindow aavso(app, ui, chooser, &window);
  aavso.show();
  aavso.fillButton()->click();
  ok = save(aavso, out, "aavso-export") && ok;
  aavso.hide();
  FullExportFields fullFields;
  FullExportWindow full(app, chooser, fullFields, &window);
  full.show();
  ok = save(full, out, "full-export") && ok;
  full.hide();
  ShortExportFields shortFields;
  ShortExportWindow shortExport(app, chooser, shortFields, &window);
  shortExport.show();
  ok = save(shortExport, out, "short-export") && ok;
  shortExport.hide();

  // The processing menu's file dialogs.
  const std::pair<Command, const char*> processingDialogs[] = {
      {Command::Backgroundsubtraction1, "processing-save-fits"},
      {Command::Flatkorrektur1, "processing-master-flat"},
      {Command::RawtoFitskonvertieren1, "processing-raw-files"},
      {Command::getDCFtime1, "processing-dcf-table"},
  };
  for (const auto& [command, name] : processingDialogs) {
    chooser.pictureName = name;
    window.run(command);
    if (chooser.pictureName != nullptr) {
      std::cerr << "no file dialog for " << name << '\n';
      ok = false;
    }
  }
  ok = chooser.ok && ok;

  ProgressDialog progress(&window);
  progress.start(40, "Kurvengenerierung..", "Abbrechen");
  for (int i = 0; i < 15; ++i) progress.step();
  ok = save(progress, out, "progress") && ok;
  return ok ? 0 : 1;
}
