#include "workspace/display_binarize.h"

#include <algorithm>
#include <cstring>

namespace {

// The native word of a display pixel with three equal colour bytes and a
// zero fourth byte.
std::uint32_t GreyWord(std::uint8_t value) {
  const std::uint8_t bytes[4] = {value, value, value, 0};
  std::uint32_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The engine thresholds the whole display; what lies outside the image is
// black whatever it made of it (an inverting method turns the margin white).
void BlackenMargin(ImageBuffer &display, std::int32_t sourceWidth, std::int32_t sourceHeight) {
  const std::int32_t whiteWidth = std::clamp(sourceWidth, 0, display.width);
  const std::int32_t whiteHeight = std::clamp(sourceHeight, 0, display.height);
  for (std::int32_t y = 0; y < display.height; ++y) {
    std::uint8_t *row = display.pixels.data() + std::size_t(y) * display.bytesPerRow;
    const std::int32_t from = y < whiteHeight ? whiteWidth : 0;
    std::fill(row + std::size_t(from) * 4, row + std::size_t(display.width) * 4, 0);
  }
}

} // namespace

bool BinarizeIntoDisplay(ImageBuffer &display, MatHandle mat, int type, int threshold, int maximum,
                         std::int32_t sourceWidth, std::int32_t sourceHeight) {
  if (!HasColourPixels(display))
    return false;
  if (display.bitsPerPixel == 32) {
    if (!thresholdIntoPixels(type, mat, threshold, maximum, display.pixels.data(), display.width,
                             display.height, display.bytesPerRow, GreyWord(255), GreyWord(0)))
      return false;
    if (sourceWidth < display.width || sourceHeight < display.height)
      BlackenMargin(display, sourceWidth, sourceHeight);
    return true;
  }
  unsigned char *mask = thresoldImage(type, mat, threshold, maximum, display.width, display.height);
  if (mask == nullptr)
    return false;
  const bool filled =
      FillDisplayFromMask(display, mask, std::size_t(display.width) * std::size_t(display.height),
                          sourceWidth, sourceHeight);
  ocFree(&mask);
  return filled;
}
