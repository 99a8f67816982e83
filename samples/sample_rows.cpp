#include "samples/sample_rows.h"

#include "app/text_codec.h"

#include <algorithm>
#include <unordered_set>

namespace {

SampleRow MakeRow(std::string key, std::string label) {
  std::u16string text = FromSystemCodePage(label);
  return SampleRow{std::move(key), std::move(label), std::move(text)};
}

} // namespace

void SampleRows::Assign(const SampleStore &store) {
  rows_.clear();
  rows_.reserve(store.size());
  for (auto entry = store.rbegin(); entry != store.rend(); ++entry)
    rows_.push_back(MakeRow(entry->first, entry->second));
}

int SampleRows::Find(std::string_view key, int hint) const {
  if (hint >= 0 && hint < size() && rows_[std::size_t(hint)].key == key)
    return hint;
  for (int position = 0; position < size(); ++position)
    if (rows_[std::size_t(position)].key == key)
      return position;
  return -1;
}

std::vector<int> SampleRows::FindAll(std::span<const std::string> keys) const {
  const std::unordered_set<std::string_view> wanted(keys.begin(), keys.end());
  std::vector<int> positions;
  for (int position = 0; position < size() && positions.size() < wanted.size(); ++position)
    if (wanted.contains(rows_[std::size_t(position)].key))
      positions.push_back(position);
  return positions;
}

void SampleRows::Insert(int position, std::string key, std::string label) {
  position = std::clamp(position, 0, size());
  rows_.insert(rows_.begin() + position, MakeRow(std::move(key), std::move(label)));
}

void SampleRows::Relabel(int position, std::string label) {
  SampleRow &row = rows_[std::size_t(position)];
  row.text = FromSystemCodePage(label);
  row.label = std::move(label);
}

void SampleRows::Remove(int position) {
  rows_.erase(rows_.begin() + position);
}

int SampleRows::Follow(const RowAction &action) {
  if (action.edit == RowEdit::Insert) {
    const int position = std::clamp(action.row, 0, size());
    Insert(position, *action.key, *action.label);
    return position;
  }
  const int position = Find(*action.key, action.row);
  if (position < 0)
    return -1;
  if (action.edit == RowEdit::Remove)
    Remove(position);
  else
    Relabel(position, *action.label);
  return position;
}

bool SampleRows::RemoveRun(std::span<const RowAction> run) {
  // Falling positions: each is where it was before any of the run went.
  for (const RowAction &action : run)
    if (action.row >= size() || rows_[std::size_t(action.row)].key != *action.key)
      return false;
  std::vector<bool> gone(rows_.size(), false);
  for (const RowAction &action : run)
    gone[std::size_t(action.row)] = true;
  std::size_t kept = 0;
  for (std::size_t at = 0; at < rows_.size(); ++at) {
    if (gone[at])
      continue;
    if (kept != at) // a string moved onto itself would be emptied
      rows_[kept] = std::move(rows_[at]);
    ++kept;
  }
  rows_.resize(kept);
  return true;
}

void SampleRows::InsertRun(std::span<const RowAction> run) {
  // Rising positions: each row ends up exactly at its own.
  std::vector<SampleRow> merged;
  merged.reserve(rows_.size() + run.size());
  std::size_t old = 0;
  for (const RowAction &action : run) {
    while (int(merged.size()) < action.row && old < rows_.size())
      merged.push_back(std::move(rows_[old++]));
    merged.push_back(MakeRow(*action.key, *action.label));
  }
  while (old < rows_.size())
    merged.push_back(std::move(rows_[old++]));
  rows_ = std::move(merged);
}

void SampleRows::FollowAll(const std::vector<RowAction> &actions) {
  // Below this, a run is cheaper done row by row.
  constexpr std::size_t kRunWorthAPass = 8;
  std::size_t at = 0;
  while (at < actions.size()) {
    const RowEdit edit = actions[at].edit;
    std::size_t end = at + 1;
    if (edit == RowEdit::Remove) {
      while (end < actions.size() && actions[end].edit == edit &&
             actions[end].row < actions[end - 1].row)
        ++end;
    } else if (edit == RowEdit::Insert) {
      while (end < actions.size() && actions[end].edit == edit &&
             actions[end].row > actions[end - 1].row && actions[end].row <= size() + int(end - at))
        ++end;
    }
    const std::span<const RowAction> run(actions.data() + at, end - at);
    bool done = false;
    if (run.size() >= kRunWorthAPass && edit == RowEdit::Remove) {
      done = RemoveRun(run);
    } else if (run.size() >= kRunWorthAPass && edit == RowEdit::Insert &&
               run.front().row <= size()) {
      InsertRun(run);
      done = true;
    }
    if (!done)
      for (const RowAction &action : run)
        Follow(action);
    at = end;
  }
}
