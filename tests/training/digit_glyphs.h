#pragma once
// Glyphs drawn from a real font (DejaVu Sans unless named) with Qt, the way
// a user's samples come from a screen: ink pixels cut out tightly and encoded
// as dot-matrix strings, and whole lines of text to recognise. Drawn one bit
// a pixel, or antialiased and inked where the coverage reaches half, as a
// screen's smoothed text comes out of the binarizer.
#include <QFont>
#include <string>
#include <vector>

#include "training/train_inputs.h"

namespace training_test {

inline constexpr char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The font in `fontFile` at `pixelSize`, drawn one bit a pixel unless
// `antialiased`; makes the offscreen application fonts need.
QFont FontOf(const char *fontFile, int pixelSize, bool antialiased = false);

// One sample per character of `text` (UTF-8) at each pixel size, drawn from
// `fontFile`, labelled with the character in the system code page.
SampleMap FontSamples(const std::string &text, const std::vector<int> &pixelSizes,
                      const char *fontFile = kDejaVuSans, bool antialiased = false);

// A line of text as a mask: 0 = ink, 255 = background.
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
};
TextMask RenderLine(const std::string &text, int pixelSize, const char *fontFile = kDejaVuSans,
                    bool antialiased = false);

} // namespace training_test
