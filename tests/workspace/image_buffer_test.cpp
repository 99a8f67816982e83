#include "workspace/image_buffer.h"

#include <gtest/gtest.h>

#include "mask_fixture.h"

namespace {

const std::vector<std::string> kDisplay = {
    "#..#",
    ".##.",
    "#.#.",
};

struct AreaCase {
  const char *name;
  PixelRect area;     // exclusive right and bottom
  PixelRect expected; // the area actually extracted
  std::vector<std::uint8_t> mask;
};

TEST(ExtractDisplayMask, ClipsTheAreaToTheDisplay) {
  const ImageBuffer display = DisplayFromText(kDisplay);
  const std::uint8_t W = 0xFF;
  const std::vector<AreaCase> cases = {
      {"all zero means the whole display",
       {0, 0, 0, 0},
       {0, 0, 4, 3},
       {W, 0, 0, W, 0, W, W, 0, W, 0, W, 0}},
      {"inside", {1, 1, 3, 3}, {1, 1, 3, 3}, {W, W, 0, W}},
      {"reaching out on every side", {-5, -2, 9, 1}, {0, 0, 4, 1}, {W, 0, 0, W}},
      {"reaching out right and below", {3, 2, 6, 8}, {3, 2, 4, 3}, {0}},
      {"wholly outside", {10, 10, 20, 20}, {4, 3, 4, 3}, {}},
      {"inverted", {3, 2, 1, 1}, {3, 2, 3, 2}, {}},
  };
  for (const AreaCase &c : cases) {
    PixelRect area = c.area;
    const std::optional<std::vector<std::uint8_t>> mask = ExtractDisplayMask(display, area);
    ASSERT_TRUE(mask) << c.name;
    EXPECT_EQ(area, c.expected) << c.name;
    EXPECT_EQ(*mask, c.mask) << c.name;
    EXPECT_EQ(mask->size(), std::size_t(area.right - area.left) * (area.bottom - area.top))
        << c.name;
  }
}

TEST(ExtractDisplayMask, ReadsOnlyTheBlueByte) {
  ImageBuffer display = DisplayFromText({".."});
  display.pixels[0] = 255; // blue only
  display.pixels[5] = 255; // green only
  PixelRect area{};
  EXPECT_EQ(ExtractDisplayMask(display, area), (std::vector<std::uint8_t>{0xFF, 0x00}));
}

TEST(ExtractDisplayMask, NothingWithoutAnImage) {
  PixelRect area{};
  EXPECT_FALSE(ExtractDisplayMask(ImageBuffer{}, area));
  EXPECT_EQ(area, PixelRect{});

  ImageBuffer truncated = DisplayFromText(kDisplay);
  truncated.pixels.resize(truncated.pixels.size() - 1);
  EXPECT_FALSE(ExtractDisplayMask(truncated, area));
  ImageBuffer narrowRows = DisplayFromText(kDisplay);
  narrowRows.bytesPerRow = 15;
  EXPECT_FALSE(ExtractDisplayMask(narrowRows, area));
  ImageBuffer sixteenBit = DisplayFromText(kDisplay);
  sixteenBit.bitsPerPixel = 16;
  EXPECT_FALSE(ExtractDisplayMask(sixteenBit, area));
}

TEST(FillDisplayFromMask, KeepsTheMarginBlackForAnInvertingMethod) {
  // A 2 x 2 source in a 4 x 3 workspace. THRESH_BINARY_INV turns the black
  // margin white in the engine's mask; the display must not show it.
  ImageBuffer display = DisplayFromText({"....", "....", "...."}, 0x7E);
  const std::vector<std::uint8_t> inverted = {
      255, 0,   255, 255, //
      0,   255, 255, 255, //
      255, 255, 255, 255,
  };
  ASSERT_TRUE(FillDisplayFromMask(display, inverted.data(), inverted.size(), 2, 2));
  EXPECT_EQ(display.pixels, DisplayFromText({"#...", ".#..", "...."}, 0x7E).pixels);
}

// Rows are filled eight pixels at a time where the mask is black: cover a
// black run, a mixed one, the source edge inside a run and an odd last pixel.
TEST(FillDisplayFromMask, FillsWideRowsPixelByPixel) {
  ImageBuffer display = DisplayFromText({"###################", "###################"}, 0x5A);
  std::vector<std::uint8_t> mask(2 * 19, 0);
  for (int x : {9, 12, 13, 18}) {
    mask[x] = 0x80;
    mask[19 + x] = 0x80;
  }
  ASSERT_TRUE(FillDisplayFromMask(display, mask.data(), mask.size(), 13, 1));
  EXPECT_EQ(display.pixels,
            DisplayFromText({".........#..#......", "..................."}, 0x5A).pixels);
}

TEST(FillDisplayFromMask, CutsASourceLargerThanTheWorkspace) {
  ImageBuffer display = DisplayFromText({"..", ".."});
  const std::vector<std::uint8_t> mask(4, 1);
  ASSERT_TRUE(FillDisplayFromMask(display, mask.data(), mask.size(), 800, 600));
  EXPECT_EQ(display.pixels, DisplayFromText({"##", "##"}).pixels);
}

TEST(FillDisplayFromMask, ChangesNothingForAShortMask) {
  ImageBuffer display = DisplayFromText({"#.", ".#"});
  const ImageBuffer before = display;
  const std::vector<std::uint8_t> mask(3, 0);
  EXPECT_FALSE(FillDisplayFromMask(display, mask.data(), mask.size(), 2, 2));
  EXPECT_FALSE(FillDisplayFromMask(display, nullptr, 4, 2, 2));
  EXPECT_EQ(display.pixels, before.pixels);
}

TEST(SwapRedBlue, GivesTheEngineRedGreenBlue) {
  ImageBuffer display = MakeBlackBuffer(2, 1);
  display.pixels = {1, 2, 3, 4, 5, 6, 7, 8};
  const ImageBuffer engine = SwapRedBlue(display);
  EXPECT_EQ(engine.pixels, (std::vector<std::uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));
  EXPECT_EQ(engine.bytesPerRow, 8);
  EXPECT_TRUE(SwapRedBlue(ImageBuffer{}).empty());
}

} // namespace
