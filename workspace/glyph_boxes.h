#pragma once
// The projection split: cuts a mask into glyph rectangles by counting set
// pixels along rows and columns.
//
// One run rule does the work. Given counts for indices 0..n-1 and a gap G of
// at least 1, a run starts at a nonzero count and ends at its last nonzero
// index once G zero counts follow (or the counts end): G - 1 empty indices
// inside a run are bridged, G empty indices end it.
//
// It is used in three passes:
//  1. bands: set pixels per row of the whole mask, gap = row gap;
//  2. within each band, segments: set pixels per column of the band's rows,
//     gap = column gap;
//  3. within each segment, glyph rows: set pixels per row of the segment's
//     columns, gap = row gap; each gives one rectangle.
// The row gap is what the user calls "rows" and the column gap "columns":
// numbers of empty pixel rows / columns that end a line or a glyph.
#include <cstdint>
#include <span>
#include <vector>

#include "workspace/pixel_rect.h"

struct PixelRun {
  int first = 0;
  int last = 0; // inclusive

  friend bool operator==(const PixelRun &, const PixelRun &) = default;
};

// The runs of `counts` under the run rule, in index order. Nothing for a gap
// below 1.
std::vector<PixelRun> FindRuns(std::span<const std::int32_t> counts, int gap);

// The glyph rectangles of a mask of width x height bytes (row after row,
// nonzero = set), with inclusive corners, in reading order: band by band
// from the top, within a band segment by segment from the left, within a
// segment from the top. Nothing for a null or empty mask or a gap below 1.
std::vector<PixelRect> FindGlyphBoxes(const std::uint8_t *mask, int width, int height, int rowGap,
                                      int columnGap);
