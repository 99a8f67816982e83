// Workspace core: the projection split, the dot-matrix string and the display
// fill, each beside a baseline of the same size. The *Ratio benchmarks time
// step and baseline in every iteration; read their "ratio".
#include <benchmark/benchmark.h>

#include "same_run_ratio.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "workspace/dot_matrix.h"
#include "workspace/glyph_boxes.h"
#include "workspace/image_buffer.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// Lines of 8 x 12 glyphs on a black screen, 2 columns apart, words separated
// by wider gaps, 20 pixels from line to line; about 40 % of a glyph's pixels
// are set, as in small anti-aliased screen text after thresholding.
std::vector<std::uint8_t> TextLikeMask() {
  std::vector<std::uint8_t> mask(std::size_t(kScreenWidth) * kScreenHeight, 0);
  std::mt19937 random(42);
  for (int top = 4; top + 12 <= kScreenHeight; top += 20) {
    for (int left = 4; left + 8 <= kScreenWidth; left += 10) {
      if (random() % 6 == 0) // a space
        continue;
      for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 8; ++x)
          if (random() % 10 < 4)
            mask[std::size_t(top + y) * kScreenWidth + left + x] = 1;
    }
  }
  return mask;
}

void BM_SumMaskBaseline(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = TextLikeMask();
  for (auto _ : state) {
    std::uint32_t sum = 0;
    for (std::uint8_t byte : mask)
      sum += byte;
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(mask.size()));
}
BENCHMARK(BM_SumMaskBaseline);

void BM_FindGlyphBoxes(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = TextLikeMask();
  std::size_t boxes = 0;
  for (auto _ : state) {
    std::vector<PixelRect> rects = FindGlyphBoxes(mask.data(), kScreenWidth, kScreenHeight, 3, 1);
    boxes = rects.size();
    benchmark::DoNotOptimize(rects.data());
  }
  state.counters["boxes"] = double(boxes);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(mask.size()));
}
BENCHMARK(BM_FindGlyphBoxes);

// A 32 x 32 glyph: 1024 mask bytes, 128 packed bytes, 256 hex digits.
std::vector<std::uint8_t> GlyphMask() {
  std::vector<std::uint8_t> mask(32 * 32);
  std::mt19937 random(7);
  for (std::uint8_t &byte : mask)
    byte = random() % 10 < 4;
  return mask;
}

void BM_HexFormatBaseline(benchmark::State &state) {
  std::vector<std::uint8_t> packed(128);
  std::mt19937 random(7);
  for (std::uint8_t &byte : packed)
    byte = std::uint8_t(random());
  static constexpr char kHex[] = "0123456789abcdef";
  for (auto _ : state) {
    std::string out;
    out.reserve(256);
    for (std::uint8_t byte : packed) {
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 15]);
    }
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_HexFormatBaseline);

void BM_EncodeDotMatrix32(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = GlyphMask();
  for (auto _ : state) {
    std::string text = EncodeDotMatrix({0, 0, 31, 31}, mask.data(), 32, 32);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_EncodeDotMatrix32);

void BM_HexParseBaseline(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = GlyphMask();
  const std::string text = EncodeDotMatrix({0, 0, 31, 31}, mask.data(), 32, 32).substr(0, 256);
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes(128);
    for (std::size_t i = 0; i < 128; ++i) {
      auto nibble = [](char c) { return std::uint8_t(c <= '9' ? c - '0' : c - 'a' + 10); };
      bytes[i] = std::uint8_t(nibble(text[2 * i]) << 4 | nibble(text[2 * i + 1]));
    }
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_HexParseBaseline);

void BM_DecodeDotMatrix32(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = GlyphMask();
  const std::string text = EncodeDotMatrix({0, 0, 31, 31}, mask.data(), 32, 32);
  for (auto _ : state) {
    std::optional<DotMatrix> matrix = DecodeDotMatrix(text);
    benchmark::DoNotOptimize(matrix->cells.data());
  }
}
BENCHMARK(BM_DecodeDotMatrix32);

void BM_MemcpyRgbxBaseline(benchmark::State &state) {
  const ImageBuffer source = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  ImageBuffer target = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  for (auto _ : state) {
    std::memcpy(target.pixels.data(), source.pixels.data(), source.pixels.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(source.pixels.size()));
}
BENCHMARK(BM_MemcpyRgbxBaseline);

void BM_FillDisplayFromMask(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = TextLikeMask();
  ImageBuffer display = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  for (auto _ : state) {
    FillDisplayFromMask(display, mask.data(), mask.size(), kScreenWidth - 100, kScreenHeight - 50);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(display.pixels.size()));
}
BENCHMARK(BM_FillDisplayFromMask);

// The rows of the performance table, each one ratio.

std::uint32_t SumMask(const std::vector<std::uint8_t> &mask) {
  std::uint32_t sum = 0;
  for (std::uint8_t byte : mask)
    sum += byte;
  return sum;
}

// FindGlyphBoxes on the text-like mask against one summing pass over it.
void BM_FindGlyphBoxesRatio(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = TextLikeMask();
  std::size_t boxes = 0;
  MeasureRatio(
      state, [&] { benchmark::DoNotOptimize(SumMask(mask)); },
      [&] {
        std::vector<PixelRect> rects =
            FindGlyphBoxes(mask.data(), kScreenWidth, kScreenHeight, 3, 1);
        boxes = rects.size();
        benchmark::DoNotOptimize(rects.data());
      });
  state.counters["boxes"] = double(boxes);
}
BENCHMARK(BM_FindGlyphBoxesRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

// 32 x 32 glyphs: encoding against writing its 128 bytes as hex, decoding
// against reading 256 hex digits into 128 bytes. 64 of each per timing.
constexpr int kGlyphBatch = 64;

void BM_EncodeDotMatrix32Ratio(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = GlyphMask();
  std::vector<std::uint8_t> packed(128);
  std::mt19937 random(7);
  for (std::uint8_t &byte : packed)
    byte = std::uint8_t(random());
  static constexpr char kHex[] = "0123456789abcdef";
  MeasureRatio(
      state,
      [&] {
        std::string out;
        out.reserve(256);
        for (std::uint8_t byte : packed) {
          out.push_back(kHex[byte >> 4]);
          out.push_back(kHex[byte & 15]);
        }
        benchmark::DoNotOptimize(out.data());
      },
      [&] {
        std::string text = EncodeDotMatrix({0, 0, 31, 31}, mask.data(), 32, 32);
        benchmark::DoNotOptimize(text.data());
      },
      kGlyphBatch);
}
BENCHMARK(BM_EncodeDotMatrix32Ratio)->UseManualTime();

void BM_DecodeDotMatrix32Ratio(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = GlyphMask();
  const std::string text = EncodeDotMatrix({0, 0, 31, 31}, mask.data(), 32, 32);
  MeasureRatio(
      state,
      [&] {
        std::vector<std::uint8_t> bytes(128);
        for (std::size_t i = 0; i < 128; ++i) {
          auto nibble = [](char c) { return std::uint8_t(c <= '9' ? c - '0' : c - 'a' + 10); };
          bytes[i] = std::uint8_t(nibble(text[2 * i]) << 4 | nibble(text[2 * i + 1]));
        }
        benchmark::DoNotOptimize(bytes.data());
      },
      [&] {
        std::optional<DotMatrix> matrix = DecodeDotMatrix(text);
        benchmark::DoNotOptimize(matrix->cells.data());
      },
      kGlyphBatch);
}
BENCHMARK(BM_DecodeDotMatrix32Ratio)->UseManualTime();

// The display fill alone and the window's bitmap copy, each against a
// memcpy of the RGBX buffer.
void BM_FillDisplayFromMaskRatio(benchmark::State &state) {
  const std::vector<std::uint8_t> mask = TextLikeMask();
  ImageBuffer display = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  const ImageBuffer source = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  ImageBuffer target = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  MeasureRatio(
      state,
      [&] { std::memcpy(target.pixels.data(), source.pixels.data(), source.pixels.size()); },
      [&] {
        FillDisplayFromMask(display, mask.data(), mask.size(), kScreenWidth - 100,
                            kScreenHeight - 50);
      });
}
BENCHMARK(BM_FillDisplayFromMaskRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BitmapCopyRatio(benchmark::State &state) {
  const ImageBuffer source = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  ImageBuffer target = MakeBlackBuffer(kScreenWidth, kScreenHeight);
  std::vector<std::uint8_t> bitmap(source.pixels.size());
  MeasureRatio(
      state,
      [&] { std::memcpy(target.pixels.data(), source.pixels.data(), source.pixels.size()); },
      [&] { CopyDisplayToXrgb(source, bitmap.data(), std::size_t(kScreenWidth) * 4); });
}
BENCHMARK(BM_BitmapCopyRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
