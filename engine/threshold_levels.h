// The threshold levels Otsu and Triangle choose from a grey histogram.
#pragma once

#include <array>
#include <cstdint>

namespace morvexa {

constexpr int kLevels = 256;
// 64-bit counts: an image a handle accepts may hold more than 2^31 pixels.
using Histogram = std::array<std::int64_t, kLevels>;

// Otsu's threshold of an 8-bit histogram of `pixelCount` pixels, computed
// step for step as OpenCV 4's cv::threshold does, so that rounding picks the
// same level.
double otsuThreshold(const Histogram &h, double pixelCount);

// The triangle threshold of an 8-bit histogram, as OpenCV 4's cv::threshold
// computes it (it may give -1 or 256, which the operation then handles).
double triangleThreshold(Histogram h);

} // namespace morvexa
