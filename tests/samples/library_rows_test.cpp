// The list's own order of the library, what a filter or a sort shows of it,
// and the changes of many rows at once (delete, import) with their undo.
#include "app/text_codec.h"
#include "samples/library_changes.h"
#include "samples/row_view.h"
#include "samples/sample_file.h"
#include "samples/sample_rows.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Gb(const std::u16string &text) {
  return ToSystemCodePage(text);
}

// Keys top first, the way the list would show the rows.
std::vector<std::string> Keys(const SampleRows &rows, const std::vector<int> &positions) {
  std::vector<std::string> keys;
  for (int position : positions)
    keys.push_back(rows[position].key);
  return keys;
}
std::vector<std::string> Keys(const SampleRows &rows) {
  std::vector<int> all;
  for (int position = 0; position < rows.size(); ++position)
    all.push_back(position);
  return Keys(rows, all);
}

// Rows in their own order: the load order (descending keys) with "n1"
// and "n2" added on top since.
SampleRows RowsOf(const SampleStore &store) {
  SampleRows rows;
  rows.Assign(store);
  return rows;
}

SampleStore Labelled() {
  return {{"k1", Gb(u"中")}, {"k2", Gb(u"中文")}, {"k3", "A"},
          {"k4", Gb(u"文")}, {"k5", "a"},         {"k6", Gb(u"中")}};
}

TEST(SampleRows, ALoadListsDescendingAndFindsByKey) {
  const SampleRows rows = RowsOf(Labelled());
  EXPECT_EQ(Keys(rows), (std::vector<std::string>{"k6", "k5", "k4", "k3", "k2", "k1"}));
  EXPECT_EQ(rows[4].text, u"中文");
  EXPECT_EQ(rows.Find("k4"), 2);
  EXPECT_EQ(rows.Find("k4", 2), 2);
  EXPECT_EQ(rows.Find("k4", 0), 2); // a wrong hint is only a first try
  EXPECT_EQ(rows.Find("zz"), -1);
  const std::vector<std::string> wanted = {"k1", "zz", "k5"};
  EXPECT_EQ(rows.FindAll(wanted), (std::vector<int>{1, 5}));
}

TEST(RowView, FilterKeepsRowsWhoseLabelContainsTheText) {
  SampleRows rows = RowsOf(Labelled());
  rows.Insert(0, "n1", Gb(u"文中"));
  const struct {
    std::u16string filter;
    std::vector<std::string> shown;
  } kCases[] = {
      {u"", {"n1", "k6", "k5", "k4", "k3", "k2", "k1"}},
      {u"中", {"n1", "k6", "k2", "k1"}},
      {u"中文", {"k2"}},
      {u"文中", {"n1"}},
      // Case counts: "a" and "A" are two different characters to train.
      {u"a", {"k5"}},
      {u"A", {"k3"}},
      {u"x", {}},
  };
  for (const auto &c : kCases) {
    SCOPED_TRACE(ToSystemCodePage(c.filter));
    RowView view;
    view.filter = c.filter;
    EXPECT_EQ(Keys(rows, ShownPositions(rows, view)), c.shown);
  }
}

TEST(RowView, AnAsciiTextNeverMatchesInsideADoubleByteCharacter) {
  // "丁" is 0xB6 0xA1 and "丄" 0x81 0x41 in GBK: the second byte of the
  // latter is the letter A.
  SampleRows rows = RowsOf({{"k1", Gb(u"丄")}, {"k2", Gb(u"丁")}});
  ASSERT_EQ(rows[1].label, "\x81\x41");
  RowView view;
  view.filter = u"A";
  EXPECT_TRUE(ShownPositions(rows, view).empty());
}

TEST(RowView, HeaderClicksSortAscendingDescendingThenBackToTheRowsOwnOrder) {
  SampleRows rows = RowsOf(Labelled());
  rows.Insert(0, "n1", "B"); // an add goes on top, out of key order
  const std::vector<std::string> own = {"n1", "k6", "k5", "k4", "k3", "k2", "k1"};
  RowView view;
  const struct {
    SortColumn click;
    std::vector<std::string> shown;
  } kClicks[] = {
      // Labels by their GBK bytes: ASCII first, then 文 (CEC4) before 中
      // (D6D0). Equal labels keep their own order.
      {SortColumn::Label, {"k3", "n1", "k5", "k4", "k6", "k1", "k2"}},
      {SortColumn::Label, {"k2", "k6", "k1", "k4", "k5", "n1", "k3"}},
      {SortColumn::Label, own},
      {SortColumn::Data, {"k1", "k2", "k3", "k4", "k5", "k6", "n1"}},
      {SortColumn::Label, {"k3", "n1", "k5", "k4", "k6", "k1", "k2"}},
      {SortColumn::Data, {"k1", "k2", "k3", "k4", "k5", "k6", "n1"}},
      {SortColumn::Data, {"n1", "k6", "k5", "k4", "k3", "k2", "k1"}},
      {SortColumn::Data, own},
  };
  int step = 0;
  for (const auto &click : kClicks) {
    SCOPED_TRACE(step++);
    CycleSort(view, click.click);
    EXPECT_EQ(Keys(rows, ShownPositions(rows, view)), click.shown);
  }
  EXPECT_TRUE(view.ShowsAllInOrder());

  view.column = SortColumn::Label;
  view.filter = u"中";
  EXPECT_EQ(Keys(rows, ShownPositions(rows, view)), (std::vector<std::string>{"k6", "k1", "k2"}));
}

TEST(RowView, DistinctLabelsAreCounted) {
  EXPECT_EQ(CountDistinctLabels({}), 0);
  EXPECT_EQ(CountDistinctLabels(Labelled()), 5);
}

// A change applied to store and rows and taken back gives back the file
// bytes and the rows; done again it gives the same result as before. Done
// in bulk (FollowAll) and row by row (Follow), the rows agree.
void ExpectUndoRedo(const SampleStore &start, const SampleRows &startRows,
                    const StoreChange &change, const SampleStore &expectedStore,
                    const std::vector<std::string> &expectedRows) {
  SampleStore store = start;
  SampleRows bulk = startRows;
  SampleRows single = startRows;
  SampleStore storeForSingle = start;
  bulk.FollowAll(ApplyStoreChange(change, store, true));
  for (const RowAction &action : ApplyStoreChange(change, storeForSingle, true))
    single.Follow(action);
  EXPECT_EQ(store, expectedStore);
  EXPECT_EQ(Keys(bulk), expectedRows);
  EXPECT_EQ(Keys(single), expectedRows);

  bulk.FollowAll(ApplyStoreChange(change, store, false));
  EXPECT_EQ(FormatSampleFile(store), FormatSampleFile(start));
  EXPECT_EQ(Keys(bulk), Keys(startRows));
  for (int position = 0; position < bulk.size(); ++position)
    EXPECT_EQ(bulk[position].label, startRows[position].label);

  bulk.FollowAll(ApplyStoreChange(change, store, true));
  EXPECT_EQ(store, expectedStore);
  EXPECT_EQ(Keys(bulk), expectedRows);
}

// A library of `count` samples "s0000".. with labels "L0", "L1", "L2".
SampleStore Numbered(int count, int from = 0) {
  SampleStore store;
  for (int i = from; i < from + count; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "s%04d", i);
    store[key] = "L" + std::to_string(i % 3);
  }
  return store;
}

TEST(LibraryChanges, DeletingManyRowsIsUndoneToTheSamePlaces) {
  const SampleStore start = Numbered(100);
  SampleRows rows = RowsOf(start);
  rows.Insert(0, "new", "N"); // not in key order
  SampleStore withNew = start;
  withNew["new"] = "N";

  const struct {
    const char *name;
    std::vector<std::string> keys;
  } kCases[] = {
      {"a few, given in any order", {"s0050", "new", "s0001"}},
      {"every second row", {}},
      {"all", {}},
      {"unknown keys are passed over", {"zz", "s0099"}},
  };
  for (auto c : kCases) {
    SCOPED_TRACE(c.name);
    if (c.keys.empty()) {
      for (int position = 0; position < rows.size(); ++position)
        if (std::string(c.name) == "all" || position % 2 == 1)
          c.keys.push_back(rows[position].key);
    }
    const StoreChange change = EraseChange(withNew, rows, c.keys);
    SampleStore expected = withNew;
    std::vector<std::string> expectedRows = Keys(rows);
    for (const std::string &key : c.keys) {
      expected.erase(key);
      std::erase(expectedRows, key);
    }
    ExpectUndoRedo(withNew, rows, change, expected, expectedRows);
  }
}

TEST(LibraryChanges, ImportAddsNewSamplesOnTopAndTheImportedLabelWins) {
  SampleStore start = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
  SampleRows rows = RowsOf(start); // c b a
  const SampleStore incoming = {{"b", "2"}, {"c", "X"}, {"d", "4"}, {"e", "5"}};
  const ImportPlan plan = PlanImport(start, rows, incoming);
  EXPECT_EQ(plan.added, 2);
  EXPECT_EQ(plan.relabelled, 1);
  EXPECT_EQ(plan.unchanged, 1);
  ExpectUndoRedo(start, rows, plan.change,
                 {{"a", "1"}, {"b", "2"}, {"c", "X"}, {"d", "4"}, {"e", "5"}},
                 {"e", "d", "c", "b", "a"});

  // Large enough for the one-pass runs: 300 new and 100 relabelled.
  start = Numbered(200);
  rows = RowsOf(start);
  SampleStore big = Numbered(300, 400);
  for (int i = 0; i < 200; i += 2) {
    char key[16];
    std::snprintf(key, sizeof key, "s%04d", i);
    big[key] = "imported";
  }
  const ImportPlan large = PlanImport(start, rows, big);
  EXPECT_EQ(large.added, 300);
  EXPECT_EQ(large.relabelled, 100);
  SampleStore merged = start;
  for (const auto &[key, label] : big)
    merged[key] = label;
  std::vector<std::string> order = Keys(RowsOf(Numbered(300, 400)));
  for (const std::string &key : Keys(rows))
    order.push_back(key);
  ExpectUndoRedo(start, rows, large.change, merged, order);
}

TEST(SampleRows, AChangeRecordedBeforeTheRowsMovedStillFindsItsRows) {
  // Rows read again in key order after an add on top: the recorded
  // positions are stale, the keys are not.
  SampleStore store = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
  SampleRows rows = RowsOf(store);
  rows.Insert(0, "0", "z"); // position 0, though it sorts first
  store["0"] = "z";
  StoreChange change;
  change.RecordPut(store, "b", "B", 2);
  change.RecordErase(store, "0", 0);
  rows = RowsOf(store); // c b a 0
  for (const RowAction &action : ApplyStoreChange(change, store, true))
    EXPECT_GE(rows.Follow(action), 0);
  EXPECT_EQ(Keys(rows), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(rows[1].label, "B");
}

} // namespace
