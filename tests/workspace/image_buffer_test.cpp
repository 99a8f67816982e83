#include "workspace/image_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

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

// The fill and the bitmap copy work sixteen pixels a step: compare them with
// the pixel-by-pixel rule on widths around that step, source edges inside
// and outside a step, row padding, random fourth bytes and any mask value.
TEST(FillDisplayFromMask, MatchesThePixelRuleOnAnyGeometry) {
  std::mt19937 random(3);
  for (int trial = 0; trial < 200; ++trial) {
    const int width = 1 + int(random() % 70);
    const int height = 1 + int(random() % 5);
    ImageBuffer display = MakeBlackBuffer(width, height);
    if (trial % 3 == 0) { // padded rows, as a bitmap may have
      display.bytesPerRow += 8;
      display.pixels.resize(std::size_t(display.bytesPerRow) * height);
    }
    for (std::uint8_t &byte : display.pixels)
      byte = std::uint8_t(random());
    std::vector<std::uint8_t> mask(std::size_t(width) * height);
    for (std::uint8_t &byte : mask)
      byte = random() % 2 ? 0 : std::uint8_t(random());
    const int sourceWidth = int(random() % (width + 20)) - 5;
    const int sourceHeight = int(random() % (height + 3));

    ImageBuffer expected = display;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const bool white = mask[std::size_t(y) * width + x] != 0 && x < sourceWidth &&
                           y < sourceHeight;
        std::uint8_t *pixel = &expected.pixels[std::size_t(y) * expected.bytesPerRow + x * 4];
        pixel[0] = pixel[1] = pixel[2] = white ? 255 : 0;
      }
    ASSERT_TRUE(FillDisplayFromMask(display, mask.data(), mask.size(), sourceWidth, sourceHeight));
    ASSERT_EQ(display.pixels, expected.pixels) << "trial " << trial;

    // Into a bitmap of words 0xFFRRGGBB, rows wider than the display's.
    const std::size_t bytesPerLine = std::size_t(width) * 4 + 4 * (trial % 2);
    std::vector<std::uint8_t> bitmap(bytesPerLine * height, 0x11);
    ASSERT_TRUE(CopyDisplayToXrgb(display, bitmap.data(), bytesPerLine));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::uint8_t *from = &display.pixels[std::size_t(y) * display.bytesPerRow + x * 4];
        std::uint32_t word;
        std::memcpy(&word, &bitmap[y * bytesPerLine + x * 4], 4);
        ASSERT_EQ(word, 0xFF000000u | std::uint32_t(from[2]) << 16 |
                            std::uint32_t(from[1]) << 8 | from[0])
            << "trial " << trial << " at " << x << "," << y;
      }
      for (std::size_t b = std::size_t(width) * 4; b < bytesPerLine; ++b)
        ASSERT_EQ(bitmap[y * bytesPerLine + b], 0x11) << "row padding written";
    }
  }
}

TEST(CopyDisplayToXrgb, WritesNothingForRowsTooShortOrNoImage) {
  const ImageBuffer display = DisplayFromText({"#.", ".#"});
  std::vector<std::uint8_t> bitmap(16, 0x11);
  EXPECT_FALSE(CopyDisplayToXrgb(display, bitmap.data(), 7));
  EXPECT_FALSE(CopyDisplayToXrgb(ImageBuffer{}, bitmap.data(), 8));
  EXPECT_FALSE(CopyDisplayToXrgb(display, nullptr, 8));
  EXPECT_EQ(bitmap, std::vector<std::uint8_t>(16, 0x11));
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
