// The window's undo history over real events: box edits and library
// changes are taken back by Ctrl+Z and done again by Ctrl+Y / Ctrl+Shift+Z,
// the sample file following byte for byte.
#include "window_session.h"

#include <QLineEdit>
#include <QUndoStack>
#include <fstream>
#include <sstream>

namespace {

class UndoTest : public WindowSession {
protected:
  std::string FileBytes() {
    std::ifstream in(dir_.File("samples.txt"), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  QLineEdit &Label() { return Get<QLineEdit>(1011); }
  void Key(QWidget &where, QKeyCombination key) {
    where.setFocus();
    QTest::keyClick(&where, key.key(), key.keyboardModifiers());
  }
  void Undo(QWidget &where) { Key(where, Qt::CTRL | Qt::Key_Z); }
  // Both redo keys are meant to work; the tests alternate them.
  void Redo(QWidget &where, bool shiftZ = false) {
    Key(where, shiftZ ? (Qt::CTRL | Qt::SHIFT | Qt::Key_Z) : (Qt::CTRL | Qt::Key_Y));
  }
  std::vector<std::string> RowLabels() {
    std::vector<std::string> labels;
    for (int row = 0; row < List().rowCount(); ++row)
      labels.push_back(List().item(row, 0)->text().toStdString());
    return labels;
  }
};

TEST_F(UndoTest, BoxEditsAndSplitsComeBackAndGoAgain) {
  Open();
  OpenAndSplit();
  const std::vector<SegBox> split = Workspace().boxes();
  ASSERT_TRUE(Workspace().MergeBoxesAt({0, 1}));
  const std::vector<SegBox> merged = Workspace().boxes();
  ASSERT_EQ(merged.size(), 1u);
  ASSERT_TRUE(Workspace().DeleteBox(0));
  ASSERT_TRUE(Workspace().boxes().empty());

  Undo(Workspace());
  EXPECT_EQ(Workspace().boxes(), merged);
  Undo(Workspace());
  EXPECT_EQ(Workspace().boxes(), split);
  EXPECT_EQ(Workspace().selectedIndex(), -1);
  Undo(Workspace()); // the split itself
  EXPECT_TRUE(Workspace().boxes().empty());
  Redo(Workspace());
  EXPECT_EQ(Workspace().boxes(), split);
  Redo(Workspace(), true);
  EXPECT_EQ(Workspace().boxes(), merged);

  // A new image starts the history anew.
  OpenGlyphs();
  EXPECT_EQ(dialog_->UndoStack()->count(), 0);
}

TEST_F(UndoTest, LibraryChangesComeBackByteForByte) {
  Open();
  OpenAndSplit();
  ChooseLibraryOfBothBoxes(); // "a", "b"
  const std::string original = FileBytes();
  const std::vector<std::string> originalRows = RowLabels();

  // A relabel through Enter, a delete through the menu: two steps.
  ClickBox(0);
  Label().selectAll();
  QTest::keyClicks(&Label(), QStringLiteral("x"));
  QTest::keyClick(&Label(), Qt::Key_Return);
  const std::string relabelled = FileBytes();
  ASSERT_NE(relabelled, original);
  List().selectRow(RowOf(QStringLiteral("b")));
  dialog_->SampleList()->OnDeleteSample();
  const std::string deleted = FileBytes();
  const std::vector<std::string> deletedRows = RowLabels();
  ASSERT_EQ(List().rowCount(), 1);

  // Ctrl+Z from the label edit: its own typing was stored, so the window's
  // history answers.
  Undo(Label());
  EXPECT_EQ(FileBytes(), relabelled);
  EXPECT_EQ(List().rowCount(), 2);
  Undo(Label());
  EXPECT_EQ(FileBytes(), original);
  EXPECT_EQ(RowLabels(), originalRows);
  SampleStore file;
  LoadSampleFile(dir_.File("samples.txt"), file);
  EXPECT_EQ(file, dialog_->Samples());

  Redo(Workspace());
  EXPECT_EQ(FileBytes(), relabelled);
  Redo(Workspace(), true);
  EXPECT_EQ(FileBytes(), deleted);
  EXPECT_EQ(RowLabels(), deletedRows);
  EXPECT_TRUE(dialog_->messages.isEmpty());
}

TEST_F(UndoTest, ALineLabellingIsOneStep) {
  Open();
  OpenAndSplit();
  sampleFileToChoose_ = Path("samples.txt");
  Click(3);
  ASSERT_TRUE(dialog_->SampleList()->AddSamples(
      {{BoxData(0), QStringLiteral("p")}, {BoxData(1), QStringLiteral("q")}}));
  ASSERT_EQ(dialog_->Samples().size(), 2u);
  Undo(Workspace());
  EXPECT_TRUE(dialog_->Samples().empty());
  EXPECT_EQ(List().rowCount(), 0);
  EXPECT_EQ(FileBytes(), "null\n");
  // Another sample file has a history of its own.
  Redo(Workspace());
  sampleFileToChoose_ = Path("other.txt");
  Click(3);
  EXPECT_EQ(dialog_->UndoStack()->count(), 0);
}

} // namespace
