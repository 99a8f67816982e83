#include "workspace/display_binarize.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A noisy picture: every grey level occurs, so each threshold type shows.
ImageBuffer RandomPicture(std::int32_t width, std::int32_t height, unsigned seed) {
  ImageBuffer image = MakeBlackBuffer(width, height);
  std::mt19937 random(seed);
  for (std::uint8_t &byte : image.pixels)
    byte = std::uint8_t(random());
  return image;
}

// The one-pass binarization shows exactly what the engine's mask filled into
// the display shows, for every type, threshold and maximum, margins included.
TEST(BinarizeIntoDisplay, EqualsTheMaskFilledIntoTheDisplay) {
  const ImageBuffer picture = RandomPicture(67, 23, 7); // rows of odd length
  const ImageBuffer engineCopy = SwapRedBlue(picture);
  const MatHandle mat = newMat(const_cast<std::uint8_t *>(engineCopy.pixels.data()),
                               engineCopy.width, engineCopy.height, engineCopy.bytesPerRow, 4);
  ASSERT_NE(mat, 0);
  const int types[] = {0, 1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 16, 17, 18, 19, 20};
  const struct {
    int threshold, maximum, sourceWidth, sourceHeight;
  } settings[] = {{0, 255, 67, 23},   {100, 255, 67, 23}, {100, 0, 67, 23}, {254, 1, 67, 23},
                  {255, 255, 67, 23}, {128, 200, 40, 10}, {0, 0, 0, 0},     {77, 255, 90, 90}};
  for (int type : types)
    for (const auto &s : settings) {
      ImageBuffer expected = MakeBlackBuffer(picture.width, picture.height);
      unsigned char *mask =
          thresoldImage(type, mat, s.threshold, s.maximum, picture.width, picture.height);
      ASSERT_NE(mask, nullptr) << type;
      ASSERT_TRUE(FillDisplayFromMask(expected, mask, std::size_t(picture.width) * picture.height,
                                      s.sourceWidth, s.sourceHeight));
      ocFree(&mask);

      // Whatever the display showed before is replaced.
      ImageBuffer display = RandomPicture(picture.width, picture.height, 99);
      for (std::size_t i = 3; i < display.pixels.size(); i += 4)
        display.pixels[i] = 0; // the fourth byte as a new display has it
      ASSERT_TRUE(BinarizeIntoDisplay(display, mat, type, s.threshold, s.maximum, s.sourceWidth,
                                      s.sourceHeight));
      EXPECT_EQ(display.pixels, expected.pixels)
          << "type " << type << " threshold " << s.threshold << " maximum " << s.maximum
          << " source " << s.sourceWidth << "x" << s.sourceHeight;
    }

  // Refused arguments change nothing.
  ImageBuffer display = MakeBlackBuffer(picture.width, picture.height);
  const ImageBuffer before = display;
  EXPECT_FALSE(BinarizeIntoDisplay(display, mat, 5, 100, 255, 67, 23));
  EXPECT_FALSE(BinarizeIntoDisplay(display, mat, 0, 256, 255, 67, 23));
  EXPECT_FALSE(BinarizeIntoDisplay(display, 0, 0, 100, 255, 67, 23));
  ImageBuffer smaller = MakeBlackBuffer(picture.width - 1, picture.height);
  EXPECT_FALSE(BinarizeIntoDisplay(smaller, mat, 0, 100, 255, 67, 23));
  EXPECT_EQ(display.pixels, before.pixels);
  delMat(mat);
}

} // namespace
