// Groups the connected shapes of a mask into glyphs: the pieces of a Chinese
// character, the dot of an i, the strokes of a quotation mark become one box.
#pragma once

#include <cstdint>
#include <vector>

namespace morvexa {

struct Shape {
  int left, top, right, bottom; // inclusive
  std::int64_t pixels;
};

// label(x, y): which shape (index + 1) owns the pixel, 0 for background.
// Returns one Shape per glyph: the union of its shapes' boxes and pixels.
struct ShapeLabels {
  const int *labels;
  int width;
  int at(int x, int y) const { return labels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};
std::vector<Shape> groupIntoGlyphs(const std::vector<Shape> &shapes, const ShapeLabels &labels);

} // namespace morvexa
