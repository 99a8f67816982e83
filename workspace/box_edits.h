#pragma once
// Hand edits of the box list: draw a box, split one, merge several, keep the
// list in reading order. Values in, values out: the workspace view feeds
// these its mask and its boxes and shows what comes back.
//
// Every box an edit makes is snapped: its pixels are the smallest rectangle
// holding all white pixels of the area the user meant, so an edit never
// leaves a box with empty margins or one without pixels. Each new box
// carries the dot-matrix string of its pixels, like the boxes of a split.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "workspace/pixel_rect.h"
#include "workspace/seg_box.h"

// The binarized workspace: width x height bytes, row after row, nonzero =
// white.
struct WhiteMask {
  const std::uint8_t *pixels = nullptr;
  int width = 0;
  int height = 0;
};

// The pixels a box encodes (inclusive corners): one inside its outline.
PixelRect GlyphRectOf(const SegBox &box);

// The smallest rectangle (inclusive corners) holding every white pixel of
// `area` (inclusive corners, clipped to the mask; the corners may come in
// either order). Nothing when the area holds no white pixel.
std::optional<PixelRect> SnapToWhite(const WhiteMask &mask, PixelRect area);

// The box for a rectangle the user dragged (inclusive corners, in any
// order), snapped. Nothing when it holds no white pixel.
std::optional<SegBox> DrawnBox(const WhiteMask &mask, PixelRect dragged);

// Cuts a box at a workspace column: the left part keeps the columns before
// it, the right part starts at it. Both parts snapped, left first. Nothing
// when either part would hold no white pixel (the column lies on or outside
// the box's ink), so a split always gives two boxes.
std::optional<std::vector<SegBox>> SplitBoxAt(const WhiteMask &mask, const SegBox &box, int column);

// Cuts a box into `parts` columns of equal width (the wider ones first when
// the width does not divide), each snapped, left to right. Parts without a
// white pixel are left out. Nothing when fewer than two parts remain or
// `parts` is below 2 or wider than the box's pixels.
std::optional<std::vector<SegBox>> SplitBoxEqually(const WhiteMask &mask, const SegBox &box,
                                                   int parts);

// One box over all given boxes, snapped. Nothing for fewer than two boxes
// or when their area holds no white pixel.
std::optional<SegBox> MergeBoxes(const WhiteMask &mask, std::span<const SegBox> boxes);

// The index of the box with the same outline as `box` (position and size;
// the data string is not compared), or -1.
int SameOutline(std::span<const SegBox> boxes, const SegBox &box);

// The indices of the boxes whose outline lies within the outline of
// `outer` (edges may touch), in list order.
std::vector<int> BoxesInside(std::span<const SegBox> boxes, const SegBox &outer);

// Sorts boxes into reading order: text lines from the top, boxes of a line
// from the left. A box belongs to the line it overlaps vertically by at
// least half of the lower of the two heights, so commas, quotes and
// accents stay in their line while a descender does not pull the next line
// in. Boxes starting at the same column go top first, then the larger
// (outer) box first. Stable for equal boxes.
void SortReadingOrder(std::vector<SegBox> &boxes);

// Removes the boxes at `removed` (indices into `boxes`, any order,
// duplicates and out-of-range ones ignored), adds `added`, and sorts the
// list into reading order. Returns the index of the first added box in the
// new list, or -1 when nothing was added. An added box equal to one already
// in the list is not added twice: the index is then that box's.
int ReplaceBoxesInReadingOrder(std::vector<SegBox> &boxes, std::span<const int> removed,
                               std::span<const SegBox> added);
