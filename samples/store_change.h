#pragma once
// One undoable change of the sample library: the rows it inserted, removed or
// relabelled, in the order they happened, each with its list position at
// that moment. Applying the steps forward redoes the change; applying their
// inverses backward undoes it. Only the rows touched are kept, never a copy
// of the store, so a history of hundreds of steps over a library of
// thousands of samples stays small.
//
// The store itself is ordered by key, so a store brought back this way
// formats to the same sample-file bytes it had; the row positions bring the
// list back to the order the user saw.
#include "samples/sample_store.h"

#include <optional>
#include <string>
#include <vector>

struct StoreStep {
  std::string key;                   // the data string, as the store keys it
  std::optional<std::string> before; // its label before the step; none: absent
  std::optional<std::string> after;  // its label after the step; none: removed
  int row = 0;                       // its list row when the step happened
};

struct StoreChange {
  std::vector<StoreStep> steps;

  bool empty() const { return steps.empty(); }

  // Records putting `label` on `key` (a new sample or a new label) at list
  // row `row`. Putting the label it already has records nothing.
  void RecordPut(const SampleStore &store, const std::string &key, const std::string &label,
                 int row);
  // Records removing `key` from list row `row`; nothing when it is absent.
  void RecordErase(const SampleStore &store, const std::string &key, int row);
};

// What the list must do for one step in one direction.
enum class RowEdit { Insert, Remove, Relabel };
struct RowAction {
  RowEdit edit;
  int row;
  const std::string *key;   // the step's key
  const std::string *label; // the label to show (Insert, Relabel); null for Remove
};

// Applies `change` to `store` (redo when `forward`, undo otherwise) and
// returns, in order, what a list mirroring the store must do to follow it.
std::vector<RowAction> ApplyStoreChange(const StoreChange &change, SampleStore &store,
                                        bool forward);
