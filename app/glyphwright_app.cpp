#include "app/glyphwright_app.h"

#include "app/settings_store.h"
#include "app/work_environment.h"
#include "workbench/app_icon.h"
#include "workbench/glyphwright_dlg.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

void CglyphwrightApp::PrepareApplication() {
  QApplication::setApplicationName(QStringLiteral("glyphwright"));
  QApplication::setWindowIcon(AppIcon());

  // The interface is Chinese whatever the system's language, so Qt's texts
  // are too. Installed once; the application owns the translator.
  QCoreApplication *app = QCoreApplication::instance();
  if (app == nullptr || app->findChild<QTranslator *>(QStringLiteral("qtbase_zh_CN")))
    return;
  auto *translator = new QTranslator(app);
  translator->setObjectName(QStringLiteral("qtbase_zh_CN"));
  if (translator->load(QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China),
                       QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
  else
    delete translator;
}

int CglyphwrightApp::Run() {
  PrepareApplication();

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
