// Zoom steps, the click hit test and view-to-workspace mapping of the
// workspace view.
#include "workspace/view_geometry.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(ViewGeometryTest, WheelStepsKeepThePixelUnderTheCursor) {
  struct Step {
    int delta;
    ViewZoom expected;
  };
  // All at cursor (100, 40): up to the upper limit and back to the lower one.
  const Step kSteps[] = {
      {120, {2, 100, 40}},   {120, {3, 200, 80}},  {-120, {2, 100, 40}}, {120, {3, 200, 80}},
      {120, {4, 300, 120}},  {120, {5, 400, 160}}, {120, {5, 400, 160}}, // at 5: no change
      {-120, {4, 300, 120}}, {-120, {3, 200, 80}}, {-120, {2, 100, 40}}, {-120, {1, 0, 0}},
      {-120, {1, 0, 0}}, // at 1: no change
      {0, {1, 0, 0}},
  };
  ViewZoom view;
  int index = 0;
  for (const Step &step : kSteps) {
    SCOPED_TRACE(index++);
    const bool limit = (step.delta > 0 && view.zoom == 5) || (step.delta < 0 && view.zoom == 1);
    EXPECT_EQ(ZoomAtLimit(view, step.delta), limit);
    StepZoom(view, step.delta, 100, 40);
    EXPECT_EQ(view, step.expected);
  }
}

TEST(ViewGeometryTest, ClickHitsTheFirstBoxWhoseLeftAndTopLinesItIncludes) {
  // Outline (10, 20) to (14, 26); a second box overlapping its right part.
  const std::vector<SegBox> boxes = {{10, 20, 4, 6, "first"}, {12, 20, 4, 6, "second"}};
  struct Case {
    WorkspacePoint point;
    int expected;
  };
  const Case kCases[] = {
      {{10, 20}, 0},                  // top-left corner: on the left and top lines
      {{10, 25}, 0},                  // left line, last row inside
      {{13, 23}, 0},                  // overlap: the earlier box wins
      {{14, 23}, 1},                  // the first box's right line is not its own
      {{11, 26}, -1},                 // the bottom line belongs to no box
      {{9, 23}, -1},  {{16, 23}, -1}, // the second box's right line
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
    EXPECT_EQ(HitBox(boxes, c.point), c.expected);
  }
}

TEST(ViewGeometryTest, ClickHitsTheInnermostOfNestedBoxes) {
  // A slashed 0 (outline 0..12 x 0..16) whose dot has a box of its own, a
  // stroke inside the dot's box, and a box equal to the outer one.
  const std::vector<SegBox> boxes = {{0, 0, 12, 16, "zero"},
                                     {4, 5, 4, 6, "dot"},
                                     {5, 6, 2, 2, "speck"},
                                     {0, 0, 12, 16, "zero again"}};
  struct Case {
    WorkspacePoint point;
    int expected;
  };
  const Case kCases[] = {
      {{1, 1}, 0},   // only the outer box and its twin: the first of the two
      {{4, 5}, 1},   // the dot's top-left corner
      {{7, 10}, 1},  // inside the dot, outside the speck
      {{5, 6}, 2},   // the speck, inside the dot, inside the zero
      {{8, 10}, 0},  // the dot's right line is the zero's
      {{12, 3}, -1}, // the zero's right line
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(testing::Message() << c.point.x << "," << c.point.y);
    EXPECT_EQ(HitBox(boxes, c.point), c.expected);
  }
  // The inner box wins wherever it stands in the list.
  const std::vector<SegBox> innerFirst = {{5, 6, 2, 2, "speck"}, {0, 0, 12, 16, "zero"}};
  EXPECT_EQ(HitBox(innerFirst, {5, 6}), 0);
  EXPECT_EQ(HitBox(innerFirst, {1, 1}), 1);
}

TEST(ViewGeometryTest, ViewPointsMapThroughZoomAndOffset) {
  EXPECT_EQ(ViewToWorkspace({2, 100, 40}, 10, 10), (WorkspacePoint{55, 25}));
  EXPECT_EQ(ViewToWorkspace({2, 100, 40}, 11, 11), (WorkspacePoint{55, 25}));
  EXPECT_EQ(ViewToWorkspace({3, 200, 80}, 1, 1), (WorkspacePoint{67, 27}));
  EXPECT_EQ(ViewToWorkspace({1, 0, 0}, 7, 9), (WorkspacePoint{7, 9}));
}

TEST(ViewGeometryTest, ViewRectanglesBecomeWorkspaceRectangles) {
  struct Case {
    ViewZoom view;
    PixelRect rect;
    PixelRect expected;
  };
  const Case kCases[] = {
      // The whole view of 200 x 100 at zoom 2 seen from (100, 40).
      {{2, 100, 40}, {0, 0, 0, 0}, {50, 20, 150, 70}},
      {{2, 100, 40}, {10, 10, 30, 21}, {55, 25, 65, 30}},
      {{1, 0, 0}, {0, 0, 0, 0}, {0, 0, 200, 100}},
      // Right and bottom of 0 become 1, left and top stay.
      {{1, 0, 0}, {0, 0, 0, 5}, {0, 0, 1, 5}},
      {{2, 0, 0}, {0, 0, 1, 1}, {0, 0, 1, 1}},
      // A range past the view's left edge (integer division towards 0).
      {{2, 0, 0}, {-5, -3, 8, 8}, {-2, -1, 4, 4}},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(testing::Message() << c.rect.left << "," << c.rect.top << "," << c.rect.right
                                    << "," << c.rect.bottom << " zoom " << c.view.zoom);
    EXPECT_EQ(ViewToImage(c.view, c.rect, 200, 100), c.expected);
  }
}

} // namespace
