// The About command and the About box.
#include "app/about_dlg.h"
#include "dialog_fixture.h"
#include "workbench/system_menu.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

class CountingDlg : public CglyphwrightDlg {
public:
  using CglyphwrightDlg::CglyphwrightDlg;
  int aboutBoxes = 0;

protected:
  void ShowAboutBox() override { ++aboutBoxes; }
};

class AboutTest : public DialogTest {
protected:
  std::unique_ptr<CountingDlg> OpenCounting() { return std::make_unique<CountingDlg>(NewStore()); }
};

TEST_F(AboutTest, OnlyTheAboutCommandRangeOpensTheBox) {
  const std::pair<int, int> kCommands[] = {{15, 0}, {16, 1}, {17, 1},
                                           {31, 1}, {32, 0}, {0xF060, 0}};
  for (const auto &[command, boxes] : kCommands) {
    auto dialog = OpenCounting();
    dialog->OnSysCommand(command);
    EXPECT_EQ(dialog->aboutBoxes, boxes) << "command " << command;
  }
}

TEST_F(AboutTest, MenuItemAndF1OpenTheBox) {
  auto dialog = OpenCounting();
  auto *menu = dialog->findChild<QMenu *>();
  ASSERT_NE(menu, nullptr);
  // The window's own commands come first; the About item ends the menu
  // after a separator.
  const QList<QAction *> items = menu->actions();
  ASSERT_GE(items.size(), 2);
  const qsizetype last = items.size() - 1;
  EXPECT_TRUE(items[last - 1]->isSeparator());
  EXPECT_EQ(items[last]->text(), "关于 glyphwright(&A)...");
  items[last]->trigger();
  EXPECT_EQ(dialog->aboutBoxes, 1);

  dialog->show();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  QTest::keyClick(dialog.get(), Qt::Key_F1);
  EXPECT_EQ(dialog->aboutBoxes, 2);
}

TEST_F(AboutTest, RightClickOnTheBackgroundOnlyShowsTheMenu) {
  auto dialog = OpenCounting();
  dialog->show();
  auto *menu = dialog->findChild<QMenu *>();
  const auto rightClick = [&](QPoint at) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, dialog->mapToGlobal(at));
    QCoreApplication::sendEvent(dialog.get(), &event);
  };
  rightClick(QPoint(1200, 5)); // right edge, no control there
  EXPECT_TRUE(menu->isVisible());
  menu->hide();
  rightClick(dialog->findChild<QWidget *>("1009")->geometry().center());
  EXPECT_FALSE(menu->isVisible());
}

TEST(AboutItemTest, EmptyCaptionAddsNothing) {
  QMenu menu;
  EXPECT_EQ(AddAboutItem(&menu, QString()), nullptr);
  EXPECT_TRUE(menu.actions().isEmpty());
}

TEST(AboutBoxTest, ShowsNameAndVersionAndClosesWithOk) {
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), "关于 glyphwright");
  EXPECT_FALSE(about.windowIcon().isNull());
  bool textFound = false;
  for (QLabel *label : about.findChildren<QLabel *>())
    textFound = textFound || label->text() == "glyphwright，1.0 版";
  EXPECT_TRUE(textFound);

  about.show();
  auto *ok = about.findChild<QPushButton *>();
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "确定");
  ok->click();
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

} // namespace
