#include "workbench/system_menu.h"

#include <QMenu>

QString AboutMenuText() {
  return QStringLiteral("关于 glyphwright(&A)...");
}

QAction *AddAboutItem(QMenu *menu, const QString &text) {
  if (text.isEmpty())
    return nullptr;
  menu->addSeparator();
  QAction *about = menu->addAction(text);
  about->setData(kAboutCommandId);
  return about;
}
