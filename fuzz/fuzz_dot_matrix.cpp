// Feeds arbitrary bytes to the dot-matrix decoder, as a hand-edited sample
// file can, and checks the matrix it gives back is consistent and no larger
// than a glyph can be (4096 either way).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "workspace/dot_matrix.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  const std::optional<DotMatrix> matrix = DecodeDotMatrix(text);
  if (!matrix)
    return 0;
  const std::size_t cells = std::size_t(matrix->cols) * std::size_t(matrix->rows);
  if (matrix->cols < 1 || matrix->rows < 1 || matrix->cols > 4096 || matrix->rows > 4096 ||
      matrix->cells.size() != cells)
    std::abort();
  for (std::uint8_t cell : matrix->cells)
    if (cell > 1)
      std::abort();
  if (cells <= 4096 && !RenderDotMatrix(*matrix))
    std::abort();
  return 0;
}
