// What the sample list shows of the library: the filter, the header sort,
// and filling the list from the rows through them.
#include "samples/list_items.h"
#include "samples/sample_list.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QScrollBar>
#include <QTableWidget>
#include <unordered_set>

namespace {

// A command touching more rows than this refills the list instead of
// editing it row by row: removing thousands of rows one at a time takes the
// table seconds, a refill of 10,000 rows milliseconds.
constexpr std::size_t kRowByRowEdits = 64;

SortColumn ColumnOf(int logicalColumn) {
  return logicalColumn == 0 ? SortColumn::Label : SortColumn::Data;
}

} // namespace

bool CSampleList::EditsRowByRow(std::size_t edits) const {
  return !listStale_ && view_.ShowsAllInOrder() && edits <= kRowByRowEdits &&
         list_->rowCount() == rows_.size();
}

void CSampleList::SetRowItems(int row, const SampleRow &sample) {
  list_->setItem(row, 0, ReadOnlyItem(QString::fromStdU16String(sample.text)));
  list_->setItem(row, 1, DataItem(sample.key));
}

std::vector<std::string> CSampleList::SelectedKeys() const {
  std::vector<int> rows;
  for (const QModelIndex &index : list_->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  std::vector<std::string> keys;
  keys.reserve(rows.size());
  for (int row : rows)
    keys.push_back(RowKey(list_, row));
  return keys;
}

void CSampleList::RefillList() {
  listStale_ = false;
  const std::vector<std::string> selectedKeys = SelectedKeys();
  const std::unordered_set<std::string> selected(selectedKeys.begin(), selectedKeys.end());
  const int scrolled = list_->verticalScrollBar()->value();

  const std::vector<int> shown = ShownPositions(rows_, view_);
  list_->setUpdatesEnabled(false);
  list_->setRowCount(0);
  list_->setRowCount(int(shown.size()));
  QItemSelection keep;
  for (int row = 0; row < int(shown.size()); ++row) {
    const SampleRow &sample = rows_[shown[std::size_t(row)]];
    SetRowItems(row, sample);
    if (selected.contains(sample.key))
      keep.select(list_->model()->index(row, 0), list_->model()->index(row, 1));
  }
  if (!keep.isEmpty())
    list_->selectionModel()->select(keep, QItemSelectionModel::Select);
  list_->setUpdatesEnabled(true);
  list_->verticalScrollBar()->setValue(scrolled);
}

void CSampleList::Settle() {
  if (listStale_ || list_->rowCount() != rows_.size())
    RefillList();
  emit CountsChanged();
}

CSampleList::Counts CSampleList::CurrentCounts() const {
  return Counts{int(store_.size()), CountDistinctLabels(store_), list_->rowCount()};
}

void CSampleList::SetFilter(const QString &text) {
  std::u16string filter = text.toStdU16String();
  if (filter == view_.filter)
    return;
  view_.filter = std::move(filter);
  RefillList();
  Settle();
}

void CSampleList::ShowSortIndicator() {
  QHeaderView *header = list_->horizontalHeader();
  header->setSortIndicatorShown(view_.column != SortColumn::None);
  if (view_.column != SortColumn::None)
    header->setSortIndicator(view_.column == SortColumn::Label ? 0 : 1,
                             view_.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void CSampleList::OnHeaderClicked(int column) {
  viewBeforeClick_ = view_;
  lastHeaderClick_.start();
  lastClickedColumn_ = column;
  CycleSort(view_, ColumnOf(column));
  ShowSortIndicator();
  RefillList();
  Settle();
}

void CSampleList::OnHeaderDoubleClicked(int column) {
  // A double click on a header means nothing, but its first half was a click
  // that sorted: the order goes back to what it was before that click.
  const bool secondHalf = lastHeaderClick_.isValid() && column == lastClickedColumn_ &&
                          lastHeaderClick_.elapsed() <= QApplication::doubleClickInterval();
  lastHeaderClick_.invalidate();
  if (!secondHalf)
    return;
  view_.column = viewBeforeClick_.column;
  view_.descending = viewBeforeClick_.descending;
  ShowSortIndicator();
  RefillList();
  Settle();
}
