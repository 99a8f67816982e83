#include "workspace/glyph_boxes.h"

#include <gtest/gtest.h>

#include <climits>

#include "mask_fixture.h"
#include "workspace/seg_box.h"

namespace {

struct RunCase {
  std::vector<std::int32_t> counts;
  int gap;
  std::vector<PixelRun> expected;
};

TEST(FindRuns, BridgesFewerEmptyIndicesThanTheGap) {
  const std::vector<RunCase> cases = {
      {{}, 1, {}},
      {{0, 0, 0}, 1, {}},
      {{4}, 1, {{0, 0}}},
      {{1, 0, 1}, 1, {{0, 0}, {2, 2}}},
      {{1, 0, 1}, 2, {{0, 2}}},
      {{1, 0, 0, 1}, 2, {{0, 0}, {3, 3}}},
      {{1, 0, 0, 1}, 3, {{0, 3}}},
      // A run ends at its last nonzero index, also when the counts end first.
      {{0, 1, 1, 0, 0}, 3, {{1, 2}}},
      {{0, 1, 1, 0, 0, 0, 2}, 3, {{1, 2}, {6, 6}}},
      {{1, 1}, 1, {{0, 1}}},
      {{1, 0}, 0, {}},
  };
  for (const RunCase &c : cases) {
    const std::vector<PixelRun> runs = FindRuns(c.counts, c.gap);
    ASSERT_EQ(runs.size(), c.expected.size()) << "case with gap " << c.gap;
    EXPECT_EQ(runs, c.expected);
  }
}

std::vector<PixelRect> Boxes(const std::vector<std::string> &rows, int rowGap, int columnGap) {
  const TextMask mask = MaskFromText(rows);
  return FindGlyphBoxes(mask.bytes.data(), mask.width, mask.height, rowGap, columnGap);
}

// Two empty rows between the dot and the stem of an "i".
const std::vector<std::string> kLetterI = {
    ".#..##", "......", "......", ".#..##", ".#..##",
};

TEST(FindGlyphBoxes, RowGapOneSplitsTheDotOfAnI) {
  EXPECT_EQ(Boxes(kLetterI, 1, 1), (std::vector<PixelRect>{
                                       {1, 0, 1, 0},
                                       {4, 0, 5, 0},
                                       {1, 3, 1, 4},
                                       {4, 3, 5, 4},
                                   }));
}

TEST(FindGlyphBoxes, RowGapThreeKeepsTheIWhole) {
  EXPECT_EQ(Boxes(kLetterI, 3, 1), (std::vector<PixelRect>{{1, 0, 1, 4}, {4, 0, 5, 4}}));
  // A column gap of 3 bridges the two empty columns between the glyphs.
  EXPECT_EQ(Boxes(kLetterI, 3, 3), (std::vector<PixelRect>{{1, 0, 5, 4}}));
}

TEST(FindGlyphBoxes, ListsBandsThenSegmentsThenRowsWithinASegment) {
  // One band (every row has a pixel); the left segment splits again by rows,
  // and both of its pieces come before the right segment.
  EXPECT_EQ(Boxes({"#..", "..#", "#.."}, 1, 1),
            (std::vector<PixelRect>{{0, 0, 0, 0}, {0, 2, 0, 2}, {2, 1, 2, 1}}));
  // A second band follows the first whatever its columns.
  EXPECT_EQ(Boxes({"..#", "...", "#.."}, 1, 1),
            (std::vector<PixelRect>{{2, 0, 2, 0}, {0, 2, 0, 2}}));
}

// Counting reads eight bytes at a time: any nonzero byte is a set pixel, the
// high bit alone included, and rows need not be a multiple of eight wide.
TEST(FindGlyphBoxes, CountsEveryNonzeroByteInWideRows) {
  const int width = 21;
  std::vector<std::uint8_t> mask(3 * width, 0);
  for (int x = 0; x <= 8; ++x) {
    mask[x] = 0x80;
    mask[2 * width + x] = 0x80;
  }
  mask[3] = 0xFF;
  mask[width + 20] = 0x7F;
  EXPECT_EQ(FindGlyphBoxes(mask.data(), width, 3, 1, 1),
            (std::vector<PixelRect>{{0, 0, 8, 0}, {0, 2, 8, 2}, {20, 1, 20, 1}}));
}

TEST(FindGlyphBoxes, EdgeCases) {
  EXPECT_TRUE(Boxes({"...", "...", "..."}, 1, 1).empty());
  EXPECT_EQ(Boxes({"##.#"}, 1, 1), (std::vector<PixelRect>{{0, 0, 1, 0}, {3, 0, 3, 0}}));
  EXPECT_EQ(Boxes({"###", "###"}, 1, 1), (std::vector<PixelRect>{{0, 0, 2, 1}}));
  EXPECT_TRUE(Boxes({"#"}, 0, 1).empty());
  EXPECT_TRUE(Boxes({"#"}, 1, 0).empty());
  EXPECT_TRUE(FindGlyphBoxes(nullptr, 4, 4, 1, 1).empty());
}

TEST(SplitGridBoxes, MakesOutlinedBoxesWithTheirStrings) {
  // Glyph at the top-left corner: its outline starts at -1.
  const ImageBuffer display = DisplayFromText({
      "#.#...",
      ".#....",
      "......",
      "....##",
  });
  const std::optional<std::vector<SegBox>> boxes = SplitGridBoxes(display, 1, 1);
  ASSERT_TRUE(boxes);
  EXPECT_EQ(*boxes, (std::vector<SegBox>{
                        {-1, -1, 4, 3, "15$1$0.0.3$3"},
                        {3, 2, 3, 2, "03$1$0.0.2$2"},
                    }));
}

TEST(SplitGridBoxes, CountsOnlyPixelsWhiteInAllThreeColours) {
  ImageBuffer display = DisplayFromText({"#"});
  display.pixels[2] = 254; // red not full
  const std::optional<std::vector<SegBox>> boxes = SplitGridBoxes(display, 1, 1);
  ASSERT_TRUE(boxes);
  EXPECT_TRUE(boxes->empty());
}

TEST(SplitGridBoxes, LeavesTheCallersListAloneWithoutImageOrGap) {
  const ImageBuffer black = DisplayFromText({"...", "..."});
  ASSERT_TRUE(SplitGridBoxes(black, 1, 1));
  EXPECT_TRUE(SplitGridBoxes(black, 1, 1)->empty()); // all black: list emptied
  EXPECT_FALSE(SplitGridBoxes(ImageBuffer{}, 1, 1));
  EXPECT_FALSE(SplitGridBoxes(black, 0, 1));
}

TEST(MakeSegBox, KeepsExtremeEngineRectanglesInRange) {
  const TextMask mask = MaskFromText({"#"});
  const SegBox box = MakeSegBox({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, mask.bytes.data(),
                                mask.width, mask.height);
  EXPECT_EQ(box, (SegBox{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, ""}));
}

TEST(ParseSplitGap, ReadsTheLeadingNumber) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"0", 0},
      {"", 0},
      {"abc", 0},
      {"3", 3},
      {" \t7x", 7},
      {"+4", 4},
      {"-2", -2},
      {"12.5", 12},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
  };
  for (const auto &[text, expected] : cases)
    EXPECT_EQ(ParseSplitGap(text), expected) << '"' << text << '"';
}

} // namespace
