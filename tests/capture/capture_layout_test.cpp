// Where the capture window dims and where its magnifier goes.
#include "capture/capture_layout.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bands = std::vector<TrackerRect>;

TEST(CaptureLayout, DimsEverythingButTheSelection) {
  struct Case {
    const char *what;
    TrackerRect selection;
    Bands bands;
  };
  const std::vector<Case> cases = {
      {"no selection", {}, {{0, 0, 800, 600}}},
      {"empty selection", {300, 200, 300, 400}, {{0, 0, 800, 600}}},
      {"inside",
       {100, 50, 300, 250},
       {{0, 0, 800, 50}, {0, 250, 800, 600}, {0, 50, 100, 250}, {300, 50, 800, 250}}},
      {"inverted, as drawn",
       {300, 250, 100, 50},
       {{0, 0, 800, 50}, {0, 250, 800, 600}, {0, 50, 100, 250}, {300, 50, 800, 250}}},
      {"the whole screen", {0, 0, 800, 600}, {}},
      {"touching the top-left corner", {0, 0, 100, 100}, {{0, 100, 800, 600}, {100, 0, 800, 100}}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(DimBands(c.selection, 800, 600), c.bands) << c.what;
}

TEST(CaptureLayout, MagnifierSitsAboveTheFirstCorner) {
  const MagnifierLayout m = LayOutMagnifier({300, 200, 100, 400}, {50, 60});
  EXPECT_EQ(m.lens, (TrackerRect{300, 108, 372, 180})); // stored left, top - 92
  EXPECT_EQ(m.panel, (TrackerRect{298, 106, 530, 182}));
  EXPECT_EQ(m.source, (TrackerRect{32, 42, 68, 78})); // 36 x 36 around the cursor
  EXPECT_EQ(m.rgbText, (TrackerPoint{380, 114}));
  EXPECT_EQ(m.sizeText, (TrackerPoint{380, 132}));
  EXPECT_EQ(m.hintText, (TrackerPoint{380, 150}));

  // Near the top of the screen it is drawn above it, out of sight.
  EXPECT_LT(LayOutMagnifier({0, 0, 1920, 1080}, {5, 5}).panel.bottom, 0);
  EXPECT_LE(LayOutMagnifier({10, 91, 50, 200}, {5, 5}).lens.top, -1);
}

} // namespace
