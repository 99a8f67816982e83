#pragma once
// A rectangle in workspace pixels: left, top, right, bottom, signed 32-bit.
//
// Whether right and bottom are inclusive pixel indices or exclusive bounds
// depends on where the rectangle comes from: glyph rectangles (projection
// split, the engine's findRect) are inclusive, mask areas and ranges are
// exclusive. Each function says which it takes. The layout is four int32_t,
// the same as the engine's rectangles, so an engine result can be copied in.
#include <cstdint>

struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const PixelRect &, const PixelRect &) = default;
};
