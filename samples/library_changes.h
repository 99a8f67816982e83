#pragma once
// Changes of many samples at once, made as one undoable step: deleting
// several rows, and merging another sample file into the library. Each is
// only worked out here; the sample list applies it to store and rows with
// ApplyStoreChange, as it applies an undo.
#include "samples/sample_rows.h"
#include "samples/sample_store.h"
#include "samples/store_change.h"

#include <span>
#include <string>

// Removing the rows of `keys` (keys not in the library are passed over).
// Recorded bottom row first, so every step's position holds at its turn and
// the undo puts each row back where it stood.
StoreChange EraseChange(const SampleStore &store, const SampleRows &rows,
                        std::span<const std::string> keys);

struct ImportPlan {
  StoreChange change;
  int added = 0;      // samples the library did not have
  int relabelled = 0; // samples it had under another label
  int unchanged = 0;  // samples it had under the same label
};

// Merging `incoming` into the library as adding each sample would: a
// sample the library has takes the imported label in its row; new samples
// go on top, in the order a load would list them.
ImportPlan PlanImport(const SampleStore &store, const SampleRows &rows,
                      const SampleStore &incoming);
