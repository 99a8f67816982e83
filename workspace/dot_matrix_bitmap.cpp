#include "workspace/dot_matrix_bitmap.h"

#include "app/text_codec.h"
#include "workspace/dot_matrix.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace {

constexpr int kCellPixels = 5;

// For each of `shown` pixels along a side of `cells` cells: the cell under
// it once the full picture (5 pixels a cell) is squeezed to `shown` pixels.
std::vector<int> CellUnderPixel(int cells, int shown) {
  const std::int64_t full = std::int64_t{cells} * kCellPixels;
  std::vector<int> cell(static_cast<std::size_t>(shown));
  for (int i = 0; i < shown; ++i)
    cell[std::size_t(i)] = int(i * full / shown / kCellPixels);
  return cell;
}

int ShownLength(int cells, int limit) {
  const std::int64_t full = std::int64_t{cells} * kCellPixels;
  return int(std::min<std::int64_t>(full, std::max(limit, 1)));
}

} // namespace

QImage DotMatrixToBitmap(std::string_view text, QSize limit) try {
  const std::optional<DotMatrix> matrix = DecodeDotMatrix(text);
  if (!matrix || matrix->cols < 1 || matrix->rows < 1 ||
      matrix->cells.size() != std::size_t(matrix->cols) * std::size_t(matrix->rows))
    return {};
  const int width = ShownLength(matrix->cols, limit.width());
  const int height = ShownLength(matrix->rows, limit.height());
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull())
    return {};
  const std::vector<int> columnOf = CellUnderPixel(matrix->cols, width);
  const std::vector<int> rowOf = CellUnderPixel(matrix->rows, height);
  const QRgb black = qRgb(0, 0, 0);
  const QRgb white = qRgb(255, 255, 255);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t *cells =
        matrix->cells.data() + std::size_t(rowOf[std::size_t(y)]) * std::size_t(matrix->cols);
    auto *to = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < width; ++x)
      to[x] = cells[columnOf[std::size_t(x)]] != 0 ? white : black;
  }
  return image;
} catch (const std::bad_alloc &) {
  return {};
}

QImage DotMatrixToBitmap(const QString &text, QSize limit) {
  return DotMatrixToBitmap(ToSystemCodePage(text.toStdU16String()), limit);
}
