// Direct split: the 8-connected shapes of the mask, grouped into glyphs.
#include "engine/blocks.h"
#include "engine/glyph_grouping.h"
#include "engine/morvexa.h"
#include "engine/reading_order.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace morvexa {
namespace {

struct Rect {
  int left, top, right, bottom; // right and bottom inclusive
};

constexpr std::size_t kKeptLabels = std::size_t{2560} * 1440;

// Boxes in the order a person reads the glyphs.
void orderForReading(std::vector<Rect> &rects) {
  std::vector<reading::Box> boxes;
  boxes.reserve(rects.size());
  for (const Rect &r : rects)
    boxes.push_back({r.left, r.top, r.right, r.bottom});
  std::vector<Rect> sorted;
  sorted.reserve(rects.size());
  for (std::size_t index : reading::readingOrder(boxes))
    sorted.push_back(rects[index]);
  rects = std::move(sorted);
}

std::vector<Rect> glyphs(const unsigned char *mask, int width, int height, float minPixels) {
  // connectedComponentsWithStats only reads its input.
  const cv::Mat image(height, width, CV_8UC1, const_cast<unsigned char *>(mask));
  // The label image is kept for the thread's next call: a screen's labels
  // are 8 MB, and fresh pages cost as much as the grouping. Larger ones are
  // let go at the end of the call.
  thread_local cv::Mat labels, stats, centroids;
  struct LetGo {
    ~LetGo() {
      if (labels.total() > kKeptLabels) {
        labels.release();
        stats.release();
        centroids.release();
      }
    }
  } letGo;
  // OpenCV labels a tall, narrow image seconds slower than its transpose
  // (one pixel wide and millions high); shapes are the same either way.
  const bool transposed = height > 4 * std::int64_t{width};
  int labelCount = 0;
  if (transposed) {
    cv::Mat across;
    cv::transpose(image, across);
    labelCount = cv::connectedComponentsWithStats(across, labels, stats, centroids, 8, CV_32S);
    cv::Mat back;
    cv::transpose(labels, back);
    labels = back;
  } else {
    labelCount = cv::connectedComponentsWithStats(image, labels, stats, centroids, 8, CV_32S);
  }
  const int leftStat = transposed ? cv::CC_STAT_TOP : cv::CC_STAT_LEFT;
  const int topStat = transposed ? cv::CC_STAT_LEFT : cv::CC_STAT_TOP;
  const int widthStat = transposed ? cv::CC_STAT_HEIGHT : cv::CC_STAT_WIDTH;
  const int heightStat = transposed ? cv::CC_STAT_WIDTH : cv::CC_STAT_HEIGHT;
  std::vector<Shape> shapes;
  shapes.reserve(std::size_t(std::max(labelCount - 1, 0)));
  for (int label = 1; label < labelCount; ++label) { // 0 is the background
    const int *s = stats.ptr<int>(label);
    const int left = s[leftStat], top = s[topStat];
    shapes.push_back(
        {left, top, left + s[widthStat] - 1, top + s[heightStat] - 1, s[cv::CC_STAT_AREA]});
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
