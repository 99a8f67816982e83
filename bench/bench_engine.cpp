// Re-binarizing a full-HD screen image, as every track-bar notification does,
// against a memcpy of the same pixel buffer measured in the same run. The
// *Ratio benchmarks time both in every iteration; read their "ratio".
#include "engine/morvexa.h"
#include "same_run_ratio.h"
#include "workspace/display_binarize.h"
#include "workspace/image_buffer.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kBytesPerPixel = 4;

// Screen-like content: a light background with dark text-sized strokes and
// some colour, so Otsu and Triangle see a real histogram.
const std::vector<unsigned char> &screenPixels() {
  static const std::vector<unsigned char> pixels = [] {
    std::vector<unsigned char> p(std::size_t(kWidth) * kHeight * kBytesPerPixel);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        unsigned char *px = &p[(std::size_t(y) * kWidth + x) * kBytesPerPixel];
        const bool ink = (x / 3 + y / 7) % 5 == 0 && (y % 24) < 16;
        px[0] = ink ? 20 : static_cast<unsigned char>(220 + x % 30);
        px[1] = ink ? 30 : static_cast<unsigned char>(210 + y % 40);
        px[2] = ink ? 40 : 235;
        px[3] = 0;
      }
    return p;
  }();
  return pixels;
}

void BM_MemcpyBaseline(benchmark::State &state) {
  const auto &source = screenPixels();
  std::vector<unsigned char> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()));
}
BENCHMARK(BM_MemcpyBaseline)->Unit(benchmark::kMillisecond);

// The threshold types the method list passes, one benchmark run each.
void EveryThresholdType(benchmark::internal::Benchmark *bench) {
  bench->ArgName("type");
  for (int type : {0, 1, 2, 3, 4, 7, 8, 16})
    bench->Arg(type);
}

// Arg: the threshold type, as the method list passes it.
void BM_ThresoldImage(benchmark::State &state) {
  auto pixels = screenPixels(); // the handle keeps a pointer: give it its own copy
  const MatHandle mat =
      newMat(pixels.data(), kWidth, kHeight, kWidth * kBytesPerPixel, kBytesPerPixel);
  if (mat == 0) {
    state.SkipWithError("newMat failed");
    return;
  }
  const int type = int(state.range(0));
  for (auto _ : state) {
    unsigned char *mask = thresoldImage(type, mat, 150, 255, kWidth, kHeight);
    benchmark::DoNotOptimize(mask);
    ocFree(&mask);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels.size()));
  delMat(mat);
}
BENCHMARK(BM_ThresoldImage)->Apply(EveryThresholdType)->Unit(benchmark::kMillisecond);

// One track-bar tick, `binarize(display, mat, type, threshold)`, against a
// memcpy of the RGBX buffer: what the user waits for on each notification
// before the window copies the display. The handle has been thresholded once
// before (its first threshold makes the grey copy). Arg: the threshold type.
template <typename Binarize> void TickRatio(benchmark::State &state, Binarize binarize) {
  auto pixels = screenPixels();
  std::vector<unsigned char> copy(pixels.size());
  const MatHandle mat =
      newMat(pixels.data(), kWidth, kHeight, kWidth * kBytesPerPixel, kBytesPerPixel);
  ImageBuffer display = MakeBlackBuffer(kWidth, kHeight);
  const int type = int(state.range(0));
  unsigned char *first = thresoldImage(type, mat, 150, 255, kWidth, kHeight);
  if (mat == 0 || display.empty() || first == nullptr) {
    state.SkipWithError("set-up failed");
    return;
  }
  ocFree(&first);
  int threshold = 150;
  MeasureRatio(
      state,
      [&] {
        std::memcpy(copy.data(), pixels.data(), pixels.size());
        benchmark::DoNotOptimize(copy.data());
      },
      [&] {
        // Each tick moves the threshold across most background levels, so a
        // large share of the pixels changes every time (a fast drag; one step
        // changes few). Otsu and Triangle choose their own threshold.
        threshold = threshold == 150 ? 230 : 150;
        binarize(display, mat, type, threshold);
        benchmark::DoNotOptimize(display.pixels.data());
      });
  delMat(mat);
}

// The two passes a tick took before the engine wrote the display itself:
// the engine's mask, then the display filled from it.
void BM_TwoPassTickRatio(benchmark::State &state) {
  TickRatio(state, [](ImageBuffer &display, MatHandle mat, int type, int threshold) {
    unsigned char *mask = thresoldImage(type, mat, threshold, 255, kWidth, kHeight);
    FillDisplayFromMask(display, mask, std::size_t(kWidth) * kHeight, kWidth, kHeight);
    ocFree(&mask);
  });
}
BENCHMARK(BM_TwoPassTickRatio)
    ->Apply(EveryThresholdType)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A tick as the workspace runs it: the engine thresholds straight into the
// display buffer.
void BM_RebinarizeTickRatio(benchmark::State &state) {
  TickRatio(state, [](ImageBuffer &display, MatHandle mat, int type, int threshold) {
    BinarizeIntoDisplay(display, mat, type, threshold, 255, kWidth, kHeight);
  });
}
BENCHMARK(BM_RebinarizeTickRatio)
    ->Apply(EveryThresholdType)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The window's copy of the display buffer into its bitmap (0xFFRRGGBB
// words), against a memcpy of the same bytes.
void BM_BitmapCopyRatio(benchmark::State &state) {
  const auto &pixels = screenPixels();
  std::vector<unsigned char> copy(pixels.size());
  ImageBuffer display = MakeBlackBuffer(kWidth, kHeight);
  display.pixels = pixels;
  std::vector<unsigned char> bitmap(pixels.size());
  MeasureRatio(
      state,
      [&] {
        std::memcpy(copy.data(), pixels.data(), pixels.size());
        benchmark::DoNotOptimize(copy.data());
      },
      [&] {
        CopyDisplayToXrgb(display, bitmap.data(), std::size_t(kWidth) * 4);
        benchmark::DoNotOptimize(bitmap.data());
      });
}
BENCHMARK(BM_BitmapCopyRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

// A whole tick as the window runs it: threshold, fill, bitmap copy.
void BM_RebinarizeAndShowRatio(benchmark::State &state) {
  auto pixels = screenPixels();
  std::vector<unsigned char> copy(pixels.size());
  const MatHandle mat =
      newMat(pixels.data(), kWidth, kHeight, kWidth * kBytesPerPixel, kBytesPerPixel);
  ImageBuffer display = MakeBlackBuffer(kWidth, kHeight);
  std::vector<unsigned char> bitmap(pixels.size());
  const int type = int(state.range(0));
  unsigned char *first = thresoldImage(type, mat, 150, 255, kWidth, kHeight);
  if (mat == 0 || display.empty() || first == nullptr) {
    state.SkipWithError("set-up failed");
    return;
  }
  ocFree(&first);
  int threshold = 150;
  MeasureRatio(
      state,
      [&] {
        std::memcpy(copy.data(), pixels.data(), pixels.size());
        benchmark::DoNotOptimize(copy.data());
      },
      [&] {
        threshold = threshold == 150 ? 230 : 150;
        BinarizeIntoDisplay(display, mat, type, threshold, 255, kWidth, kHeight);
        CopyDisplayToXrgb(display, bitmap.data(), std::size_t(kWidth) * 4);
        benchmark::DoNotOptimize(bitmap.data());
      });
  delMat(mat);
}
BENCHMARK(BM_RebinarizeAndShowRatio)
    ->Apply(EveryThresholdType)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A new image: its handle and first threshold (the grey copy and, for Otsu,
// the histogram are made here), against the same memcpy.
void BM_NewImageFirstTickRatio(benchmark::State &state) {
  auto pixels = screenPixels();
  std::vector<unsigned char> copy(pixels.size());
  const int type = int(state.range(0));
  MeasureRatio(
      state,
      [&] {
        std::memcpy(copy.data(), pixels.data(), pixels.size());
        benchmark::DoNotOptimize(copy.data());
      },
      [&] {
        const MatHandle mat =
            newMat(pixels.data(), kWidth, kHeight, kWidth * kBytesPerPixel, kBytesPerPixel);
        unsigned char *mask = thresoldImage(type, mat, 150, 255, kWidth, kHeight);
        benchmark::DoNotOptimize(mask);
        ocFree(&mask);
        delMat(mat);
      });
}
BENCHMARK(BM_NewImageFirstTickRatio)
    ->Arg(0)
    ->Arg(8)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
