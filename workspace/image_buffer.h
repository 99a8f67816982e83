#pragma once
// Pixel blocks of the workspace and the pure steps the workspace control
// runs on them: the engine's copy of an image, the binarized display, and the
// masks cut from the display.
//
// The workspace keeps two buffers of one size: the display buffer (blue,
// green, red, one byte without meaning: the platform's bitmap order) and the
// engine copy (red, green, blue, one byte without meaning). After
// binarization every display pixel is 255,255,255 or 0,0,0.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "workspace/pixel_rect.h"

struct ImageBuffer {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bytesPerRow = 0;
  std::int32_t bitsPerPixel = 0;    // the pixel step is bitsPerPixel / 8
  std::vector<std::uint8_t> pixels; // rows top to bottom

  bool empty() const { return pixels.empty(); }
};

// True when the buffer holds width x height pixels of at least three colour
// bytes each, rows bytesPerRow apart, all inside `pixels`. Every function
// below treats a buffer that fails this as holding no image.
bool HasColourPixels(const ImageBuffer &buffer);

// A black colour buffer of the given size (sizes below 0 count as 0).
ImageBuffer MakeBlackBuffer(std::int32_t width, std::int32_t height,
                            std::int32_t bitsPerPixel = 32);

// The engine's copy of a buffer: the same geometry with the first and third
// byte of every pixel swapped (blue-green-red becomes red-green-blue and back).
// Empty for a buffer without colour pixels.
ImageBuffer SwapRedBlue(const ImageBuffer &source);

// Turns the engine's threshold mask (width x height bytes of the display,
// nonzero = white) into the displayed pixels: white where the mask is nonzero
// inside the source rectangle (0, 0, sourceWidth, sourceHeight), black
// everywhere else, so the margin the image does not cover stays black for
// every method, inverting ones included. The fourth byte of a pixel is left
// alone. Returns false and changes nothing when the display holds no colour
// pixels or the mask is shorter than width x height.
bool FillDisplayFromMask(ImageBuffer &display, const std::uint8_t *mask, std::size_t maskSize,
                         std::int32_t sourceWidth, std::int32_t sourceHeight);

// Writes the display into a 32-bit bitmap of the same width and height whose
// pixels are native 32-bit words 0xFFRRGGBB (Qt's Format_RGB32; rows
// bytesPerLine apart). What the window shows after every binarization, so
// it runs at the speed of a copy. False, writing nothing, for a display
// without colour pixels or rows shorter than width x 4.
bool CopyDisplayToXrgb(const ImageBuffer &display, std::uint8_t *bits, std::size_t bytesPerLine);

// The mask of an area of the display (left, top, right, bottom; right and
// bottom exclusive): (right - left) x (bottom - top) bytes, 0xFF where the
// pixel's first (blue) byte is 255, else 0. An all-zero area stands for the
// whole display. An area reaching outside the display is clipped to it (an
// inverted one becomes empty). In both cases `area` is rewritten to the area
// actually extracted, so its size always matches the mask's.
// Nothing when the display holds no image or memory runs out.
std::optional<std::vector<std::uint8_t>> ExtractDisplayMask(const ImageBuffer &display,
                                                            PixelRect &area);

// The mask the projection split works on: width x height bytes, 1 where all
// three colour bytes of the display pixel are 255, else 0. Empty for a
// display without colour pixels.
std::vector<std::uint8_t> WhitePixelMask(const ImageBuffer &display);
