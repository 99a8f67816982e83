#include "engine/mat.h"

#include "engine/morvexa.h"

#include <cstdint>
#include <memory>

namespace morvexa {

HandleTable<Image> &images() {
  static HandleTable<Image> table;
  return table;
}

namespace {

int matType(int bytesPerPixel) {
  switch (bytesPerPixel) {
  case 1:
    return CV_8UC1;
  case 3:
    return CV_8UC3;
  case 4:
    return CV_8UC4;
  default:
    return -1;
  }
}

} // namespace
} // namespace morvexa

using namespace morvexa;

extern "C" MatHandle newMat(unsigned char *pixels, int width, int height, int bytesPerRow,
                            int bytesPerPixel) {
  const int type = matType(bytesPerPixel);
  if (pixels == nullptr || width <= 0 || height <= 0 || type < 0)
    return 0;
  if (std::int64_t(bytesPerRow) < std::int64_t(width) * bytesPerPixel)
    return 0;
  try {
    auto image = std::make_unique<Image>();
    image->pixels = cv::Mat(height, width, type, pixels, std::size_t(bytesPerRow));
    image->bytesPerPixel = bytesPerPixel;
    return images().add(std::move(image));
  } catch (...) {
    return 0;
  }
}

extern "C" void delMat(MatHandle mat) {
  try {
    images().remove(mat);
  } catch (...) {
  }
}
