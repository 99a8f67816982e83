// The direct split of a full-HD screen mask: findRect (labelling plus the
// grouping into glyphs) against the plain connected-component labelling of
// the same mask, measured in the same run. The grouping must stay within
// 1.5x: read the "ratio" of BM_FindRectRatio.
#include "engine/morvexa.h"
#include "same_run_ratio.h"

#include <benchmark/benchmark.h>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// A screen full of text: lines 24 pixels apart of glyph-sized blocks, each
// block a few strokes with gaps, some with a dot above (many small shapes
// per glyph, as Chinese text at 16 to 20 pixels gives).
const std::vector<unsigned char> &screenMask() {
  static const std::vector<unsigned char> mask = [] {
    cv::Mat image(kHeight, kWidth, CV_8UC1, cv::Scalar(0));
    int glyph = 0;
    for (int top = 4; top + 20 < kHeight; top += 24)
      for (int left = 4; left + 18 < kWidth; left += 20, ++glyph) {
        const int strokes = 1 + glyph % 4;
        for (int s = 0; s < strokes; ++s) {
          const int x = left + s * (16 / strokes);
          cv::rectangle(image, cv::Rect(x, top + 3, 2, 15), cv::Scalar(255), cv::FILLED);
        }
        if (glyph % 3 == 0)
          cv::rectangle(image, cv::Rect(left, top, 2, 2), cv::Scalar(255), cv::FILLED);
        if (glyph % 5 == 0)
          cv::rectangle(image, cv::Rect(left, top + 9, 16, 2), cv::Scalar(255), cv::FILLED);
      }
    return std::vector<unsigned char>(image.data, image.data + image.total());
  }();
  return mask;
}

// Noise: a badly chosen threshold on a photo gives a screen of specks, all
// in one "line". The split must not slow down by more than the labelling.
const std::vector<unsigned char> &noiseMask() {
  static const std::vector<unsigned char> mask = [] {
    cv::Mat image(kHeight, kWidth, CV_8UC1);
    cv::RNG random(12345);
    random.fill(image, cv::RNG::UNIFORM, 0, 256);
    cv::threshold(image, image, 225, 255, cv::THRESH_BINARY);
    return std::vector<unsigned char>(image.data, image.data + image.total());
  }();
  return mask;
}

const std::vector<unsigned char> &maskFor(const benchmark::State &state) {
  return state.range(0) == 0 ? screenMask() : noiseMask();
}

void BM_ComponentLabellingBaseline(benchmark::State &state) {
  const auto &bytes = maskFor(state);
  const cv::Mat image(kHeight, kWidth, CV_8UC1, const_cast<unsigned char *>(bytes.data()));
  cv::Mat labels, stats, centroids;
  int count = 0;
  for (auto _ : state) {
    count = cv::connectedComponentsWithStats(image, labels, stats, centroids, 8, CV_32S);
    benchmark::DoNotOptimize(labels.data);
  }
  state.counters["shapes"] = count - 1;
}
// Arg: 0 a screen of text, 1 a screen of specks.
BENCHMARK(BM_ComponentLabellingBaseline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FindRect(benchmark::State &state) {
  const auto &bytes = maskFor(state);
  int count = 0;
  for (auto _ : state) {
    int *rects = findRect(bytes.data(), kWidth, kHeight, &count, 0.0f);
    benchmark::DoNotOptimize(rects);
    ocFree(&rects);
  }
  state.counters["glyphs"] = count;
}
BENCHMARK(BM_FindRect)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Both in every iteration, one after the other: the counter "ratio" is
// findRect's time over the labelling's.
void BM_FindRectRatio(benchmark::State &state) {
  const auto &bytes = maskFor(state);
  // Second argument: OpenCV's threads, 0 for its default. The labelling runs
  // on several threads and the grouping on one, so on a machine with idle
  // cores the ratio is higher than on a busy one; one thread compares work.
  const int threads = cv::getNumThreads();
  if (state.range(1) > 0)
    cv::setNumThreads(int(state.range(1)));
  const cv::Mat image(kHeight, kWidth, CV_8UC1, const_cast<unsigned char *>(bytes.data()));
  cv::Mat labels, stats, centroids;
  int count = 0;
  MeasureRatio(
      state,
      [&] {
        benchmark::DoNotOptimize(
            cv::connectedComponentsWithStats(image, labels, stats, centroids, 8, CV_32S));
      },
      [&] {
        int *rects = findRect(bytes.data(), kWidth, kHeight, &count, 0.0f);
        benchmark::DoNotOptimize(rects);
        ocFree(&rects);
      });
  state.counters["glyphs"] = count;
  cv::setNumThreads(threads);
}
BENCHMARK(BM_FindRectRatio)
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
