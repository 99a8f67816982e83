#include "samples/row_view.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

std::vector<int> ShownPositions(const SampleRows &rows, const RowView &view) {
  std::vector<int> shown;
  shown.reserve(std::size_t(rows.size()));
  for (int position = 0; position < rows.size(); ++position)
    if (view.filter.empty() || rows[position].text.find(view.filter) != std::u16string::npos)
      shown.push_back(position);
  if (view.column == SortColumn::None)
    return shown;
  const auto field = [&](int position) -> const std::string & {
    return view.column == SortColumn::Label ? rows[position].label : rows[position].key;
  };
  std::stable_sort(shown.begin(), shown.end(), [&](int a, int b) {
    return view.descending ? field(b) < field(a) : field(a) < field(b);
  });
  return shown;
}

void CycleSort(RowView &view, SortColumn column) {
  if (view.column != column) {
    view.column = column;
    view.descending = false;
  } else if (!view.descending) {
    view.descending = true;
  } else {
    view.column = SortColumn::None;
    view.descending = false;
  }
}

int CountDistinctLabels(const SampleStore &store) {
  std::unordered_set<std::string_view> labels;
  labels.reserve(store.size());
  for (const auto &entry : store)
    labels.insert(entry.second);
  return int(labels.size());
}
