#pragma once
// The window-menu entries of the main window. Linux window managers own the
// real window menu, so the dialog shows these in the context menu of its
// background and on F1.
#include <QString>

class QAction;
class QMenu;

// Command ID of the About item; commands compare with the low four bits clear.
inline constexpr int kAboutCommandId = 0x10;

// The About item's caption.
QString AboutMenuText();

// Appends a separator and the About item with `text`; an empty text adds
// nothing and returns null.
QAction *AddAboutItem(QMenu *menu, const QString &text);

// True for the command IDs that mean "About".
constexpr bool IsAboutCommand(int commandId) {
  return (commandId & 0xFFF0) == kAboutCommandId;
}
