#include "engine/morvexa.h"

#include <gtest/gtest.h>

namespace {

TEST(OcFree, FreesAndClearsTheVariable) {
  int count = 0;
  const unsigned char mask[1] = {255};
  int *rects = findRect(mask, 1, 1, &count, 0.0f);
  ASSERT_NE(rects, nullptr);
  ocFree(&rects);
  EXPECT_EQ(rects, nullptr);
  ocFree(&rects); // already NULL: nothing happens
  EXPECT_EQ(rects, nullptr);
  ocFree(nullptr);
}

} // namespace
