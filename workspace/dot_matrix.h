#pragma once
// The dot-matrix string of a box: the box's pixels as bits, packed least
// significant bit first into bytes written as lowercase hex, followed by
// "$1$0.0.<set pixels>$<columns>". Example: a 3 x 2 box with rows
// set-clear-set / clear-set-clear is "15$1$0.0.3$3".
//
// The string is the sample key stored in the sample file, so its bytes must
// stay exactly as older files have them. It is plain ASCII: the same bytes in
// the system code page, UTF-8 or (widened) UTF-16.
//
// The height is not stored: a reader ends the matrix at the row holding the
// last set pixel, so blank rows at the bottom of a box do not come back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/image_buffer.h"
#include "workspace/pixel_rect.h"

// A decoded box: rows x cols cells, row after row, 1 = set pixel, 0 = clear.
struct DotMatrix {
  int cols = 0;
  int rows = 0;
  std::vector<std::uint8_t> cells;
};

// No glyph is larger than this many pixels in either direction: the encoder
// and the decoder hold to the same limit, so every string made can be read
// back (previewed, added, trained).
inline constexpr int kMaxDotMatrixSide = 4096;
inline constexpr bool FitsDotMatrix(long long cols, long long rows) {
  return cols >= 1 && rows >= 1 && cols <= kMaxDotMatrixSide && rows <= kMaxDotMatrixSide;
}

// Encodes the pixels of `box` (inclusive corners) of a mask of
// maskWidth x maskHeight bytes (row after row, nonzero = set).
// An empty box (right < left or bottom < top) gives "". So does a box that
// reaches outside the mask, or a null mask: its pixels cannot be read; and
// a box wider or higher than kMaxDotMatrixSide.
// A box without set pixels still gives its "00" bytes and a count of 0.
std::string EncodeDotMatrix(const PixelRect &box, const std::uint8_t *mask, int maskWidth,
                            int maskHeight);

// Decodes a dot-matrix string given in the system code page. Gives nothing
// for a malformed string: not 4 or 5 '$' fields (with 5 the first is
// skipped), a width below 1, an empty bits field, a middle field with fewer
// than three '.' parts, a set-pixel count below 1 or above the set bits, or a
// bits field of odd length whose middle field has more than three parts (with
// exactly three, the odd last digit is dropped). Only '0'-'9' and 'a'-'f' are
// hex digits; any other character, uppercase included, reads as 0.
// The count and the width are each field's leading decimal number, read like
// atoi (white space and a sign allowed, 0 without digits).
// A width wider than the bits gives a row of that width whose cells past the
// last bit are 0 ("01$1$0.0.1$9" is 9 x 1 with cell 0 set). A width or a
// height above kMaxDotMatrixSide gives
// nothing, found before anything of the matrix's size is allocated, so a
// hostile string costs no more than its own length.
std::optional<DotMatrix> DecodeDotMatrix(std::string_view text);

// The preview picture of a matrix: 32 bits per pixel, rows top-down,
// (5 x cols) x (5 x rows) pixels, black (all bytes 0) with a white 5 x 5
// square (all bytes 0xFF) for every set cell. Gives nothing for an
// inconsistent matrix, or one whose picture would not fit the signed 32-bit
// sizes of a bitmap, or when memory runs out.
std::optional<ImageBuffer> RenderDotMatrix(const DotMatrix &matrix);

// Decode and render in one step; nothing when either gives nothing.
std::optional<ImageBuffer> DotMatrixToImage(std::string_view text);
