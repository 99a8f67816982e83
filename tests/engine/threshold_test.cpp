#include "engine_test_support.h"
#include "engine/threshold_levels.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

using namespace engine_test;

namespace {

// One row of pure greys: R = G = B = v gives the grey level v exactly.
const std::vector<unsigned char> kGreys = {0, 50, 100, 101, 150, 255};

RgbxImage greyRow(int padding = 0) {
  RgbxImage image(int(kGreys.size()), 1, padding);
  for (int x = 0; x < image.width; ++x)
    image.set(x, 0, {kGreys[x], kGreys[x], kGreys[x]});
  return image;
}

std::vector<unsigned char> threshold(RgbxImage &image, int type, int thresh, int maximum) {
  const MatHandle mat = image.mat();
  EXPECT_NE(mat, 0);
  Block<unsigned char> mask(thresoldImage(type, mat, thresh, maximum, image.width, image.height));
  delMat(mat);
  if (mask.p == nullptr)
    return {};
  return {mask.p, mask.p + std::size_t(image.width) * image.height};
}

struct TypeCase {
  int type;
  std::vector<unsigned char> expected; // for kGreys, threshold 100, maximum 200
};

class ThresholdTypes : public testing::TestWithParam<TypeCase> {};

TEST_P(ThresholdTypes, FollowOpenCvMeaning) {
  RgbxImage image = greyRow();
  EXPECT_EQ(threshold(image, GetParam().type, 100, 200), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Engine, ThresholdTypes,
                         testing::Values(TypeCase{0, {0, 0, 0, 200, 200, 200}},    // BINARY
                                         TypeCase{1, {200, 200, 200, 0, 0, 0}},    // BINARY_INV
                                         TypeCase{2, {0, 50, 100, 100, 100, 100}}, // TRUNC
                                         TypeCase{3, {0, 0, 0, 101, 150, 255}},    // TOZERO
                                         TypeCase{4, {0, 50, 100, 0, 0, 0}},       // TOZERO_INV
                                         TypeCase{7, {0, 0, 0, 0, 0, 0}}), // MASK: nothing passes
                         [](const auto &info) { return "type" + std::to_string(info.param.type); });

TEST(Threshold, GreyWeighsRedGreenBlueInThatOrder) {
  // Red alone is grey 76, blue alone 29: a threshold of 50 tells them apart,
  // and would swap them if the bytes were read as B, G, R.
  RgbxImage image(2, 1);
  image.set(0, 0, {255, 0, 0});
  image.set(1, 0, {0, 0, 255});
  EXPECT_EQ(threshold(image, 0, 50, 255), (std::vector<unsigned char>{255, 0}));
}

TEST(Threshold, RowPaddingIsSkipped) {
  RgbxImage tight = greyRow();
  RgbxImage padded(int(kGreys.size()), 3, 12);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < padded.width; ++x)
      padded.set(x, y, {kGreys[x], kGreys[x], kGreys[x]});
  const auto row = threshold(tight, 0, 100, 255);
  const auto all = threshold(padded, 0, 100, 255);
  ASSERT_EQ(all.size(), row.size() * 3);
  for (int y = 0; y < 3; ++y)
    EXPECT_EQ(std::vector<unsigned char>(all.begin() + y * row.size(),
                                         all.begin() + (y + 1) * row.size()),
              row);
}

TEST(Threshold, OtsuAndTriangleChooseTheirOwnThreshold) {
  // Dark text pixels on a light background. The threshold argument (250)
  // would make every pixel black; the automatic methods must ignore it.
  RgbxImage image(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      image.set(x, y, x == 0 ? Rgb{30, 30, 30} : Rgb{230, 230, 230});
  for (int type : {8, 16, 9}) {
    SCOPED_TRACE(type);
    const auto mask = threshold(image, type, 250, 255);
    ASSERT_EQ(mask.size(), 100u);
    const unsigned char light = type == 9 ? 0 : 255; // 9 = BINARY_INV with Otsu
    for (int i = 0; i < 100; ++i)
      ASSERT_EQ(mask[i], i % 10 == 0 ? 255 - light : light) << "pixel " << i;
  }
}

TEST(Threshold, ThreeAndOneBytePixels) {
  unsigned char rgb[] = {200, 200, 200, 10, 10, 10};
  unsigned char grey[] = {200, 10};
  for (auto [pixels, bpp] : {std::pair{rgb, 3}, std::pair{grey, 1}}) {
    const MatHandle mat = newMat(pixels, 2, 1, 2 * bpp, bpp);
    ASSERT_NE(mat, 0) << bpp;
    Block<unsigned char> mask(thresoldImage(0, mat, 100, 255, 2, 1));
    ASSERT_NE(mask.p, nullptr);
    EXPECT_EQ(mask.p[0], 255);
    EXPECT_EQ(mask.p[1], 0);
    delMat(mat);
  }
}

TEST(Threshold, BadArgumentsGiveNull) {
  RgbxImage image = greyRow();
  const MatHandle mat = image.mat();
  ASSERT_NE(mat, 0);
  const int w = image.width, h = image.height;
  struct Case {
    const char *what;
    int type;
    MatHandle mat;
    int thresh, maximum, width, height;
  };
  const Case cases[] = {
      {"type 5", 5, mat, 100, 255, w, h},
      {"type 6", 6, mat, 100, 255, w, h},
      {"Otsu and Triangle", 24, mat, 100, 255, w, h},
      {"type 32", 32, mat, 100, 255, w, h},
      {"type -1", -1, mat, 100, 255, w, h},
      {"handle 0", 0, 0, 100, 255, w, h},
      {"made-up handle", 0, mat + 100000, 100, 255, w, h},
      {"wider", 0, mat, 100, 255, w + 1, h},
      {"lower", 0, mat, 100, 255, w, h + 1},
      {"zero size", 0, mat, 100, 255, 0, 0},
      {"threshold -1", 0, mat, -1, 255, w, h},
      {"threshold 256", 0, mat, 256, 255, w, h},
      {"maximum 256", 0, mat, 100, 256, w, h},
      {"maximum -1", 0, mat, 100, -1, w, h},
  };
  for (const Case &c : cases) {
    Block<unsigned char> mask(thresoldImage(c.type, c.mat, c.thresh, c.maximum, c.width, c.height));
    EXPECT_EQ(mask.p, nullptr) << c.what;
  }
  delMat(mat);
  Block<unsigned char> afterDel(thresoldImage(0, mat, 100, 255, w, h));
  EXPECT_EQ(afterDel.p, nullptr) << "released handle";
}

// What OpenCV itself makes of the image, grey conversion included: the
// engine keeps the grey image and its histogram per handle, and must still
// give exactly these masks.
std::vector<unsigned char> openCvMask(RgbxImage &image, int type, int thresh, int maximum) {
  const cv::Mat rgbx(image.height, image.width, CV_8UC4, image.bytes.data(),
                     std::size_t(image.bytesPerRow));
  cv::Mat grey, out;
  cv::cvtColor(rgbx, grey, cv::COLOR_RGBA2GRAY);
  if (type == cv::THRESH_MASK)
    return std::vector<unsigned char>(std::size_t(image.width) * image.height, 0);
  cv::threshold(grey, out, thresh, maximum, type);
  return {out.data, out.data + out.total()};
}

// Smooth colour gradients with noise: a histogram spread over many levels.
RgbxImage photoLike(int width, int height, unsigned seed) {
  RgbxImage image(width, height, 12);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto level = [&](double phase) {
        const double v = 128 + 90 * std::sin(x / 23.0 + phase) * std::cos(y / 31.0 - phase) +
                         int(random() % 41) - 20;
        return static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
      };
      image.set(x, y, {level(0), level(1.3), level(2.1)});
    }
  return image;
}

// Dark strokes on a light, slightly tinted background: two sharp peaks.
RgbxImage textLike(int width, int height) {
  RgbxImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool ink = (x / 3 + y / 7) % 5 == 0 && (y % 24) < 16;
      image.set(x, y,
                ink ? Rgb{40, 30, 20} : Rgb{235, static_cast<unsigned char>(210 + y % 40),
                                            static_cast<unsigned char>(220 + x % 30)});
    }
  return image;
}

TEST(Threshold, EveryTypeGivesOpenCvsMaskOnPhotoAndTextImages) {
  const int types[] = {0, 1, 2, 3, 4, 7, 8, 16, 9, 10, 11, 12, 17, 18, 19, 20};
  const std::pair<int, int> settings[] = {{0, 255}, {100, 200}, {150, 255}, {254, 17}, {255, 0}};
  RgbxImage images[] = {photoLike(333, 217, 5), textLike(301, 190)};
  for (RgbxImage &image : images) {
    const MatHandle mat = image.mat();
    ASSERT_NE(mat, 0);
    // Many thresholds of one handle, types interleaved, as slider ticks are.
    for (int round = 0; round < 2; ++round)
      for (int type : types)
        for (auto [thresh, maximum] : settings) {
          Block<unsigned char> mask(thresoldImage(type, mat, thresh, maximum, image.width,
                                                  image.height));
          ASSERT_NE(mask.p, nullptr);
          const std::vector<unsigned char> got(
              mask.p, mask.p + std::size_t(image.width) * image.height);
          ASSERT_EQ(got, openCvMask(image, type, thresh, maximum))
              << "image " << image.width << ", type " << type << ", threshold " << thresh
              << ", maximum " << maximum;
        }
    delMat(mat);
  }
}

// Otsu and Triangle on histograms of every kind: one level, two levels, all
// at 0 or 255 (where Triangle's threshold leaves 0..255), narrow and wide
// spreads, peaks left and right. The chosen level must be OpenCV's.
TEST(Threshold, OtsuAndTriangleChooseOpenCvsLevelOnAnyHistogram) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 400; ++trial) {
    RgbxImage image(1 + int(random() % 40), 1 + int(random() % 30));
    const int low = int(random() % 256);
    const int spread = trial % 4 == 0 ? 0 : int(random() % 256);
    const int peak = int(random() % 256);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        int v = random() % 3 == 0 ? peak : std::min(255, low + int(random() % (spread + 1)));
        if (trial % 7 == 1)
          v = random() % 2 ? 0 : 255;
        if (trial % 11 == 2)
          v = trial % 2 ? 0 : 255;
        const auto g = static_cast<unsigned char>(v);
        image.set(x, y, {g, g, g});
      }
    const MatHandle mat = image.mat();
    ASSERT_NE(mat, 0);
    for (int type : {8, 16, 10, 18, 11, 19}) {
      Block<unsigned char> mask(thresoldImage(type, mat, 77, 255, image.width, image.height));
      ASSERT_NE(mask.p, nullptr);
      ASSERT_EQ(std::vector<unsigned char>(mask.p,
                                           mask.p + std::size_t(image.width) * image.height),
                openCvMask(image, type, 77, 255))
          << "trial " << trial << ", type " << type;
    }
    delMat(mat);
  }
}

// An image the handle accepts may hold more than 2^31 pixels, more than an
// int counts. Otsu and Triangle depend only on the histogram's shape, so a
// histogram a billion times larger must give the same levels.
TEST(Threshold, LevelsOfHistogramsPastTwoToThe31Pixels) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 50; ++trial) {
    morvexa::Histogram small{}, huge{};
    double pixels = 0;
    for (int v = 0; v < morvexa::kLevels; ++v) {
      small[v] = random() % 3 == 0 ? std::int64_t(random() % 50) : 0;
      huge[v] = small[v] * 1'000'000'000;
      pixels += double(small[v]);
    }
    small[trial % 256] += 1; // never empty
    huge[trial % 256] += 1'000'000'000;
    pixels += 1;
    EXPECT_EQ(morvexa::otsuThreshold(huge, pixels * 1e9), morvexa::otsuThreshold(small, pixels))
        << trial;
    EXPECT_EQ(morvexa::triangleThreshold(huge), morvexa::triangleThreshold(small)) << trial;
  }
}

// Images of one row or one column as long as a screen capture could never
// be, through both ways of thresholding.
TEST(Threshold, ExtremeShapes) {
  for (const auto &[width, height] : {std::pair{30'000'000, 1}, std::pair{1, 30'000'000}}) {
    std::vector<unsigned char> pixels(std::size_t(width) * height, 0);
    for (std::size_t i = 0; i < pixels.size(); i += 7)
      pixels[i] = 200;
    const MatHandle mat = newMat(pixels.data(), width, height, width, 1);
    ASSERT_NE(mat, 0);
    Block<unsigned char> mask(thresoldImage(8, mat, 0, 255, width, height));
    ASSERT_NE(mask.p, nullptr);
    EXPECT_EQ(mask.p[0], 255);
    EXPECT_EQ(mask.p[1], 0);
    std::vector<std::uint32_t> words(pixels.size(), 7);
    ASSERT_EQ(thresholdIntoPixels(8, mat, 0, 255, reinterpret_cast<unsigned char *>(words.data()),
                                  width, height, width == 1 ? 4 : width * 4, 1, 0),
              1);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[1], 0u);
    EXPECT_EQ(words[7 * 1000], 1u);
    delMat(mat);
  }
}

// What the engine keeps belongs to the handle: a new handle over the same
// memory with other pixels thresholds the new pixels.
TEST(Threshold, ANewHandleSeesNewPixelsAtTheSameAddress) {
  RgbxImage image(4, 1);
  for (int x = 0; x < 4; ++x)
    image.set(x, 0, {200, 200, 200});
  MatHandle mat = image.mat();
  Block<unsigned char> before(thresoldImage(8, mat, 0, 255, 4, 1));
  delMat(mat);
  image.set(0, 0, {10, 10, 10});
  image.set(1, 0, {10, 10, 10});
  mat = image.mat();
  Block<unsigned char> after(thresoldImage(8, mat, 0, 255, 4, 1));
  delMat(mat);
  ASSERT_NE(after.p, nullptr);
  EXPECT_EQ(std::vector<unsigned char>(after.p, after.p + 4),
            (std::vector<unsigned char>{0, 0, 255, 255}));
}

TEST(Mat, BadArgumentsGiveNoHandle) {
  unsigned char pixels[64] = {};
  EXPECT_EQ(newMat(nullptr, 2, 2, 8, 4), 0);
  EXPECT_EQ(newMat(pixels, 0, 2, 8, 4), 0);
  EXPECT_EQ(newMat(pixels, 2, -1, 8, 4), 0);
  EXPECT_EQ(newMat(pixels, 2, 2, 7, 4), 0) << "row shorter than the width";
  EXPECT_EQ(newMat(pixels, 2, 2, 8, 2), 0);
  EXPECT_EQ(newMat(pixels, 2, 2, 8, 0), 0);
}

TEST(Mat, ReleaseIsSafeForAnyHandle) {
  delMat(0);
  delMat(-12345);
  unsigned char pixels[16] = {};
  const MatHandle mat = newMat(pixels, 2, 2, 8, 4);
  ASSERT_NE(mat, 0);
  delMat(mat);
  delMat(mat); // twice: ignored
}

TEST(Mat, PixelsMayBeFreedBeforeRelease) {
  // The program frees its engine copy first, then calls delMat.
  auto pixels = std::make_unique<unsigned char[]>(16);
  const MatHandle mat = newMat(pixels.get(), 2, 2, 8, 4);
  ASSERT_NE(mat, 0);
  pixels.reset();
  delMat(mat); // reads nothing: AddressSanitizer would report it
}

} // namespace
