#include "engine_test_support.h"
#include "font_text.h"
#include "glyph_score.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace engine_test;

namespace {

FontTextStyle style(const char *font, int size, bool antialias) {
  FontTextStyle st;
  st.fontPath = font;
  st.pixelSize = size;
  st.antialias = antialias;
  return st;
}

// Every glyph gets exactly one box, glyphs touching each other share one,
// and nothing else: the found boxes are exactly the expected ones.
void expectOneBoxPerGlyph(const std::string &text, const FontTextStyle &st) {
  const FontText drawn = renderFontText(text, st);
  ASSERT_GT(drawn.width, 0) << "font " << st.fontPath;
  const Score s = score(drawn);
  EXPECT_TRUE(s.perfect())
      << st.fontPath << " " << st.pixelSize << " px" << (st.antialias ? "" : " without smoothing")
      << ": " << describe(s) << "\n  text: " << text;
}

// Chinese whose characters fall apart into strokes (价 格 数, 川 北 小 八 儿
// 引, the three dots of 活), with full-width punctuation.
const char *const kChinese = "价格数据川北小八儿引日月明\n"
                             "我们的工作是为了更好地生活\n"
                             "国家图书馆回答问题三二十只\n"
                             "兴趣形状微软雅黑，测试。";
// Latin with the marks made of several shapes and the pairs that nearly
// touch or overhang each other.
const char *const kLatin = "The quick brown fox jumps over\n"
                           "the lazy dog; fit ill roof? Yes!\n"
                           "Wave To AV \"quoted\" 'x' i j % = : ;";
const char *const kDigits = "0123456789 3.14 -42 +7 1/2 100%";

TEST(GlyphGrouping, ChineseCharactersGiveOneBoxEach) {
  for (int size : {16, 20, 24, 28, 32})
    expectOneBoxPerGlyph(kChinese, style(kWenQuanYi, size, true));
  for (int size : {16, 24, 32})
    expectOneBoxPerGlyph(kChinese, style(kWenQuanYi, size, false));
}

TEST(GlyphGrouping, LatinProportionalAndMonospacedGiveOneBoxEach) {
  for (int size : {12, 13, 14, 16, 20, 24, 28, 32}) {
    expectOneBoxPerGlyph(kLatin, style(kDejaVuSans, size, true));
    expectOneBoxPerGlyph(kLatin, style(kDejaVuSans, size, false));
    expectOneBoxPerGlyph(kLatin, style(kDejaVuSansMono, size, false));
    expectOneBoxPerGlyph(kLatin, style(kDejaVuSerif, size, false));
    expectOneBoxPerGlyph(kLatin, style(kWenQuanYi, size, false));
  }
  for (int size : {16, 20, 24, 28, 32})
    expectOneBoxPerGlyph(kLatin, style(kDejaVuSansMono, size, true));
}

TEST(GlyphGrouping, DigitsAndTheDottedZeroGiveOneBoxEach) {
  // DejaVu Sans Mono draws its zero with a dot inside.
  for (int size : {12, 14, 16, 20, 24, 28, 32}) {
    expectOneBoxPerGlyph(kDigits, style(kDejaVuSans, size, true));
    expectOneBoxPerGlyph(kDigits, style(kDejaVuSansMono, size, true));
    expectOneBoxPerGlyph(kDigits, style(kDejaVuSansMono, size, false));
  }
}

// The glyphs made of separate shapes, each alone on a line with neighbours,
// so a wrong join or a lost part shows as a wrong count.
TEST(GlyphGrouping, GlyphsOfSeveralShapesGiveOneBoxEach) {
  struct Case {
    const char *font;
    const char *text;
  };
  const Case cases[] = {
      {kWenQuanYi, "川北小八儿引，川。北小八儿引"},
      {kDejaVuSans, "ai bj c% d\" e! f? g; h: k= 0"},
      {kDejaVuSansMono, "ai bj c% d\" e! f? g; h: k= 0"},
      {kDejaVuSerif, "ai bj c% d\" e! f? g; h: k="},
  };
  for (const Case &c : cases)
    for (int size : {16, 24, 32})
      expectOneBoxPerGlyph(c.text, style(c.font, size, true));
}

// A frame around the text and a rule under its first line, as screenshots
// of forms and links have: they come out as boxes of their own and neither
// swallows the glyphs nor ties the lines together.
TEST(GlyphGrouping, FramesAndUnderlinesStayApartFromTheText) {
  struct Case {
    const char *font;
    const char *text;
    int size;
    bool antialias;
  };
  const Case cases[] = {
      {kDejaVuSans, kLatin, 16, false},
      {kWenQuanYi, kChinese, 24, true},
  };
  for (const Case &c : cases) {
    FontTextStyle st = style(c.font, c.size, c.antialias);
    st.lineSpacing = 8;
    FontText drawn = renderFontText(c.text, st);
    ASSERT_GT(drawn.width, 0);
    auto set = [&](int x, int y) { drawn.mask[std::size_t(y) * drawn.width + x] = 255; };
    const Rect frame{2, 2, drawn.width - 3, drawn.height - 3};
    for (int x = frame[0]; x <= frame[2]; ++x)
      for (int t = 0; t < 2; ++t) {
        set(x, frame[1] + t);
        set(x, frame[3] - t);
      }
    for (int y = frame[1]; y <= frame[3]; ++y)
      for (int t = 0; t < 2; ++t) {
        set(frame[0] + t, y);
        set(frame[2] - t, y);
      }
    // Under the first line: below its lowest ink, above the second line.
    int firstBottom = 0, left = drawn.width, right = 0;
    for (const Rect &g : drawn.glyphBoxes)
      if (g[1] < drawn.glyphBoxes[0][3]) {
        firstBottom = std::max(firstBottom, g[3]);
        left = std::min(left, g[0]);
        right = std::max(right, g[2]);
      }
    const Rect rule{left, firstBottom + 3, right, firstBottom + 3};
    for (int x = rule[0]; x <= rule[2]; ++x)
      set(x, rule[1]);

    const Score s = score(drawn);
    EXPECT_EQ(s.right, s.expected) << c.font << ": " << describe(s);
    const std::vector<Rect> found = split(drawn);
    EXPECT_EQ(std::count(found.begin(), found.end(), frame), 1) << c.font;
    EXPECT_EQ(std::count(found.begin(), found.end(), rule), 1) << c.font;
    EXPECT_EQ(found.size(), drawn.glyphBoxes.size() + 2) << c.font << ": " << describe(s);
  }
}

// Two columns of text whose lines lie at different heights (a sidebar
// beside a page) chain into one tall row; letters of one line must still
// not join the letters above or below them. (Lines are found across the
// whole width, so a few quote strokes there may still come out alone.)
TEST(GlyphGrouping, ColumnsWithLinesAtDifferentHeightsKeepTheirLinesApart) {
  const FontTextStyle st = style(kDejaVuSans, 16, false);
  const FontText left = renderFontText(kLatin, st), right = renderFontText(kLatin, st);
  ASSERT_GT(left.width, 0);
  FontText both;
  const int shiftX = left.width, shiftY = 9; // about half a line lower
  both.width = left.width + right.width;
  both.height = left.height + shiftY;
  both.mask.assign(std::size_t(both.width) * both.height, 0);
  for (int y = 0; y < left.height; ++y)
    for (int x = 0; x < left.width; ++x) {
      both.mask[std::size_t(y) * both.width + x] = left.mask[std::size_t(y) * left.width + x];
      both.mask[std::size_t(y + shiftY) * both.width + x + shiftX] =
          right.mask[std::size_t(y) * right.width + x];
    }
  both.glyphBoxes = left.glyphBoxes;
  both.touches = left.touches;
  for (std::size_t i = 0; i < right.glyphBoxes.size(); ++i) {
    const Rect &r = right.glyphBoxes[i];
    both.glyphBoxes.push_back({r[0] + shiftX, r[1] + shiftY, r[2] + shiftX, r[3] + shiftY});
    both.touches.push_back(right.touches[i]);
  }
  const Score s = score(both);
  EXPECT_EQ(s.merged, 0) << describe(s);
  EXPECT_GE(s.right, s.expected * 95 / 100) << describe(s);
}

// Latin letters may stand one pixel apart; a split must keep them apart.
TEST(GlyphGrouping, OnePixelGapKeepsLettersApart) {
  for (const char *pair : {"ll", "ro", "fo", "rn", "il", "ij"})
    for (int size : {12, 16, 24}) {
      bool tried = false;
      for (int spacing = -6; spacing <= 6 && !tried; ++spacing) {
        FontTextStyle st = style(kDejaVuSans, size, false);
        st.letterSpacing = spacing;
        const FontText drawn = renderFontText(pair, st);
        ASSERT_GT(drawn.width, 0);
        if (drawn.glyphBoxes.size() != 2 || drawn.glyphBoxes[1][0] - drawn.glyphBoxes[0][2] != 2)
          continue; // not yet exactly one empty column between them
        tried = true;
        EXPECT_EQ(split(drawn), drawn.glyphBoxes) << pair << " at " << size << " px";
      }
      EXPECT_TRUE(tried) << "no spacing gave " << pair << " a gap of one pixel at " << size;
    }
}

// Not a test: prints how many glyphs each text set gets right, for tuning.
// Run with GW_SURVEY=1, or GW_TEXT=... for one text.
TEST(GlyphGrouping, Survey) {
  if (const char *text = std::getenv("GW_TEXT")) { // one text: GW_FONT, GW_SIZE, GW_SHARP
    const char *font = std::getenv("GW_FONT"), *size = std::getenv("GW_SIZE");
    const FontText drawn = renderFontText(text, style(font ? font : kWenQuanYi,
                                                      size ? std::atoi(size) : 24,
                                                      std::getenv("GW_SHARP") == nullptr));
    std::printf("%s\n", describe(score(drawn)).c_str());
    return;
  }
  if (std::getenv("GW_SURVEY") == nullptr)
    GTEST_SKIP() << "set GW_SURVEY=1 to print the table";
  struct TextSet {
    const char *name, *font, *text;
  };
  const TextSet sets[] = {
      {"chinese", kWenQuanYi, kChinese},    {"wqy-latin", kWenQuanYi, kLatin},
      {"sans", kDejaVuSans, kLatin},        {"mono", kDejaVuSansMono, kLatin},
      {"serif", kDejaVuSerif, kLatin},      {"sans-digits", kDejaVuSans, kDigits},
      {"mono-digits", kDejaVuSansMono, kDigits},
      {"mixed", kWenQuanYi,
       "用户名：admin 密码：123456（必填）\n价格数据2024年Version 3.1 川北小八\n"
       "“引号”与\"quote\" i=j; 100% ok!"},
  };
  for (const TextSet &set : sets)
    for (bool aa : {true, false}) {
      int right = 0, expected = 0, glyphs = 0, merged = 0;
      for (int size = 11; size <= 32; ++size) {
        const FontText drawn = renderFontText(set.text, style(set.font, size, aa));
        const Score s = score(drawn);
        right += s.right;
        expected += s.expected;
        glyphs += drawn.glyphs;
        merged += s.merged;
        if (!s.perfect())
          std::printf("  %s %d px %s: %s\n", set.name, size, aa ? "smooth" : "sharp",
                      describe(s).c_str());
      }
      std::printf("%-12s %-6s 11-32 px: %d of %d glyphs touching none boxed right (of %d), "
                  "%d boxes holding several\n",
                  set.name, aa ? "smooth" : "sharp", right, expected, glyphs, merged);
    }
}

} // namespace
