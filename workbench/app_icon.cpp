#include "workbench/app_icon.h"

// Q_INIT_RESOURCE must be used outside any namespace. Without a reference to
// it the linker drops the resource object from the static library.
static void RegisterResources() {
  Q_INIT_RESOURCE(glyphwright);
}

QIcon AppIcon() {
  static const bool registered = (RegisterResources(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/glyphwright.png"));
}
