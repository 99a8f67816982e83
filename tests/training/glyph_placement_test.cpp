#include "training/glyph_placement.h"

#include <algorithm>
#include <cctype>
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

// Tesseract finds a page's x-height only where x-height tops are a large
// share of the tops; printable ASCII has three capitals or digits to each
// x-height letter, so copies of those samples make up the difference, spread
// over every page. Libraries without x-height letters, or with enough of
// them, stay as they are.
TEST(GlyphPlacement, XHeightLettersAreMadeAsManyAsTheCapitals) {
  const struct {
    const char *characters;
    std::size_t placed;
    bool balanced; // as many x-height tops as capitals and digits
  } cases[] = {
      {"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!?.,:;'\"()-+",
       62 + 12 + 36 - 17, true},
      {"0123456789", 10, false},                      // digits only: nothing to balance with
      {"aceoxHT", 7, false},                          // already more x-height tops
      {"0123456789ABCDEFGHIJKLMNOPx", 27 + 8, false}, // eight copies of x at most
      {"\xD6\xD0\xCE\xC4"
       "AB",
       4, false}, // CJK and capitals
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.characters);
    std::vector<TrainGlyph> glyphs;
    for (const char *p = c.characters; *p; ++p) {
      const bool cjk = static_cast<unsigned char>(*p) >= 0x81;
      const std::string label = cjk ? std::string(p, 2) : std::string(1, *p);
      p += cjk;
      // Each sample's ink tells it apart from the others.
      std::vector<std::uint8_t> pixels(8 * 12, 0);
      pixels[glyphs.size() % pixels.size()] = 1;
      glyphs.push_back(TrainGlyph{label, 8, 12, pixels});
    }
    const std::vector<TrainGlyph> samples = glyphs;
    PlaceGlyphs(glyphs);
    EXPECT_EQ(glyphs.size(), c.placed);
    std::size_t xTops = 0, capitals = 0;
    for (const TrainGlyph &glyph : glyphs) {
      xTops += HasXHeightTop(glyph.label);
      capitals +=
          glyph.label.size() == 1 && std::isupper(static_cast<unsigned char>(glyph.label[0]));
      capitals +=
          glyph.label.size() == 1 && std::isdigit(static_cast<unsigned char>(glyph.label[0]));
      // Every copy is one of the user's samples, unchanged.
      EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [&glyph](const TrainGlyph &s) {
        return s.label == glyph.label && s.pixels == glyph.pixels;
      })) << glyph.label;
    }
    if (c.balanced) {
      EXPECT_EQ(xTops, capitals);
    }
  }

  // Spread: with rows of about 20 glyphs, every row gets its share.
  std::vector<TrainGlyph> glyphs;
  for (const char c : std::string("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"))
    glyphs.push_back(TrainGlyph{std::string(1, c), 50, 12, std::vector<std::uint8_t>(50 * 12, 1)});
  PlaceGlyphs(glyphs);
  const std::vector<GlyphRow> rows = LayoutRows(glyphs);
  ASSERT_GE(rows.size(), 3u);
  for (const GlyphRow &row : rows) {
    std::size_t xTops = 0;
    for (std::size_t i : row.glyphs)
      xTops += HasXHeightTop(glyphs[i].label);
    EXPECT_GE(xTops * 3, row.glyphs.size()) << "a row of " << row.glyphs.size();
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
  // Baseline 64, the x-height line 128 units above it (at 192): 12.8 units a
  // pixel here, a pixel either way, rounded outward; the capital's top passes
  // 255 and stops there.
  const std::string unicharset = "5\n"
                                 "NULL 0 Common 0\n"
                                 "x 3 0,255,0,255,0,0,0,0,0,0 Latin 1 0 1 x\n"
                                 "O 5 0,255,0,255,0,0,0,0,0,0 Latin 3 0 2 O\n"
                                 "p 3 0,255,0,255,0,0,0,0,0,0 Latin 2 0 3 p\n"
                                 "\xE4\xB8\xAD 1 0,255,0,255,0,0,0,0,0,0 Han 4 0 4 \xE4\xB8\xAD\n";
  EXPECT_EQ(WithVerticalRanges(unicharset, ranges),
            "5\n"
            "NULL 0 Common 0\n"
            "x 3 51,77,179,205,0,0,0,0,0,0 Latin 1 0 1 x\n"
            "O 5 51,77,230,255,0,0,0,0,0,0 Latin 3 0 2 O\n"
            "p 3 0,26,179,205,0,0,0,0,0,0 Latin 2 0 3 p\n"
            "\xE4\xB8\xAD 1 0,255,0,255,0,0,0,0,0,0 Han 4 0 4 \xE4\xB8\xAD\n");
  // Lines it cannot read pass unchanged.
  for (const std::string odd : {"x\n", "x 3\n", "x 3 0,255\n", "x 3 0,255 1,2,3\n"})
    EXPECT_EQ(WithVerticalRanges("1\n" + odd, ranges), "1\n" + odd);
}
