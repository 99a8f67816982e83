// Direct split: the 8-connected shapes of the mask, grouped into glyphs.
#include "engine/blocks.h"
#include "engine/glyph_grouping.h"
#include "engine/morvexa.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace morvexa {
namespace {

struct Rect {
  int left, top, right, bottom; // right and bottom inclusive
};

// Lines first, then left to right, so boxes come out in the order a person
// reads the glyphs even when a tall glyph starts above its neighbours.
void orderForReading(std::vector<Rect> &rects) {
  std::stable_sort(rects.begin(), rects.end(), [](const Rect &a, const Rect &b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  auto lineStart = rects.begin();
  int lineBottom = 0;
  auto sortLine = [](auto first, auto last) {
    std::stable_sort(first, last, [](const Rect &a, const Rect &b) {
      return a.left != b.left ? a.left < b.left : a.top < b.top;
    });
  };
  for (auto it = rects.begin(); it != rects.end(); ++it) {
    if (it != lineStart && it->top > lineBottom) {
      sortLine(lineStart, it);
      lineStart = it;
    }
    lineBottom = it == lineStart ? it->bottom : std::max(lineBottom, it->bottom);
  }
  sortLine(lineStart, rects.end());
}

std::vector<Rect> glyphs(const unsigned char *mask, int width, int height, float minPixels) {
  // connectedComponentsWithStats only reads its input.
  const cv::Mat image(height, width, CV_8UC1, const_cast<unsigned char *>(mask));
  cv::Mat labels, stats, centroids;
  const int labelCount =
      cv::connectedComponentsWithStats(image, labels, stats, centroids, 8, CV_32S);
  std::vector<Shape> shapes;
  shapes.reserve(std::size_t(std::max(labelCount - 1, 0)));
  for (int label = 1; label < labelCount; ++label) { // 0 is the background
    const int *s = stats.ptr<int>(label);
    const int left = s[cv::CC_STAT_LEFT], top = s[cv::CC_STAT_TOP];
    shapes.push_back({left, top, left + s[cv::CC_STAT_WIDTH] - 1,
                      top + s[cv::CC_STAT_HEIGHT] - 1, s[cv::CC_STAT_AREA]});
  }
  // Shape i carries label i + 1, as ShapeLabels expects.
  const std::vector<Shape> grouped = groupIntoGlyphs(shapes, {labels.ptr<int>(0), width});
  // The speck filter weighs whole glyphs, so the dot of a kept i stays.
  const bool filter = std::isfinite(minPixels) && minPixels > 0.0f;
  std::vector<Rect> rects;
  rects.reserve(grouped.size());
  for (const Shape &g : grouped)
    if (!filter || float(g.pixels) >= minPixels)
      rects.push_back({g.left, g.top, g.right, g.bottom});
  return rects;
}

} // namespace
} // namespace morvexa

using namespace morvexa;

extern "C" int *findRect(const unsigned char *mask, int width, int height, int *count,
                         float param) {
  if (count != nullptr)
    *count = 0;
  if (mask == nullptr || count == nullptr || !maskBytes(width, height))
    return nullptr;
  try {
    std::vector<Rect> rects = glyphs(mask, width, height, param);
    orderForReading(rects);
    auto *block = static_cast<int *>(allocateBlock(rects.size() * 4 * sizeof(int)));
    if (block == nullptr)
      return nullptr;
    int *out = block;
    for (const Rect &r : rects) {
      *out++ = r.left;
      *out++ = r.top;
      *out++ = r.right;
      *out++ = r.bottom;
    }
    *count = int(rects.size());
    return block;
  } catch (...) {
    return nullptr;
  }
}
