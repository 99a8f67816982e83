#include "workspace/dot_matrix.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <new>

#include "app/leading_number.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendByte(std::string &out, std::uint8_t byte) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0F]);
}

void AppendNumber(std::string &out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
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
  const std::size_t bitCount = std::size_t(cols) * std::size_t(rows);

  std::string out;
  out.reserve((bitCount + 7) / 8 * 2 + 32);
  std::uint8_t byte = 0;
  int bit = 0;
  std::int64_t setPixels = 0;
  for (int r = 0; r < rows; ++r) {
    const std::uint8_t *row = mask + std::size_t(box.top + r) * std::size_t(maskWidth) + box.left;
    for (int c = 0; c < cols; ++c) {
      // Without a branch: glyph pixels are as good as random to a predictor.
      const unsigned set = row[c] != 0;
      byte |= std::uint8_t(set << bit);
      setPixels += set;
      if (++bit == 8) {
        AppendByte(out, byte);
        byte = 0;
        bit = 0;
      }
    }
  }
  if (bit > 0)
    AppendByte(out, byte);

  out += "$1$0.0.";
  AppendNumber(out, setPixels);
  out += '$';
  AppendNumber(out, cols);
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
  if (wanted < 1)
    return std::nullopt;

  const std::size_t byteCount = bits.size() / 2;
  const std::uint64_t bitCount = std::uint64_t{byteCount} * 8;
  // No encoded box is wider than its bits; refusing such a width also keeps
  // the cell count below twice the bits given.
  if (std::uint64_t(width) > bitCount)
    return std::nullopt;

  std::vector<std::uint8_t> bytes(byteCount);
  for (std::size_t i = 0; i < byteCount; ++i)
    bytes[i] = std::uint8_t(HexValue(bits[2 * i]) << 4 | HexValue(bits[2 * i + 1]));

  // Find the bit at which the set-pixel count reaches `wanted`; whole bytes
  // are counted at once.
  std::int64_t seen = 0;
  std::uint64_t lastBit = 0;
  bool found = false;
  for (std::size_t i = 0; i < byteCount && !found; ++i) {
    const int inByte = kSetBits[bytes[i]];
    if (seen + inByte < wanted) {
      seen += inByte;
      continue;
    }
    for (int b = 0; b < 8; ++b) {
      if ((bytes[i] >> b) & 1u) {
        if (++seen == wanted) {
          lastBit = std::uint64_t{i} * 8 + b;
          found = true;
          break;
        }
      }
    }
  }
  if (!found)
    return std::nullopt;

  const std::uint64_t rows = lastBit / std::uint64_t(width) + 1;
  if (rows > std::uint64_t(INT_MAX))
    return std::nullopt;
  DotMatrix matrix;
  matrix.cols = width;
  matrix.rows = int(rows);
  // rows x width <= lastBit + width <= 2 x bitCount: bounded by the input.
  const std::uint64_t cellCount = rows * std::uint64_t(width);
  matrix.cells.assign(cellCount, 0);
  const std::uint64_t copied = cellCount < bitCount ? cellCount : bitCount;
  std::uint8_t *cell = matrix.cells.data();
  std::uint64_t k = 0;
  for (; k + 8 <= copied; k += 8, cell += 8)
    std::memcpy(cell, kCells[bytes[k / 8]].data(), 8);
  for (; k < copied; ++k)
    *cell++ = (bytes[k / 8] >> (k % 8)) & 1u;
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
