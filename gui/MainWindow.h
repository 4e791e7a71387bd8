// The main window "VARGAZE": an MDI frame with the menus, the tool buttons,
// the panel of display controls, the status bar and the timers. It shows the
// state of the application and its main-window model and forwards every
// command to them; a command that throws ends with a message, never a crash.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include <QMainWindow>

#include "app/ColourChoice.h"
#include "app/ImageMouse.h"
#include "app/MainWindow.h"
#include "export/FullExport.h"
#include "export/ShortExport.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTimer;
class QToolButton;

namespace vargaze {

class Application;
class CurveWindow;
class DisplayPanel;
class FileChooser;
class FitsHeaderWindow;
class ImageWindow;
class InfoDialog;
class QtUi;
class RoiWindowWidget;
class StarFinderWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(Application& app, QtUi& ui, FileChooser& chooser, QWidget* parent = nullptr);
  ~MainWindow() override;

  MainWindowModel& model() { return model_; }
  QAction* action(Command command) const { return actions_.at(command); }
  DisplayPanel* displayPanel() const { return panel_; }
  // Created by the first frame shown; null before.
  ImageWindow* imageWindow() const { return imageWindow_; }
  QMdiSubWindow* imageSubWindow() const { return imageSub_; }
  QLabel* statusPanel(int index) const { return index == 0 ? status0_ : status1_; }
  QTimer* blinkTimer() const { return blinkTimer_; }
  QTimer* autoCurveTimer() const { return autoCurveTimer_; }
  RoiWindowWidget* roiWindow() const { return roiWindow_; }
  // "Kurven": hidden until there is a curve, then it follows it.
  CurveWindow* curveWindow() const { return curveWindow_; }

  // Handles the file named on the command line once the window is up.
  void startWith(const std::string& argument);
  // Runs one command as its menu item would.
  void run(Command command);
  // Shows what the engine holds now: controls, image, menus, status.
  void refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildToolBar();
  void buildStatusBar();
  void buildTimers();
  void bindCommands();
  void guarded(const std::function<void()>& command);
  void restoreLayout();
  void showConfigStatus(const std::string& text);
  void stepFrame(int step);
  static std::string lastFolder(const std::string& remembered, const std::string& fallback);

  void openSeries();
  void openSingleImage();
  void openProject();
  void saveProject();
  MainWindowModel::ChooseProjectName projectNameChooser();
  void showFitsHeader();
  void editSeries();
  void buildRoiWindow();
  void showRoiWindow();
  void findStars();
  bool searching() const;
  void showInfo();
  void openManual();
  void saveResultTable();
  void loadRoiFile();
  void saveRoiFile();
  void roiButtonClicked(bool down);
  void moveButtonClicked(bool down);
  void refreshImageWindow();
  void createImageWindow();
  void mouseReleased(QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void refreshCommandStates();

  Application& app_;
  QtUi& ui_;
  FileChooser& chooser_;
  MainWindowModel model_;
  ImageMouse mouse_;
  ColourChoice colourChoice_;
  FullExportFields fullExportFields_;    // the export windows keep their choices
  ShortExportFields shortExportFields_;
  std::map<Command, QAction*> actions_;
  std::map<Command, std::function<void()>> handlers_;
  QMdiArea* mdi_ = nullptr;
  DisplayPanel* panel_ = nullptr;
  QToolButton* roiButton_ = nullptr;
  QToolButton* moveButton_ = nullptr;
  QLabel* status0_ = nullptr;
  QLabel* status1_ = nullptr;
  QTimer* timer1_ = nullptr;
  QTimer* blinkTimer_ = nullptr;
  QTimer* infoTimer_ = nullptr;
  QTimer* autoCurveTimer_ = nullptr;
  ImageWindow* imageWindow_ = nullptr;
  QMdiSubWindow* imageSub_ = nullptr;
  FitsHeaderWindow* headerWindow_ = nullptr;
  QMdiSubWindow* headerSub_ = nullptr;
  RoiWindowWidget* roiWindow_ = nullptr;
  QMdiSubWindow* roiWindowSub_ = nullptr;
  CurveWindow* curveWindow_ = nullptr;
  StarFinderWindow* starFinder_ = nullptr;
  InfoDialog* info_ = nullptr;
  std::uint64_t shownGeneration_ = 0;
  bool liveCycleRunning_ = false;
};

}  // namespace vargaze
