#include "engine_test_support.h"

#include <opencv2/imgproc.hpp>

namespace engine_test {

TextLine renderTextLine(const std::string &text) {
  const int font = cv::FONT_HERSHEY_SIMPLEX;
  const double scale = 2.0;
  const int thickness = 4;
  int baseline = 0;
  const cv::Size size = cv::getTextSize(text, font, scale, thickness, &baseline);
  const int margin = 40;
  TextLine line;
  line.width = size.width + 2 * margin;
  line.height = size.height + baseline + 2 * margin;
  cv::Mat image(line.height, line.width, CV_8UC1, cv::Scalar(255));
  const cv::Point origin(margin, margin + size.height);
  cv::putText(image, text, origin, font, scale, cv::Scalar(0), thickness, cv::LINE_AA);
  cv::threshold(image, image, 128, 255, cv::THRESH_BINARY);
  const cv::Rect ink = cv::boundingRect(image == 0);
  line.inkLeft = ink.x;
  line.inkTop = ink.y;
  line.inkRight = ink.x + ink.width - 1;
  line.inkBottom = ink.y + ink.height - 1;
  line.mask.assign(image.data, image.data + image.total());
  return line;
}

} // namespace engine_test
