// Scores a split against the glyphs drawn: how many glyphs touching no other
// got exactly their own ink's box, and how many boxes hold two glyphs or
// more. Shared by the grouping tests and the scored sets of faces and sizes.
#pragma once

#include "font_text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine_test {

// findRect's boxes for the text's mask.
std::vector<Rect> split(const FontText &text, float param = 0.0f);

struct Score {
  int expected = 0, right = 0, boxes = 0, merged = 0, pieces = 0;
  std::vector<Rect> wrongBoxes;
  std::string missed; // the glyphs not boxed right, when the text knows them
  bool perfect() const { return right == expected && merged == 0; }
};
Score score(const FontText &text, const std::vector<Rect> &found);
inline Score score(const FontText &text) {
  return score(text, split(text));
}
std::string describe(const Score &s);

// One set's scores over its sizes: the totals, and the misses to show when
// its floor is not met. With GW_SURVEY set, each miss is printed as it comes.
struct SetTally {
  std::string name;
  int right = 0, expected = 0, merged = 0, pieces = 0;
  std::string misses;
  void add(const Score &s, const std::string &where);
  void print() const; // the totals, one line
};

// `below` drawn `gap` rows under `above`, both from the left edge.
FontText stacked(const FontText &above, int gap, const FontText &below);
// `count` single pixels of noise, each at least `distance` pixels (in rows
// and columns) from any ink and from each other, placed from `seed`. They
// are no glyphs: a split must leave each one out of every glyph's box.
void addSpecks(FontText &text, int count, int distance, std::uint32_t seed);
// A frame `thickness` pixels wide around the text, `margin` pixels out from
// the ink. Returns its box, or an empty rect when it does not fit.
Rect addFrame(FontText &text, int margin, int thickness);

} // namespace engine_test
