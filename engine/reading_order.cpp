#include "engine/reading_order.h"

#include "engine/box_grid.h"

#include <algorithm>
#include <numeric>

namespace reading {
namespace {

std::int64_t heightOf(const Box &b) {
  return std::max<std::int64_t>(b.bottom - b.top + 1, 1);
}
std::int64_t widthOf(const Box &b) {
  return std::max<std::int64_t>(b.right - b.left + 1, 1);
}

// Boxes that are not text: a vertical rule or a frame spans several lines, an
// underline or horizontal rule is long and thin, and a frame holds boxes.
// Taken into a line they would chain the lines they cross into one and the
// glyphs would be walked column by column.
std::vector<bool> notText(std::span<const Box> boxes) {
  std::vector<bool> result(boxes.size(), false);
  if (boxes.size() < 2)
    return result;
  std::vector<std::int64_t> heights;
  heights.reserve(boxes.size());
  for (const Box &b : boxes)
    heights.push_back(heightOf(b));
  const auto middle = heights.begin() + std::ptrdiff_t(heights.size() / 2);
  std::nth_element(heights.begin(), middle, heights.end());
  const std::int64_t typical = *middle;
  const boxgrid::Grid<Box> grid(boxes, 2 * typical);
  for (std::size_t k = 0; k < boxes.size(); ++k) {
    const Box &b = boxes[k];
    const std::int64_t h = heightOf(b), w = widthOf(b);
    if (h > 3 * typical || (w > 10 * typical && h < typical)) {
      result[k] = true;
      continue;
    }
    int held = 0;
    grid.inside(k, [&](std::size_t) { return ++held < 2; });
    result[k] = held >= 2;
  }
  return result;
}

struct Line {
  std::int64_t top, bottom; // inclusive
  std::vector<std::size_t> members;
};

} // namespace

std::vector<std::size_t> readingOrder(std::span<const Box> boxes) {
  const std::vector<bool> aside = notText(boxes);
  std::vector<std::size_t> byTop(boxes.size());
  std::iota(byTop.begin(), byTop.end(), std::size_t{0});
  std::stable_sort(byTop.begin(), byTop.end(), [&](std::size_t a, std::size_t b) {
    if (boxes[a].top != boxes[b].top)
      return boxes[a].top < boxes[b].top;
    return boxes[a].left < boxes[b].left;
  });

  std::vector<Line> lines;
  std::vector<std::size_t> open; // lines a later box may still overlap
  for (std::size_t index : byTop) {
    if (aside[index])
      continue;
    const Box &b = boxes[index];
    // Boxes come by their tops: a line ending above this top is done.
    std::erase_if(open, [&](std::size_t l) { return lines[l].bottom < b.top; });
    std::size_t best = lines.size();
    std::int64_t bestOverlap = 0;
    for (std::size_t l : open) {
      const Line &line = lines[l];
      const std::int64_t overlap = std::min(line.bottom, b.bottom) - std::max(line.top, b.top) + 1;
      const std::int64_t lower = std::min(heightOf(b), line.bottom - line.top + 1);
      if (overlap > 0 && overlap * 2 >= lower && overlap > bestOverlap) {
        best = l;
        bestOverlap = overlap;
      }
    }
    if (best == lines.size()) {
      open.push_back(lines.size());
      lines.push_back({b.top, b.bottom, {index}});
      continue;
    }
    lines[best].top = std::min(lines[best].top, b.top);
    lines[best].bottom = std::max(lines[best].bottom, b.bottom);
    lines[best].members.push_back(index);
  }
  for (std::size_t index : byTop)
    if (aside[index])
      lines.push_back({boxes[index].top, boxes[index].bottom, {index}});

  // Lines and the boxes set aside by their tops; at equal tops a frame
  // comes before the text it holds.
  std::vector<std::size_t> lineOrder(lines.size());
  std::iota(lineOrder.begin(), lineOrder.end(), std::size_t{0});
  auto isAside = [&](const Line &line) {
    return line.members.size() == 1 && aside[line.members.front()];
  };
  std::stable_sort(lineOrder.begin(), lineOrder.end(), [&](std::size_t a, std::size_t b) {
    if (lines[a].top != lines[b].top)
      return lines[a].top < lines[b].top;
    return isAside(lines[a]) && !isAside(lines[b]);
  });
  std::vector<std::size_t> order;
  order.reserve(boxes.size());
  for (std::size_t l : lineOrder) {
    std::vector<std::size_t> &members = lines[l].members;
    std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
      const Box &p = boxes[a], &q = boxes[b];
      if (p.left != q.left)
        return p.left < q.left;
      if (p.top != q.top)
        return p.top < q.top;
      return widthOf(p) * heightOf(p) > widthOf(q) * heightOf(q);
    });
    order.insert(order.end(), members.begin(), members.end());
  }
  return order;
}

} // namespace reading
