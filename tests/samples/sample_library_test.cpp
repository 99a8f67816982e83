// The sample list's commands on the library as a whole: deleting many rows,
// finding labels, sorting by a column, importing another file and starting
// a new library. Each writes the file at most once and is one undo step.
#include "file_replacements.h"
#include "sample_list_fixture.h"

#include "tests/support/file_size_limit.h"

#include <QHeaderView>
#include <bit>
#include <filesystem>

namespace {

using namespace sample_list_test;

// A data string that draws, one for each number, in the order of the
// numbers: a 4 x 4 box with the bits of n + 1.
std::string Glyph(int n) {
  char text[32];
  std::snprintf(text, sizeof text, "%04x$1$0.0.%d$4", n + 1, std::popcount(unsigned(n + 1)));
  return text;
}

class SampleLibraryTest : public SampleListTest {
protected:
  SampleLibraryTest() {
    samples->SetChangeSink(
        [this](StoreChange change, const QString &) { changes.push_back(std::move(change)); });
  }

  // Writes a library and loads it; `count` samples with labels from `labels`
  // in turn.
  void LoadNumbered(int count, const std::vector<std::string> &labels) {
    SampleStore file;
    for (int n = 0; n < count; ++n)
      file[Glyph(n)] = labels[std::size_t(n) % labels.size()];
    LoadSamples(file);
  }

  void ClickHeader(int column) {
    QHeaderView *header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }

  // The keys the list shows, top first.
  std::vector<std::string> ShownKeys() const {
    std::vector<std::string> keys;
    for (int row = 0; row < list->rowCount(); ++row)
      keys.push_back(list->item(row, 1)->text().toStdString());
    return keys;
  }

  std::vector<StoreChange> changes;
  FileReplacements writes{dir.Dir(), "samples.txt"};
};

const std::string kZhong = "\xD6\xD0";            // 中
const std::string kZhongWen = "\xD6\xD0\xCE\xC4"; // 中文
const std::string kWen = "\xCE\xC4";              // 文

TEST_F(SampleLibraryTest, ManyRowsGoInOneWriteAndComeBackByteForByte) {
  ASSERT_TRUE(writes.Watching());
  const struct {
    const char *name;
    int samples;
    std::function<void()> select;
    int left;
  } kCases[] = {
      {"Shift range", 8,
       [&] {
         Click(2);
         Click(5, Qt::ShiftModifier);
       },
       4},
      {"Ctrl picks", 8,
       [&] {
         Click(0);
         Click(3, Qt::ControlModifier);
         Click(7, Qt::ControlModifier);
       },
       5},
      {"Ctrl+A of hundreds", 300,
       [&] {
         list->setFocus();
         QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
       },
       0},
  };
  for (const auto &c : kCases) {
    SCOPED_TRACE(c.name);
    LoadNumbered(c.samples, {"x", kZhong, "y"});
    const std::string before = FileBytes();
    const QStringList rowsBefore = Rows();
    changes.clear();
    writes.Take();

    c.select();
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->rowCount(), c.left);
    EXPECT_EQ(int(store.size()), c.left);
    EXPECT_EQ(writes.Take(), 1);
    ASSERT_EQ(changes.size(), 1u);
    const std::string after = FileBytes();
    SampleStore written;
    ParseSampleText(after, written);
    EXPECT_EQ(written, store);

    EXPECT_TRUE(samples->ApplyChange(changes[0], false));
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(Rows(), rowsBefore);
    EXPECT_EQ(writes.Take(), 1);
    EXPECT_TRUE(samples->ApplyChange(changes[0], true));
    EXPECT_EQ(FileBytes(), after);
  }
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SampleLibraryTest, TheFilterShowsLabelsContainingTheTextChineseIncluded) {
  LoadSamples({{Glyph(1), kZhong},
               {Glyph(2), kZhongWen},
               {Glyph(3), kWen},
               {Glyph(4), "a"},
               {Glyph(5), "A"},
               {Glyph(6), "ab"}});
  const struct {
    QString text;
    std::vector<int> glyphs; // top first
  } kCases[] = {
      {QStringLiteral("中"), {2, 1}},
      {QStringLiteral("文"), {3, 2}},
      {QStringLiteral("中文"), {2}},
      {"a", {6, 4}},
      {"ab", {6}},
      {"A", {5}},
      {"z", {}},
      {"", {6, 5, 4, 3, 2, 1}},
  };
  for (const auto &c : kCases) {
    SCOPED_TRACE(c.text.toStdString());
    samples->SetFilter(c.text);
    std::vector<std::string> expected;
    for (int glyph : c.glyphs)
      expected.push_back(Glyph(glyph));
    EXPECT_EQ(ShownKeys(), expected);
    EXPECT_EQ(samples->CurrentCounts().shown, int(c.glyphs.size()));
    EXPECT_EQ(samples->CurrentCounts().samples, 6);
    EXPECT_EQ(samples->CurrentCounts().labels, 6);
  }
}

// The commands take the samples the user sees, however the list is
// narrowed or ordered: preview, relabel, delete, and the undo of a delete.
TEST_F(SampleLibraryTest, FilteredOrSortedRowsActOnTheSamplesTheyShow) {
  const struct {
    const char *name;
    std::function<void()> arrange;
  } kViews[] = {
      {"filtered", [&] { samples->SetFilter(QStringLiteral("中")); }},
      {"sorted by label", [&] { ClickHeader(0); }},
      {"sorted by data, descending",
       [&] {
         ClickHeader(1);
         ClickHeader(1);
       }},
      {"filtered and sorted",
       [&] {
         samples->SetFilter(QStringLiteral("中"));
         ClickHeader(0);
         ClickHeader(0);
       }},
  };
  for (const auto &view : kViews) {
    SCOPED_TRACE(view.name);
    samples->SetFilter(QString());
    LoadSamples({{Glyph(1), kZhong},
                 {Glyph(2), "b"},
                 {Glyph(3), kZhongWen},
                 {Glyph(4), "a"},
                 {Glyph(5), kZhong + "x"},
                 {Glyph(6), "c"}});
    const std::string original = FileBytes();
    const QStringList ownOrder = Rows();
    changes.clear();
    view.arrange();
    ASSERT_GE(list->rowCount(), 3);

    // A click previews the row clicked, and the add relabels its sample.
    Click(1);
    const std::string clicked = list->item(1, 1)->text().toStdString();
    EXPECT_EQ(samples->CurrentSample().toStdString(), clicked);
    label->setText(QStringLiteral("中新"));
    ASSERT_TRUE(samples->OnAddSample());
    EXPECT_EQ(store.at(clicked), "\xD6\xD0\xD0\xC2");
    EXPECT_EQ(store.size(), 6u);

    // Two rows deleted, whichever samples they show.
    Click(0);
    Click(2, Qt::ControlModifier);
    const std::vector<std::string> gone = {list->item(0, 1)->text().toStdString(),
                                           list->item(2, 1)->text().toStdString()};
    const std::string relabelled = FileBytes();
    samples->OnDeleteSample();
    EXPECT_EQ(store.size(), 4u);
    for (const std::string &key : gone)
      EXPECT_FALSE(store.contains(key)) << key;
    EXPECT_TRUE(store.contains(clicked) || std::count(gone.begin(), gone.end(), clicked));
    for (const std::string &key : ShownKeys())
      EXPECT_TRUE(store.contains(key)) << key;

    // Undone in the same view: the file as before, and the rows in their
    // own order again once the view is cleared.
    ASSERT_EQ(changes.size(), 2u);
    samples->ApplyChange(changes[1], false);
    EXPECT_EQ(FileBytes(), relabelled);
    samples->ApplyChange(changes[0], false);
    EXPECT_EQ(FileBytes(), original);
    samples->SetFilter(QString());
    while (!samples->View().ShowsAllInOrder())
      ClickHeader(samples->View().column == SortColumn::Label ? 0 : 1);
    EXPECT_EQ(Rows(), ownOrder);
  }
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SampleLibraryTest, HeaderClicksSortAndTheOwnOrderStaysTheDefault) {
  LoadSamples({{Glyph(1), "b"}, {Glyph(2), "c"}, {Glyph(3), "a"}});
  Add(QString::fromStdString(Glyph(0)), "d"); // on top, out of key order
  const std::vector<std::string> own = {Glyph(0), Glyph(3), Glyph(2), Glyph(1)};
  ASSERT_EQ(ShownKeys(), own);

  ClickHeader(0);
  EXPECT_EQ(ShownKeys(), (std::vector<std::string>{Glyph(3), Glyph(1), Glyph(2), Glyph(0)}));
  EXPECT_TRUE(list->horizontalHeader()->isSortIndicatorShown());
  ClickHeader(0);
  EXPECT_EQ(ShownKeys(), (std::vector<std::string>{Glyph(0), Glyph(2), Glyph(1), Glyph(3)}));
  ClickHeader(0);
  EXPECT_EQ(ShownKeys(), own);
  EXPECT_FALSE(list->horizontalHeader()->isSortIndicatorShown());

  // Sorted, then read again: the file's order, descending keys.
  ClickHeader(1);
  EXPECT_EQ(ShownKeys(), (std::vector<std::string>{Glyph(0), Glyph(1), Glyph(2), Glyph(3)}));
  samples->ReloadSampleList();
  EXPECT_EQ(ShownKeys(), (std::vector<std::string>{Glyph(3), Glyph(2), Glyph(1), Glyph(0)}));
  EXPECT_FALSE(list->horizontalHeader()->isSortIndicatorShown());
  // A sample added while sorted goes to its sorted place, and on top of the
  // own order.
  ClickHeader(0);
  Add(QString::fromStdString(Glyph(9)), "bb");
  EXPECT_EQ(ShownKeys(),
            (std::vector<std::string>{Glyph(3), Glyph(1), Glyph(9), Glyph(2), Glyph(0)}));
  ClickHeader(0);
  ClickHeader(0);
  EXPECT_EQ(ShownKeys().front(), Glyph(9));

  // The selection follows its samples through a sort; a double click on a
  // header, which begins with a click, leaves the order as it was.
  Click(1);
  const std::string selected = ShownKeys()[1];
  ClickHeader(0);
  ASSERT_EQ(list->selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(ShownKeys()[std::size_t(list->selectionModel()->selectedRows()[0].row())], selected);
  const std::vector<std::string> sorted = ShownKeys();
  for (int column : {0, 1}) {
    QHeaderView *header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    // As the platform delivers it: a click, then the double click.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(ShownKeys(), sorted) << column;
    EXPECT_EQ(samples->View().column, SortColumn::Label);
  }
  EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
}

TEST_F(SampleLibraryTest, ImportAppliesTheDuplicateRuleInOneUndoableWrite) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}, {Bytes(C), "c"}});
  const std::string before = FileBytes();
  const QStringList rowsBefore = Rows();
  dir.Write(
      "older.txt",
      FormatSampleFile({{Bytes(A), "a"}, {Bytes(B), kZhong}, {Bytes(D), "d"}, {Glyph(7), "g"}}));
  samples->SetImportChooser([&] { return QString::fromStdString(dir.File("older.txt")); });
  writes.Take();

  const std::optional<CSampleList::ImportSummary> done = samples->OnImportSamples();
  ASSERT_TRUE(done);
  EXPECT_EQ(done->added, 2);
  EXPECT_EQ(done->relabelled, 1);
  EXPECT_EQ(done->unchanged, 1);
  EXPECT_EQ(writes.Take(), 1);
  EXPECT_EQ(FileBytes(), FormatSampleFile({{Bytes(A), "a"},
                                           {Bytes(B), kZhong},
                                           {Bytes(C), "c"},
                                           {Bytes(D), "d"},
                                           {Glyph(7), "g"}}));
  // New samples on top, as a load would list them; the rest keep their rows.
  EXPECT_EQ(Rows(), (QStringList{"d|" + D, "g|" + QString::fromStdString(Glyph(7)), "c|" + C,
                                 QStringLiteral("中|") + B, "a|" + A}));
  EXPECT_EQ(samples->CurrentCounts().labels, 5);

  ASSERT_EQ(changes.size(), 1u);
  samples->ApplyChange(changes[0], false);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(Rows(), rowsBefore);

  // Importing what the library holds already writes nothing.
  changes.clear();
  writes.Take();
  samples->SetImportChooser([&] { return path->text(); });
  const std::optional<CSampleList::ImportSummary> same = samples->OnImportSamples();
  ASSERT_TRUE(same);
  EXPECT_EQ(same->unchanged, 3);
  EXPECT_EQ(writes.Take(), 0);
  EXPECT_TRUE(changes.empty());
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SampleLibraryTest, AnImportThatCannotBeReadOrParsedChangesNothing) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}});
  const std::string before = FileBytes();
  const QStringList rowsBefore = Rows();
  std::filesystem::create_directory(dir.File("folder"));
  const struct {
    const char *file;
    std::string bytes; // empty: not written
    const char *told;
  } kCases[] = {
      {"missing.txt", "", "无法读取"},
      {"folder", "", "无法读取"},
      {"empty.txt", "", "无法读取"},
      {"broken.txt", R"([{"desc": "ff$1$0.0.8$8", "name": "x"})", "不是有效的样本文件"},
      {"object.txt", R"({"desc": "ff$1$0.0.8$8", "name": "x"})", "不是有效的样本文件"},
  };
  dir.Write("empty.txt", "");
  for (const auto &c : kCases) {
    SCOPED_TRACE(c.file);
    if (!c.bytes.empty())
      dir.Write(c.file, c.bytes);
    messages.clear();
    writes.Take();
    samples->SetImportChooser([&] { return QString::fromStdString(dir.File(c.file)); });
    EXPECT_FALSE(samples->OnImportSamples());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8(c.told))) << messages[0].toStdString();
    EXPECT_EQ(writes.Take(), 0);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(Rows(), rowsBefore);
    EXPECT_EQ(store, (SampleStore{{Bytes(A), "a"}, {Bytes(B), "b"}}));
    EXPECT_TRUE(changes.empty());
  }

  // A good file, but the library's file cannot take the merge (the disk is
  // full): told, and store, rows and file stay as they were.
  dir.Write("good.txt", FormatSampleFile({{Bytes(C), "c"}, {Bytes(A), "new"}}));
  samples->SetImportChooser([&] { return QString::fromStdString(dir.File("good.txt")); });
  messages.clear();
  {
    FileSizeLimit full(before.size());
    EXPECT_FALSE(samples->OnImportSamples());
  }
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("无法写入样本文件")));
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(Rows(), rowsBefore);
  EXPECT_EQ(store, (SampleStore{{Bytes(A), "a"}, {Bytes(B), "b"}}));
  EXPECT_TRUE(changes.empty());

  // Without a sample file there is nowhere to import to; nothing is asked.
  path->clear();
  messages.clear();
  bool asked = false;
  samples->SetImportChooser([&] {
    asked = true;
    return QString();
  });
  EXPECT_FALSE(samples->OnImportSamples());
  EXPECT_EQ(messages, QStringList{kNoPath});
  EXPECT_FALSE(asked);
}

TEST_F(SampleLibraryTest, ANewLibraryStartsEmptyAndLeavesTheOldFileAsItWas) {
  LoadSamples({{Bytes(A), "a"}, {Bytes(B), "b"}});
  const std::string old = FileBytes();
  const QString fresh = QString::fromStdString(dir.File("font2.txt"));
  bool replaced = false;
  QObject::connect(samples.get(), &CSampleList::LibraryReplaced, [&] { replaced = true; });

  samples->SetNewLibraryChooser([] { return QString(); }); // cancelled
  EXPECT_FALSE(samples->OnNewLibrary());
  EXPECT_EQ(store.size(), 2u);

  samples->SetNewLibraryChooser([&] { return fresh; });
  ASSERT_TRUE(samples->OnNewLibrary());
  EXPECT_TRUE(replaced);
  EXPECT_EQ(dir.Read("font2.txt"), FormatSampleFile({}));
  EXPECT_EQ(dir.Read("font2.txt"), "null\n");
  EXPECT_EQ(FileBytes(), old);
  EXPECT_EQ(path->text(), fresh);
  EXPECT_TRUE(store.empty());
  EXPECT_EQ(list->rowCount(), 0);
  EXPECT_EQ(samples->CurrentCounts().samples, 0);

  Add(C, "c");
  EXPECT_EQ(dir.Read("font2.txt"), FormatSampleFile({{Bytes(C), "c"}}));
  EXPECT_EQ(FileBytes(), old);

  // A name that exists is refused: that file and the library stay.
  messages.clear();
  samples->SetNewLibraryChooser([&] { return QString::fromStdString(dir.File("samples.txt")); });
  EXPECT_FALSE(samples->OnNewLibrary());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("已存在")));
  EXPECT_EQ(FileBytes(), old);
  EXPECT_EQ(path->text(), fresh);
  EXPECT_EQ(store.size(), 1u);

  // A directory that cannot be written to: told, nothing changes.
  messages.clear();
  samples->SetNewLibraryChooser(
      [&] { return QString::fromStdString(dir.File("no/such/dir.txt")); });
  EXPECT_FALSE(samples->OnNewLibrary());
  EXPECT_EQ(messages.size(), 1);
  EXPECT_EQ(path->text(), fresh);
  EXPECT_EQ(store.size(), 1u);
}

} // namespace
