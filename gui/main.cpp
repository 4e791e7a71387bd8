// vargaze: the desktop program. An optional argument names a FITS frame or a
// project to open once the main window is up.
#include <QApplication>

#include "app/Application.h"
#include "gui/FileChooser.h"
#include "gui/Icons.h"
#include "gui/MainWindow.h"
#include "gui/QtUi.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vargaze3"));
  QApplication::setWindowIcon(vargaze::programIcon());  // every window shows it
  vargaze::QtUi ui;
  vargaze::QtFileChooser chooser;
  vargaze::Application app(ui);
  vargaze::MainWindow window(app, ui, chooser);
  chooser.setParentWidget(&window);
  window.show();
  if (argc > 1) window.startWith(argv[1]);
  return QApplication::exec();
}
