#pragma once
#include <QIcon>

// The application icon from the program's resources. The resources live in a
// static library, so this also makes sure they are registered.
QIcon AppIcon();
