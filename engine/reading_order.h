// The order in which a person reads glyph boxes: lines from the top, each
// from the left. Shared by the engine's findRect and the workspace's sort
// after box edits, so both walk the boxes alike. Plain C++, no image library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace reading {

struct Box {
  std::int64_t left, top, right, bottom; // inclusive
};

// Indices of `boxes` in reading order. Boxes of text form lines: a box joins
// the line it shares at least half its own (or the line's) height with.
// Frames, table rules and underlines (much taller or much wider than the
// text, or around two or more boxes) join no line: each takes its place by
// its top edge, so the text inside a frame still reads line by line.
std::vector<std::size_t> readingOrder(std::span<const Box> boxes);

} // namespace reading
