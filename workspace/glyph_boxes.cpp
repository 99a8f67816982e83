#include "workspace/glyph_boxes.h"

#include <algorithm>
#include <cstring>

namespace {

// Masks are mostly black, and counting is most of the split's time, so the
// counts look at eight bytes at once.
std::uint64_t Load8(const std::uint8_t *bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// 1 in every byte lane whose byte is nonzero, else 0.
std::uint64_t NonzeroLanes(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  return ((((word & kLow7) + kLow7) | word) & ~kLow7) >> 7;
}

std::int32_t CountSet(const std::uint8_t *bytes, int count) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  std::int32_t total = 0;
  int x = 0;
  for (; x + 8 <= count; x += 8)
    total += std::int32_t((NonzeroLanes(Load8(bytes + x)) * kOnes) >> 56);
  for (; x < count; ++x)
    total += bytes[x] != 0;
  return total;
}

// Adds 1 to counts[x] for every set byte of one mask row.
void AddRow(const std::uint8_t *row, int count, std::int32_t *counts) {
  int x = 0;
  for (; x + 8 <= count; x += 8) {
    if (Load8(row + x) == 0)
      continue;
    for (int i = x; i < x + 8; ++i)
      counts[i] += row[i] != 0;
  }
  for (; x < count; ++x)
    counts[x] += row[x] != 0;
}

} // namespace

std::vector<PixelRun> FindRuns(std::span<const std::int32_t> counts, int gap) {
  std::vector<PixelRun> runs;
  if (gap < 1)
    return runs;
  const int n = int(counts.size());
  bool open = false;
  PixelRun run;
  int empty = 0;
  for (int i = 0; i < n; ++i) {
    if (counts[i] != 0) {
      if (!open) {
        open = true;
        run.first = i;
      }
      run.last = i;
      empty = 0;
      if (i == n - 1)
        runs.push_back(run);
    } else if (open) {
      if (++empty == gap) {
        runs.push_back(run);
        open = false;
        empty = 0;
      } else if (i == n - 1) {
        runs.push_back(run);
      }
    }
  }
  return runs;
}

std::vector<PixelRect> FindGlyphBoxes(const std::uint8_t *mask, int width, int height, int rowGap,
                                      int columnGap) {
  std::vector<PixelRect> boxes;
  if (mask == nullptr || width <= 0 || height <= 0 || rowGap < 1 || columnGap < 1)
    return boxes;
  const std::size_t stride = std::size_t(width);
  auto row = [&](int y) { return mask + std::size_t(y) * stride; };

  std::vector<std::int32_t> rowCounts(height);
  for (int y = 0; y < height; ++y)
    rowCounts[y] = CountSet(row(y), width);

  const std::vector<PixelRun> bands = FindRuns(rowCounts, rowGap);
  std::vector<std::int32_t> columnCounts(width);
  for (const PixelRun &band : bands) {
    std::fill(columnCounts.begin(), columnCounts.end(), 0);
    for (int y = band.first; y <= band.last; ++y)
      AddRow(row(y), width, columnCounts.data());

    for (const PixelRun &segment : FindRuns(columnCounts, columnGap)) {
      const int segmentWidth = segment.last - segment.first + 1;
      std::span<std::int32_t> glyphRowCounts(rowCounts.data() + band.first,
                                             std::size_t(band.last - band.first + 1));
      // A band's row counts are no longer needed once its segments are known,
      // so the segment's row counts reuse that storage.
      for (int y = band.first; y <= band.last; ++y)
        rowCounts[y] = CountSet(row(y) + segment.first, segmentWidth);
      for (const PixelRun &glyph : FindRuns(glyphRowCounts, rowGap))
        boxes.push_back(PixelRect{segment.first, band.first + glyph.first, segment.last,
                                  band.first + glyph.last});
    }
  }
  return boxes;
}
