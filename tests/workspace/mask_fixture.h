#pragma once
// Masks drawn as text: '#' is a set (white) pixel, anything else clear.
#include <cstdint>
#include <string>
#include <vector>

#include "workspace/image_buffer.h"

struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bytes;
};

inline TextMask MaskFromText(const std::vector<std::string> &rows) {
  TextMask mask;
  mask.height = int(rows.size());
  mask.width = rows.empty() ? 0 : int(rows[0].size());
  for (const std::string &row : rows)
    for (char c : row)
      mask.bytes.push_back(c == '#' ? 1 : 0);
  return mask;
}

// A 32-bit blue-green-red display with '#' as 255,255,255 and anything else
// black; the fourth byte of each pixel is `filler`.
inline ImageBuffer DisplayFromText(const std::vector<std::string> &rows, std::uint8_t filler = 0) {
  const TextMask mask = MaskFromText(rows);
  ImageBuffer display = MakeBlackBuffer(mask.width, mask.height, 32);
  for (std::size_t i = 0; i < mask.bytes.size(); ++i) {
    const std::uint8_t value = mask.bytes[i] ? 255 : 0;
    display.pixels[i * 4 + 0] = value;
    display.pixels[i * 4 + 1] = value;
    display.pixels[i * 4 + 2] = value;
    display.pixels[i * 4 + 3] = filler;
  }
  return display;
}
