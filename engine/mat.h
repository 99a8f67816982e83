// The image behind a MatHandle.
#pragma once

#include "engine/handle_table.h"

#include <opencv2/core.hpp>

#include <array>
#include <cstdint>

namespace morvexa {

struct Image {
  // A header over the caller's pixels (not a copy): the caller keeps them
  // alive until delMat, and releasing this header never touches them.
  cv::Mat pixels;
  int bytesPerPixel = 0;

  // What every threshold of this image starts from, made once: the caller's
  // pixels stay unchanged while the handle lives, so the grey image and its
  // histogram do too. Both are owned here and go with the handle; neither
  // reads the caller's pixels after it was made.
  cv::Mat grey;                  // empty until the first threshold
  std::array<std::int64_t, 256> histogram{}; // grey levels; valid when hasHistogram
  bool hasHistogram = false;
};

HandleTable<Image> &images();

} // namespace morvexa
