#include "gui/Icons.h"

#include <QStandardPaths>
#include <QStringList>

// Resources of a static library are registered by hand, or the linker may
// drop them; outside any namespace, as the macro requires.
static void registerResources() { Q_INIT_RESOURCE(vargaze); }

namespace vargaze {

QIcon themedIcon(const char* name) {
  static const bool themeSet = [] {
    // Platforms without a desktop theme plugin (offscreen, minimal) search
    // only the resources; the system's icon folders are added by hand.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& folder : QStandardPaths::locateAll(
             QStandardPaths::GenericDataLocation, "icons", QStandardPaths::LocateDirectory)) {
      if (!paths.contains(folder)) paths << folder;
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName("breeze");
    // Without a desktop session (offscreen, a bare window manager) there is
    // no system theme at all; Breeze then is the theme.
    if (QIcon::themeName().isEmpty()) QIcon::setThemeName("breeze");
    return true;
  }();
  (void)themeSet;
  return QIcon::fromTheme(QString::fromLatin1(name));
}

QIcon programIcon() {
  static const bool registered = (registerResources(), true);
  (void)registered;
  return QIcon(":/vargaze.svg");
}

}  // namespace vargaze
