#include "workbench/message_box.h"

#include <QMessageBox>

void ShowWarningMessage(QWidget *parent, const QString &text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("glyphwright"), text, QMessageBox::Ok,
                  parent);
  box.exec();
}
