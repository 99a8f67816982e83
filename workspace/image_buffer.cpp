#include "workspace/image_buffer.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

int PixelStep(const ImageBuffer &buffer) {
  return buffer.bitsPerPixel / 8;
}

// One row of a 4-byte little-endian display: pixels before `limit` follow the
// mask, the rest turn black; the fourth byte of each pixel is kept. The
// display is filled on every track-bar notification: keep it as cheap as a copy.
void FillRgbxRow(std::uint8_t *row, const std::uint8_t *maskRow, std::int32_t limit,
                 std::int32_t width) {
  std::int32_t x = 0;
#if defined(__SSE2__)
  // Sixteen pixels a step: the mask bytes widen to all-ones or all-zero
  // pixels, merged with the kept fourth bytes.
  const __m128i zero = _mm_setzero_si128();
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i fourth = _mm_set1_epi32(std::int32_t(0xFF000000u));
  for (; x + 16 <= limit; x += 16) {
    const __m128i set =
        _mm_xor_si128(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(maskRow + x)), zero),
                      _mm_set1_epi8(-1));
    const __m128i low = _mm_unpacklo_epi8(set, set);
    const __m128i high = _mm_unpackhi_epi8(set, set);
    const __m128i lanes[4] = {_mm_unpacklo_epi16(low, low), _mm_unpackhi_epi16(low, low),
                              _mm_unpacklo_epi16(high, high), _mm_unpackhi_epi16(high, high)};
    auto *pixels = reinterpret_cast<__m128i *>(row + std::size_t(x) * 4);
    for (int i = 0; i < 4; ++i) {
      const __m128i old = _mm_loadu_si128(pixels + i);
      _mm_storeu_si128(pixels + i, _mm_or_si128(_mm_and_si128(old, fourth),
                                                _mm_and_si128(lanes[i], colour)));
    }
  }
#endif
  // Branch-free so the compiler may vectorize it: keep the fourth byte, make
  // the colour bytes all ones or all zeros.
  for (; x < limit; ++x) {
    std::uint32_t pixel;
    std::memcpy(&pixel, row + std::size_t(x) * 4, 4);
    const std::uint32_t white = 0u - std::uint32_t(maskRow[x] != 0);
    pixel = (pixel & 0xFF000000u) | (white & 0x00FFFFFFu);
    std::memcpy(row + std::size_t(x) * 4, &pixel, 4);
  }
  for (; x < width; ++x) {
    std::uint32_t pixel;
    std::memcpy(&pixel, row + std::size_t(x) * 4, 4);
    pixel &= 0xFF000000u;
    std::memcpy(row + std::size_t(x) * 4, &pixel, 4);
  }
}

// One row of a 4-byte little-endian display into a row of an xRGB bitmap:
// read as a 32-bit word, a display pixel (blue, green, red, x) already is
// the bitmap's 0xXXRRGGBB; only the unused byte must become 0xFF.
void CopyRgbxRowToXrgb(const std::uint8_t *from, std::uint8_t *to, std::int32_t width) {
  std::int32_t x = 0;
#if defined(__SSE2__)
  const __m128i opaque = _mm_set1_epi32(std::int32_t(0xFF000000u));
  for (; x + 16 <= width; x += 16) {
    const auto *in = reinterpret_cast<const __m128i *>(from + std::size_t(x) * 4);
    auto *out = reinterpret_cast<__m128i *>(to + std::size_t(x) * 4);
    const __m128i a = _mm_loadu_si128(in), b = _mm_loadu_si128(in + 1);
    const __m128i c = _mm_loadu_si128(in + 2), d = _mm_loadu_si128(in + 3);
    _mm_storeu_si128(out, _mm_or_si128(a, opaque));
    _mm_storeu_si128(out + 1, _mm_or_si128(b, opaque));
    _mm_storeu_si128(out + 2, _mm_or_si128(c, opaque));
    _mm_storeu_si128(out + 3, _mm_or_si128(d, opaque));
  }
#endif
  for (; x < width; ++x) {
    std::uint32_t pixel;
    std::memcpy(&pixel, from + std::size_t(x) * 4, 4);
    pixel |= 0xFF000000u;
    std::memcpy(to + std::size_t(x) * 4, &pixel, 4);
  }
}

} // namespace

bool HasColourPixels(const ImageBuffer &buffer) {
  if (buffer.width <= 0 || buffer.height <= 0 || buffer.bitsPerPixel % 8 != 0 ||
      PixelStep(buffer) < 3)
    return false;
  const std::int64_t rowBytes = std::int64_t{buffer.width} * PixelStep(buffer);
  if (buffer.bytesPerRow < rowBytes)
    return false;
  // The last row needs only its pixels, not its padding.
  const std::int64_t needed = std::int64_t{buffer.bytesPerRow} * (buffer.height - 1) + rowBytes;
  return static_cast<std::uint64_t>(needed) <= buffer.pixels.size();
}

ImageBuffer MakeBlackBuffer(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
  ImageBuffer buffer;
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (bitsPerPixel <= 0 || bitsPerPixel % 8 != 0)
    return buffer;
  const std::int64_t rowBytes = std::int64_t{width} * (bitsPerPixel / 8);
  if (rowBytes > INT32_MAX || rowBytes * height > INT32_MAX)
    return buffer;
  buffer.width = width;
  buffer.height = height;
  buffer.bitsPerPixel = bitsPerPixel;
  buffer.bytesPerRow = static_cast<std::int32_t>(rowBytes);
  buffer.pixels.assign(static_cast<std::size_t>(rowBytes * height), 0);
  return buffer;
}

ImageBuffer SwapRedBlue(const ImageBuffer &source) {
  if (!HasColourPixels(source))
    return {};
  ImageBuffer copy = source;
  const int step = PixelStep(source);
  for (std::int32_t y = 0; y < source.height; ++y) {
    std::uint8_t *row = copy.pixels.data() + std::size_t(y) * source.bytesPerRow;
    for (std::int32_t x = 0; x < source.width; ++x)
      std::swap(row[std::size_t(x) * step], row[std::size_t(x) * step + 2]);
  }
  return copy;
}

bool FillDisplayFromMask(ImageBuffer &display, const std::uint8_t *mask, std::size_t maskSize,
                         std::int32_t sourceWidth, std::int32_t sourceHeight) {
  if (!HasColourPixels(display) || mask == nullptr ||
      maskSize < std::size_t(display.width) * std::size_t(display.height))
    return false;
  const int step = PixelStep(display);
  // Outside the source rectangle the workspace shows no image: those pixels
  // stay black whatever the engine thresholded them to (an inverting method
  // turns the black margin white).
  const std::int32_t whiteWidth = std::clamp(sourceWidth, 0, display.width);
  const std::int32_t whiteHeight = std::clamp(sourceHeight, 0, display.height);
  for (std::int32_t y = 0; y < display.height; ++y) {
    std::uint8_t *row = display.pixels.data() + std::size_t(y) * display.bytesPerRow;
    const std::uint8_t *maskRow = mask + std::size_t(y) * display.width;
    const std::int32_t limit = y < whiteHeight ? whiteWidth : 0;
    if (step == 4 && std::endian::native == std::endian::little) {
      FillRgbxRow(row, maskRow, limit, display.width);
      continue;
    }
    for (std::int32_t x = 0; x < display.width; ++x) {
      const std::uint8_t value = (x < limit && maskRow[x] != 0) ? 255 : 0;
      std::uint8_t *pixel = row + std::size_t(x) * step;
      pixel[0] = value;
      pixel[1] = value;
      pixel[2] = value;
    }
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> ExtractDisplayMask(const ImageBuffer &display,
                                                            PixelRect &area) {
  if (!HasColourPixels(display))
    return std::nullopt;
  if (area == PixelRect{})
    area = PixelRect{0, 0, display.width, display.height};
  // A test range can lie partly or wholly outside the workspace (the view
  // offset is not limited); only pixels inside the display exist.
  area.left = std::clamp(area.left, 0, display.width);
  area.top = std::clamp(area.top, 0, display.height);
  area.right = std::clamp(area.right, area.left, display.width);
  area.bottom = std::clamp(area.bottom, area.top, display.height);

  const std::size_t width = std::size_t(area.right - area.left);
  const std::size_t height = std::size_t(area.bottom - area.top);
  const int step = PixelStep(display);
  try {
    std::vector<std::uint8_t> mask(width * height);
    std::uint8_t *out = mask.data();
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
      const std::uint8_t *pixel = display.pixels.data() + std::size_t(y) * display.bytesPerRow +
                                  std::size_t(area.left) * step;
      for (std::size_t x = 0; x < width; ++x, pixel += step)
        *out++ = pixel[0] == 255 ? 0xFF : 0x00;
    }
    return mask;
  } catch (const std::bad_alloc &) {
    return std::nullopt;
  }
}

std::vector<std::uint8_t> WhitePixelMask(const ImageBuffer &display) {
  if (!HasColourPixels(display))
    return {};
  std::vector<std::uint8_t> mask(std::size_t(display.width) * std::size_t(display.height));
  const int step = PixelStep(display);
  std::uint8_t *out = mask.data();
  for (std::int32_t y = 0; y < display.height; ++y) {
    const std::uint8_t *pixel = display.pixels.data() + std::size_t(y) * display.bytesPerRow;
    for (std::int32_t x = 0; x < display.width; ++x, pixel += step)
      *out++ = (pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255) ? 1 : 0;
  }
  return mask;
}

bool CopyDisplayToXrgb(const ImageBuffer &display, std::uint8_t *bits, std::size_t bytesPerLine) {
  if (!HasColourPixels(display) || bits == nullptr ||
      bytesPerLine < std::size_t(display.width) * 4)
    return false;
  const int step = PixelStep(display);
  const bool wordCopy = step == 4 && std::endian::native == std::endian::little;
  for (std::int32_t y = 0; y < display.height; ++y) {
    const std::uint8_t *from = display.pixels.data() + std::size_t(y) * display.bytesPerRow;
    std::uint8_t *to = bits + std::size_t(y) * bytesPerLine;
    if (wordCopy) {
      CopyRgbxRowToXrgb(from, to, display.width);
      continue;
    }
    for (std::int32_t x = 0; x < display.width; ++x, from += step) {
      const std::uint32_t pixel = 0xFF000000u | std::uint32_t(from[2]) << 16 |
                                  std::uint32_t(from[1]) << 8 | from[0];
      std::memcpy(to + std::size_t(x) * 4, &pixel, 4);
    }
  }
  return true;
}
