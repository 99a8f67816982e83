#pragma once
// Segmentation boxes: one per glyph, each with its outline in workspace
// pixels and the dot-matrix string of the pixels inside.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/image_buffer.h"
#include "workspace/pixel_rect.h"

struct SegBox {
  // The outline: it runs one pixel outside the pixels the box encodes.
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // The dot-matrix string (ASCII, see dot_matrix.h); empty when the glyph
  // rectangle was empty or reached outside the mask.
  std::string data;

  friend bool operator==(const SegBox &, const SegBox &) = default;
};

// The box of a glyph rectangle (inclusive corners) of a mask of
// maskWidth x maskHeight bytes: x = left - 1, y = top - 1,
// width = right - left + 2, height = bottom - top + 2, and the encoded pixels.
SegBox MakeSegBox(const PixelRect &glyph, const std::uint8_t *mask, int maskWidth, int maskHeight);

// One box per glyph rectangle, in the given order (the engine's direct split
// hands its rectangles here).
std::vector<SegBox> MakeSegBoxes(std::span<const PixelRect> glyphs, const std::uint8_t *mask,
                                 int maskWidth, int maskHeight);

// The grid split of a binarized display: the pixels whose three colour bytes
// are all 255 are cut by the projection split (glyph_boxes.h) with the two
// gaps. An image without white pixels gives an empty list. Nothing when the
// display holds no image, a gap is below 1 or memory runs out: in each case
// the caller keeps its box list as it was.
std::optional<std::vector<SegBox>> SplitGridBoxes(const ImageBuffer &display, int rowGap,
                                                  int columnGap);

// A gap as the user types it into the row or column edit: the text's leading
// decimal number (white space and a sign allowed, 0 without digits),
// saturated to the int range. The split needs a result of at least 1; "0",
// "" and "abc" give 0.
int ParseSplitGap(std::string_view text);
