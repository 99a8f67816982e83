// Runs the projection split on arbitrary masks and gaps and checks what any
// split must give: rectangles inside the mask that never overlap, cover every
// set pixel, start and end on rows holding a set pixel, and whose dot-matrix
// strings decode back to exactly their pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

#include "workspace/dot_matrix.h"
#include "workspace/glyph_boxes.h"
#include "workspace/seg_box.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

bool RowHasSetPixel(const std::vector<std::uint8_t> &mask, int width, int y, int left, int right) {
  for (int x = left; x <= right; ++x)
    if (mask[std::size_t(y) * width + x] != 0)
      return true;
  return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int width = input.ConsumeIntegralInRange(-1, 96);
  const int height = input.ConsumeIntegralInRange(-1, 96);
  const int rowGap = input.ConsumeIntegralInRange(-1, 6);
  const int columnGap = input.ConsumeIntegralInRange(-1, 6);
  // Masks hold 0xFF from the workspace but any nonzero byte counts as set:
  // either take the bytes as they come or spread bits over a chosen value.
  const bool rawBytes = input.ConsumeBool();
  const std::uint8_t setValue = input.ConsumeIntegralInRange<std::uint8_t>(1, 255);

  const std::size_t pixels = width > 0 && height > 0 ? std::size_t(width) * height : 0;
  std::vector<std::uint8_t> mask(pixels, 0);
  for (std::size_t i = 0; i < pixels && input.remaining_bytes() > 0;) {
    const std::uint8_t byte = input.ConsumeIntegral<std::uint8_t>();
    if (rawBytes) {
      mask[i++] = byte;
      continue;
    }
    for (int bit = 0; bit < 8 && i < pixels; ++bit)
      mask[i++] = (byte >> bit) & 1 ? setValue : 0;
  }

  const std::vector<PixelRect> boxes =
      FindGlyphBoxes(pixels ? mask.data() : nullptr, width, height, rowGap, columnGap);
  if (pixels == 0 || rowGap < 1 || columnGap < 1) {
    Check(boxes.empty());
    return 0;
  }

  std::vector<std::uint8_t> covered(pixels, 0);
  for (const PixelRect &box : boxes) {
    Check(0 <= box.left && box.left <= box.right && box.right < width);
    Check(0 <= box.top && box.top <= box.bottom && box.bottom < height);
    Check(RowHasSetPixel(mask, width, box.top, box.left, box.right));
    Check(RowHasSetPixel(mask, width, box.bottom, box.left, box.right));
    for (int y = box.top; y <= box.bottom; ++y)
      for (int x = box.left; x <= box.right; ++x)
        Check(++covered[std::size_t(y) * width + x] == 1);

    // The box's string holds its pixels; the reader ends at the last row
    // with a set pixel, which is the box's bottom row.
    const SegBox seg = MakeSegBox(box, mask.data(), width, height);
    const std::optional<DotMatrix> matrix = DecodeDotMatrix(seg.data);
    Check(matrix.has_value());
    Check(matrix->cols == box.right - box.left + 1 && matrix->rows == box.bottom - box.top + 1);
    for (int y = 0; y < matrix->rows; ++y)
      for (int x = 0; x < matrix->cols; ++x)
        Check(matrix->cells[std::size_t(y) * matrix->cols + x] ==
              (mask[std::size_t(box.top + y) * width + box.left + x] != 0));
  }
  for (std::size_t i = 0; i < pixels; ++i)
    Check(mask[i] == 0 || covered[i] == 1);
  return 0;
}
