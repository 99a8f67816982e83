#pragma once
// The sample list's own order of the library: descending data strings after a
// load, each new sample on top, rows back at their places after an undo.
// This order is the list's default, and the positions of undo steps
// (StoreChange) count in it, whatever the list shows at the moment: a
// filtered or sorted list is a view of these rows, never a reordering of
// them.
#include "samples/sample_store.h"
#include "samples/store_change.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct SampleRow {
  std::string key;     // the data string, as the store keys it
  std::string label;   // system code page, as the store has it
  std::u16string text; // the label as the list shows it
};

class SampleRows {
public:
  // The order a load gives: descending keys, as if each sample had been put
  // on top of the ones before it.
  void Assign(const SampleStore &store);

  int size() const { return int(rows_.size()); }
  const SampleRow &operator[](int position) const { return rows_[std::size_t(position)]; }

  // The position of `key`, trying `hint` first; -1 when it is not here.
  int Find(std::string_view key, int hint = -1) const;
  // The positions of all `keys` that are here, ascending, in one pass.
  std::vector<int> FindAll(std::span<const std::string> keys) const;

  void Insert(int position, std::string key, std::string label);
  void Relabel(int position, std::string label);
  void Remove(int position);

  // Follows one row action of a store change (ApplyStoreChange). Rows are
  // found by their key where the recorded position no longer holds it, and
  // an insert beyond the end goes to the end. The position acted on, or -1
  // when there was nothing to do.
  int Follow(const RowAction &action);
  // Follows all actions of a change in order. Runs of removals at falling
  // positions and of inserts at rising ones (a delete of many rows, an
  // import, and their undo) are done in one pass each, so taking back a
  // change of thousands of rows costs one pass over the list, not thousands.
  void FollowAll(const std::vector<RowAction> &actions);

private:
  bool RemoveRun(std::span<const RowAction> run);
  void InsertRun(std::span<const RowAction> run);

  std::vector<SampleRow> rows_;
};
