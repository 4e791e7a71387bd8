#include "gui/MainWindow.h"

#include <algorithm>
#include <filesystem>

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "app/Application.h"
#include "base/Strings.h"
#include "config/ProgramFolder.h"
#include "gui/ColourChoiceDialog.h"
#include "gui/AavsoExportWindow.h"
#include "gui/CurveWindow.h"
#include "gui/DisplayPanel.h"
#include "gui/FileChooser.h"
#include "gui/FileListDialog.h"
#include "gui/FitsHeaderWindow.h"
#include "gui/FullExportWindow.h"
#include "gui/Icons.h"
#include "gui/ImageWidget.h"
#include "gui/ImageWindow.h"
#include "gui/InfoDialog.h"
#include "gui/ProgressDialog.h"
#include "gui/QtUi.h"
#include "gui/ProcessingMenu.h"
#include "gui/RoiWindowWidget.h"
#include "gui/SetupMenu.h"
#include "gui/ShortExportWindow.h"
#include "gui/StarFinderWindow.h"
#include "gui/StarInfoWindow.h"
#include "photometry/RoiFile.h"

namespace vargaze {

namespace {

QString qt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Fits files (*.fit *.fits *.fts);;..." for the Qt file dialogs.
std::string dialogFilter(const std::vector<FileFilter>& filters) {
  std::string text;
  for (const FileFilter& filter : filters) {
    if (!text.empty()) text += ";;";
    text += filter.name + " (";
    for (std::size_t i = 0; i < filter.patterns.size(); ++i) {
      text += (i > 0 ? " " : "") + filter.patterns[i];
    }
    text += ")";
  }
  return text;
}

std::string existingFolder(const std::string& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_directory(folder, error) ? folder : std::string();
}

}  // namespace

MainWindow::MainWindow(Application& app, QtUi& ui, FileChooser& chooser, QWidget* parent)
    : QMainWindow(parent), app_(app), ui_(ui), chooser_(chooser), model_(app), mouse_(app, model_) {
  setWindowTitle(QStringLiteral("VARGAZE"));
  setWindowIcon(programIcon());
  resize(app.settings.WindowWidth, app.settings.WindowHeight);
  restoreLayout();
  ui_.setParentWidget(this);

  mdi_ = new QMdiArea(this);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);

  buildRoiWindow();
  curveWindow_ = new CurveWindow(app_, chooser_, this);
  // Live and Stop on the curve window start or stop the folder scans.
  connect(curveWindow_, &CurveWindow::liveModeChanged, this, &MainWindow::refresh);
  bindCommands();
  buildMenus();
  buildToolBar();
  buildStatusBar();
  buildTimers();
  refresh();
}

MainWindow::~MainWindow() { ui_.setParentWidget(nullptr); }

void MainWindow::bindCommands() {
  using enum Command;
  handlers_ = {
      {Load1, [this] { openSingleImage(); }},
      {Serieladen1, [this] { openSeries(); }},
      {LoadProject1, [this] { openProject(); }},
      {SaveProject1, [this] { saveProject(); }},
      {SaveProject2, [this] { saveProject(); }},
      {Analyse1, [this] { model_.Analyse1Click(projectNameChooser()); }},
      {Autolightcurve1, [this] { model_.Autolightcurve1Click(); }},
      {BVRIanalyse, [this] { model_.BVRIanalyseClick(projectNameChooser()); }},
      {SaveROIs1, [this] { saveRoiFile(); }},
      {Setup2,
       [this] {
         showConfigStatus(runSetupCommand(this, app_, chooser_));
         // The frame shown takes the setup's zoom at once.
         app_.series.ZoomfactorComboboxChange(app_.series.controls.ZoomIndex);
       }},
      {Backgroundsubtraction1, [this] { runBackgroundSubtraction(app_, chooser_); }},
      {EliminateLines, [this] { runEliminateLines(app_); }},
      {test11, [this] { runCrossCorrelation(app_); }},
      {Flatkorrektur1, [this] { runFlatCorrection(app_, chooser_, model_); }},
      {Saveimage1, [this] { runSaveImage(app_, chooser_); }},
      {RawtoFitskonvertieren1,
       [this] { runRawToFits(this, app_, chooser_, model_, colourChoice_); }},
      {JPGexport, [this] { runJpegExport(app_, chooser_); }},
      {setDCFmarker1, [this] { runSetDcfMarker(app_, model_); }},
      {getDCFtime1, [this] { runGetDcfTime(app_, chooser_); }},
      {BAVAAVSODatenexport1, [this] { showAavsoExport(this, app_, ui_, chooser_); }},
      {Datenexportkomplett1, [this] { showFullExport(this, app_, chooser_, fullExportFields_); }},
      {Datenexport1, [this] { showShortExport(this, app_, chooser_, shortExportFields_); }},
      {Einstellungenladen1, [this] { showConfigStatus(runLoadSettings(app_, chooser_)); }},
      {Einstellungenspeichern1, [this] { showConfigStatus(runSaveSettings(app_, chooser_)); }},
      {Fitsheader1, [this] { showFitsHeader(); }},
      {EditSeries, [this] { editSeries(); }},
      {Exit1, [this] { close(); }},
      {MROIneu, [this] { roiButtonClicked(true); }},
      {MROIedit, [this] { moveButtonClicked(true); }},
      {DrawRectangle, [this] { mouse_.DrawRectangleClick(); }},
      {LoadROIs1, [this] { loadRoiFile(); }},
      {ROIPositionenfixieren1, [this] { model_.ROIPositionenfixieren1Click(); }},
      {mROIreset, [this] { model_.mROIresetClick(); }},
      {ClearROIs1, [this] { model_.ClearROIs1Click(); }},
      {SaveResultTable1, [this] { saveResultTable(); }},
      {Tile1, [this] { mdi_->tileSubWindows(); }},
      {ROIInfoTabelle1, [this] { showRoiWindow(); }},
      {findstars1, [this] { findStars(); }},
      {htmlhelp1, [this] { openManual(); }},
      {Info1, [this] { showInfo(); }},
  };
}

void MainWindow::buildMenus() {
  std::map<std::string_view, QMenu*> menus;
  for (std::string_view title : menuTitles()) {
    QMenu* menu = menuBar()->addMenu(qt(title));
    menu->menuAction()->setVisible(model_.menuVisible(title));
    menus[title] = menu;
  }
  for (const MenuItem& item : menuMap()) {
    QAction* action = menus.at(item.menu)->addAction(qt(item.caption));
    const Command command = item.command;
    connect(action, &QAction::triggered, this, [this, command] { run(command); });
    actions_[command] = action;
  }
  action(Command::Serieladen1)->setShortcut(QKeySequence::Open);
  action(Command::LoadProject1)->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  action(Command::SaveProject1)->setShortcut(QKeySequence::Save);
  action(Command::Analyse1)->setShortcut(QKeySequence(Qt::Key_F5));
  action(Command::Exit1)->setShortcut(QKeySequence::Quit);
  // Next and previous frame, as the frame slider steps.
  auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right), this);
  auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left), this);
  connect(next, &QShortcut::activated, this, [this] { stepFrame(1); });
  connect(previous, &QShortcut::activated, this, [this] { stepFrame(-1); });
}

void MainWindow::buildToolBar() {
  QToolBar* tools = addToolBar(QStringLiteral("Werkzeuge"));
  tools->setObjectName("tools");
  tools->setMovable(false);
  tools->setIconSize(QSize(22, 22));
  auto button = [&](const char* icon, const char* hint, bool checkable) {
    auto* b = new QToolButton(tools);
    b->setIcon(themedIcon(icon));
    b->setToolTip(QString::fromUtf8(hint));
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    tools->addWidget(b);
    return b;
  };
  connect(button("document-open", "Bildserie laden", false), &QToolButton::clicked, this,
          [this] { run(Command::Serieladen1); });
  connect(button("document-properties", "Fitsheader anzeigen", false), &QToolButton::clicked,
          this, [this] { run(Command::Fitsheader1); });
  connect(button("document-edit", "Dateiliste bearbeiten", false), &QToolButton::clicked, this,
          [this] { run(Command::EditSeries); });
  tools->addSeparator();
  roiButton_ = button("draw-rectangle", "Neue ROI-Markierung setzen", true);
  moveButton_ = button("transform-move", "ROI-Markierungen verschieben", true);
  connect(roiButton_, &QToolButton::clicked, this, &MainWindow::roiButtonClicked);
  connect(moveButton_, &QToolButton::clicked, this, &MainWindow::moveButtonClicked);
  connect(button("view-list-details", "ROI Info Tabelle", false), &QToolButton::clicked, this,
          [this] { run(Command::ROIInfoTabelle1); });

  addToolBarBreak();
  QToolBar* display = addToolBar(QStringLiteral("Anzeige"));
  display->setObjectName("display");
  display->setMovable(false);
  panel_ = new DisplayPanel(app_.series, display);
  display->addWidget(panel_);
  connect(panel_, &DisplayPanel::changed, this, &MainWindow::refresh);
  connect(panel_, &DisplayPanel::flatClicked, this, [this](bool checked) {
    guarded([&] { flatCheckClicked(app_, chooser_, model_, checked); });
    refresh();
  });
}

void MainWindow::buildStatusBar() {
  status0_ = new QLabel(statusBar());
  status1_ = new QLabel(statusBar());
  status0_->setMinimumWidth(300);
  status1_->setMinimumWidth(200);
  statusBar()->addWidget(status0_);
  statusBar()->addWidget(status1_, 1);
}

void MainWindow::buildTimers() {
  timer1_ = new QTimer(this);
  timer1_->setInterval(1000);
  connect(timer1_, &QTimer::timeout, this, [this] {
    if (model_.Timer1Timer()) refresh();
    refreshCommandStates();
  });
  timer1_->start();
  blinkTimer_ = new QTimer(this);
  blinkTimer_->setInterval(500);
  connect(blinkTimer_, &QTimer::timeout, this, [this] {
    guarded([this] { app_.series.BlinkTimerTimer(); });
    refresh();
  });
  // One folder scan at a time: the next is due an interval after a cycle ends.
  autoCurveTimer_ = new QTimer(this);
  autoCurveTimer_->setSingleShot(true);
  connect(autoCurveTimer_, &QTimer::timeout, this, [this] {
    liveCycleRunning_ = true;  // events run between its files: no second cycle meanwhile
    guarded([this] { app_.live.cycle(); });
    liveCycleRunning_ = false;
    refresh();
  });
  infoTimer_ = new QTimer(this);
  infoTimer_->setSingleShot(true);
  infoTimer_->setInterval(InfoWindow::kHideIntervalMs);
  connect(infoTimer_, &QTimer::timeout, this, [this] {
    if (info_ != nullptr) info_->hide();
  });
}

void MainWindow::stepFrame(int step) {
  Series& series = app_.series;
  if (series.FramesLoaded <= 0 || !model_.frameControlsEnabled()) return;
  const std::int32_t frame = std::clamp(series.Activeframe() + step, 1, series.FramesLoaded);
  if (frame != series.Activeframe()) guarded([&] { series.BlinkScrollBarChange(frame); });
  refresh();
}

void MainWindow::showConfigStatus(const std::string& text) {
  if (!text.empty()) model_.statusPanel0 = text;
}

void MainWindow::guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ui_.showMessage(e.what());
  } catch (...) {
    ui_.showMessage("Unbekannter Fehler");
  }
}

void MainWindow::run(Command command) {
  const auto handler = handlers_.find(command);
  if (handler == handlers_.end() || !model_.enabled(command) || searching()) return;
  guarded(handler->second);
  refresh();
}

void MainWindow::startWith(const std::string& argument) {
  QTimer::singleShot(0, this, [this, argument] {
    guarded([&] { model_.commandLineStart(argument); });
    refresh();
  });
}

void MainWindow::refresh() {
  panel_->sync(model_.frameControlsEnabled());
  refreshImageWindow();
  roiWindow_->refresh();
  status0_->setText(QString::fromStdString(model_.statusPanel0));
  status1_->setText(QString::fromStdString(model_.statusPanel1));
  roiButton_->setChecked(model_.ROIbuttonDown);
  moveButton_->setChecked(model_.MoveRoiButtonDown);
  if (model_.roiWindowShown) {
    model_.roiWindowShown = false;
    showRoiWindow();
  }
  // A run, a project with its curve or a live cycle shows the curve at once.
  curveWindow_->followCurve();
  curveWindow_->refreshLive();
  if (app_.live.timerEnabled() && !autoCurveTimer_->isActive() && !liveCycleRunning_) {
    autoCurveTimer_->start(app_.live.intervalMs());
  } else if (!app_.live.timerEnabled()) {
    autoCurveTimer_->stop();
  }
  if (app_.series.BlinkTimerEnabled != blinkTimer_->isActive()) {
    if (app_.series.BlinkTimerEnabled) {
      blinkTimer_->start();
    } else {
      blinkTimer_->stop();
    }
  }
  refreshCommandStates();
}

void MainWindow::refreshCommandStates() {
  for (const auto& [command, action] : actions_) {
    action->setVisible(model_.visible(command));
    action->setEnabled(handlers_.count(command) > 0 && model_.enabled(command) && !searching());
  }
}

void MainWindow::refreshImageWindow() {
  const ImageView& view = app_.imageView;
  if (imageWindow_ == nullptr) {
    if (view.generation() == 0) return;
    createImageWindow();
  }
  const ImageCursor cursor = model_.cursor;
  imageWindow_->imageWidget()->setCursor(cursor == ImageCursor::Cross  ? Qt::CrossCursor
                                         : cursor == ImageCursor::Drag ? Qt::SizeAllCursor
                                                                       : Qt::ArrowCursor);
  if (shownGeneration_ == view.generation()) {
    imageWindow_->imageWidget()->update();  // overlays may have moved
    return;
  }
  shownGeneration_ = view.generation();
  imageWindow_->refresh();
  imageSub_->setWindowTitle(QString::fromStdString(view.title()));
  const ScreenPoint client = view.clientSize(mdi_->viewport()->width(), mdi_->viewport()->height() + 150);
  const QMargins frame = imageSub_->contentsMargins();
  imageSub_->resize(client.x + frame.left() + frame.right() + 4,
                    client.y + frame.top() + frame.bottom() + 4);
  if (headerWindow_ != nullptr && app_.series.img) headerWindow_->load(app_.series.img->fitsheader);
}

void MainWindow::createImageWindow() {
  imageWindow_ = new ImageWindow(app_.imageView);
  imageSub_ = mdi_->addSubWindow(imageWindow_);
  imageSub_->setAttribute(Qt::WA_DeleteOnClose, false);
  connect(imageWindow_, &ImageWindow::readoutChanged, this, [this](const QString& text) {
    if (mouse_.DoRect1) return;  // the rectangle is being drawn
    model_.statusPanel1 = text.toStdString();
    status1_->setText(text);
  });
  connect(imageWindow_, &ImageWindow::pressed, this,
          [this](QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers) {
            guarded([&] { mouse_.press(button == Qt::LeftButton ? MouseButton::Left : MouseButton::Right, at.x(), at.y()); });
          });
  connect(imageWindow_, &ImageWindow::moved, this, [this](QPoint at) {
    if (!mouse_.DoRect1) return;
    mouse_.move(at.x(), at.y());
    imageWindow_->imageWidget()->update();
  });
  connect(imageWindow_, &ImageWindow::released, this, &MainWindow::mouseReleased);
  imageSub_->show();
}

void MainWindow::mouseReleased(QPoint at, Qt::MouseButton button,
                               Qt::KeyboardModifiers modifiers) {
  guarded([&] {
    mouse_.release(button == Qt::LeftButton ? MouseButton::Left : MouseButton::Right,
                   (modifiers & Qt::ShiftModifier) != 0, at.x(), at.y());
  });
  if (mouse_.starInfoFor > 0) {
    mouse_.starInfoFor = 0;
    refresh();
    guarded([&] {
      if (showStarInfo(this, app_)) app_.roiWindow.UpdateROItable(0);
    });
  }
  refresh();
}

void MainWindow::roiButtonClicked(bool down) {
  if (!model_.enabled(Command::MROIneu)) return;
  guarded([&] { model_.ROIbuttonClick(down); });
  refresh();
}

void MainWindow::moveButtonClicked(bool down) {
  if (!model_.enabled(Command::MROIedit)) return;
  guarded([&] { model_.MoveRoiButtonClick(down); });
  refresh();
}

void MainWindow::openSeries() {
  const std::vector<std::string> files =
      chooser_.openFiles(std::string(MainWindowModel::kSeriesDialogTitle),
                         existingFolder(app_.settings.StartupDir),
                         dialogFilter(model_.seriesDialogFilters()));
  if (files.empty()) return;
  app_.openSeries(files, [this] { return askRGBColorNumber(this, colourChoice_); });
}

void MainWindow::openSingleImage() {
  const std::string file = chooser_.openFile(std::string(MainWindowModel::kSeriesDialogTitle),
                                             existingFolder(app_.series.imagepath),
                                             dialogFilter(model_.seriesDialogFilters()));
  if (!file.empty()) app_.series.Load1Click(file);
}

// The folder `remembered` if it still exists, else `fallback`.
std::string MainWindow::lastFolder(const std::string& remembered, const std::string& fallback) {
  const std::string folder = existingFolder(remembered);
  return folder.empty() ? existingFolder(fallback) : folder;
}

void MainWindow::openProject() {
  model_.LoadProject1Click([this] {
    const std::string file = chooser_.openFile(
        "Vargaze Projekt laden", lastFolder(app_.settings.ProjectDir, app_.settings.StartupDir),
        "Vargaze Projekt (*.vgp)");
    if (!file.empty()) app_.settings.ProjectDir = justpathname(file);
    return file;
  });
}

MainWindowModel::ChooseProjectName MainWindow::projectNameChooser() {
  return [this](const std::string& proposed) {
    const std::filesystem::path offered(proposed);
    const std::string file = chooser_.saveFile(
        "Vargaze Projekt speichern", existingFolder(offered.parent_path().string()),
        "Vargaze Projekt (*.vgp)", offered.filename().string());
    if (!file.empty()) app_.settings.ProjectDir = justpathname(file);
    return file;
  };
}

void MainWindow::saveProject() { model_.SaveProject1Click(projectNameChooser()); }

void MainWindow::showFitsHeader() {
  if (headerWindow_ == nullptr) {
    headerWindow_ = new FitsHeaderWindow;
    headerSub_ = mdi_->addSubWindow(headerWindow_);
    headerSub_->setAttribute(Qt::WA_DeleteOnClose, false);
    headerSub_->resize(640, 420);
  }
  if (app_.series.img) headerWindow_->load(app_.series.img->fitsheader);
  headerSub_->showNormal();
  headerSub_->raise();
}

void MainWindow::editSeries() {
  std::vector<std::string> lines = app_.series.filelist1;
  if (!editFileList(this, chooser_, lines)) return;
  if (!app_.series.editFileList(lines)) ui_.showMessage("Die Dateiliste ist leer.");
}

// The ROI window lives as long as the program, so the configured aperture
// sizes apply once, before a project brings its own.
void MainWindow::buildRoiWindow() {
  roiWindow_ = new RoiWindowWidget(app_);
  roiWindowSub_ = mdi_->addSubWindow(roiWindow_, Qt::SubWindow | Qt::WindowStaysOnTopHint);
  roiWindowSub_->setAttribute(Qt::WA_DeleteOnClose, false);
  roiWindowSub_->resize(roiWindow_->sizeHint());
  roiWindowSub_->hide();
  connect(roiWindow_, &RoiWindowWidget::starInfoRequested, this, [this](int) {
    guarded([this] { showStarInfo(this, app_); });
  });
  connect(roiWindow_, &RoiWindowWidget::roisChanged, this, &MainWindow::refresh);
}

// At half the main window's width, as far as the frame leaves room for it.
void MainWindow::showRoiWindow() {
  const QSize area = mdi_->viewport()->size();
  roiWindowSub_->resize(roiWindow_->sizeHint().boundedTo(area));
  roiWindowSub_->move(std::max(0, std::min(width() / 2, area.width() - roiWindowSub_->width())), 0);
  roiWindowSub_->showNormal();
  roiWindowSub_->raise();
  roiWindow_->refresh();
}

bool MainWindow::searching() const { return starFinder_ != nullptr && starFinder_->searching(); }

void MainWindow::findStars() {
  if (starFinder_ == nullptr) starFinder_ = new StarFinderWindow(app_, ui_, this);
  starFinder_->run();
}

void MainWindow::showInfo() {
  if (info_ == nullptr) info_ = new InfoDialog(this);
  info_->show();
  info_->raise();
  infoTimer_->start();
}

void MainWindow::openManual() {
  const std::string manual = findProgdir() + "vargazev38.pdf";
  if (!std::filesystem::exists(manual)) {
    ui_.showMessage("Programm-Anleitung nicht gefunden: " + manual);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(manual)));
}

void MainWindow::saveResultTable() {
  const std::string file = chooser_.saveFile("ROI-Tabelle speichern",
                                             existingFolder(app_.series.imagepath),
                                             "Text files (*.txt)", "");
  if (!file.empty()) SaveROITable(app_.roiWindow, file);
}

void MainWindow::saveRoiFile() {
  const std::string file = chooser_.saveFile(
      "ROI Datei speichern", lastFolder(app_.settings.RoiDir, app_.series.imagepath),
      "ROI file (*.roi)", "");
  if (file.empty()) return;
  app_.settings.RoiDir = justpathname(file);
  SaveROI(app_.roiWindow, file);  // tells itself when the file cannot be written
}

void MainWindow::loadRoiFile() {
  model_.LoadROIs1Click([this] {
    const std::string file = chooser_.openFile(
        "ROI Datei laden", lastFolder(app_.settings.RoiDir, app_.series.imagepath),
        "ROI file (*.roi)");
    if (!file.empty()) app_.settings.RoiDir = justpathname(file);
    return file;
  });
}

void MainWindow::restoreLayout() {
  const Settings& s = app_.settings;
  if (s.WindowLeft >= 0 && s.WindowTop >= 0) move(s.WindowLeft, s.WindowTop);
  if (s.WindowMaximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A maximised window keeps the size it returns to.
  const QRect normal = isMaximized() ? normalGeometry() : geometry();
  app_.settings.WindowLeft = std::max(0, normal.x());
  app_.settings.WindowTop = std::max(0, normal.y());
  app_.settings.WindowMaximized = isMaximized();
  if (!model_.FormCloseQuery(normal.width(), normal.height())) {
    event->ignore();
    return;
  }
  if (app_.busy()) {
    // The run stops at its next look at the cancel button; close after it.
    QPushButton* cancel = ui_.progressWindow().cancelButton();
    if (cancel->isEnabled()) cancel->click();
    event->ignore();
    QTimer::singleShot(200, this, &QWidget::close);
    return;
  }
  event->accept();
}

}  // namespace vargaze
