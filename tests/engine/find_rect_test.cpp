#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

using namespace engine_test;

namespace {

std::vector<Rect> find(const Mask &mask, float param = 0.0f) {
  int count = -1;
  Block<int> rects(findRect(mask.bytes.data(), mask.width, mask.height, &count, param));
  EXPECT_NE(rects.p, nullptr) << "an empty result is still a block";
  std::vector<Rect> out;
  for (int i = 0; rects.p != nullptr && i < count; ++i)
    out.push_back({rects.p[4 * i], rects.p[4 * i + 1], rects.p[4 * i + 2], rects.p[4 * i + 3]});
  return out;
}

TEST(FindRect, CornersAreInclusive) {
  EXPECT_EQ(find({"....", "....", "...#"}), (std::vector<Rect>{{3, 2, 3, 2}}));
  EXPECT_EQ(find({"###", "###"}), (std::vector<Rect>{{0, 0, 2, 1}})) << "the whole mask";
}

TEST(FindRect, DiagonalNeighboursAreOneComponent) {
  EXPECT_EQ(find({"#..", ".#.", "..#"}), (std::vector<Rect>{{0, 0, 2, 2}}));
  EXPECT_EQ(find({"#.#", "...", "#.#"}).size(), 4u);
}

TEST(FindRect, AnyNonzeroByteIsWhite) {
  EXPECT_EQ(find({"1..", "...", "..7"}), (std::vector<Rect>{{0, 0, 0, 0}, {2, 2, 2, 2}}));
}

TEST(FindRect, ReadingOrderLineByLineLeftToRight) {
  // The tall glyph in the middle starts one row higher than its neighbours;
  // it still comes second. The second line follows the whole first one.
  const Mask mask{
      "......##....", "##....##.##.", "##....##.##.",
      "............", ".##......##.", ".##......##.",
  };
  EXPECT_EQ(
      find(mask),
      (std::vector<Rect>{{0, 1, 1, 2}, {6, 0, 7, 2}, {9, 1, 10, 2}, {1, 4, 2, 5}, {9, 4, 10, 5}}));
}

TEST(FindRect, ParamDropsComponentsWithFewerPixels) {
  const Mask mask{
      "#....",
      "...##",
      "...##",
  };
  const Rect speck{0, 0, 0, 0}, blob{3, 1, 4, 2};
  struct Case {
    float param;
    std::vector<Rect> expected;
  };
  const Case cases[] = {
      {0.0f, {speck, blob}}, {-1.0f, {speck, blob}}, {NAN, {speck, blob}}, {1.0f, {speck, blob}},
      {2.0f, {blob}},        {4.0f, {blob}},         {4.5f, {}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(find(mask, c.param), c.expected) << "param " << c.param;
}

TEST(FindRect, ParamWeighsWholeGlyphsSoTheDotOfAnIStays) {
  // An i of a one-pixel dot over a three-pixel stem, and a lone speck.
  const Mask mask{
      ".#...", ".....", ".#...", ".#..#", ".#...",
  };
  const Rect i{1, 0, 1, 4}, speck{4, 3, 4, 3};
  struct Case {
    float param;
    std::vector<Rect> expected;
  };
  const Case cases[] = {{0.0f, {i, speck}}, {2.0f, {i}}, {4.0f, {i}}, {5.0f, {}}};
  for (const Case &c : cases)
    EXPECT_EQ(find(mask, c.param), c.expected) << "param " << c.param;
}

TEST(FindRect, BlackMaskGivesAnEmptyBlock) {
  EXPECT_TRUE(find({"....", "...."}).empty());
}

TEST(FindRect, BadArgumentsGiveNullAndNoCount) {
  const unsigned char mask[4] = {255, 0, 0, 255};
  struct Case {
    const char *what;
    const unsigned char *mask;
    int width, height;
    bool withCount;
  };
  const Case cases[] = {
      {"NULL mask", nullptr, 2, 2, true},
      {"NULL count", mask, 2, 2, false},
      {"width 0", mask, 0, 2, true},
      {"height -1", mask, 2, -1, true},
  };
  for (const Case &c : cases) {
    int count = 99;
    Block<int> rects(findRect(c.mask, c.width, c.height, c.withCount ? &count : nullptr, 0.0f));
    EXPECT_EQ(rects.p, nullptr) << c.what;
    if (c.withCount) {
      EXPECT_EQ(count, 0) << c.what;
    }
  }
}

// Masks of one row or one column far longer than a screen. A single stroke
// as tall as the column overflows 32-bit products of its height (100 x 22
// million), so the grouping computes them wider.
TEST(FindRect, ExtremeShapes) {
  constexpr int kLong = 22'000'000;
  struct Case {
    bool column;
    bool dashes; // a long stroke then short dashes, else all white
  };
  // The column costs seconds (one step per row), so it runs where it can
  // show most: in the sanitized build, which reports any overflow.
#ifdef __SANITIZE_ADDRESS__
  const Case cases[] = {{false, true}, {false, false}, {true, false}};
#else
  const Case cases[] = {{false, true}, {false, false}};
#endif
  for (const Case &c : cases) {
    std::vector<unsigned char> mask(kLong, c.dashes ? 0 : 255);
    if (c.dashes) {
      std::fill(mask.begin(), mask.begin() + kLong / 2, 255);
      for (int i = kLong / 2 + 10; i < kLong; i += 1000)
        std::fill(mask.begin() + i, mask.begin() + i + 5, 255);
    }
    int count = -1;
    Block<int> rects(
        findRect(mask.data(), c.column ? 1 : kLong, c.column ? kLong : 1, &count, 0.0f));
    ASSERT_NE(rects.p, nullptr);
    ASSERT_GT(count, 0);
    if (!c.dashes) {
      EXPECT_EQ(count, 1);
      EXPECT_EQ(rects.p[2], c.column ? 0 : kLong - 1);
      EXPECT_EQ(rects.p[3], c.column ? kLong - 1 : 0);
    }
    for (int i = 0; i < count; ++i) {
      EXPECT_LE(rects.p[4 * i], rects.p[4 * i + 2]);
      EXPECT_LE(rects.p[4 * i + 1], rects.p[4 * i + 3]);
    }
  }
}

} // namespace
