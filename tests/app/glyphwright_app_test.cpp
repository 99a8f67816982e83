// Start-up prepares the application so that Qt's own dialogs speak the
// interface's language.
#include "app/glyphwright_app.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

QString ButtonText(QMessageBox &box, QMessageBox::StandardButton which) {
  QAbstractButton *button = box.button(which);
  return button ? button->text() : QString();
}

TEST(GlyphwrightAppTest, QtsOwnDialogsAreChineseAfterStartUp) {
  {
    QMessageBox before(QMessageBox::Warning, "glyphwright", "text", QMessageBox::Ok);
    ASSERT_EQ(ButtonText(before, QMessageBox::Ok), "OK") << "a translator is installed already";
  }

  CglyphwrightApp::PrepareApplication();
  CglyphwrightApp::PrepareApplication(); // a second start-up adds no second translator
  EXPECT_EQ(qApp->findChildren<QTranslator *>().size(), 1);

  QMessageBox box(QMessageBox::Warning, "glyphwright", "text",
                  QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(ButtonText(box, QMessageBox::Ok), QStringLiteral("确定"));
  EXPECT_EQ(ButtonText(box, QMessageBox::Cancel), QStringLiteral("取消"));

  // Qt's own file dialog, as the sample and output paths are chosen with.
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const QDialogButtonBox *buttons = dialog.findChild<QDialogButtonBox *>();
  ASSERT_NE(buttons, nullptr);
  const QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
  EXPECT_EQ(dialog.labelText(QFileDialog::LookIn).contains(QStringLiteral("Look")), false)
      << dialog.labelText(QFileDialog::LookIn).toStdString();
}

} // namespace
