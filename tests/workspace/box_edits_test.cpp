// Hand edits of the box list on small masks drawn as text: snapping, split,
// merge and the reading order the list keeps.
#include "workspace/box_edits.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "mask_fixture.h"

// Readable failures: the outline and the string.
void PrintTo(const SegBox &box, std::ostream *out) {
  *out << "(" << box.x << "," << box.y << " " << box.width << "x" << box.height << " " << box.data
       << ")";
}

namespace {

WhiteMask View(const TextMask &mask) {
  return {mask.bytes.data(), mask.width, mask.height};
}

// The box a split of the same pixels would make.
SegBox Expected(const TextMask &mask, PixelRect glyph) {
  return MakeSegBox(glyph, mask.bytes.data(), mask.width, mask.height);
}

SegBox Outline(int x, int y, int width, int height) {
  return {x, y, width, height, ""};
}

// "3" and "1" touching at column 4, as a small monospaced font draws them,
// and a lone dot further right.
const TextMask kTouching = MaskFromText({
    "...........",
    ".####.#....",
    "....###....",
    ".####.#..#.",
    "....#.#....",
    ".####.#....",
    "...........",
});

TEST(SnapToWhite, ShrinksToTheInkInsideAndClipsToTheMask) {
  const WhiteMask mask = View(kTouching);
  struct Case {
    const char *name;
    PixelRect area;
    std::optional<PixelRect> expected;
  };
  const Case kCases[] = {
      {"loose around both glyphs", {0, 0, 7, 6}, PixelRect{1, 1, 6, 5}},
      {"corners in the other order", {7, 6, 0, 0}, PixelRect{1, 1, 6, 5}},
      {"cuts through the 3", {3, 2, 5, 4}, PixelRect{3, 2, 5, 4}},
      {"reaches past every edge", {-50, -50, 500, 500}, PixelRect{1, 1, 9, 5}},
      {"one white pixel", {8, 2, 10, 4}, PixelRect{9, 3, 9, 3}},
      {"only black", {7, 0, 8, 6}, std::nullopt},
      {"wholly outside", {20, 20, 30, 30}, std::nullopt},
      {"extreme corners", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, PixelRect{1, 1, 9, 5}},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SnapToWhite(mask, c.area), c.expected);
  }
  EXPECT_EQ(SnapToWhite(WhiteMask{}, {0, 0, 5, 5}), std::nullopt);
}

TEST(DrawnBox, GetsTheOutlineAndStringOfASplitBox) {
  const std::optional<SegBox> box = DrawnBox(View(kTouching), {0, 0, 7, 6});
  ASSERT_TRUE(box);
  EXPECT_EQ(*box, Expected(kTouching, {1, 1, 6, 5}));
  EXPECT_EQ((std::tuple{box->x, box->y, box->width, box->height}), (std::tuple{0, 0, 7, 6}));
  EXPECT_FALSE(DrawnBox(View(kTouching), {7, 0, 8, 6}));
}

TEST(SplitBoxAt, CutsTouchingGlyphsAtTheColumnAndSnapsBothParts) {
  const WhiteMask mask = View(kTouching);
  const SegBox both = Expected(kTouching, {1, 1, 6, 5});
  struct Case {
    int column;
    std::optional<std::vector<SegBox>> expected;
  };
  const Case kCases[] = {
      // The right part starts at the clicked column.
      {5, std::vector{Expected(kTouching, {1, 1, 4, 5}), Expected(kTouching, {5, 1, 6, 5})}},
      {6, std::vector{Expected(kTouching, {1, 1, 5, 5}), Expected(kTouching, {6, 1, 6, 5})}},
      {2, std::vector{Expected(kTouching, {1, 1, 1, 5}), Expected(kTouching, {2, 1, 6, 5})}},
      {1, std::nullopt}, // nothing left of the first ink column
      {0, std::nullopt}, // the outline's own column
      {7, std::nullopt}, // past the ink
      {-100, std::nullopt},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.column);
    EXPECT_EQ(SplitBoxAt(mask, both, c.column), c.expected);
  }
}

TEST(SplitBoxEqually, GivesEqualColumnsAndLeavesOutEmptyOnes) {
  // Three 2-pixel glyphs with no gap, then a blank column and a 1-pixel one.
  const TextMask row = MaskFromText({
      "..........",
      ".######.#.",
      ".##..##.#.",
      "..........",
  });
  const WhiteMask mask = View(row);
  const SegBox three = Expected(row, {1, 1, 6, 2});
  EXPECT_EQ(SplitBoxEqually(mask, three, 3),
            (std::vector{Expected(row, {1, 1, 2, 2}), Expected(row, {3, 1, 4, 1}),
                         Expected(row, {5, 1, 6, 2})}));
  // 6 columns in 4 parts: 2, 2, 1, 1 wide.
  EXPECT_EQ(SplitBoxEqually(mask, three, 4),
            (std::vector{Expected(row, {1, 1, 2, 2}), Expected(row, {3, 1, 4, 1}),
                         Expected(row, {5, 1, 5, 2}), Expected(row, {6, 1, 6, 2})}));
  // Columns 1..8 in 4 parts of 2: the part over the blank column 7 keeps
  // only the ink of column 8.
  const SegBox all = Expected(row, {1, 1, 8, 2});
  EXPECT_EQ(SplitBoxEqually(mask, all, 4),
            (std::vector{Expected(row, {1, 1, 2, 2}), Expected(row, {3, 1, 4, 1}),
                         Expected(row, {5, 1, 6, 2}), Expected(row, {8, 1, 8, 2})}));
  for (int parts : {-1, 0, 1, 7, INT_MAX}) {
    SCOPED_TRACE(parts);
    EXPECT_FALSE(SplitBoxEqually(mask, three, parts));
  }
  // Only one part with ink: not a split.
  const TextMask lone = MaskFromText({"#...", "#..."});
  EXPECT_FALSE(SplitBoxEqually(View(lone), Expected(lone, {0, 0, 3, 1}), 2));
}

TEST(MergeBoxes, OneSnappedBoxOverAllOfThem) {
  const WhiteMask mask = View(kTouching);
  const std::vector<SegBox> parts = {Expected(kTouching, {1, 1, 4, 5}),
                                     Expected(kTouching, {5, 1, 6, 5}),
                                     Expected(kTouching, {9, 3, 9, 3})};
  EXPECT_EQ(MergeBoxes(mask, parts), Expected(kTouching, {1, 1, 9, 5}));
  EXPECT_EQ(MergeBoxes(mask, std::span(parts).first(2)), Expected(kTouching, {1, 1, 6, 5}));
  EXPECT_FALSE(MergeBoxes(mask, std::span(parts).first(1)));
  EXPECT_FALSE(MergeBoxes(mask, {}));
  // Boxes drawn over black (from another image) have nothing to merge.
  const std::vector<SegBox> blank = {Outline(6, -1, 3, 3), Outline(6, 4, 3, 3)};
  EXPECT_FALSE(MergeBoxes(mask, blank));
}

TEST(SortReadingOrder, LinesFromTheTopAndBoxesFromTheLeft) {
  struct Case {
    const char *name;
    std::vector<SegBox> boxes; // named by their data for the expectation
    std::vector<std::string> order;
  };
  const auto box = [](int x, int y, int w, int h, const char *name) {
    return SegBox{x, y, w, h, name};
  };
  const Case kCases[] = {
      {"two lines given shuffled",
       {box(20, 30, 8, 12, "d"), box(0, 0, 8, 12, "a"), box(10, 2, 8, 10, "b"),
        box(0, 31, 8, 11, "c")},
       {"a", "b", "c", "d"}},
      // A comma low in the line and a quote high in it stay in the line,
      // though both start far from the letters' top.
      {"punctuation",
       {box(0, 10, 8, 12, "x"), box(10, 19, 3, 5, ","), box(14, 9, 3, 4, "\""),
        box(20, 10, 8, 12, "y")},
       {"x", ",", "\"", "y"}},
      // A descender reaching into the next line does not pull it in.
      {"descender",
       {box(0, 0, 8, 16, "g"), box(10, 0, 8, 12, "h"), box(0, 14, 8, 12, "k"),
        box(10, 14, 8, 12, "l")},
       {"g", "h", "k", "l"}},
      // A box inside another comes after it; two at one column go top first.
      {"nested and stacked",
       {box(4, 3, 3, 3, "dot"), box(0, 0, 12, 12, "zero"), box(20, 6, 5, 6, "low"),
        box(20, 0, 5, 5, "high")},
       {"zero", "dot", "high", "low"}},
      {"same column, outer first",
       {box(0, 0, 5, 5, "inner"), box(0, 0, 9, 12, "outer")},
       {"outer", "inner"}},
      {"empty", {}, {}},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<SegBox> boxes = c.boxes;
    SortReadingOrder(boxes);
    std::vector<std::string> names;
    for (const SegBox &b : boxes)
      names.push_back(b.data);
    EXPECT_EQ(names, c.order);
  }
}

TEST(ReplaceBoxesInReadingOrder, PutsAddedBoxesInPlaceAndFindsThemAgain) {
  const std::vector<SegBox> line = {{0, 0, 5, 8, "a"}, {6, 0, 5, 8, "b"}, {20, 0, 5, 8, "d"}};
  struct Case {
    const char *name;
    std::vector<int> removed;
    std::vector<SegBox> added;
    std::vector<std::string> order;
    int first;
  };
  const Case kCases[] = {
      {"drawn between b and d", {}, {{12, 0, 5, 8, "c"}}, {"a", "b", "c", "d"}, 2},
      {"split of b", {1}, {{6, 0, 2, 8, "b1"}, {8, 0, 3, 8, "b2"}}, {"a", "b1", "b2", "d"}, 1},
      {"merge of a and b", {1, 0}, {{0, 0, 11, 8, "ab"}}, {"ab", "d"}, 0},
      {"delete", {2}, {}, {"a", "b"}, -1},
      {"out-of-range and repeated indices", {-1, 3, 0, 0}, {}, {"b", "d"}, -1},
      {"a box that is there already", {}, {{6, 0, 5, 8, "b"}}, {"a", "b", "d"}, 1},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<SegBox> boxes = line;
    EXPECT_EQ(ReplaceBoxesInReadingOrder(boxes, c.removed, c.added), c.first);
    std::vector<std::string> names;
    for (const SegBox &b : boxes)
      names.push_back(b.data);
    EXPECT_EQ(names, c.order);
  }
}

} // namespace

namespace {

SegBox WithData(int x, int y, int width, int height, std::string data) {
  return SegBox{x, y, width, height, std::move(data)};
}

TEST(SameOutline, MatchesPositionAndSizeWhateverTheData) {
  const std::vector<SegBox> boxes = {WithData(0, 0, 5, 5, "a"), WithData(10, 0, 5, 6, "b")};
  struct Case {
    const char *name;
    SegBox box;
    int expected;
  };
  const Case kCases[] = {
      {"same outline, other data", WithData(10, 0, 5, 6, "zz"), 1},
      {"same corner, one pixel taller", WithData(10, 0, 5, 7, "b"), -1},
      {"moved by one", WithData(1, 0, 5, 5, "a"), -1},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SameOutline(boxes, c.box), c.expected);
  }
  EXPECT_EQ(SameOutline({}, Outline(0, 0, 5, 5)), -1);
}

TEST(BoxesInside, TakesBoxesWithinTheOutlineEdgesIncluded) {
  const SegBox outer = Outline(10, 10, 20, 20);
  const std::vector<SegBox> boxes = {
      Outline(12, 12, 4, 4),   // well inside
      Outline(10, 10, 20, 20), // the same outline
      Outline(26, 26, 4, 4),   // touching the bottom-right edges
      Outline(27, 27, 4, 4),   // reaching out by one
      Outline(0, 0, 5, 5),     // outside
  };
  EXPECT_EQ(BoxesInside(boxes, outer), (std::vector<int>{0, 1, 2}));
}

} // namespace
