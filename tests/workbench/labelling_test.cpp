// Labelling the boxes of the workspace at one key per glyph (Enter in the
// label edit) and a whole line at once ("按顺序标注…"), on the whole window.
#include "window_session.h"

#include "tests/support/file_size_limit.h"

#include "app/text_codec.h"
#include "samples/line_label_dlg.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {

class LabellingTest : public WindowSession {
protected:
  // The window with the two glyphs split and a sample file that does not
  // exist yet.
  void OpenWithEmptyLibrary() {
    Open();
    OpenAndSplit();
    sampleFileToChoose_ = Path("samples.txt");
    Click(3);
  }

  QLineEdit &Label() { return Get<QLineEdit>(1011); }
  CShowCtrl &Preview() { return Get<CShowCtrl>(1016); }
  // Pixels of the selected box's red outline on screen.
  int RedPixels() {
    const QImage shown = Workspace().grab().toImage().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x)
        red += shown.pixel(x, y) == 0xFFFF0000;
    return red;
  }
  // The user clicks into the edit, types and presses a key.
  void TypeAndPress(const QString &text, Qt::Key key = Qt::Key_Return) {
    Label().setFocus();
    QTest::keyClicks(&Label(), text);
    QTest::keyClick(&Label(), key);
  }
  // The label of a box's sample as UTF-8; "<none>" when it has none.
  std::string Stored(std::size_t box) {
    const auto found = dialog_->Samples().find(BoxData(box).toStdString());
    if (found == dialog_->Samples().end())
      return "<none>";
    return QString::fromStdU16String(FromSystemCodePage(found->second)).toStdString();
  }
  SampleStore FileStore() {
    SampleStore store;
    LoadSampleFile(dir_.File("samples.txt"), store);
    return store;
  }
};

TEST_F(LabellingTest, EnterAddsTheSampleAndMovesOnToTheNextBox) {
  OpenWithEmptyLibrary();
  ClickBox(0);
  TypeAndPress(QStringLiteral("a"));
  EXPECT_EQ(Stored(0), "a");
  EXPECT_EQ(Workspace().selectedIndex(), 1);
  EXPECT_EQ(dialog_->SampleList()->CurrentSample(), BoxData(1));
  EXPECT_EQ(Label().text(), "");
  EXPECT_EQ(dialog_->focusWidget(), &Label());
  EXPECT_FALSE(dialog_->CaptureWindow()->isVisible()) << "the default button reacted";

  // The last box: added, and the selection stays (the keypad's Enter too).
  TypeAndPress(QStringLiteral("b"), Qt::Key_Enter);
  EXPECT_EQ(Stored(1), "b");
  EXPECT_EQ(Workspace().selectedIndex(), 1);
  EXPECT_EQ(Label().text(), "b");
  EXPECT_EQ(List().rowCount(), 2);
  EXPECT_EQ(FileStore().size(), 2u);
  EXPECT_FALSE(dialog_->CaptureWindow()->isVisible());
  EXPECT_TRUE(dialog_->messages.isEmpty());
}

TEST_F(LabellingTest, NextBoxAlreadyInTheLibraryComesWithItsLabelReadyToReplace) {
  Open();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes(); // box 0 "a", box 1 "b"
  ClickBox(0);
  ASSERT_EQ(Label().text(), "a");
  Label().selectAll();
  TypeAndPress(QStringLiteral("x"));
  EXPECT_EQ(Stored(0), "x");
  EXPECT_EQ(Label().text(), "b");
  EXPECT_EQ(Label().selectedText(), "b");
  QTest::keyClicks(&Label(), QStringLiteral("y"));
  EXPECT_EQ(Label().text(), "y");
}

TEST_F(LabellingTest, EnterThatCannotAddGivesTheMessageAndStays) {
  struct Case {
    const char *name;
    bool samplePath;
    const char *label;
    const char *message;
  };
  const Case kCases[] = {
      {"empty label", true, "", "文字内容不能为空"},
      {"no sample file", false, "a", "请先设置样本要保存的位置"},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    if (c.samplePath) {
      OpenWithEmptyLibrary();
    } else {
      Open();
      OpenAndSplit();
    }
    ClickBox(0);
    TypeAndPress(QString::fromUtf8(c.label));
    EXPECT_EQ(dialog_->messages, QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(Workspace().selectedIndex(), 0);
    EXPECT_EQ(Label().text(), QString::fromUtf8(c.label));
    EXPECT_TRUE(dialog_->Samples().empty());
  }
}

TEST_F(LabellingTest, AfterAListRowEnterRelabelsThatRowAndNoBoxIsShownSelected) {
  Open();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes();
  ClickBox(0);
  EXPECT_EQ(Preview().caption(), "");
  ASSERT_GT(RedPixels(), 0);
  ClickRow(RowOf(QStringLiteral("b"))); // the current sample is now box 1's
  EXPECT_EQ(Workspace().selectedIndex(), -1);
  EXPECT_EQ(RedPixels(), 0);
  EXPECT_EQ(Preview().caption(), "样本库中的样本");
  Label().clear();
  TypeAndPress(QStringLiteral("z"));
  EXPECT_EQ(Stored(1), "z");
  EXPECT_EQ(Stored(0), "a");
  EXPECT_EQ(Workspace().selectedIndex(), -1) << "Enter moved to a box";
  // A box click makes a box current again.
  ClickBox(0);
  EXPECT_EQ(Workspace().selectedIndex(), 0);
  EXPECT_EQ(Preview().caption(), "");
}

TEST_F(LabellingTest, AfterADeleteEnterAddsTheDeletedSampleAgain) {
  Open();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes();
  ClickBox(0);
  const int row = RowOf(QStringLiteral("b"));
  RightClickRow(row);
  dialog_->SampleList()->PopupMenu()->hide();
  dialog_->SampleList()->OnDeleteSample();
  ASSERT_EQ(Stored(1), "<none>");
  EXPECT_EQ(Preview().caption(), "已删除的样本");
  EXPECT_EQ(Workspace().selectedIndex(), -1);
  Label().selectAll();
  TypeAndPress(QStringLiteral("B"));
  EXPECT_EQ(Stored(1), "B");
  EXPECT_EQ(Stored(0), "a");
  EXPECT_EQ(FileStore(), dialog_->Samples());
  EXPECT_EQ(Preview().caption(), "样本库中的样本");
}

TEST_F(LabellingTest, TypingOverASelectedBoxGoesToTheLabelEdit) {
  OpenWithEmptyLibrary();
  ClickBox(0);
  ASSERT_EQ(dialog_->focusWidget(), &Workspace());
  QTest::keyClick(&Workspace(), Qt::Key_Q);
  EXPECT_EQ(Label().text(), "q");
  EXPECT_EQ(dialog_->focusWidget(), &Label());
  QTest::keyClick(&Label(), Qt::Key_Return);
  EXPECT_EQ(Stored(0), "q");
  // Arrows and Esc keep to the view; Delete still removes the box.
  ClickBox(1);
  for (Qt::Key key : {Qt::Key_Left, Qt::Key_Escape})
    QTest::keyClick(&Workspace(), key);
  EXPECT_EQ(dialog_->focusWidget(), &Workspace());
  QTest::keyClick(&Workspace(), Qt::Key_Delete);
  EXPECT_EQ(Workspace().boxes().size(), 1u);
}

TEST_F(LabellingTest, AFailedSaveKeepsEnterOnTheSameBox) {
  OpenWithEmptyLibrary();
  ClickBox(0);
  {
    // The disk is full: not one byte of the sample file can be written.
    FileSizeLimit full(0);
    TypeAndPress(QStringLiteral("a"));
  }
  EXPECT_EQ(dialog_->messages.size(), 1);
  EXPECT_EQ(Workspace().selectedIndex(), 0);
  EXPECT_EQ(Label().text(), "a");
  EXPECT_TRUE(dialog_->Samples().empty());
  EXPECT_EQ(List().rowCount(), 0);
}

TEST_F(LabellingTest, RelabellingAnExistingSampleSaysWhatItReplaced) {
  Open();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes();
  ClickBox(0);
  Label().selectAll();
  QTest::keyClicks(&Label(), QStringLiteral("I"));
  Click(1012);
  EXPECT_EQ(Stored(0), "I");
  EXPECT_EQ(Preview().notice(), "此字形原标注为「a」，已改为「I」");
  EXPECT_TRUE(dialog_->messages.isEmpty()) << "the notice is not a message box";
  // A new sample, or the same label again, replaces nothing.
  ClickBox(0);
  Click(1012);
  EXPECT_EQ(Preview().notice(), "");
}

TEST_F(LabellingTest, EnterElsewhereStillPressesTheDefaultButton) {
  OpenWithEmptyLibrary();
  auto &whitelist = Get<QLineEdit>(1026);
  whitelist.setFocus();
  QTest::keyClick(&whitelist, Qt::Key_Return);
  EXPECT_TRUE(dialog_->CaptureWindow()->isVisible());
  // Finished as a user would, so the capture window lets go of the cursor.
  CSnapCipWnd *capture = dialog_->CaptureWindow();
  const QPoint middle = capture->rect().center();
  QTest::mouseClick(capture, Qt::LeftButton, {}, middle);
  QTest::mouseDClick(capture, Qt::LeftButton, {}, middle);
  EXPECT_FALSE(capture->isVisible());
}

class LineLabellingTest : public LabellingTest {
protected:
  // Right-click on the workspace, "按顺序标注…", the dialog answered by
  // typing `text`, ticking "只标注前 N 个框" when `firstOnly`, and pressing
  // OK (a disabled OK does nothing; the dialog is then cancelled) or Cancel.
  void LabelInOrder(const QString &text, bool ok = true, bool firstOnly = false) {
    const QPoint at(35, 15);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, Workspace().mapToGlobal(at));
    QCoreApplication::sendEvent(&Workspace(), &request);
    QMenu *menu = Workspace().contextMenu();
    ASSERT_NE(menu, nullptr);
    menu->hide();
    dialogShown_ = false;
    dialog_->onLineLabelDialog = [&](CLineLabelDlg &dialog) {
      dialogShown_ = true;
      startText_ = dialog.TextEdit()->text();
      dialog.TextEdit()->selectAll();
      dialog.TextEdit()->insert(text); // as an input method commits it
      countText_ = dialog.CountText();
      for (int i = 0; i < 2; ++i) {
        const auto *shown = dialog.findChild<QLabel *>(QStringLiteral("lineCharacter%1").arg(i));
        shownCharacters_[i] = shown ? shown->text() : QString();
      }
      QPushButton *okButton = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
      okEnabled_ = okButton->isEnabled();
      if (firstOnly)
        dialog.FirstOnlyBox()->click();
      captions_ = Workspace().boxCaptions();
      if (!ok)
        return int(QDialog::Rejected);
      okButton->click();
      return dialog.result();
    };
    menu->findChild<QAction *>(QStringLiteral("labelInOrder"))->trigger();
  }

  bool dialogShown_ = false;
  bool okEnabled_ = false; // before any box was ticked
  QString startText_;
  std::vector<QString> captions_; // on the workspace while the dialog was up
  QString countText_;
  QString shownCharacters_[2];
};

TEST_F(LineLabellingTest, PairsTheTypedCharactersWithTheBoxesInReadingOrder) {
  struct Case {
    const char *name;
    const char *typed;
    const char *count; // what the dialog says
    std::string first, second;
    const char *shown0, *shown1;
  };
  const Case kCases[] = {
      {"as many as boxes", "甲乙", "2 个字，2 个框", "甲", "乙", "甲", "乙"},
      {"spaces ignored", " a\u3000 b ", "2 个字，2 个框", "a", "b", "a", "b"},
      {"too few, first box chosen", "a", "1 个字，2 个框：字比框少，只标注前 1 个框", "a", "<none>",
       "a", ""},
      {"too many, first boxes chosen", "abc", "3 个字，2 个框：字比框多，多出的 1 个字不会用到",
       "a", "b", "a", "b"},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    OpenWithEmptyLibrary();
    LabelInOrder(QString::fromUtf8(c.typed), true, true);
    ASSERT_TRUE(dialogShown_);
    EXPECT_EQ(countText_, QString::fromUtf8(c.count));
    EXPECT_EQ(shownCharacters_[0], QString::fromUtf8(c.shown0));
    EXPECT_EQ(shownCharacters_[1], QString::fromUtf8(c.shown1));
    EXPECT_EQ(Stored(0), c.first);
    EXPECT_EQ(Stored(1), c.second);
    EXPECT_EQ(FileStore(), dialog_->Samples());
    EXPECT_TRUE(dialog_->messages.isEmpty());
  }
}

TEST_F(LineLabellingTest, EveryBoxShowsItsCharacterOnTheWorkspaceWhileTheDialogIsUp) {
  OpenWithEmptyLibrary();
  LabelInOrder(QStringLiteral("甲乙"));
  EXPECT_EQ(captions_, (std::vector<QString>{QStringLiteral("甲"), QStringLiteral("乙")}));
  EXPECT_TRUE(Workspace().boxCaptions().empty()) << "left on the workspace after the dialog";
  // A box without a character is marked, not left blank.
  LabelInOrder(QStringLiteral("x"), false);
  EXPECT_EQ(captions_, (std::vector<QString>{QStringLiteral("x"), QString()}));
}

TEST_F(LineLabellingTest, DifferentCountsNeedTheChoiceOfTheFirstBoxes) {
  for (const char *typed : {"a", "abc"}) {
    SCOPED_TRACE(typed);
    OpenWithEmptyLibrary();
    LabelInOrder(QString::fromUtf8(typed));
    EXPECT_FALSE(okEnabled_);
    EXPECT_TRUE(dialog_->Samples().empty());
    EXPECT_EQ(List().rowCount(), 0);
  }
  OpenWithEmptyLibrary();
  LabelInOrder(QStringLiteral("ab"));
  EXPECT_TRUE(okEnabled_);
}

TEST_F(LineLabellingTest, TheLastTypedLineComesBackForTheSameBoxes) {
  OpenWithEmptyLibrary();
  LabelInOrder(QStringLiteral("ab"), false);
  LabelInOrder(QStringLiteral("ab"));
  EXPECT_EQ(startText_, "ab");
  // Other boxes: the line starts empty.
  ASSERT_TRUE(Workspace().DeleteBox(1));
  LabelInOrder(QStringLiteral("a"));
  EXPECT_EQ(startText_, "");
}

TEST_F(LineLabellingTest, FollowsTheUsualRulesForSamplesAlreadyInTheLibrary) {
  Open();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes(); // box 0 "a", box 1 "b"
  // Box 0 relabelled in its row; "a" now names box 1 as well, a second
  // sample of that character.
  LabelInOrder(QStringLiteral("ca"));
  EXPECT_EQ(Stored(0), "c");
  EXPECT_EQ(Stored(1), "a");
  EXPECT_EQ(List().rowCount(), 2);
  EXPECT_EQ(List().item(RowOf(QStringLiteral("c")), 1)->text(), BoxData(0));
  EXPECT_EQ(FileStore(), dialog_->Samples());
}

TEST_F(LineLabellingTest, CancelOrNoSampleFileChangesNothing) {
  OpenWithEmptyLibrary();
  LabelInOrder(QStringLiteral("ab"), false);
  EXPECT_TRUE(dialogShown_);
  EXPECT_TRUE(dialog_->Samples().empty());
  EXPECT_EQ(List().rowCount(), 0);

  // Without a sample file the user is told before typing anything.
  Open();
  OpenAndSplit();
  LabelInOrder(QStringLiteral("ab"));
  EXPECT_FALSE(dialogShown_);
  EXPECT_EQ(dialog_->messages, QStringList{QStringLiteral("请先设置样本要保存的位置")});
  EXPECT_TRUE(dialog_->Samples().empty());
}

} // namespace
