#pragma once
// The main window's message for a failure the user can fix: modal, warning
// icon, one OK button, the program's name as its title.
class QString;
class QWidget;

void ShowWarningMessage(QWidget *parent, const QString &text);
