// Icons: tool buttons take theirs from the desktop's icon theme by standard
// name, with Breeze behind it, so the program looks native everywhere.
#pragma once

#include <QIcon>

namespace vargaze {

// The theme's icon `name` ("document-open", "zoom-in", ...); null when no
// theme has it.
QIcon themedIcon(const char* name);

// The program's own icon, from the resources.
QIcon programIcon();

}  // namespace vargaze
