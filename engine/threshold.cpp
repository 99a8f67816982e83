// Binarization: grey from R, G, B, then OpenCV's threshold.
#include "engine/blocks.h"
#include "engine/mat.h"
#include "engine/morvexa.h"

#include <opencv2/imgproc.hpp>

#include <cstdlib>
#include <cstring>

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
    grey = image.pixels;
    break;
  }
  return grey;
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
    const cv::Mat grey = toGrey(*image);
    // threshold() writes straight into the block: same size and type, so
    // create() keeps the data it was given.
    cv::Mat out(height, width, CV_8UC1, mask);
    cv::threshold(grey, out, threshold, maximum, type);
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
