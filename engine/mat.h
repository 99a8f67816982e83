// The image behind a MatHandle.
#pragma once

#include "engine/handle_table.h"

#include <opencv2/core.hpp>

namespace morvexa {

struct Image {
  // A header over the caller's pixels (not a copy): the caller keeps them
  // alive until delMat, and releasing this header never touches them.
  cv::Mat pixels;
  int bytesPerPixel = 0;
};

HandleTable<Image> &images();

} // namespace morvexa
