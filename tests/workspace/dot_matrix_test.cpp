#include "workspace/dot_matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>
#include <random>

#include "mask_fixture.h"

// The largest single allocation made while `gWatching` is set: a hostile
// string must be refused without building anything of the size it names.
namespace {
std::atomic<bool> gWatching{false};
std::atomic<std::size_t> gLargestRequest{0};
} // namespace

void *operator new(std::size_t size) {
  if (gWatching.load(std::memory_order_relaxed)) {
    std::size_t seen = gLargestRequest.load(std::memory_order_relaxed);
    while (size > seen && !gLargestRequest.compare_exchange_weak(seen, size)) {
    }
  }
  if (void *block = std::malloc(size == 0 ? 1 : size))
    return block;
  throw std::bad_alloc();
}
// Every other form comes here too: a sanitizer runtime brings its own
// operator new for the forms left out, and its blocks must not reach free().
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void *operator new[](std::size_t size) { return ::operator new(size); }
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept {
  return ::operator new(size, tag);
}
// The replaced operator new takes its blocks from malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

// The largest allocation `run` makes.
template <typename Run> std::size_t LargestAllocation(Run &&run) {
  gLargestRequest = 0;
  gWatching = true;
  run();
  gWatching = false;
  return gLargestRequest;
}

struct EncodeCase {
  const char *name;
  std::vector<std::string> mask;
  PixelRect box; // inclusive corners
  std::string expected;
};

TEST(EncodeDotMatrix, WritesStoredBytesExactly) {
  const std::vector<EncodeCase> cases = {
      {"bits run least significant first", {"#.#", ".#."}, {0, 0, 2, 1}, "15$1$0.0.3$3"},
      {"top row only", {"##", "..", ".."}, {0, 0, 1, 2}, "03$1$0.0.2$2"},
      {"partial last byte", {"###", "###", "###"}, {0, 0, 2, 2}, "ff01$1$0.0.9$3"},
      {"no set pixels keeps bytes and suffix", {"..", ".."}, {0, 0, 1, 1}, "00$1$0.0.0$2"},
      {"box inside a wider mask uses its row length",
       {"####", "#.##", "##.#"},
       {1, 1, 2, 2},
       "06$1$0.0.2$2"},
      {"single pixel", {"#"}, {0, 0, 0, 0}, "01$1$0.0.1$1"},
      {"empty rectangle", {"##", "##"}, {1, 0, 0, 1}, ""},
      {"reaches past the right edge", {"##", "##"}, {0, 0, 2, 1}, ""},
      {"reaches above the top", {"##", "##"}, {0, -1, 1, 1}, ""},
  };
  for (const EncodeCase &c : cases) {
    const TextMask mask = MaskFromText(c.mask);
    EXPECT_EQ(EncodeDotMatrix(c.box, mask.bytes.data(), mask.width, mask.height), c.expected)
        << c.name;
  }
  EXPECT_EQ(EncodeDotMatrix({0, 0, 0, 0}, nullptr, 1, 1), "");
}

struct DecodeCase {
  std::string text;
  bool decodes;
  int cols = 0;
  int rows = 0;
  std::vector<std::uint8_t> cells = {};
};

TEST(DecodeDotMatrix, ReadsStoredStrings) {
  const std::vector<DecodeCase> cases = {
      {"15$1$0.0.3$3", true, 3, 2, {1, 0, 1, 0, 1, 0}},
      {"X$15$1$0.0.3$3", true, 3, 2, {1, 0, 1, 0, 1, 0}},
      {"15$1$0.0.3.9$3", true, 3, 2, {1, 0, 1, 0, 1, 0}},
      {"151$1$0.0.3$3", true, 3, 2, {1, 0, 1, 0, 1, 0}},
      {"03$1$0.0.2$2", true, 2, 1, {1, 1}},
      {"ff01$1$0.0.9$3", true, 3, 3, {1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {"1F$1$0.0.1$8", true, 8, 1, {0, 0, 0, 0, 1, 0, 0, 0}},
      // The count ends the matrix at the row of its last pixel.
      {"15$1$0.0.1$3", true, 3, 1, {1, 0, 1}},
      // Cells past the last decoded bit are clear.
      {"ff$1$0.0.8$3", true, 3, 3, {1, 1, 1, 1, 1, 1, 1, 1, 0}},
      // As wide as the bits can hold.
      {"15$1$0.0.3$8", true, 8, 1, {1, 0, 1, 0, 1, 0, 0, 0}},
      {"15$1$0.0.3$3 trailing", true, 3, 2, {1, 0, 1, 0, 1, 0}},
      {"15$1$0.3$3", false},
      {"15$1$0.0.3$0", false},
      {"$1$0.0.3$3", false},
      {"00$1$0.0.0$2", false},
      {"151$1$0.0.3.9$3", false},
      {"15$1$0.0.4$3", false}, // more pixels than bits set
      {"", false},
      {"15$1$0.0.3", false},
      {"A$B$15$1$0.0.3$3", false},
      {"1$1$0.0.1$1", false}, // one digit: no whole byte
      {"15$1$0.0.-3$3", false},
      {"15$1$0.0.3$-3", false},
      // Wider than its bits: the cells past the last bit are clear.
      {"15$1$0.0.3$9", true, 9, 1, {1, 0, 1, 0, 1, 0, 0, 0, 0}},
      {"01$1$0.0.1$9", true, 9, 1, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"ff$1$0.0.1$2000000000", false}, // would ask for gigabytes
      {"01$1$0.0.1$4097", false},       // wider than any glyph
      {"ff$1$0.0.1$99999999999999999999", false},
      {"ff$1$0.0.99999999999999999999$1", false},
      {"ff$1$0.0.1$-99999999999999999999", false},
  };
  for (const DecodeCase &c : cases) {
    const std::optional<DotMatrix> matrix = DecodeDotMatrix(c.text);
    ASSERT_EQ(matrix.has_value(), c.decodes) << c.text;
    if (!matrix)
      continue;
    EXPECT_EQ(matrix->cols, c.cols) << c.text;
    EXPECT_EQ(matrix->rows, c.rows) << c.text;
    EXPECT_EQ(matrix->cells, c.cells) << c.text;
  }
}

// Every box encodes to 2 x ceil(w x h / 8) hex digits and decodes back to its
// rows down to the last one holding a set pixel.
TEST(DotMatrix, RoundTripsRandomBoxes) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 300; ++trial) {
    const int width = 1 + int(random() % 40);
    const int height = 1 + int(random() % 40);
    const unsigned density = random() % 4; // 0 gives mostly empty boxes
    TextMask mask{width, height, std::vector<std::uint8_t>(std::size_t(width) * height)};
    int lastSetRow = -1;
    for (int i = 0; i < width * height; ++i) {
      if (random() % 8 < density) {
        mask.bytes[i] = std::uint8_t(1 + random() % 255);
        lastSetRow = i / width;
      }
    }
    const std::string text =
        EncodeDotMatrix({0, 0, width - 1, height - 1}, mask.bytes.data(), width, height);
    const std::size_t hexDigits = (std::size_t(width) * height + 7) / 8 * 2;
    ASSERT_GT(text.size(), hexDigits);
    EXPECT_EQ(text.find('$'), hexDigits);

    const std::optional<DotMatrix> matrix = DecodeDotMatrix(text);
    if (lastSetRow < 0) {
      EXPECT_FALSE(matrix) << text;
      continue;
    }
    ASSERT_TRUE(matrix) << text;
    EXPECT_EQ(matrix->cols, width);
    ASSERT_EQ(matrix->rows, lastSetRow + 1);
    for (int i = 0; i < matrix->rows * width; ++i)
      ASSERT_EQ(matrix->cells[i], mask.bytes[i] != 0 ? 1 : 0) << text << " cell " << i;
  }
}

// No glyph is larger than 4096 pixels either way. Up to that a matrix comes
// back whatever the bits hold; past it nothing does, in both directions.
TEST(DecodeDotMatrix, BoundsTheMatrixAtAGlyphsSize) {
  const auto decode = [](std::size_t zeroBytes, const char *lastByte, int count, int width) {
    return DecodeDotMatrix(std::string(zeroBytes * 2, '0') + lastByte + "$1$0.0." +
                           std::to_string(count) + "$" + std::to_string(width));
  };
  const std::optional<DotMatrix> widest = decode(0, "01", 1, 4096);
  ASSERT_TRUE(widest);
  EXPECT_EQ(widest->cols, 4096);
  EXPECT_EQ(widest->rows, 1);
  EXPECT_EQ(std::count(widest->cells.begin(), widest->cells.end(), 1), 1);
  EXPECT_EQ(widest->cells[0], 1);

  // One column: the set bit's index is the last row. Bit 4095 (the top bit
  // of byte 511) is row 4096, bit 4096 row 4097.
  const std::optional<DotMatrix> tallest = decode(511, "80", 1, 1);
  ASSERT_TRUE(tallest);
  EXPECT_EQ(tallest->rows, 4096);
  EXPECT_EQ(tallest->cells.back(), 1);
  EXPECT_FALSE(decode(512, "01", 1, 1));

  // The largest area, and one row more of it.
  const std::size_t area = std::size_t(4096) * 4096 / 8;
  const std::optional<DotMatrix> largest = decode(area - 1, "80", 1, 4096);
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->rows, 4096);
  EXPECT_EQ(largest->cells.size(), std::size_t(4096) * 4096);
  EXPECT_FALSE(decode(area, "01", 1, 4096));
  // A count the bits never reach within the largest area gives nothing too.
  EXPECT_FALSE(decode(area + 1000, "ff", 4, 4096));

  // The encoder holds to the same limit: what it gives, the decoder takes.
  const std::vector<std::uint8_t> row(4097, 255);
  const std::string longest = EncodeDotMatrix({0, 0, 4095, 0}, row.data(), 4097, 1);
  ASSERT_TRUE(DecodeDotMatrix(longest));
  EXPECT_EQ(DecodeDotMatrix(longest)->cols, 4096);
  EXPECT_EQ(EncodeDotMatrix({0, 0, 4096, 0}, row.data(), 4097, 1), "");
  EXPECT_EQ(EncodeDotMatrix({0, 0, 0, 4096}, row.data(), 1, 4097), "");
}

// Megabytes of bits that never reach their count, with the widest width:
// refused after reading at most one glyph's area, allocating nothing of it.
TEST(DecodeDotMatrix, RefusesHostileStringsWithoutAllocatingThem) {
  const std::string zeros = std::string(8 << 20, '0') + "$1$0.0.1$4096";
  const std::string manyRows = std::string(8 << 20, '1') + "$1$0.0.99999999$1";
  const std::string gigabytes = "ff$1$0.0.8$99999999";
  for (const std::string *text : {&zeros, &manyRows, &gigabytes}) {
    bool decoded = true;
    const std::size_t largest = LargestAllocation([&] { decoded = DecodeDotMatrix(*text).has_value(); });
    EXPECT_FALSE(decoded) << text->substr(text->size() - 20);
    EXPECT_LE(largest, 4096u) << text->substr(text->size() - 20);
  }
  // A valid matrix allocates its cells, nothing in proportion to the text.
  const std::string wide = "01" + std::string(8 << 20, '0') + "$1$0.0.1$4096";
  EXPECT_LE(LargestAllocation([&] { EXPECT_TRUE(DecodeDotMatrix(wide)); }), 4096u + 64);
}

TEST(RenderDotMatrix, DrawsFivePixelSquares) {
  const std::optional<ImageBuffer> image = DotMatrixToImage("15$1$0.0.3$3");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 15);
  EXPECT_EQ(image->height, 10);
  EXPECT_EQ(image->bitsPerPixel, 32);
  EXPECT_EQ(image->bytesPerRow, 60);
  ASSERT_EQ(image->pixels.size(), 600u);
  // Cells 1 0 1 / 0 1 0: pixel (x, y) is white exactly in a set cell's square.
  const int cells[2][3] = {{1, 0, 1}, {0, 1, 0}};
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 15; ++x)
      for (int b = 0; b < 4; ++b)
        ASSERT_EQ(image->pixels[y * 60 + x * 4 + b], cells[y / 5][x / 5] ? 0xFF : 0x00)
            << x << "," << y;
}

TEST(RenderDotMatrix, RefusesWhatItCannotDraw) {
  EXPECT_FALSE(DotMatrixToImage("15$1$0.3$3"));
  EXPECT_FALSE(RenderDotMatrix(DotMatrix{}));
  EXPECT_FALSE(RenderDotMatrix(DotMatrix{3, 2, {1, 0, 1}})); // cells do not match
  // 100 bytes per cell: past the signed 32-bit image size of a bitmap.
  const int cols = INT32_MAX / 100 + 1;
  EXPECT_FALSE(RenderDotMatrix(DotMatrix{cols, 1, std::vector<std::uint8_t>(cols)}));
}

} // namespace
