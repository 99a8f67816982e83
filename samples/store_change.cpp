#include "samples/store_change.h"

void StoreChange::RecordPut(const SampleStore &store, const std::string &key,
                            const std::string &label, int row) {
  const auto found = store.find(key);
  std::optional<std::string> before;
  if (found != store.end()) {
    if (found->second == label)
      return;
    before = found->second;
  }
  steps.push_back(StoreStep{key, std::move(before), label, row});
}

void StoreChange::RecordErase(const SampleStore &store, const std::string &key, int row) {
  const auto found = store.find(key);
  if (found == store.end())
    return;
  steps.push_back(StoreStep{key, found->second, std::nullopt, row});
}

namespace {

RowAction Apply(const StoreStep &step, const std::optional<std::string> &from,
                const std::optional<std::string> &to, SampleStore &store) {
  if (!to) {
    store.erase(step.key);
    return {RowEdit::Remove, step.row, &step.key, nullptr};
  }
  store.insert_or_assign(step.key, *to);
  return {from ? RowEdit::Relabel : RowEdit::Insert, step.row, &step.key, &*to};
}

} // namespace

std::vector<RowAction> ApplyStoreChange(const StoreChange &change, SampleStore &store,
                                        bool forward) {
  std::vector<RowAction> actions;
  actions.reserve(change.steps.size());
  if (forward) {
    for (const StoreStep &step : change.steps)
      actions.push_back(Apply(step, step.before, step.after, store));
  } else {
    for (auto step = change.steps.rbegin(); step != change.steps.rend(); ++step)
      actions.push_back(Apply(*step, step->after, step->before, store));
  }
  return actions;
}
