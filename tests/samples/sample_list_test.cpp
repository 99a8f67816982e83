// The sample list's first commands: reload, add, delete, preview, choosing
// the file, and failures of the file.
#include "sample_list_fixture.h"

#include "platform/file_replace.h"
#include "tests/support/file_size_limit.h"

#include <QAction>
#include <QMenu>
#include <filesystem>

namespace {

using namespace sample_list_test;

TEST_F(SampleListTest, ReloadListsDescendingAndAnAddGoesOnTop) {
  LoadSamples({{Bytes(B), "b"}, {Bytes(A), "a"}, {Bytes(C), "c"}});
  EXPECT_EQ(Rows(), (QStringList{"c|" + C, "b|" + B, "a|" + A}));

  Add(D, QStringLiteral("中文"));
  EXPECT_TRUE(messages.isEmpty());
  // Not re-sorted: the new row stands on top until the next reload.
  EXPECT_EQ(Rows(), (QStringList{"中文|" + D, "c|" + C, "b|" + B, "a|" + A}));
  // Written at once, in key order, the label in GBK bytes.
  EXPECT_EQ(
      FileBytes(),
      FormatSampleFile(
          {{Bytes(A), "a"}, {Bytes(B), "b"}, {Bytes(C), "c"}, {Bytes(D), "\xD6\xD0\xCE\xC4"}}));
  samples->ReloadSampleList();
  EXPECT_EQ(Rows(), (QStringList{"c|" + C, "中文|" + D, "b|" + B, "a|" + A}));
}

TEST_F(SampleListTest, AddTellsWhatIsMissingInOrder) {
  samples->OnAddSample();
  ASSERT_TRUE(samples->OnBoxSelected(A));
  samples->OnAddSample();
  path->setText(QString::fromStdString(dir.File("samples.txt")));
  samples->OnAddSample();
  EXPECT_EQ(messages, (QStringList{kNoSelection, kNoPath, kNoLabel}));
  EXPECT_EQ(list->rowCount(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("samples.txt")));

  // Spaces are a label, taken as typed.
  label->setText("  ");
  samples->OnAddSample();
  EXPECT_EQ(messages.size(), 3);
  EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(A), "  "}}));
}

TEST_F(SampleListTest, AddingTheSameBoxAgainRelabelsIt) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}});
  Add(A, "first");
  Add(A, "second");
  EXPECT_EQ(Rows(), (QStringList{"b|" + B, "second|" + A}));
  EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(A), "second"}, {Bytes(B), "b"}}));
}

TEST_F(SampleListTest, BoxSelectionShowsTheKnownLabelOrEmptiesIt) {
  LoadSamples({{Bytes(A), "a"}});
  label->setText("typed");
  EXPECT_TRUE(samples->OnBoxSelected(A));
  EXPECT_EQ(label->text(), "a");
  EXPECT_TRUE(samples->OnBoxSelected(B));
  EXPECT_EQ(label->text(), "");
  EXPECT_EQ(samples->CurrentSample(), B);
  ASSERT_EQ(previews.size(), 2u);
  EXPECT_FALSE(previews.back().isNull());

  // A string that does not draw changes nothing.
  label->setText("typed");
  EXPECT_FALSE(samples->OnBoxSelected(kUndrawable));
  EXPECT_EQ(label->text(), "typed");
  EXPECT_EQ(samples->CurrentSample(), B);
  EXPECT_EQ(previews.size(), 2u);
}

TEST_F(SampleListTest, ClickPreviewsTheFirstSelectedRowOnly) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}, {Bytes(C), "c"}, {"zz", "bad"}});
  ASSERT_EQ(Rows().first(), "bad|zz");

  Click(1);
  EXPECT_EQ(samples->CurrentSample(), C);
  EXPECT_EQ(label->text(), "c");
  EXPECT_EQ(previews.size(), 1u);

  // With several rows selected, the lowest one is previewed.
  Click(3, Qt::ControlModifier);
  EXPECT_EQ(samples->CurrentSample(), C);
  EXPECT_EQ(previews.size(), 2u);

  // The keyboard moves the selection, not the preview.
  Click(2);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(list->currentRow(), 3);
  EXPECT_EQ(samples->CurrentSample(), B);
  EXPECT_EQ(previews.size(), 3u);

  // A row whose data does not draw leaves everything as it was.
  Click(0);
  EXPECT_EQ(samples->CurrentSample(), B);
  EXPECT_EQ(label->text(), "b");
  EXPECT_EQ(previews.size(), 3u);
}

TEST_F(SampleListTest, RightClickPreviewsAndOpensTheMenuOnlyOnARow) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}});
  QMenu *menu = samples->PopupMenu();
  ASSERT_EQ(menu->objectName(), "129");
  QAction *remove = menu->findChild<QAction *>("32772");
  ASSERT_NE(remove, nullptr);
  EXPECT_EQ(remove->text(), QStringLiteral("删除"));

  // Below the last row: nothing selected, no menu.
  RightClickAt(QPoint(10, list->viewport()->height() - 5));
  EXPECT_TRUE(list->selectedItems().isEmpty());
  EXPECT_FALSE(menu->isVisible());
  EXPECT_TRUE(previews.empty());

  RightClickAt(RowCentre(1));
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(samples->CurrentSample(), A);
  EXPECT_EQ(label->text(), "a");
  remove->trigger();
  menu->hide();
  EXPECT_EQ(Rows(), (QStringList{"b|" + B}));
  EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(B), "b"}}));
}

TEST_F(SampleListTest, DeleteRemovesEverySelectedRowAndKeepsTheCurrentSample) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}, {Bytes(C), "c"}, {Bytes(D), "d"}});
  ASSERT_EQ(Rows(), (QStringList{"c|" + C, "d|" + D, "b|" + B, "a|" + A}));
  Click(0);
  Click(3, Qt::ControlModifier);
  samples->OnDeleteSample();
  EXPECT_EQ(Rows(), (QStringList{"d|" + D, "b|" + B}));
  EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(B), "b"}, {Bytes(D), "d"}}));

  // The first deleted sample is still current: adding brings it back on top.
  EXPECT_EQ(samples->CurrentSample(), C);
  EXPECT_EQ(samples->CurrentSource(), CSampleList::Source::Deleted);
  EXPECT_EQ(label->text(), "c");
  samples->OnAddSample();
  EXPECT_EQ(Rows(), (QStringList{"c|" + C, "d|" + D, "b|" + B}));

  // Nothing selected: nothing deleted.
  list->clearSelection();
  samples->OnDeleteSample();
  EXPECT_EQ(list->rowCount(), 3);

  // The Delete key in the list does the same; Shift extends the selection.
  Click(0);
  Click(1, Qt::ShiftModifier);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(Rows(), (QStringList{"b|" + B}));
  EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(B), "b"}}));
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SampleListTest, RowsWithUndecodableKeyBytesAreDeletedAndRelabelledByTheirKey) {
  // Keys with bytes the code page cannot decode show U+FFFD, which converts
  // back to other bytes. Five '$' fields: each previews like B.
  for (const std::string prefix : {"\x80$", "\xFF\xFF$", "\x81$", "x\x81\x30$"}) {
    const std::string odd = prefix + Bytes(B);
    SCOPED_TRACE(QByteArray::fromStdString(prefix).toHex().toStdString());
    LoadSamples({{odd, "odd"}, {Bytes(A), "a"}});
    ASSERT_EQ(list->item(0, 0)->text(), "odd");

    // Relabelled in place: one row, one entry.
    Click(0);
    EXPECT_EQ(label->text(), "odd");
    label->setText("new");
    samples->OnAddSample();
    EXPECT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(0, 0)->text(), "new");
    EXPECT_EQ(FileBytes(), FormatSampleFile({{odd, "new"}, {Bytes(A), "a"}}));

    Click(0);
    samples->OnDeleteSample();
    EXPECT_EQ(Rows(), (QStringList{"a|" + A}));
    EXPECT_EQ(store, (SampleStore{{Bytes(A), "a"}}));
    EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(A), "a"}}));
  }
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SampleListTest, AnOverLongLabelIsSkippedAndToldLikeOtherBadElements) {
  const std::string huge(16 << 20, 'x');
  const std::string file =
      R"([{"desc":"0f$1$0.0.4$4","name":")" + huge + R"("},{"desc":"15$1$0.0.3$3","name":"b"}])";
  Load("samples.txt", file);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("有 1 个条目"))) << messages[0].toStdString();
  EXPECT_EQ(Rows(), (QStringList{"b|" + B}));
  EXPECT_EQ(store, (SampleStore{{Bytes(B), "b"}}));
  // The file keeps the label until its copy is made.
  Click(0);
  samples->OnDeleteSample();
  EXPECT_TRUE(dir.Read("samples.txt.bak") == file);
}

TEST_F(SampleListTest, ALongDataStringIsShownShortAndPreviewedAtThePreviewSize) {
  // A 100 x 100 box, all set: 2500 hex digits.
  const std::string big = std::string(2500, 'f') + "$1$0.0.10000$100";
  samples->SetPreviewSize(QSize(150, 110));
  LoadSamples({{big, "big"}, {Bytes(A), "a"}});
  const QString shown = list->item(0, 1)->text();
  EXPECT_EQ(shown.size(), 1025);
  EXPECT_TRUE(shown.startsWith(QString(1024, 'f')));
  EXPECT_EQ(shown.back(), QChar(0x2026));

  Click(0);
  ASSERT_EQ(previews.size(), 1u);
  EXPECT_EQ(previews[0].size(), QSize(150, 110));
  label->setText("B");
  samples->OnAddSample();
  EXPECT_EQ(FileBytes(), FormatSampleFile({{big, "B"}, {Bytes(A), "a"}}));
  samples->OnDeleteSample();
  EXPECT_EQ(store, (SampleStore{{Bytes(A), "a"}}));

  // Small samples keep their natural picture, 5 pixels a cell.
  ASSERT_TRUE(samples->OnBoxSelected(B));
  EXPECT_EQ(previews.back().size(), QSize(15, 10));
}

TEST_F(SampleListTest, TheLabelEditTakesNoLongerLabelThanTheFileReadsBack) {
  // Control characters take the most room in the file: 6 bytes each.
  ASSERT_TRUE(samples->OnBoxSelected(A));
  label->setText(QString(2 * CSampleList::kMaxLabelChars, QChar(0x1F)));
  EXPECT_EQ(label->text().size(), CSampleList::kMaxLabelChars);
  path->setText(QString::fromStdString(dir.File("samples.txt")));
  samples->OnAddSample();
  SampleStore reread;
  const SampleParseResult result = ParseSampleText(FileBytes(), reread);
  EXPECT_EQ(result.skipped, 0);
  EXPECT_EQ(reread, store);
}

TEST_F(SampleListTest, DeleteWithoutAPathWritesNoFile) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}});
  std::filesystem::remove(dir.File("samples.txt"));
  path->clear();
  Click(0);
  samples->OnDeleteSample();
  EXPECT_EQ(Rows(), (QStringList{"a|" + A}));
  EXPECT_EQ(store, (SampleStore{{Bytes(A), "a"}}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Dir()));
}

TEST_F(SampleListTest, ChoosingANewFileCarriesTheSamplesOver) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}});
  const std::string old = FileBytes();

  chosenPath.clear(); // cancelled
  samples->OnChooseSampleFile();
  EXPECT_EQ(path->text().toStdString(), dir.File("samples.txt"));

  chosenPath = QString::fromStdString(dir.File("new.txt"));
  samples->OnChooseSampleFile();
  EXPECT_EQ(path->text(), chosenPath);
  EXPECT_EQ(Rows(), (QStringList{"b|" + B, "a|" + A}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.txt")));

  Add(C, "c");
  EXPECT_EQ(dir.Read("new.txt"),
            FormatSampleFile({{Bytes(A), "a"}, {Bytes(B), "b"}, {Bytes(C), "c"}}));
  EXPECT_EQ(FileBytes(), old);
}

TEST_F(SampleListTest, AnInvalidFileIsToldAndBackedUpBeforeTheFirstWrite) {
  const std::string broken = "[{\"desc\": \"0f$1$0.0.4$4\", \"name\": \"lost?\"";
  Load("samples.txt", broken);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("不是有效的样本文件")));
  EXPECT_TRUE(messages[0].contains("samples.txt.bak"));
  EXPECT_EQ(list->rowCount(), 0);
  EXPECT_TRUE(store.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("samples.txt.bak")));

  Add(A, "a");
  EXPECT_EQ(dir.Read("samples.txt.bak"), broken);
  EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(A), "a"}}));
  // The file is ours now: later writes make no more copies.
  Add(B, "b");
  EXPECT_FALSE(std::filesystem::exists(dir.File("samples.txt.bak.1")));
  EXPECT_EQ(messages.size(), 1);
}

TEST_F(SampleListTest, SkippedElementsAreCountedAndTheFileKept) {
  const std::string mixed =
      R"([{"desc": "0f$1$0.0.4$4", "name": "a"}, {"desc": 5, "name": "x"}, "text"])";
  Load("samples.txt", mixed);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("有 2 个条目")));
  EXPECT_EQ(Rows(), (QStringList{"a|" + A}));

  Click(0);
  samples->OnDeleteSample();
  EXPECT_EQ(dir.Read("samples.txt.bak"), mixed);
  EXPECT_EQ(FileBytes(), "null\n");
  samples->ReloadSampleList();
  EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(SampleListTest, AFailedWriteIsToldAndLeavesTheOldFile) {
  LoadSamples({{Bytes(A), "a"}});
  const std::string old = FileBytes();
  {
    // The disk is full: the new, longer file cannot be written.
    FileSizeLimit limit(old.size());
    Add(B, "b");
  }
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("无法写入样本文件")));
  EXPECT_EQ(FileBytes(), old);
  // The change is taken back, so list, store and file keep agreeing (and
  // the undo history's row positions stay true); the typed label is still
  // in the edit for another try.
  EXPECT_EQ(Rows(), (QStringList{"a|" + A}));
  EXPECT_FALSE(store.contains(Bytes(B)));
  EXPECT_EQ(label->text(), "b");
  FileSizeLimit stillFull(old.size());
  EXPECT_FALSE(samples->OnAddSample()); // still failing: not reported as done
}

} // namespace
