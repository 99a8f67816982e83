#include "training/glyph_placement.h"

#include <gtest/gtest.h>

#include "training/unicharset_ranges.h"

namespace {

// A font-like set of heights: x-height 10, cap height 14, descender 4.
struct Placed {
  const char *label; // system code page
  int height;
  int bottom; // expected, pixels above the baseline
};
const Placed kGlyphs[] = {
    {"x", 10, 0},  {"o", 10, 0},  {"O", 14, 0},  {"H", 14, 0},  {"l", 15, 0},
    {"p", 14, -4}, {"Q", 17, -3}, {"j", 17, -4}, {"'", 5, 9},   {"\"", 5, 9},
    {".", 2, 0},   {",", 4, -2},  {":", 8, 0},   {";", 10, -2}, {"-", 2, 4},
    {"=", 4, 3},   {"(", 18, -4}, {"_", 1, -2},  {"@", 10, 2},  {"\xD6\xD0", 16, -1}, // 中
};

std::vector<TrainGlyph> Glyphs() {
  std::vector<TrainGlyph> glyphs;
  for (const Placed &p : kGlyphs)
    glyphs.push_back(TrainGlyph{p.label, 8, p.height, std::vector<std::uint8_t>(8 * p.height, 1)});
  return glyphs;
}

} // namespace

TEST(GlyphPlacement, EachClassSitsWhereItsCharactersSitOnALine) {
  std::vector<TrainGlyph> glyphs = Glyphs();
  const FontMetrics metrics = EstimateFontMetrics(glyphs);
  EXPECT_EQ(metrics.xHeight, 10);
  EXPECT_EQ(metrics.capHeight, 14);
  EXPECT_EQ(metrics.descender, 4);
  for (std::size_t i = 0; i < glyphs.size(); ++i)
    EXPECT_EQ(GlyphBottom(glyphs[i], metrics), kGlyphs[i].bottom) << kGlyphs[i].label;

  // Placed glyphs keep their bottoms through the shuffle, and the page puts
  // every one on the common baseline: box bottom = page baseline + bottom.
  PlaceGlyphs(glyphs);
  std::vector<int> order;
  for (const TrainGlyph &glyph : glyphs)
    for (std::size_t i = 0; i < std::size(kGlyphs); ++i)
      if (glyph.label == kGlyphs[i].label) {
        EXPECT_EQ(glyph.bottom, kGlyphs[i].bottom) << glyph.label;
        order.push_back(int(i));
      }
  EXPECT_NE(order.front(), 0); // mixed, not in the given order
  const std::vector<GlyphRow> rows = LayoutRows(glyphs);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].baseline, 15 + 0); // the highest top is l's
  EXPECT_EQ(rows[0].height, 15 + 4);   // the lowest bottom is p's, j's and ('s
  const TrainingImage image = ComposeTrainingImage(glyphs, rows);
  const int pageBaseline = 10 + 4; // above the page's bottom edge
  std::size_t line = 0;
  for (const TrainGlyph &glyph : glyphs) {
    const std::size_t end = image.boxText.find('\n', line);
    const std::string box = image.boxText.substr(line, end - line);
    line = end + 1;
    int left, bottom, right, top, page;
    ASSERT_EQ(std::sscanf(box.c_str() + box.find(' '), "%d %d %d %d %d", &left, &bottom, &right,
                          &top, &page),
              5)
        << box;
    EXPECT_EQ(bottom, pageBaseline + glyph.bottom) << box;
    EXPECT_EQ(top - bottom, glyph.height) << box;
  }
}

TEST(GlyphPlacement, MissingClassesAreDerivedFromTheOthers) {
  struct Case {
    std::vector<std::pair<std::string, int>> glyphs;
    FontMetrics expected;
  };
  const Case cases[] = {
      {{{"a", 7}, {"e", 7}}, {7, 10, 3}},                  // lower case only
      {{{"A", 20}, {"1", 20}}, {14, 20, 6}},               // capitals only
      {{{"\xD6\xD0", 20}, {"\xCE\xC4", 20}}, {11, 16, 5}}, // CJK only
      {{{"@", 9}}, {6, 9, 3}},                             // nothing known
  };
  for (const Case &c : cases) {
    std::vector<TrainGlyph> glyphs;
    for (const auto &[label, height] : c.glyphs)
      glyphs.push_back(TrainGlyph{label, 5, height, {}});
    const FontMetrics m = EstimateFontMetrics(glyphs);
    EXPECT_EQ(m.xHeight, c.expected.xHeight) << c.glyphs[0].first;
    EXPECT_EQ(m.capHeight, c.expected.capHeight) << c.glyphs[0].first;
    EXPECT_EQ(m.descender, c.expected.descender) << c.glyphs[0].first;
  }
}

TEST(UnicharsetRanges, TheCharacterSetGetsThePlacedRangesInTheEnginesUnits) {
  std::vector<TrainGlyph> glyphs = Glyphs();
  PlaceGlyphs(glyphs);
  const auto ranges = VerticalRanges(glyphs);
  EXPECT_EQ(ranges.count("\xE4\xB8\xAD"), 0u); // 中 keeps the open range
  EXPECT_EQ(ranges.count("@"), 0u);            // so does an unknown class
  // Baseline 64, x-height 128: 6.4 units a pixel, a pixel either way.
  const std::string unicharset = "5\n"
                                 "NULL 0 Common 0\n"
                                 "x 3 0,255,0,255,0,0,0,0,0,0 Latin 1 0 1 x\n"
                                 "O 5 0,255,0,255,0,0,0,0,0,0 Latin 3 0 2 O\n"
                                 "p 3 0,255,0,255,0,0,0,0,0,0 Latin 2 0 3 p\n"
                                 "\xE4\xB8\xAD 1 0,255,0,255,0,0,0,0,0,0 Han 4 0 4 \xE4\xB8\xAD\n";
  EXPECT_EQ(WithVerticalRanges(unicharset, ranges),
            "5\n"
            "NULL 0 Common 0\n"
            "x 3 57,71,121,135,0,0,0,0,0,0 Latin 1 0 1 x\n"
            "O 5 57,71,147,160,0,0,0,0,0,0 Latin 3 0 2 O\n"
            "p 3 32,45,121,135,0,0,0,0,0,0 Latin 2 0 3 p\n"
            "\xE4\xB8\xAD 1 0,255,0,255,0,0,0,0,0,0 Han 4 0 4 \xE4\xB8\xAD\n");
  // Lines it cannot read pass unchanged.
  for (const std::string odd : {"x\n", "x 3\n", "x 3 0,255\n", "x 3 0,255 1,2,3\n"})
    EXPECT_EQ(WithVerticalRanges("1\n" + odd, ranges), "1\n" + odd);
}
