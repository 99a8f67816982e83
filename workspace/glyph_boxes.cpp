#include "workspace/glyph_boxes.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The split packs every mask row into bits once: a band's columns are then
// the OR of its packed rows, and whether a segment has a pixel in a row is a
// test of a few words, so no pixel byte is read twice.
using Word = std::uint64_t;
constexpr int kWordBits = 64;

// Bits of one mask row, bit x of word x / 64 set for a nonzero byte x.
// True when any is set.
bool PackRow(const std::uint8_t *row, int width, Word *words) {
  Word any = 0;
  int x = 0;
  for (int w = 0; x < width; ++w) {
    Word word = 0;
    int bit = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; bit < kWordBits && x + 16 <= width; bit += 16, x += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + x));
      const unsigned clear = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)));
      word |= Word(~clear & 0xFFFFu) << bit;
    }
#endif
    for (; bit < kWordBits && x < width; ++bit, ++x)
      word |= Word(row[x] != 0) << bit;
    words[w] = word;
    any |= word;
  }
  return any != 0;
}

// The first set bit at or after `from` in bits 0..n-1, or n.
int NextSet(const Word *words, int n, int from) {
  if (from >= n)
    return n;
  int w = from / kWordBits;
  Word word = words[w] & (~Word{0} << (from % kWordBits));
  const int wordCount = (n + kWordBits - 1) / kWordBits;
  while (word == 0) {
    if (++w == wordCount)
      return n;
    word = words[w];
  }
  return std::min(n, w * kWordBits + std::countr_zero(word));
}

// The first clear bit at or after `from` in bits 0..n-1, or n.
int NextClear(const Word *words, int n, int from) {
  if (from >= n)
    return n;
  int w = from / kWordBits;
  Word word = ~words[w] & (~Word{0} << (from % kWordBits));
  const int wordCount = (n + kWordBits - 1) / kWordBits;
  while (word == 0) {
    if (++w == wordCount)
      return n;
    word = ~words[w];
  }
  return std::min(n, w * kWordBits + std::countr_zero(word));
}

// Any of bits first..last (inclusive) set.
bool AnySet(const Word *words, int first, int last) {
  const int firstWord = first / kWordBits;
  const int lastWord = last / kWordBits;
  const Word head = ~Word{0} << (first % kWordBits);
  const Word tail = ~Word{0} >> (kWordBits - 1 - last % kWordBits);
  if (firstWord == lastWord)
    return (words[firstWord] & head & tail) != 0;
  if ((words[firstWord] & head) != 0 || (words[lastWord] & tail) != 0)
    return true;
  for (int w = firstWord + 1; w < lastWord; ++w)
    if (words[w] != 0)
      return true;
  return false;
}

// The run rule over the set bits of a bit row: set indices whose gaps hold
// fewer than `gap` clear indices join one run. Runs of ones are taken whole.
template <typename Emit> void BitRuns(const Word *words, int n, int gap, Emit &&emit) {
  int first = -1;
  int last = -1;
  for (int at = NextSet(words, n, 0); at < n;) {
    const int end = NextClear(words, n, at); // one past these ones
    if (first < 0) {
      first = at;
    } else if (at - last - 1 >= gap) {
      emit(first, last);
      first = at;
    }
    last = end - 1;
    at = NextSet(words, n, end);
  }
  if (first >= 0)
    emit(first, last);
}

// The run rule over flags (nonzero = set) of indices 0..n-1.
template <typename Emit> void FlagRuns(const std::uint8_t *flags, int n, int gap, Emit &&emit) {
  int first = -1;
  int last = -1;
  for (int i = 0; i < n; ++i) {
    if (flags[i] == 0)
      continue;
    if (first < 0) {
      first = i;
    } else if (i - last - 1 >= gap) {
      emit(first, last);
      first = i;
    }
    last = i;
  }
  if (first >= 0)
    emit(first, last);
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
  const std::size_t wordsPerRow = (std::size_t(width) + kWordBits - 1) / kWordBits;
  std::vector<Word> packed(wordsPerRow * std::size_t(height));
  std::vector<std::uint8_t> rowSet(static_cast<std::size_t>(height));
  std::vector<std::uint8_t> glyphRowSet(static_cast<std::size_t>(height));
  std::vector<Word> line(wordsPerRow);
  auto packedRow = [&](int y) { return packed.data() + std::size_t(y) * wordsPerRow; };
  for (int y = 0; y < height; ++y)
    rowSet[std::size_t(y)] = PackRow(mask + std::size_t(y) * std::size_t(width), width, packedRow(y));

  FlagRuns(rowSet.data(), height, rowGap, [&](int top, int bottom) {
    // The band's columns: a bit per column that holds a pixel in any row.
    std::fill(line.begin(), line.end(), Word{0});
    for (int y = top; y <= bottom; ++y) {
      const Word *row = packedRow(y);
      for (std::size_t w = 0; w < wordsPerRow; ++w)
        line[w] |= row[w];
    }
    BitRuns(line.data(), width, columnGap, [&](int left, int right) {
      for (int y = top; y <= bottom; ++y)
        glyphRowSet[std::size_t(y - top)] = AnySet(packedRow(y), left, right);
      FlagRuns(glyphRowSet.data(), bottom - top + 1, rowGap, [&](int first, int last) {
        boxes.push_back(PixelRect{left, top + first, right, top + last});
      });
    });
  });
  return boxes;
}
