// The left-button gestures of the workspace view: a click stays a click, a
// drag draws or merges.
#include "workspace/box_gesture.h"

#include <gtest/gtest.h>

namespace {

using Kind = BoxGesture::Kind;

struct Step {
  int x, y; // view pixels; the workspace point is taken as the same at zoom 1
  int hit;  // box under the cursor
};

struct Case {
  const char *name;
  bool shift;
  Step press;
  std::vector<Step> moves;
  Kind kind;
  PixelRect drawn;
  std::vector<int> merged;
};

TEST(BoxGesture, ClickDrawOrMergeByWhereItStartsAndHowFarItMoves) {
  const Case kCases[] = {
      {"still", false, {10, 10, 0}, {}, Kind::Click, {}, {}},
      {"jitter within the distance",
       false,
       {10, 10, 0},
       {{13, 7, 0}, {7, 13, 1}},
       Kind::Click,
       {},
       {}},
      // Touching glyphs: 9 pixels onto the neighbour is still a click at
      // the default distance of 10.
      {"jitter onto the next box", false, {10, 10, 0}, {{19, 10, 1}}, Kind::Click, {}, {}},
      {"from empty space", false, {10, 10, -1}, {{20, 4, -1}}, Kind::Draw, {10, 4, 20, 10}, {}},
      {"with Shift from a box", true, {10, 10, 2}, {{4, 30, 2}}, Kind::Draw, {4, 10, 10, 30}, {}},
      {"Shift within the distance", true, {10, 10, -1}, {{12, 12, -1}}, Kind::Click, {}, {}},
      // The boxes passed over join once each, in the order met; empty space
      // between them does not end the merge.
      {"from a box over others",
       false,
       {10, 10, 3},
       {{14, 10, 3}, {20, 10, -1}, {25, 10, 4}, {30, 10, 5}, {25, 10, 4}},
       Kind::Merge,
       {},
       {3, 4, 5}},
      // A neighbour met within the distance joins once the drag starts.
      {"over a close neighbour",
       false,
       {10, 10, 3},
       {{14, 10, 6}, {25, 10, -1}},
       Kind::Merge,
       {},
       {3, 6}},
      // Dragged off its own box without meeting another: nothing to merge.
      {"from a box over nothing", false, {10, 10, 3}, {{40, 10, -1}}, Kind::None, {}, {}},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    BoxGesture gesture;
    gesture.Press(c.press.x, c.press.y, {c.press.x, c.press.y}, c.press.hit, c.shift);
    for (const Step &move : c.moves)
      gesture.Move(move.x, move.y, {move.x, move.y}, move.hit);
    const BoxGesture::Result result = gesture.Release();
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_EQ(result.drawn, c.drawn);
    EXPECT_EQ(result.merged, c.merged);
    EXPECT_FALSE(gesture.active()) << "a release ends the gesture";
  }
}

TEST(BoxGesture, ShowsTheRubberBandWhileDrawingAndNothingWithoutAPress) {
  BoxGesture gesture;
  EXPECT_FALSE(gesture.Move(50, 50, {50, 50}, -1));
  EXPECT_EQ(gesture.Release().kind, Kind::None);

  // At zoom 2 the view moves twice as far as the workspace point.
  gesture.Press(100, 100, {50, 50}, -1, false);
  EXPECT_FALSE(gesture.Move(102, 98, {51, 49}, -1));
  EXPECT_TRUE(gesture.Move(90, 110, {45, 55}, -1));
  EXPECT_EQ(gesture.kind(), Kind::Draw);
  EXPECT_EQ(gesture.RubberBand(), (PixelRect{45, 50, 50, 55}));

  gesture.Cancel();
  EXPECT_FALSE(gesture.active());
  EXPECT_EQ(gesture.Release().kind, Kind::None);
}

TEST(BoxGesture, TheDragDistanceSetOutlivesEachGesture) {
  BoxGesture gesture;
  gesture.SetDragDistance(4);
  for (int round = 0; round < 2; ++round) {
    gesture.Press(10, 10, {10, 10}, 0, false);
    EXPECT_FALSE(gesture.Move(13, 10, {13, 10}, 0));
    gesture.Move(14, 10, {14, 10}, 1);
    EXPECT_EQ(gesture.Release().kind, Kind::Merge);
  }
}

} // namespace
