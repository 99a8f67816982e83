#include "engine/reading_order.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using reading::Box;

struct Case {
  const char *what;
  std::vector<Box> boxes;
  std::vector<std::size_t> order;
};

TEST(ReadingOrder, LinesFromTheTopAndFramesByTheirTopEdge) {
  const Box a{2, 2, 5, 5}, b{8, 2, 11, 5}, c{2, 10, 5, 13}, d{8, 10, 11, 13};
  const std::vector<Case> cases{
      {"a tall glyph starting higher stays in its line",
       {{0, 1, 3, 4}, {5, 0, 8, 4}, {10, 1, 13, 4}, {0, 8, 3, 11}},
       {0, 1, 2, 3}},
      {"frame around two lines", {{0, 0, 13, 15}, d, c, b, a}, {0, 4, 3, 2, 1}},
      {"frame around one line, barely higher", {a, {0, 0, 13, 7}, b}, {1, 0, 2}},
      {"vertical rule between columns", {c, {6, 0, 6, 15}, b, a, d}, {1, 3, 2, 0, 4}},
      {"underline below a line", {{1, 7, 12, 7}, b, a}, {2, 1, 0}},
      {"small caption over a big headline",
       {{0, 8, 11, 31}, {0, 0, 2, 3}, {4, 0, 6, 3}, {14, 8, 25, 31}},
       {1, 2, 0, 3}},
      {"empty and one box", {a}, {0}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(reading::readingOrder(c.boxes), c.order) << c.what;
  EXPECT_TRUE(reading::readingOrder({}).empty());
}

} // namespace
