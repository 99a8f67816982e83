// Text drawn from a real font file with FreeType, as a mask plus, for every
// glyph, where its ink lies. Lets the split tests state exactly which boxes a
// correct split gives: one per glyph, except that glyphs whose ink touches
// (8-connected, or overlapping) can only share one.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace engine_test {

using Rect = std::array<int, 4>; // left, top, right, bottom (inclusive)

struct FontTextStyle {
  std::string fontPath;
  int faceIndex = 0;   // within a font collection (.ttc)
  int pixelSize = 24;  // the em, in pixels
  bool antialias = true; // smooth, then cut at `cut` coverage as a threshold would
  int cut = 128;         // of 255: where a smooth edge pixel becomes ink
  int letterSpacing = 0; // extra pixels after each glyph
  int lineSpacing = 0;   // extra pixels between lines beyond the font's own
};

struct FontText {
  int width = 0, height = 0;
  std::vector<unsigned char> mask; // 255 = ink, 0 = background
  // The boxes a correct split gives: the ink of each group of glyphs that
  // touch each other, one per glyph that touches none. In reading order.
  std::vector<Rect> glyphBoxes;
  std::vector<bool> touches; // per box: a group of glyphs that touch
  std::vector<std::string> glyphText; // per box: its characters, UTF-8
  // How many glyphs with ink there are, and how many touch another.
  int glyphs = 0, touching = 0;
};

// UTF-8 text; '\n' starts a new line. An empty result (width 0) when the
// font cannot be loaded.
FontText renderFontText(const std::string &utf8, const FontTextStyle &style);

// Where the tests find the fonts the install step puts in place.
inline const char *const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline const char *const kDejaVuSansMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
inline const char *const kDejaVuSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
inline const char *const kWenQuanYi = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

} // namespace engine_test
