// The grouping's stages on small masks: specks, lines of different sizes,
// pieces hidden inside a glyph's box, frames and rules in the reading order,
// and masks of extreme shapes.
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace engine_test;

namespace {

std::vector<Rect> findRects(const unsigned char *bytes, int width, int height) {
  int count = -1;
  Block<int> rects(findRect(bytes, width, height, &count, 0.0f));
  EXPECT_NE(rects.p, nullptr);
  std::vector<Rect> out;
  for (int i = 0; rects.p != nullptr && i < count; ++i)
    out.push_back({rects.p[4 * i], rects.p[4 * i + 1], rects.p[4 * i + 2], rects.p[4 * i + 3]});
  return out;
}
std::vector<Rect> findRects(const Mask &mask) {
  return findRects(mask.bytes.data(), mask.width, mask.height);
}

TEST(GroupingStages, SpeckAboveALineLeavesTheLinesMeasuresAlone) {
  // Two 川-like glyphs of three strokes each, and a speck up and to the right.
  // Taken into the line it would make the line higher than the glyphs are,
  // and the strokes would no longer join.
  const std::string speck = "....................#", empty(21, '.'),
                    strokes = "#..#..#....#..#..#...";
  const Mask mask{speck,   empty,   empty,   empty,   empty,   strokes, strokes, strokes,
                  strokes, strokes, strokes, strokes, strokes, strokes, strokes};
  EXPECT_EQ(findRects(mask), (std::vector<Rect>{{20, 0, 20, 0}, {0, 5, 6, 14}, {11, 5, 17, 14}}));
}

TEST(GroupingStages, SpeckStackedOverAStemIsItsDotButNotOverAStroke) {
  // A one-pixel dot three rows over a stem, as small faces draw an i, joins
  // it; the same speck over the middle of a wide stroke is noise.
  const std::string dot = "..#...", empty = "......", stem = "..##..", bar = "######";
  const Mask i{dot, empty, empty, stem, stem, stem, stem, stem, stem, stem, stem};
  EXPECT_EQ(findRects(i), (std::vector<Rect>{{2, 0, 3, 10}}));
  const Mask bars{dot, empty, empty, bar, stem, stem, stem, stem, stem, stem, bar};
  EXPECT_EQ(findRects(bars), (std::vector<Rect>{{2, 0, 2, 0}, {0, 3, 5, 10}}));
}

TEST(GroupingStages, CaptionOverAHeadlineKeepsItsOwnLine) {
  // Five small letters four rows above three big ones: no caption letter
  // joins the capital below it, and the caption reads first.
  const std::string caption = "##.##.##.##.##......", gap(20, '.'), big = "######..######..####";
  const Mask mask{caption, caption, caption, gap, gap, gap, gap, big, big, big,
                  big,     big,     big,     big, big, big, big, big, big};
  EXPECT_EQ(findRects(mask), (std::vector<Rect>{{0, 0, 1, 2},
                                                {3, 0, 4, 2},
                                                {6, 0, 7, 2},
                                                {9, 0, 10, 2},
                                                {12, 0, 13, 2},
                                                {0, 7, 5, 18},
                                                {8, 7, 13, 18},
                                                {16, 7, 19, 18}}));
}

TEST(GroupingStages, PieceInsideAGlyphsBoxJoinsIt) {
  // An L-shaped stroke with a short piece in its open corner: the piece
  // would be a box hidden inside the L's box.
  const Mask mask{
      "##......", "##...##.", "##...##.", "##......", "##......", "##......",
      "##......", "##......", "##......", "##......", "########", "########",
  };
  EXPECT_EQ(findRects(mask), (std::vector<Rect>{{0, 0, 7, 11}}));
}

TEST(GroupingStages, FrameAroundTwoLinesReadsLineByLine) {
  std::vector<std::string> rows(22, std::string(14, '.'));
  rows[0] = rows[21] = std::string(14, '#');
  for (int y = 1; y < 21; ++y)
    rows[std::size_t(y)][0] = rows[std::size_t(y)][13] = '#';
  for (int y : {3, 4, 5, 6, 13, 14, 15, 16})
    for (int x : {3, 4, 5, 8, 9, 10})
      rows[std::size_t(y)][std::size_t(x)] = '#';
  Mask mask{""};
  mask.width = 14;
  mask.height = 22;
  mask.bytes.clear();
  for (const std::string &row : rows)
    for (char c : row)
      mask.bytes.push_back(c == '#' ? 255 : 0);
  EXPECT_EQ(findRects(mask),
            (std::vector<Rect>{
                {0, 0, 13, 21}, {3, 3, 5, 6}, {8, 3, 10, 6}, {3, 13, 5, 16}, {8, 13, 10, 16}}));
}

TEST(GroupingStages, VerticalRuleBetweenColumnsJoinsNoLines) {
  const std::string top = "###.###.#.###.###", gap = "........#........";
  const Mask mask{top, top, top, gap, gap, gap, top, top, top, gap, gap, gap, gap, gap};
  EXPECT_EQ(findRects(mask), (std::vector<Rect>{{8, 0, 8, 13},
                                                {0, 0, 2, 2},
                                                {4, 0, 6, 2},
                                                {10, 0, 12, 2},
                                                {14, 0, 16, 2},
                                                {0, 6, 2, 8},
                                                {4, 6, 6, 8},
                                                {10, 6, 12, 8},
                                                {14, 6, 16, 8}}));
}

TEST(GroupingStages, ExtremeShapesGiveWholeRuns) {
  // One pixel wide or high and 30 million long: sizes multiplied by the
  // grouping's fractions pass the range of int.
  constexpr int kLong = 30'000'000, kSplit = 3'000'000;
  std::vector<unsigned char> bytes(std::size_t(kLong), 255);
  EXPECT_EQ(findRects(bytes.data(), 1, kLong), (std::vector<Rect>{{0, 0, 0, kLong - 1}}));
  EXPECT_EQ(findRects(bytes.data(), kLong, 1), (std::vector<Rect>{{0, 0, kLong - 1, 0}}));
  // Cut in two: the halves stay apart (shorter, to keep the test quick).
  bytes[std::size_t(kSplit / 2)] = 0;
  EXPECT_EQ(findRects(bytes.data(), 1, kSplit),
            (std::vector<Rect>{{0, 0, 0, kSplit / 2 - 1}, {0, kSplit / 2 + 1, 0, kSplit - 1}}));
  EXPECT_EQ(findRects(bytes.data(), kSplit, 1),
            (std::vector<Rect>{{0, 0, kSplit / 2 - 1, 0}, {kSplit / 2 + 1, 0, kSplit - 1, 0}}));
}

} // namespace
