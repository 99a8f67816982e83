#include "workspace/box_edits.h"

#include "engine/reading_order.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <numeric>

namespace {

PixelRect Normalised(PixelRect rect) {
  if (rect.left > rect.right)
    std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom)
    std::swap(rect.top, rect.bottom);
  return rect;
}

PixelRect Union(const PixelRect &a, const PixelRect &b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

std::optional<SegBox> SnappedBox(const WhiteMask &mask, const PixelRect &area) {
  const std::optional<PixelRect> ink = SnapToWhite(mask, area);
  if (!ink)
    return std::nullopt;
  return MakeSegBox(*ink, mask.pixels, mask.width, mask.height);
}

// The indices of `boxes` in reading order, as findRect gives them.
std::vector<std::size_t> ReadingOrder(std::span<const SegBox> boxes) {
  std::vector<reading::Box> outlines;
  outlines.reserve(boxes.size());
  for (const SegBox &box : boxes)
    outlines.push_back({box.x, box.y, std::int64_t{box.x} + std::max(box.width, 0) - 1,
                        std::int64_t{box.y} + std::max(box.height, 0) - 1});
  return reading::readingOrder(outlines);
}

} // namespace

PixelRect GlyphRectOf(const SegBox &box) {
  const auto clamp = [](std::int64_t value) {
    return std::int32_t(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
  };
  return {clamp(std::int64_t{box.x} + 1), clamp(std::int64_t{box.y} + 1),
          clamp(std::int64_t{box.x} + box.width - 1), clamp(std::int64_t{box.y} + box.height - 1)};
}

std::optional<PixelRect> SnapToWhite(const WhiteMask &mask, PixelRect area) {
  if (mask.pixels == nullptr || mask.width <= 0 || mask.height <= 0)
    return std::nullopt;
  area = Normalised(area);
  const int left = std::max(area.left, 0);
  const int top = std::max(area.top, 0);
  const int right = std::min(area.right, mask.width - 1);
  const int bottom = std::min(area.bottom, mask.height - 1);
  std::optional<PixelRect> ink;
  for (int y = top; y <= bottom; ++y) {
    const std::uint8_t *row = mask.pixels + std::size_t(y) * std::size_t(mask.width);
    for (int x = left; x <= right; ++x) {
      if (row[x] == 0)
        continue;
      if (!ink)
        ink = PixelRect{x, y, x, y};
      else
        *ink = Union(*ink, PixelRect{x, y, x, y});
    }
  }
  return ink;
}

std::optional<SegBox> DrawnBox(const WhiteMask &mask, PixelRect dragged) {
  return SnappedBox(mask, dragged);
}

std::optional<std::vector<SegBox>> SplitBoxAt(const WhiteMask &mask, const SegBox &box,
                                              int column) {
  const PixelRect glyph = GlyphRectOf(box);
  if (column <= glyph.left || column > glyph.right)
    return std::nullopt;
  std::optional<SegBox> left = SnappedBox(mask, {glyph.left, glyph.top, column - 1, glyph.bottom});
  std::optional<SegBox> right = SnappedBox(mask, {column, glyph.top, glyph.right, glyph.bottom});
  if (!left || !right)
    return std::nullopt;
  return std::vector<SegBox>{std::move(*left), std::move(*right)};
}

std::optional<std::vector<SegBox>> SplitBoxEqually(const WhiteMask &mask, const SegBox &box,
                                                   int parts) {
  const PixelRect glyph = GlyphRectOf(box);
  const std::int64_t width = std::int64_t{glyph.right} - glyph.left + 1;
  if (parts < 2 || parts > width)
    return std::nullopt;
  std::vector<SegBox> pieces;
  std::int64_t start = glyph.left;
  for (int i = 0; i < parts; ++i) {
    // The first (width % parts) parts take one column more.
    const std::int64_t size = width / parts + (i < width % parts ? 1 : 0);
    const PixelRect area{int(start), glyph.top, int(start + size - 1), glyph.bottom};
    if (std::optional<SegBox> piece = SnappedBox(mask, area))
      pieces.push_back(std::move(*piece));
    start += size;
  }
  if (pieces.size() < 2)
    return std::nullopt;
  return pieces;
}

std::optional<SegBox> MergeBoxes(const WhiteMask &mask, std::span<const SegBox> boxes) {
  if (boxes.size() < 2)
    return std::nullopt;
  PixelRect area = GlyphRectOf(boxes.front());
  for (const SegBox &box : boxes.subspan(1))
    area = Union(area, GlyphRectOf(box));
  return SnappedBox(mask, area);
}

int SameOutline(std::span<const SegBox> boxes, const SegBox &box) {
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const SegBox &other = boxes[i];
    if (other.x == box.x && other.y == box.y && other.width == box.width &&
        other.height == box.height)
      return int(i);
  }
  return -1;
}

std::vector<int> BoxesInside(std::span<const SegBox> boxes, const SegBox &outer) {
  const auto right = [](const SegBox &b) { return std::int64_t{b.x} + b.width; };
  const auto bottom = [](const SegBox &b) { return std::int64_t{b.y} + b.height; };
  std::vector<int> inside;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const SegBox &box = boxes[i];
    if (box.x >= outer.x && box.y >= outer.y && right(box) <= right(outer) &&
        bottom(box) <= bottom(outer))
      inside.push_back(int(i));
  }
  return inside;
}

void SortReadingOrder(std::vector<SegBox> &boxes) {
  const std::vector<std::size_t> order = ReadingOrder(boxes);
  std::vector<SegBox> sorted;
  sorted.reserve(boxes.size());
  for (std::size_t index : order)
    sorted.push_back(std::move(boxes[index]));
  boxes = std::move(sorted);
}

int ReplaceBoxesInReadingOrder(std::vector<SegBox> &boxes, std::span<const int> removed,
                               std::span<const SegBox> added) {
  std::vector<bool> drop(boxes.size(), false);
  for (int index : removed)
    if (index >= 0 && std::size_t(index) < boxes.size())
      drop[std::size_t(index)] = true;
  std::vector<SegBox> kept;
  kept.reserve(boxes.size() + added.size());
  for (std::size_t i = 0; i < boxes.size(); ++i)
    if (!drop[i])
      kept.push_back(std::move(boxes[i]));

  // The first added box, found again after sorting by its position among the
  // kept ones (an equal box may already stand in the list).
  std::optional<std::size_t> firstAdded;
  for (const SegBox &box : added) {
    const auto same = std::find(kept.begin(), kept.end(), box);
    const std::size_t at = std::size_t(same - kept.begin());
    if (same == kept.end())
      kept.push_back(box);
    if (!firstAdded)
      firstAdded = at;
  }

  const std::vector<std::size_t> order = ReadingOrder(kept);
  std::vector<SegBox> sorted;
  sorted.reserve(kept.size());
  int result = -1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (firstAdded && order[i] == *firstAdded)
      result = int(i);
    sorted.push_back(std::move(kept[order[i]]));
  }
  boxes = std::move(sorted);
  return result;
}
