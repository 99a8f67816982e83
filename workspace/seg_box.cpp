#include "workspace/seg_box.h"

#include <algorithm>
#include <climits>
#include <new>

#include "workspace/dot_matrix.h"
#include "workspace/glyph_boxes.h"
#include "app/leading_number.h"

namespace {

std::int32_t Saturate(std::int64_t value) {
  return std::int32_t(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

SegBox MakeSegBox(const PixelRect &glyph, const std::uint8_t *mask, int maskWidth, int maskHeight) {
  SegBox box;
  // Rectangles from the engine are not bounded by anything here; 64-bit
  // arithmetic keeps extreme ones from overflowing.
  box.x = Saturate(std::int64_t{glyph.left} - 1);
  box.y = Saturate(std::int64_t{glyph.top} - 1);
  box.width = Saturate(std::int64_t{glyph.right} - glyph.left + 2);
  box.height = Saturate(std::int64_t{glyph.bottom} - glyph.top + 2);
  box.data = EncodeDotMatrix(glyph, mask, maskWidth, maskHeight);
  return box;
}

std::vector<SegBox> MakeSegBoxes(std::span<const PixelRect> glyphs, const std::uint8_t *mask,
                                 int maskWidth, int maskHeight) {
  std::vector<SegBox> boxes;
  boxes.reserve(glyphs.size());
  for (const PixelRect &glyph : glyphs)
    boxes.push_back(MakeSegBox(glyph, mask, maskWidth, maskHeight));
  return boxes;
}

std::optional<std::vector<SegBox>> SplitGridBoxes(const ImageBuffer &display, int rowGap,
                                                  int columnGap) try {
  if (!HasColourPixels(display) || rowGap < 1 || columnGap < 1)
    return std::nullopt;
  const std::vector<std::uint8_t> mask = WhitePixelMask(display);
  const std::vector<PixelRect> glyphs =
      FindGlyphBoxes(mask.data(), display.width, display.height, rowGap, columnGap);
  return MakeSegBoxes(glyphs, mask.data(), display.width, display.height);
} catch (const std::bad_alloc &) {
  return std::nullopt;
}

int ParseSplitGap(std::string_view text) {
  return ParseLeadingInt(text);
}
