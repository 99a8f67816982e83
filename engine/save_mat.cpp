// The training image: 8-bit grey pixels into a file whose extension names
// its format (TIFF for the Tesseract tools).
#include "engine/blocks.h"
#include "engine/morvexa.h"

#include <opencv2/imgcodecs.hpp>

extern "C" bool saveMat(const char *path, const unsigned char *grey, int width, int height) {
  if (path == nullptr || *path == '\0' || grey == nullptr || !morvexa::maskBytes(width, height))
    return false;
  try {
    const cv::Mat image(height, width, CV_8UC1, const_cast<unsigned char *>(grey));
    // imwrite throws for an extension it has no writer for.
    return cv::imwrite(path, image);
  } catch (...) {
    return false;
  }
}
