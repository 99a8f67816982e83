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

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cfloat>
#include <cstdlib>
#include <cstring>

namespace morvexa {
namespace {

constexpr int kThreshMask = cv::THRESH_MASK; // 7
constexpr int kLevels = 256;

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

const std::array<int, kLevels> &histogramOf(Image &image) {
  if (!image.hasHistogram) {
    const cv::Mat &grey = greyOf(image);
    // Four partial counts: consecutive equal pixels (most of a screen) would
    // otherwise wait on one counter.
    std::array<std::array<int, kLevels>, 4> partial{};
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

// Otsu's threshold of an 8-bit histogram, computed step for step as OpenCV
// 4's cv::threshold does, so that rounding picks the same level.
double otsuThreshold(const std::array<int, kLevels> &h, int pixelCount) {
  double mu = 0;
  const double scale = 1. / pixelCount;
  for (int i = 0; i < kLevels; ++i)
    mu += i * double(h[i]);
  mu *= scale;
  double mu1 = 0, q1 = 0;
  double maxSigma = 0, maxVal = 0;
  for (int i = 0; i < kLevels; ++i) {
    const double p = h[i] * scale;
    mu1 *= q1;
    q1 += p;
    const double q2 = 1. - q1;
    if (std::min(q1, q2) < FLT_EPSILON || std::max(q1, q2) > 1. - FLT_EPSILON)
      continue;
    mu1 = (mu1 + i * p) / q1;
    const double mu2 = (mu - q1 * mu1) / q2;
    const double sigma = q1 * q2 * (mu1 - mu2) * (mu1 - mu2);
    if (sigma > maxSigma) {
      maxSigma = sigma;
      maxVal = i;
    }
  }
  return maxVal;
}

// The triangle threshold of an 8-bit histogram, as OpenCV 4's cv::threshold
// computes it (it may give -1 or 256, which the operation then handles).
double triangleThreshold(std::array<int, kLevels> h) {
  int left = 0, right = 0, peak = 0, peakCount = 0;
  for (int i = 0; i < kLevels; ++i)
    if (h[i] > 0) {
      left = i;
      break;
    }
  if (left > 0)
    --left;
  for (int i = kLevels - 1; i > 0; --i)
    if (h[i] > 0) {
      right = i;
      break;
    }
  if (right < kLevels - 1)
    ++right;
  for (int i = 0; i < kLevels; ++i)
    if (h[i] > peakCount) {
      peakCount = h[i];
      peak = i;
    }
  bool flipped = false;
  if (peak - left < right - peak) {
    flipped = true;
    std::reverse(h.begin(), h.end());
    left = kLevels - 1 - right;
    peak = kLevels - 1 - peak;
  }
  double thresh = left;
  const double a = peakCount, b = left - peak;
  double dist = 0;
  for (int i = left + 1; i <= peak; ++i) {
    const double d = a * i + b * h[i];
    if (d > dist) {
      dist = d;
      thresh = i;
    }
  }
  thresh--;
  if (flipped)
    thresh = kLevels - 1 - thresh;
  return thresh;
}

} // namespace
} // namespace morvexa

using namespace morvexa;

extern "C" unsigned char *thresoldImage(int type, MatHandle mat, int threshold, int maximum,
                                        int width, int height) {
  Image *image = images().find(mat);
  if (image == nullptr || threshold < 0 || threshold > 255 || maximum < 0 || maximum > 255)
    return nullptr;
  if (width != image->pixels.cols || height != image->pixels.rows)
    return nullptr;
  if (type != kThreshMask && !isThresholdType(type))
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
    double level = threshold;
    if ((type & cv::THRESH_OTSU) != 0)
      level = otsuThreshold(histogramOf(*image), width * height);
    else if ((type & cv::THRESH_TRIANGLE) != 0)
      level = triangleThreshold(histogramOf(*image));
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
