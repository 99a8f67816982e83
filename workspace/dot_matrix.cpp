#include "workspace/dot_matrix.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cstring>
#include <new>

#include "app/leading_number.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kMaxMatrixSide = kMaxDotMatrixSide;

// The two lowercase hex digits of every byte, so a byte is written with one
// two-character copy.
constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
  constexpr char digits[] = "0123456789abcdef";
  std::array<std::array<char, 2>, 256> pairs{};
  for (unsigned v = 0; v < 256; ++v)
    pairs[v] = {digits[v >> 4], digits[v & 15]};
  return pairs;
}();

// Eight mask bytes at once: bit k of the result is set when byte k (in
// memory order) is nonzero. The multiplication gathers the low bit of every
// byte lane into the top byte without carries.
std::uint8_t PackEight(const std::uint8_t *bytes) {
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  if constexpr (std::endian::native == std::endian::big)
    word = __builtin_bswap64(word);
  const std::uint64_t lanes = ((((word & kLow7) + kLow7) | word) & ~kLow7) >> 7;
  return std::uint8_t((lanes * 0x0102040810204080ULL) >> 56);
}

// Lowercase hex digit values by character; anything else reads as 0, as
// stored files rely on. A table, since random digits defeat branch prediction.
constexpr std::array<std::uint8_t, 256> kHexValues = [] {
  std::array<std::uint8_t, 256> values{};
  for (int c = '0'; c <= '9'; ++c)
    values[c] = std::uint8_t(c - '0');
  for (int c = 'a'; c <= 'f'; ++c)
    values[c] = std::uint8_t(c - 'a' + 10);
  return values;
}();

std::uint8_t HexValue(char c) {
  return kHexValues[static_cast<unsigned char>(c)];
}

// Each byte of the bit stream spread over eight cells, bit 0 first, so that
// decoding copies whole bytes of cells; and the set bits of each byte.
using CellByte = std::array<std::uint8_t, 8>;
constexpr std::array<CellByte, 256> kCells = [] {
  std::array<CellByte, 256> cells{};
  for (unsigned v = 0; v < 256; ++v)
    for (unsigned b = 0; b < 8; ++b)
      cells[v][b] = std::uint8_t((v >> b) & 1u);
  return cells;
}();
constexpr std::array<std::uint8_t, 256> kSetBits = [] {
  std::array<std::uint8_t, 256> counts{};
  for (unsigned v = 0; v < 256; ++v)
    for (unsigned b = 0; b < 8; ++b)
      counts[v] = std::uint8_t(counts[v] + ((v >> b) & 1u));
  return counts;
}();

// Splits at every separator (empty pieces count) and keeps the first N
// pieces; returns how many pieces there are in all.
template <std::size_t N>
std::size_t Split(std::string_view text, char separator, std::array<std::string_view, N> &pieces) {
  std::size_t count = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    const std::string_view piece =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (count < N)
      pieces[count] = piece;
    ++count;
    if (end == std::string_view::npos)
      return count;
    start = end + 1;
  }
}

} // namespace

std::string EncodeDotMatrix(const PixelRect &box, const std::uint8_t *mask, int maskWidth,
                            int maskHeight) {
  if (box.right < box.left || box.bottom < box.top)
    return {};
  if (mask == nullptr || box.left < 0 || box.top < 0 || box.right >= maskWidth ||
      box.bottom >= maskHeight)
    return {};
  // Inside the mask, so both fit an int.
  const int cols = box.right - box.left + 1;
  const int rows = box.bottom - box.top + 1;
  // A string no reader would take back is no sample: refused here already.
  if (!FitsDotMatrix(cols, rows))
    return {};
  const std::size_t byteCount = (std::size_t(cols) * std::size_t(rows) + 7) / 8;

  // Sized once: the hex digits, then the suffix with two numbers of at most
  // 20 characters each.
  std::string out(byteCount * 2 + 48, '\0');
  char *hex = out.data();
  std::int64_t setPixels = 0;
  // Bits wait in `pending` (the next stream bit at bit 0) until whole bytes
  // can be written; rows follow each other without padding.
  std::uint64_t pending = 0;
  int pendingBits = 0;
  auto put = [&](std::uint64_t bits, int count) {
    pending |= bits << pendingBits;
    pendingBits += count;
    while (pendingBits >= 8) {
      const auto byte = std::uint8_t(pending);
      std::memcpy(hex, kHexPairs[byte].data(), 2);
      hex += 2;
      setPixels += kSetBits[byte];
      pending >>= 8;
      pendingBits -= 8;
    }
  };
  auto putByte = [&](std::uint8_t byte) {
    std::memcpy(hex, kHexPairs[byte].data(), 2);
    hex += 2;
    setPixels += kSetBits[byte];
  };
  if (cols % 8 == 0) {
    // Every row starts on a byte: its pixels go straight to whole bytes.
    for (int r = 0; r < rows; ++r) {
      const std::uint8_t *row =
          mask + std::size_t(box.top + r) * std::size_t(maskWidth) + box.left;
      int c = 0;
#if defined(__SSE2__)
      const __m128i zero = _mm_setzero_si128();
      for (; c + 16 <= cols; c += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + c));
        const unsigned set = ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)));
        putByte(std::uint8_t(set));
        putByte(std::uint8_t(set >> 8));
      }
#endif
      for (; c < cols; c += 8)
        putByte(PackEight(row + c));
    }
  } else {
    for (int r = 0; r < rows; ++r) {
      const std::uint8_t *row =
          mask + std::size_t(box.top + r) * std::size_t(maskWidth) + box.left;
      int c = 0;
      for (; c + 8 <= cols; c += 8)
        put(PackEight(row + c), 8);
      for (; c < cols; ++c)
        put(row[c] != 0, 1);
    }
    if (pendingBits > 0)
      put(0, 8 - pendingBits); // the last partial byte, its unused bits 0
  }

  char *end = hex;
  std::memcpy(end, "$1$0.0.", 7);
  end += 7;
  end = std::to_chars(end, out.data() + out.size(), setPixels).ptr;
  *end++ = '$';
  end = std::to_chars(end, out.data() + out.size(), cols).ptr;
  out.resize(std::size_t(end - out.data()));
  return out;
}

std::optional<DotMatrix> DecodeDotMatrix(std::string_view text) try {
  std::array<std::string_view, 5> fields;
  const std::size_t fieldCount = Split(text, '$', fields);
  if (fieldCount != 4 && fieldCount != 5)
    return std::nullopt;
  const std::size_t first = fieldCount - 4; // five fields: the first is skipped

  std::string_view bits = fields[first];
  std::array<std::string_view, 3> middle;
  const std::size_t middleCount = Split(fields[first + 2], '.', middle);
  const int width = ParseLeadingInt(fields[first + 3]);
  if (width < 1 || bits.empty() || middleCount < 3)
    return std::nullopt;
  if (bits.size() % 2 != 0) {
    if (middleCount != 3)
      return std::nullopt;
    bits.remove_suffix(1);
  }
  const int wanted = ParseLeadingInt(middle[2]);
  if (wanted < 1 || width > kMaxMatrixSide)
    return std::nullopt;

  const std::size_t byteCount = bits.size() / 2;
  auto byteAt = [&](std::size_t i) {
    return std::uint8_t(HexValue(bits[2 * i]) << 4 | HexValue(bits[2 * i + 1]));
  };
  // A matrix ends at the row of its last set pixel, so a stream that has not
  // reached the count within kMaxMatrixSide rows would only give a matrix
  // taller than any glyph: the search stops there.
  const std::uint64_t bitLimit = std::uint64_t(kMaxMatrixSide) * std::uint64_t(width);
  const std::size_t searchBytes = std::size_t(std::min<std::uint64_t>(byteCount, (bitLimit + 7) / 8));
  // Bytes read while searching are kept for the cells when few (every glyph
  // up to 64 x 64); longer streams are read again.
  std::array<std::uint8_t, 512> kept;
  std::size_t keptCount = 0;
  std::int64_t seen = 0;
  std::uint64_t lastBit = 0;
  bool found = false;
  for (std::size_t i = 0; i < searchBytes; ++i) {
    const std::uint8_t byte = byteAt(i);
    if (i < kept.size())
      kept[keptCount++] = byte;
    if (seen + kSetBits[byte] < wanted) {
      seen += kSetBits[byte];
      continue;
    }
    for (int b = 0;; ++b)
      if (((byte >> b) & 1u) != 0 && ++seen == wanted) {
        lastBit = std::uint64_t{i} * 8 + unsigned(b);
        break;
      }
    found = true;
    break;
  }
  if (!found)
    return std::nullopt;
  const std::uint64_t rows = lastBit / std::uint64_t(width) + 1;
  if (rows > std::uint64_t(kMaxMatrixSide))
    return std::nullopt;

  DotMatrix matrix;
  matrix.cols = width;
  matrix.rows = int(rows);
  const std::uint64_t cellCount = rows * std::uint64_t(width); // at most 4096 x 4096
  matrix.cells.assign(cellCount, 0);
  // The cells are the first rows x width bits of the stream; past its end
  // they stay 0.
  const std::uint64_t copied = std::min<std::uint64_t>(cellCount, std::uint64_t(byteCount) * 8);
  auto streamByte = [&](std::size_t i) { return i < keptCount ? kept[i] : byteAt(i); };
  std::uint8_t *cell = matrix.cells.data();
  const std::size_t wholeBytes = std::size_t(copied / 8);
  for (std::size_t i = 0; i < wholeBytes; ++i, cell += 8)
    std::memcpy(cell, kCells[streamByte(i)].data(), 8);
  if (copied % 8 != 0)
    std::memcpy(cell, kCells[streamByte(wholeBytes)].data(), std::size_t(copied % 8));
  return matrix;
} catch (const std::bad_alloc &) {
  return std::nullopt;
}

std::optional<ImageBuffer> RenderDotMatrix(const DotMatrix &matrix) try {
  constexpr int kScale = 5;
  if (matrix.cols < 1 || matrix.rows < 1 ||
      matrix.cells.size() != std::size_t(matrix.cols) * std::size_t(matrix.rows))
    return std::nullopt;
  // The bitmap header holds the image size (4 bytes x 25 pixels per cell) as
  // a signed 32-bit number.
  if (matrix.cells.size() > std::size_t(INT32_MAX) / (4 * kScale * kScale))
    return std::nullopt;
  ImageBuffer image = MakeBlackBuffer(matrix.cols * kScale, matrix.rows * kScale, 32);
  if (image.empty())
    return std::nullopt;

  for (int r = 0; r < matrix.rows; ++r) {
    for (int c = 0; c < matrix.cols; ++c) {
      if (matrix.cells[std::size_t(r) * matrix.cols + c] == 0)
        continue;
      for (int dy = 0; dy < kScale; ++dy) {
        std::uint8_t *square = image.pixels.data() +
                               std::size_t(r * kScale + dy) * image.bytesPerRow +
                               std::size_t(c) * kScale * 4;
        std::fill(square, square + kScale * 4, std::uint8_t{0xFF});
      }
    }
  }
  return image;
} catch (const std::bad_alloc &) {
  return std::nullopt;
}

std::optional<ImageBuffer> DotMatrixToImage(std::string_view text) {
  const std::optional<DotMatrix> matrix = DecodeDotMatrix(text);
  if (!matrix)
    return std::nullopt;
  return RenderDotMatrix(*matrix);
}
