#pragma once
// What the sample list shows of its rows: those whose label contains the
// text being looked for, in the rows' own order or sorted by a column.
#include "samples/sample_rows.h"
#include "samples/sample_store.h"

#include <string>
#include <vector>

enum class SortColumn { None, Label, Data };

struct RowView {
  std::u16string filter; // empty: every row
  SortColumn column = SortColumn::None;
  bool descending = false;

  // The rows' own order, unfiltered: list row n is position n.
  bool ShowsAllInOrder() const { return filter.empty() && column == SortColumn::None; }
};

// The positions of `rows` to show, top first. Labels sort by their
// system-code-page bytes, which puts the common Chinese characters in
// pinyin order; data strings by their bytes, as the store orders them.
// Equal labels keep the rows' own order.
std::vector<int> ShownPositions(const SampleRows &rows, const RowView &view);

// A header click on `column`: ascending first, then descending, then back to
// the rows' own order.
void CycleSort(RowView &view, SortColumn column);

// How many different labels the library holds.
int CountDistinctLabels(const SampleStore &store);
