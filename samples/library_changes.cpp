#include "samples/library_changes.h"

#include <string_view>
#include <unordered_map>

StoreChange EraseChange(const SampleStore &store, const SampleRows &rows,
                        std::span<const std::string> keys) {
  const std::vector<int> positions = rows.FindAll(keys);
  StoreChange change;
  change.steps.reserve(positions.size());
  for (auto position = positions.rbegin(); position != positions.rend(); ++position)
    change.RecordErase(store, rows[*position].key, *position);
  return change;
}

ImportPlan PlanImport(const SampleStore &store, const SampleRows &rows,
                      const SampleStore &incoming) {
  ImportPlan plan;
  std::unordered_map<std::string_view, int> positionOf;
  positionOf.reserve(std::size_t(rows.size()));
  for (int position = 0; position < rows.size(); ++position)
    positionOf.emplace(rows[position].key, position);

  // Relabels first: they move no row, so their positions hold while the new
  // rows are put on top afterwards.
  std::vector<const SampleStore::value_type *> added;
  for (const auto &entry : incoming) {
    const auto known = store.find(entry.first);
    if (known == store.end()) {
      added.push_back(&entry);
    } else if (known->second == entry.second) {
      ++plan.unchanged;
    } else {
      const auto row = positionOf.find(entry.first);
      plan.change.RecordPut(store, entry.first, entry.second,
                            row != positionOf.end() ? row->second : -1);
      ++plan.relabelled;
    }
  }
  // Descending keys from the top, each at its final row.
  int row = 0;
  for (auto entry = added.rbegin(); entry != added.rend(); ++entry)
    plan.change.RecordPut(store, (*entry)->first, (*entry)->second, row++);
  plan.added = row;
  return plan;
}
