// Feeds arbitrary bytes to the dot-matrix decoder, as a hand-edited sample
// file can, and through it to the preview picture the window draws: the
// matrix must be consistent and no larger than a glyph can be, and every
// picture pixel must show the cell under it, for any picture size limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <QImage>

#include "workspace/dot_matrix.h"
#include "workspace/dot_matrix_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // The first two bytes choose the picture's limit, as the preview's size does.
  if (size < 2)
    return 0;
  const QSize limit(1 + data[0] * 4, 1 + data[1] * 4);
  const std::string_view text(reinterpret_cast<const char *>(data + 2), size - 2);
  const std::optional<DotMatrix> matrix = DecodeDotMatrix(text);
  const QImage picture = DotMatrixToBitmap(text, limit);
  if (!matrix) {
    if (!picture.isNull())
      std::abort();
    return 0;
  }
  const std::size_t cells = std::size_t(matrix->cols) * std::size_t(matrix->rows);
  if (!FitsDotMatrix(matrix->cols, matrix->rows) || matrix->cells.size() != cells)
    std::abort();
  for (std::uint8_t cell : matrix->cells)
    if (cell > 1)
      std::abort();

  const long long fullWidth = 5LL * matrix->cols, fullHeight = 5LL * matrix->rows;
  if (picture.isNull() || picture.width() != std::min<long long>(fullWidth, limit.width()) ||
      picture.height() != std::min<long long>(fullHeight, limit.height()))
    std::abort();
  // Each pixel shows the cell under it in the full picture squeezed to this size.
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const long long col = x * fullWidth / picture.width() / 5;
      const long long row = y * fullHeight / picture.height() / 5;
      const bool set = matrix->cells[std::size_t(row * matrix->cols + col)] != 0;
      if (picture.pixel(x, y) != (set ? 0xFFFFFFFFu : 0xFF000000u))
        std::abort();
    }
  return 0;
}
