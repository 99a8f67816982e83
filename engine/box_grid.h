// Finds the boxes lying inside a box without looking at every box: boxes are
// filed by the cell of their top-left corner on a grid of square cells.
// Plain C++, shared by the grouping and the reading order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace boxgrid {

template <typename Box> class Grid {
public:
  // `cell`: about the size of a glyph, at least 1.
  Grid(std::span<const Box> boxes, std::int64_t cell)
      : boxes_(boxes), cell_(std::max<std::int64_t>(cell, 1)) {
    if (boxes.empty())
      return;
    left_ = top_ = INT64_MAX;
    std::int64_t right = INT64_MIN;
    for (const Box &b : boxes) {
      left_ = std::min<std::int64_t>(left_, b.left);
      top_ = std::min<std::int64_t>(top_, b.top);
      right = std::max<std::int64_t>(right, b.left);
    }
    columns_ = (right - left_) / cell_ + 1;
    filed_.reserve(boxes.size());
    std::int64_t lowest = top_;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      filed_.push_back({key(boxes[i].top, boxes[i].left), i});
      lowest = std::max<std::int64_t>(lowest, boxes[i].top);
    }
    std::sort(filed_.begin(), filed_.end());
    // Where each row of cells starts among the filed boxes, so a look-up
    // searches one row only; skipped when rows far outnumber the boxes.
    const std::int64_t rows = (lowest - top_) / cell_ + 1;
    if (rows <= 4 * std::int64_t(boxes.size()) + 16) {
      rowStart_.assign(std::size_t(rows) + 1, filed_.size());
      for (std::size_t n = filed_.size(); n-- > 0;)
        rowStart_[std::size_t(filed_[n].first / columns_)] = n;
      for (std::size_t row = std::size_t(rows); row-- > 0;)
        rowStart_[row] = std::min(rowStart_[row], rowStart_[row + 1]);
    }
  }

  // Calls found(index) for each box other than `outer` lying inside it,
  // until found returns false.
  template <typename Found> void inside(std::size_t outer, Found &&found) const {
    const Box &o = boxes_[outer];
    const std::int64_t firstRow = std::max<std::int64_t>(0, (o.top - top_) / cell_);
    const std::int64_t lastRow = (std::int64_t{o.bottom} - top_) / cell_;
    const std::int64_t firstColumn = std::max<std::int64_t>(0, (o.left - left_) / cell_);
    const std::int64_t lastColumn = std::min(columns_ - 1, (std::int64_t{o.right} - left_) / cell_);
    if (firstColumn > lastColumn)
      return;
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
      auto from = filed_.begin(), to = filed_.end();
      if (!rowStart_.empty()) {
        if (std::size_t(row) + 1 >= rowStart_.size())
          return;
        from = filed_.begin() + std::ptrdiff_t(rowStart_[std::size_t(row)]);
        to = filed_.begin() + std::ptrdiff_t(rowStart_[std::size_t(row) + 1]);
      }
      auto it = std::lower_bound(from, to,
                                 std::pair<std::int64_t, std::size_t>{row * columns_ + firstColumn, 0});
      const std::int64_t last = row * columns_ + lastColumn;
      for (; it != filed_.end() && it->first <= last; ++it) {
        const Box &b = boxes_[it->second];
        if (it->second != outer && b.left >= o.left && b.right <= o.right && b.top >= o.top &&
            b.bottom <= o.bottom && !found(it->second))
          return;
      }
      if (it == filed_.end())
        return;
    }
  }

private:
  std::int64_t key(std::int64_t top, std::int64_t left) const {
    return (top - top_) / cell_ * columns_ + (left - left_) / cell_;
  }

  std::span<const Box> boxes_;
  std::int64_t cell_;
  std::int64_t left_ = 0, top_ = 0, columns_ = 1;
  std::vector<std::pair<std::int64_t, std::size_t>> filed_;
  std::vector<std::size_t> rowStart_;
};

} // namespace boxgrid
