#include "samples/sample_file.h"
#include "samples/store_change.h"

#include <gtest/gtest.h>

namespace {

SampleStore Library() {
  return {{"a1", "A"}, {"b2", "B"}, {"c3", "C"}};
}

// A list that mirrors a store the way the sample list does, row by row.
using Rows = std::vector<std::pair<std::string, std::string>>; // key, label

void Follow(Rows &rows, const std::vector<RowAction> &actions) {
  for (const RowAction &a : actions) {
    switch (a.edit) {
    case RowEdit::Insert:
      rows.insert(rows.begin() + a.row, {*a.key, *a.label});
      break;
    case RowEdit::Remove:
      ASSERT_EQ(rows[std::size_t(a.row)].first, *a.key);
      rows.erase(rows.begin() + a.row);
      break;
    case RowEdit::Relabel:
      ASSERT_EQ(rows[std::size_t(a.row)].first, *a.key);
      rows[std::size_t(a.row)].second = *a.label;
      break;
    }
  }
}

TEST(StoreChange, PutOfTheSameLabelRecordsNothing) {
  const SampleStore store = Library();
  StoreChange change;
  change.RecordPut(store, "b2", "B", 1);
  change.RecordErase(store, "zz", 0);
  EXPECT_TRUE(change.empty());
}

// Each kind of change, and a mix of them, done to store and rows as the list
// does it, then undone and redone: store, file bytes and rows come back.
TEST(StoreChange, UndoRestoresStoreFileAndRowsRedoReapplies) {
  struct Op {
    bool erase;
    std::string key, label;
  };
  const std::vector<std::pair<const char *, std::vector<Op>>> cases = {
      {"add", {{false, "d4", "D"}}},
      {"relabel", {{false, "b2", "X"}}},
      {"delete", {{true, "b2", ""}}},
      {"line of adds and relabels", {{false, "d4", "D"}, {false, "a1", "Q"}, {false, "e5", "E"}}},
      {"delete then re-add", {{true, "c3", ""}, {false, "c3", "Z"}}},
      {"delete several rows", {{true, "a1", ""}, {true, "c3", ""}, {true, "b2", ""}}},
  };
  for (const auto &[name, ops] : cases) {
    SCOPED_TRACE(name);
    SampleStore store = Library();
    Rows rows = {{"c3", "C"}, {"b2", "B"}, {"a1", "A"}}; // newest on top
    const SampleStore storeBefore = store;
    const Rows rowsBefore = rows;
    const std::string fileBefore = FormatSampleFile(store);

    StoreChange change;
    for (const Op &op : ops) {
      int row = 0;
      for (std::size_t r = 0; r < rows.size(); ++r)
        if (rows[r].first == op.key)
          row = int(r);
      if (op.erase) {
        change.RecordErase(store, op.key, row);
        store.erase(op.key);
        rows.erase(rows.begin() + row);
      } else {
        const bool known = store.contains(op.key);
        change.RecordPut(store, op.key, op.label, known ? row : 0);
        if (known)
          rows[std::size_t(row)].second = op.label;
        else
          rows.insert(rows.begin(), {op.key, op.label});
        store.insert_or_assign(op.key, op.label);
      }
    }
    const SampleStore storeAfter = store;
    const Rows rowsAfter = rows;
    const std::string fileAfter = FormatSampleFile(store);
    ASSERT_NE(fileAfter, fileBefore);

    Follow(rows, ApplyStoreChange(change, store, false));
    EXPECT_EQ(store, storeBefore);
    EXPECT_EQ(rows, rowsBefore);
    EXPECT_EQ(FormatSampleFile(store), fileBefore);

    Follow(rows, ApplyStoreChange(change, store, true));
    EXPECT_EQ(store, storeAfter);
    EXPECT_EQ(rows, rowsAfter);
    EXPECT_EQ(FormatSampleFile(store), fileAfter);
  }
}

} // namespace
