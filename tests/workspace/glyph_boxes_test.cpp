#include "workspace/glyph_boxes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

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

// The split as plainly as it can be said: count, apply the run rule index
// by index, three passes. The real split packs bits and never counts; it
// must find exactly these rectangles in exactly this order.
namespace reference {

std::vector<PixelRun> Runs(const std::vector<int> &counts, int gap) {
  std::vector<PixelRun> runs;
  const int n = int(counts.size());
  bool open = false;
  int first = 0, last = 0, empty = 0;
  for (int i = 0; i < n; ++i) {
    if (counts[i] != 0) {
      if (!open)
        first = i;
      open = true;
      last = i;
      empty = 0;
      if (i == n - 1)
        runs.push_back({first, last});
    } else if (open) {
      if (++empty == gap) {
        runs.push_back({first, last});
        open = false;
        empty = 0;
      } else if (i == n - 1) {
        runs.push_back({first, last});
      }
    }
  }
  return runs;
}

std::vector<PixelRect> Boxes(const std::vector<std::uint8_t> &mask, int width, int height,
                             int rowGap, int columnGap) {
  auto at = [&](int x, int y) { return mask[std::size_t(y) * width + x] != 0; };
  std::vector<PixelRect> boxes;
  std::vector<int> rows(height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      rows[y] += at(x, y);
  for (const PixelRun &band : Runs(rows, rowGap)) {
    std::vector<int> columns(width);
    for (int x = 0; x < width; ++x)
      for (int y = band.first; y <= band.last; ++y)
        columns[x] += at(x, y);
    for (const PixelRun &segment : Runs(columns, columnGap)) {
      std::vector<int> glyphRows(band.last - band.first + 1);
      for (int y = band.first; y <= band.last; ++y)
        for (int x = segment.first; x <= segment.last; ++x)
          glyphRows[y - band.first] += at(x, y);
      for (const PixelRun &glyph : Runs(glyphRows, rowGap))
        boxes.push_back({segment.first, band.first + glyph.first, segment.last,
                         band.first + glyph.last});
    }
  }
  return boxes;
}

} // namespace reference

// Random masks of every shape the packing cares about (widths around and
// across 16 and 64 bits, one row or column), densities from empty to full,
// clustered into glyph-like blobs or scattered, nonzero bytes of any value.
TEST(FindGlyphBoxes, MatchesAPlainCountingSplitOnRandomMasks) {
  std::mt19937 random(2024);
  for (int trial = 0; trial < 600; ++trial) {
    const int width = 1 + int(random() % (trial % 3 == 0 ? 200 : 70));
    const int height = 1 + int(random() % 60);
    const int rowGap = 1 + int(random() % 5);
    const int columnGap = 1 + int(random() % 5);
    std::vector<std::uint8_t> mask(std::size_t(width) * height, 0);
    const unsigned density = random() % 101; // percent
    if (trial % 2 == 0) {
      for (std::uint8_t &byte : mask)
        if (random() % 100 < density)
          byte = std::uint8_t(1 + random() % 255);
    } else {
      // Blobs: small rectangles with holes, as glyphs in lines.
      const int blobs = int(random() % 30);
      for (int b = 0; b < blobs; ++b) {
        const int x0 = int(random() % width), y0 = int(random() % height);
        const int w = 1 + int(random() % 9), h = 1 + int(random() % 12);
        for (int y = y0; y < std::min(height, y0 + h); ++y)
          for (int x = x0; x < std::min(width, x0 + w); ++x)
            if (random() % 100 < 30 + density / 2)
              mask[std::size_t(y) * width + x] = 0x80;
      }
    }
    ASSERT_EQ(FindGlyphBoxes(mask.data(), width, height, rowGap, columnGap),
              reference::Boxes(mask, width, height, rowGap, columnGap))
        << "trial " << trial << ": " << width << " x " << height << ", gaps " << rowGap << "/"
        << columnGap;
  }
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
