// The library commands on the whole window, driven by keys and menus: a new
// library (Ctrl+N), an import (Ctrl+I), finding labels (Ctrl+F, Esc),
// deleting a range of rows (Delete) and taking it back (Ctrl+Z).
#include "window_session.h"

#include "app/text_codec.h"
#include "samples/library_bar.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QUndoStack>
#include <set>

namespace {

class LibraryCommandsTest : public WindowSession {
protected:
  void OpenActive() {
    Open();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  QLineEdit &Label() { return Get<QLineEdit>(1011); }
  QLineEdit &Find() { return *dialog_->LibraryBar()->FindEdit(); }
  QString Count() { return dialog_->LibraryBar()->CountLabel()->text(); }

  void Key(QWidget &where, QKeyCombination key) {
    where.setFocus();
    QTest::keyClick(&where, key.key(), key.keyboardModifiers());
  }
  // Chinese comes through an input method, which commits whole characters.
  static void Commit(QWidget &edit, const QString &text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(&edit, &commit);
  }
  // The library file as (label, data string) pairs, labels in UTF-8.
  std::set<std::pair<std::string, std::string>> FilePairs(const std::string &name) {
    SampleStore store;
    EXPECT_TRUE(ParseSampleText(dir_.Read(name), store).valid);
    std::set<std::pair<std::string, std::string>> pairs;
    for (const auto &[key, label] : store)
      pairs.emplace(SystemToUtf8(label), key);
    return pairs;
  }
  QStringList RowLabels() {
    QStringList labels;
    for (int row = 0; row < List().rowCount(); ++row)
      labels << List().item(row, 0)->text();
    return labels;
  }
  QPoint RowAt(int row) { return List().visualRect(List().model()->index(row, 0)).center(); }
};

std::string Gb(const char *utf8) {
  return Utf8ToSystem(utf8);
}

TEST_F(LibraryCommandsTest, NewLibraryImportFindDeleteAndUndoEndWithTheIntendedPairs) {
  OpenActive();
  OpenAndSplit();
  const std::string glyph0 = BoxData(0).toStdString();
  const std::string glyph1 = BoxData(1).toStdString();

  // Yesterday's library: one of today's glyphs under another label, and
  // five more glyphs.
  SampleStore older = {{glyph0, Gb("旧")}};
  const char *kOthers[] = {"0001$1$0.0.1$4", "0002$1$0.0.1$4", "0003$1$0.0.2$4", "0004$1$0.0.1$4",
                           "0005$1$0.0.2$4"};
  for (int i = 0; i < 5; ++i)
    older[kOthers[i]] = Gb(i < 4 ? "丙" : "丁");
  ASSERT_TRUE(WriteSampleFile(dir_.File("older.txt"), older));
  const std::string olderBytes = dir_.Read("older.txt");
  sampleFileToChoose_ = Path("older.txt");
  Click(3);
  ASSERT_EQ(List().rowCount(), 6);
  EXPECT_EQ(Count(), QStringLiteral("共 6 个样本，3 种文字"));

  // A new library with Ctrl+N: empty, the old file untouched.
  dialog_->SampleList()->SetNewLibraryChooser([this] { return Path("font.txt"); });
  Key(List(), Qt::CTRL | Qt::Key_N);
  EXPECT_EQ(Text(1008), Path("font.txt"));
  EXPECT_EQ(dir_.Read("font.txt"), "null\n");
  EXPECT_EQ(dir_.Read("older.txt"), olderBytes);
  EXPECT_EQ(List().rowCount(), 0);
  EXPECT_EQ(Count(), QStringLiteral("共 0 个样本，0 种文字"));

  // Two glyphs labelled, Enter moving on from the first to the second.
  ClickBox(0);
  Commit(Label(), QStringLiteral("甲"));
  QTest::keyClick(&Label(), Qt::Key_Return);
  Label().selectAll();
  Commit(Label(), QStringLiteral("乙"));
  QTest::keyClick(&Label(), Qt::Key_Return);
  ASSERT_EQ(dialog_->Samples().size(), 2u);

  // The older library imported with Ctrl+I: its label wins for glyph 0, and
  // the preview says one label changed.
  dialog_->SampleList()->SetImportChooser([this] { return Path("older.txt"); });
  Key(List(), Qt::CTRL | Qt::Key_I);
  EXPECT_EQ(dialog_->Samples().size(), 7u);
  EXPECT_EQ(Get<CShowCtrl>(1016).notice(), QStringLiteral("导入：新增 5 个，1 个改了标注"));
  EXPECT_EQ(Count(), QStringLiteral("共 7 个样本，4 种文字"));

  // Find "丙", select the second to fourth rows found, Delete, then undo.
  Key(List(), Qt::CTRL | Qt::Key_F);
  ASSERT_TRUE(Find().isVisible());
  Commit(Find(), QStringLiteral("丙"));
  EXPECT_EQ(RowLabels(), QStringList(4, QStringLiteral("丙")));
  EXPECT_EQ(Count(), QStringLiteral("4 / 7 个样本，4 种文字"));
  // Beside the open box the count is still whole.
  QLabel *count = dialog_->LibraryBar()->CountLabel();
  EXPECT_GE(count->width(), count->sizeHint().width());
  QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, RowAt(1));
  QTest::mouseClick(List().viewport(), Qt::LeftButton, Qt::ShiftModifier, RowAt(3));
  const std::string beforeDelete = dir_.Read("font.txt");
  Key(List(), QKeyCombination(Qt::Key_Delete));
  EXPECT_EQ(RowLabels(), QStringList{QStringLiteral("丙")});
  EXPECT_EQ(dialog_->Samples().size(), 4u);
  Key(List(), Qt::CTRL | Qt::Key_Z);
  EXPECT_EQ(dir_.Read("font.txt"), beforeDelete);
  EXPECT_EQ(RowLabels(), QStringList(4, QStringLiteral("丙")));

  // Esc ends the search; the window stays.
  Key(Find(), QKeyCombination(Qt::Key_Escape));
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_FALSE(Find().isVisible());
  EXPECT_EQ(List().rowCount(), 7);

  std::set<std::pair<std::string, std::string>> expected = {{"旧", glyph0}, {"乙", glyph1}};
  for (int i = 0; i < 5; ++i)
    expected.emplace(i < 4 ? "丙" : "丁", kOthers[i]);
  EXPECT_EQ(FilePairs("font.txt"), expected);
  EXPECT_EQ(dir_.Read("older.txt"), olderBytes);
  EXPECT_TRUE(dialog_->messages.isEmpty()) << dialog_->messages.join('\n').toStdString();
}

TEST_F(LibraryCommandsTest, EscInTheListEndsTheSearchAndEnterInTheBoxCapturesNothing) {
  OpenActive();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes(); // "a", "b"
  Key(List(), Qt::CTRL | Qt::Key_F);
  QTest::keyClicks(&Find(), "b");
  EXPECT_EQ(RowLabels(), QStringList{"b"});
  // Enter goes on to the rows found; the window's default button (the
  // capture) stays untouched.
  QTest::keyClick(&Find(), Qt::Key_Return);
  EXPECT_FALSE(dialog_->CaptureWindow()->isVisible());
  EXPECT_TRUE(List().hasFocus());
  QTest::keyClick(&List(), Qt::Key_Escape);
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(List().rowCount(), 2);
  EXPECT_TRUE(Find().text().isEmpty());
}

TEST_F(LibraryCommandsTest, DeleteInTheWorkspaceDeletesABoxNotASample) {
  OpenActive();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes();
  const std::string file = dir_.Read("samples.txt");
  List().selectAll();
  ClickBox(0);
  Key(Workspace(), QKeyCombination(Qt::Key_Delete));
  EXPECT_EQ(Workspace().boxes().size(), 1u);
  EXPECT_EQ(List().rowCount(), 2);
  EXPECT_EQ(dir_.Read("samples.txt"), file);
}

TEST_F(LibraryCommandsTest, TheCommandsAreInTheWindowMenuAndTheListMenu) {
  OpenActive();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes();
  QMenu *popup = dialog_->SampleList()->PopupMenu();
  QStringList listItems;
  for (QAction *action : popup->actions())
    if (!action->isSeparator())
      listItems << action->text();
  EXPECT_EQ(listItems,
            (QStringList{QStringLiteral("删除"), QStringLiteral("全选"), QStringLiteral("查找文字"),
                         QStringLiteral("新建样本库…"), QStringLiteral("导入样本…")}));
  // 全选 then 删除 from the menu: every row in one step.
  popup->actions()[1]->trigger();
  popup->actions()[0]->trigger();
  EXPECT_EQ(List().rowCount(), 0);
  EXPECT_EQ(dir_.Read("samples.txt"), "null\n");
  EXPECT_EQ(dialog_->UndoStack()->count(), 1);

  // Reading the same file again starts the history anew: its rows are not
  // where the history would put them back.
  Click(3);
  EXPECT_EQ(dialog_->UndoStack()->count(), 0);
}

} // namespace
