#include "app/glyphwright_app.h"

#include "app/settings_store.h"
#include "app/work_environment.h"
#include "workbench/app_icon.h"
#include "workbench/glyphwright_dlg.h"

#include <QApplication>
#include <QMessageBox>

int CglyphwrightApp::Run() {
  QApplication::setApplicationName(QStringLiteral("glyphwright"));
  QApplication::setWindowIcon(AppIcon());

  // Every path of the program hangs off this directory; going on without it
  // would put settings and training files who knows where.
  if (!PrepareWorkEnvironment()) {
    QMessageBox::critical(nullptr, QStringLiteral("glyphwright"),
                          QStringLiteral("无法确定程序所在的目录，glyphwright 无法启动。"));
    return 1;
  }

  CglyphwrightDlg dialog(Settings());
  dialog.exec();
  return 0;
}
