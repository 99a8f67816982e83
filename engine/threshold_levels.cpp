#include "engine/threshold_levels.h"

#include <algorithm>
#include <cfloat>

namespace morvexa {

double otsuThreshold(const Histogram &h, double pixelCount) {
  double mu = 0;
  const double scale = 1. / pixelCount;
  for (int i = 0; i < kLevels; ++i)
    mu += i * double(h[i]);
  mu *= scale;
  double mu1 = 0, q1 = 0;
  double maxSigma = 0, maxVal = 0;
  for (int i = 0; i < kLevels; ++i) {
    const double p = double(h[i]) * scale;
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

double triangleThreshold(Histogram h) {
  int left = 0, right = 0, peak = 0;
  std::int64_t peakCount = 0;
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
  const double a = double(peakCount), b = left - peak;
  double dist = 0;
  for (int i = left + 1; i <= peak; ++i) {
    const double d = a * i + b * double(h[i]);
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

} // namespace morvexa
