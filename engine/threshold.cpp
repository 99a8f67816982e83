// Binarization: grey from R, G, B, then OpenCV's threshold.
//
// A workspace thresholds the same image on every slider tick, and the pixels
// behind a handle never change, so the grey image and its histogram are made
// once per handle. Otsu and Triangle then choose their threshold from the
// kept histogram with OpenCV's own arithmetic, and the threshold itself runs
// on the kept grey image: the masks are the ones cv::threshold gives.
#include "engine/blocks.h"
#include "engine/mat.h"
#include "engine/morvexa.h"
#include "engine/threshold_levels.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace morvexa {
namespace {

constexpr int kThreshMask = cv::THRESH_MASK; // 7

// OpenCV's own types: an operation 0..4, optionally with one of Otsu and
// Triangle choosing the threshold.
bool isThresholdType(int type) {
  const int chooser = type & ~kThreshMask;
  const int operation = type & kThreshMask;
  const bool knownChooser =
      chooser == 0 || chooser == cv::THRESH_OTSU || chooser == cv::THRESH_TRIANGLE;
  return knownChooser && operation <= cv::THRESH_TOZERO_INV && type >= 0;
}

cv::Mat toGrey(const Image &image) {
  cv::Mat grey;
  switch (image.bytesPerPixel) {
  case 4:
    cv::cvtColor(image.pixels, grey, cv::COLOR_RGBA2GRAY);
    break;
  case 3:
    cv::cvtColor(image.pixels, grey, cv::COLOR_RGB2GRAY);
    break;
  default:
    grey = image.pixels.clone(); // owned, like the converted ones
    break;
  }
  return grey;
}

const cv::Mat &greyOf(Image &image) {
  if (image.grey.empty())
    image.grey = toGrey(image);
  return image.grey;
}

const Histogram &histogramOf(Image &image) {
  if (!image.hasHistogram) {
    const cv::Mat &grey = greyOf(image);
    // Four partial counts: consecutive equal pixels (most of a screen) would
    // otherwise wait on one counter.
    std::array<Histogram, 4> partial{};
    for (int y = 0; y < grey.rows; ++y) {
      const std::uint8_t *row = grey.ptr<std::uint8_t>(y);
      int x = 0;
      for (; x + 4 <= grey.cols; x += 4) {
        ++partial[0][row[x]];
        ++partial[1][row[x + 1]];
        ++partial[2][row[x + 2]];
        ++partial[3][row[x + 3]];
      }
      for (; x < grey.cols; ++x)
        ++partial[0][row[x]];
    }
    for (int v = 0; v < kLevels; ++v)
      image.histogram[v] = partial[0][v] + partial[1][v] + partial[2][v] + partial[3][v];
    image.hasHistogram = true;
  }
  return image.histogram;
}

// Which grey levels a threshold lets pass, in the form the pixel loop wants:
// every such set is a range of levels, and a range test runs many pixels a
// step; a table lookup serves anything else.
struct PassingLevels {
  explicit PassingLevels(const std::array<std::uint8_t, 256> &passes) : table(passes) {
    int low = 256, high = -1;
    for (int v = 0; v < 256; ++v)
      if (passes[v]) {
        low = std::min(low, v);
        high = v;
      }
    none = high < 0;
    for (int v = low; v <= high; ++v)
      range = range && passes[v];
    from = std::uint8_t(none ? 0 : low);
    span = std::uint8_t(none ? 0 : high - low);
  }
  std::array<std::uint8_t, 256> table;
  bool none = true;
  bool range = true;
  std::uint8_t from = 0, span = 0;
};

// One row of 32-bit pixels from the grey row: `white` where the level
// passes, else `black`.
void fillRowFromGrey(const std::uint8_t *grey, std::uint32_t *out, int width,
                     const PassingLevels &levels, std::uint32_t white, std::uint32_t black) {
  if (grey == nullptr || levels.none) {
    int x = 0;
#ifdef __SSE2__
    const __m128i vBlack = _mm_set1_epi32(int(black));
    for (; x + 4 <= width; x += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), vBlack);
#endif
    std::fill(out + x, out + width, black);
  } else if (levels.range) {
    const std::uint8_t from = levels.from, span = levels.span;
    int x = 0;
#ifdef __SSE2__
    // Sixteen pixels a step: the range test on bytes, widened to words.
    const __m128i vFrom = _mm_set1_epi8(char(from)), vSpan = _mm_set1_epi8(char(span));
    const __m128i vWhite = _mm_set1_epi32(int(white)), vBlack = _mm_set1_epi32(int(black));
    const auto pick = [&](__m128i mask) {
      return _mm_or_si128(_mm_and_si128(mask, vWhite), _mm_andnot_si128(mask, vBlack));
    };
    for (; x + 16 <= width; x += 16) {
      const __m128i g =
          _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(grey + x)), vFrom);
      const __m128i in = _mm_cmpeq_epi8(_mm_min_epu8(g, vSpan), g); // g <= span, unsigned
      const __m128i low = _mm_unpacklo_epi8(in, in), high = _mm_unpackhi_epi8(in, in);
      auto *o = reinterpret_cast<__m128i *>(out + x);
      _mm_storeu_si128(o, pick(_mm_unpacklo_epi16(low, low)));
      _mm_storeu_si128(o + 1, pick(_mm_unpackhi_epi16(low, low)));
      _mm_storeu_si128(o + 2, pick(_mm_unpacklo_epi16(high, high)));
      _mm_storeu_si128(o + 3, pick(_mm_unpackhi_epi16(high, high)));
    }
#endif
    for (; x < width; ++x)
      out[x] = std::uint8_t(grey[x] - from) <= span ? white : black;
  } else {
    for (int x = 0; x < width; ++x)
      out[x] = levels.table[grey[x]] ? white : black;
  }
}

// The threshold level `type` uses on `image`: the given one, or the one Otsu
// or Triangle choose from the kept histogram.
double levelFor(int type, Image &image, int threshold) {
  if ((type & cv::THRESH_OTSU) != 0)
    return otsuThreshold(histogramOf(image), double(image.pixels.cols) * image.pixels.rows);
  if ((type & cv::THRESH_TRIANGLE) != 0)
    return triangleThreshold(histogramOf(image));
  return threshold;
}

// The image behind `mat` when the arguments are good for thresholding it.
Image *imageToThreshold(int type, MatHandle mat, int threshold, int maximum, int width,
                        int height) {
  Image *image = images().find(mat);
  if (image == nullptr || threshold < 0 || threshold > 255 || maximum < 0 || maximum > 255)
    return nullptr;
  if (width != image->pixels.cols || height != image->pixels.rows)
    return nullptr;
  if (type != kThreshMask && !isThresholdType(type))
    return nullptr;
  return image;
}

} // namespace
} // namespace morvexa

using namespace morvexa;

extern "C" unsigned char *thresoldImage(int type, MatHandle mat, int threshold, int maximum,
                                        int width, int height) {
  Image *image = imageToThreshold(type, mat, threshold, maximum, width, height);
  if (image == nullptr)
    return nullptr;
  const auto bytes = maskBytes(width, height);
  if (!bytes)
    return nullptr;

  auto *mask = static_cast<unsigned char *>(allocateBlock(*bytes));
  if (mask == nullptr)
    return nullptr;
  if (type == kThreshMask) {
    std::memset(mask, 0, *bytes);
    return mask;
  }
  try {
    const cv::Mat &grey = greyOf(*image);
    const double level = levelFor(type, *image, threshold);
    // threshold() writes straight into the block: same size and type, so
    // create() keeps the data it was given.
    cv::Mat out(height, width, CV_8UC1, mask);
    cv::threshold(grey, out, level, maximum, type & kThreshMask);
    if (out.data != mask) { // not expected; keeps the result right if it ever happens
      cv::Mat target(height, width, CV_8UC1, mask);
      out.copyTo(target);
    }
    return mask;
  } catch (...) {
    std::free(mask);
    return nullptr;
  }
}

extern "C" int thresholdIntoPixels(int type, MatHandle mat, int threshold, int maximum,
                                   unsigned char *pixels, int width, int height, int bytesPerRow,
                                   unsigned int white, unsigned int black) {
  Image *image = imageToThreshold(type, mat, threshold, maximum, width, height);
  if (image == nullptr || pixels == nullptr || bytesPerRow / 4 < width)
    return 0;
  try {
    // Which grey levels come out nonzero: OpenCV's own threshold of every
    // level, so the pixels are exactly those of thresoldImage's mask.
    std::array<std::uint8_t, 256> passes{};
    if (type != kThreshMask) {
      cv::Mat ramp(1, 256, CV_8UC1), out;
      for (int v = 0; v < 256; ++v)
        ramp.at<std::uint8_t>(v) = std::uint8_t(v);
      cv::threshold(ramp, out, levelFor(type, *image, threshold), maximum, type & kThreshMask);
      for (int v = 0; v < 256; ++v)
        passes[v] = out.at<std::uint8_t>(v) != 0;
    }
    const PassingLevels levels(passes);
    const cv::Mat grey = type == kThreshMask ? cv::Mat() : greyOf(*image);
    for (int y = 0; y < height; ++y)
      fillRowFromGrey(grey.empty() ? nullptr : grey.ptr<std::uint8_t>(y),
                      reinterpret_cast<std::uint32_t *>(pixels + std::size_t(y) * bytesPerRow),
                      width, levels, white, black);
    return 1;
  } catch (...) {
    return 0;
  }
}
