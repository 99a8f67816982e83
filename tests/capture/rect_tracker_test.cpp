// Geometry of the capture window's selection rectangle, with no window.
#include "capture/rect_tracker.h"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

static std::ostream &operator<<(std::ostream &out, const TrackerRect &r) {
  return out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

namespace {

RectTracker TrackerOn(TrackerRect rect, TrackerRect bounds = {}) {
  RectTracker t;
  t.SetRect(rect);
  t.SetBounds(bounds);
  return t;
}

TEST(RectTrackerHandles, SizeShrinksToHalfTheShortestSide) {
  struct Case {
    TrackerRect rect;
    int size;
  };
  const std::vector<Case> cases = {
      {{100, 100, 110, 110}, 4}, // 10 x 10: the full size still fits
      {{100, 100, 200, 106}, 3}, // 6 high
      {{100, 100, 106, 200}, 3}, // 6 wide
      {{100, 100, 107, 107}, 3}, {{100, 100, 108, 300}, 4},
      {{110, 106, 100, 100}, 3}, // inverted: sizes are absolute
      {{0, 0, 0, 0}, 0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(TrackerOn(c.rect).HandleSize(), c.size) << c.rect;
}

TEST(RectTrackerHandles, TenByTenShowsFourCornersOfFourPixels) {
  const RectTracker t = TrackerOn({100, 100, 110, 110});
  EXPECT_EQ(t.HandleMask(), 0x0Fu);
  EXPECT_EQ(t.HandleRect(HitTopLeft), (TrackerRect{96, 96, 100, 100}));
  EXPECT_EQ(t.HandleRect(HitTopRight), (TrackerRect{110, 96, 114, 100}));
  EXPECT_EQ(t.HandleRect(HitBottomRight), (TrackerRect{110, 110, 114, 114}));
  EXPECT_EQ(t.HandleRect(HitBottomLeft), (TrackerRect{96, 110, 100, 114}));
}

TEST(RectTrackerHandles, SixHighHasThreePixelSquaresJustOutside) {
  const RectTracker t = TrackerOn({50, 20, 90, 26});
  EXPECT_EQ(t.HandleRect(HitTopLeft), (TrackerRect{47, 17, 50, 20}));
  EXPECT_EQ(t.HandleRect(HitBottomRight), (TrackerRect{90, 26, 93, 29}));
  // Centred on the top side: R spans 47..93, (46 - 3) / 2 = 21.
  EXPECT_EQ(t.HandleRect(HitTop), (TrackerRect{68, 17, 71, 20}));
}

TEST(RectTrackerHandles, SideHandlesAppearAboveSixteenPixels) {
  struct Case {
    int width, height;
    unsigned mask;
  };
  const std::vector<Case> cases = {
      {16, 16, 0x0F}, {17, 16, 0x5F},   // top and bottom
      {16, 17, 0xAF},                   // right and left
      {17, 17, 0xFF}, {-17, -17, 0xFF}, // inverted
      {200, 3, 0x5F},
  };
  for (const Case &c : cases)
    EXPECT_EQ(TrackerOn({100, 100, 100 + c.width, 100 + c.height}).HandleMask(), c.mask)
        << c.width << " x " << c.height;
}

TEST(RectTrackerHitTest, EveryHandleBorderAndInside) {
  // 40 x 30 at (100, 100): every handle shown, 4 pixels; grown rectangle
  // (96, 96)-(144, 134).
  const RectTracker t = TrackerOn({100, 100, 140, 130});
  struct Case {
    TrackerPoint p;
    int hit;
  };
  const std::vector<Case> cases = {
      {{96, 96}, HitTopLeft},     {{99, 99}, HitTopLeft},       {{140, 96}, HitTopRight},
      {{143, 99}, HitTopRight},   {{140, 130}, HitBottomRight}, {{143, 133}, HitBottomRight},
      {{96, 130}, HitBottomLeft}, {{99, 133}, HitBottomLeft},   {{118, 96}, HitTop},
      {{121, 99}, HitTop},        {{140, 113}, HitRight},       {{143, 116}, HitRight},
      {{118, 130}, HitBottom},    {{121, 133}, HitBottom},      {{96, 113}, HitLeft},
      {{99, 116}, HitLeft},       {{99, 105}, HitInside}, // on the 1-pixel frame
      {{140, 105}, HitInside},                            // frame on the right
      {{100, 100}, HitInside},                            // first pixel inside
      {{139, 129}, HitInside},                            // last pixel inside
      {{98, 105}, HitNothing},                            // in the handle margin, between handles
      {{117, 97}, HitNothing},                            // beside the top handle
      {{95, 95}, HitNothing},                             // outside
      {{144, 100}, HitNothing},                           // just past the grown rectangle
      {{120, 134}, HitNothing},
  };
  for (const Case &c : cases)
    EXPECT_EQ(t.HitTest(c.p), c.hit) << c.p.x << "," << c.p.y;
}

TEST(RectTrackerHitTest, HiddenSideHandlesAndInvertedRectangles) {
  // 10 x 10: where the top handle would be is only margin or frame.
  const RectTracker small = TrackerOn({100, 100, 110, 110});
  EXPECT_EQ(small.HitTest({103, 97}), HitNothing);
  EXPECT_EQ(small.HitTest({103, 99}), HitInside);
  // Stored inverted, tested as normalized.
  const RectTracker inverted = TrackerOn({140, 130, 100, 100});
  EXPECT_EQ(inverted.HitTest({97, 97}), HitTopLeft);
  EXPECT_EQ(inverted.HitTest({120, 115}), HitInside);
  // No rectangle: nothing anywhere.
  EXPECT_EQ(TrackerOn({}).HitTest({0, 0}), HitNothing);
}

TEST(RectTrackerCursor, ShapesByHitAndTheFrame) {
  const std::vector<std::pair<int, TrackerCursor>> shapes = {
      {HitTopLeft, TrackerCursor::SizeNwSe},  {HitBottomRight, TrackerCursor::SizeNwSe},
      {HitTopRight, TrackerCursor::SizeNeSw}, {HitBottomLeft, TrackerCursor::SizeNeSw},
      {HitTop, TrackerCursor::SizeNS},        {HitBottom, TrackerCursor::SizeNS},
      {HitRight, TrackerCursor::SizeWE},      {HitLeft, TrackerCursor::SizeWE},
      {HitInside, TrackerCursor::Move},       {HitBorder, TrackerCursor::Move},
      {HitNothing, TrackerCursor::None},
  };
  for (const auto &[hit, shape] : shapes)
    EXPECT_EQ(CursorForHit(hit), shape) << hit;

  const RectTracker t = TrackerOn({100, 100, 140, 130});
  EXPECT_EQ(t.CursorHitAt({99, 105}), HitBorder);
  EXPECT_EQ(t.CursorHitAt({100, 105}), HitInside);
  EXPECT_EQ(t.CursorHitAt({96, 96}), HitTopLeft);
  EXPECT_EQ(t.CursorHitAt({50, 50}), HitNothing);
}

TEST(RectTrackerMinSize, MovingEdgesKeepEightPixels) {
  struct Case {
    int hit;
    TrackerRect before, after;
  };
  const std::vector<Case> cases = {
      // Bottom-right corner pulled to 3 x 3 from the top-left corner.
      {HitBottomRight, {100, 100, 103, 103}, {100, 100, 108, 108}},
      {HitTopLeft, {100, 100, 103, 103}, {95, 95, 103, 103}},
      {HitTop, {100, 100, 103, 103}, {100, 95, 103, 103}},    // width left alone
      {HitRight, {100, 100, 103, 103}, {100, 100, 108, 103}}, // height left alone
      {HitInside, {100, 100, 103, 103}, {100, 100, 103, 103}},
      // A few pixels past the opposite edge snaps back to 8 ...
      {HitBottomRight, {100, 100, 97, 130}, {100, 100, 108, 130}},
      // ... 8 or more beyond stays inverted.
      {HitBottomRight, {100, 100, 90, 130}, {100, 100, 90, 130}},
  };
  for (const Case &c : cases) {
    RectTracker t = TrackerOn(c.before);
    t.EnforceMinSize(c.hit);
    EXPECT_EQ(t.Rect(), c.after) << "hit " << c.hit << " from " << c.before;
  }
}

TEST(RectTrackerBounds, ShiftsBackWithoutChangingTheSize) {
  const TrackerRect screen{0, 0, 1920, 1080};
  struct Case {
    TrackerRect before, after;
  };
  const std::vector<Case> cases = {
      {{1830, 100, 1930, 200}, {1820, 100, 1920, 200}}, // past the right edge
      {{100, -20, 200, 80}, {100, 0, 200, 100}},        // above the top
      {{-5, 100, 95, 200}, {0, 100, 100, 200}},         // left of the screen
      {{100, 1000, 200, 1100}, {100, 980, 200, 1080}},  // below the bottom
      {{-10, -10, 50, 50}, {0, 0, 60, 60}},             // a corner
      {{1820, 100, 1920, 200}, {1820, 100, 1920, 200}}, // touching is inside
      {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
  };
  for (const Case &c : cases) {
    RectTracker t = TrackerOn(c.before, screen);
    t.ShiftIntoBounds();
    EXPECT_EQ(t.Rect(), c.after) << c.before;
  }
  RectTracker unbounded = TrackerOn({-10, -10, 50, 50});
  unbounded.ShiftIntoBounds();
  EXPECT_EQ(unbounded.Rect(), (TrackerRect{-10, -10, 50, 50}));
}

// A whole drag: start, moves, release (or a cancel), and the answer.
struct DragStep {
  TrackerPoint p;
  bool release = false;
};

bool RunDrag(RectTracker &t, int hit, TrackerPoint start, const std::vector<DragStep> &steps) {
  t.BeginDrag(hit, start);
  for (const DragStep &s : steps)
    t.DragTo(s.p, s.release);
  return t.EndDrag();
}

TEST(RectTrackerDrag, MovesAndResizesWithinTheScreen) {
  const TrackerRect screen{0, 0, 1920, 1080};
  struct Case {
    const char *what;
    TrackerRect before;
    int hit;
    TrackerPoint start;
    std::vector<DragStep> steps;
    TrackerRect after;
  };
  const std::vector<Case> cases = {
      {"move keeps the size",
       {100, 100, 200, 150},
       HitInside,
       {150, 120},
       {{{160, 125}}, {{170, 130}, true}},
       {120, 110, 220, 160}},
      {"move against the right edge stops there",
       {1700, 100, 1800, 200},
       HitInside,
       {1750, 150},
       {{{1800, 150}}, {{1919, 150}, true}},
       {1820, 100, 1920, 200}},
      {"right edge past the screen pushes the rectangle left",
       {1700, 100, 1800, 200},
       HitRight,
       {1801, 150},
       {{{1850, 150}}, {{1935, 150}, true}},
       {1686, 100, 1920, 200}},
      {"offset of the grab point is kept",
       {100, 100, 200, 200},
       HitBottomRight,
       {202, 203},
       {{{252, 253}}, {{252, 253}, true}},
       {100, 100, 250, 250}},
      {"bottom-right pulled to 3 x 3 becomes 8 x 8",
       {100, 100, 200, 200},
       HitBottomRight,
       {200, 200},
       {{{150, 150}}, {{103, 103}, true}},
       {100, 100, 108, 108}},
      {"rubber band dragged up and left stays inverted",
       {500, 500, 500, 500},
       HitBottomRight,
       {500, 500},
       {{{490, 480}}, {{450, 420}, true}},
       {500, 500, 450, 420}},
      {"top handle moves only the top",
       {100, 100, 200, 200},
       HitTop,
       {150, 98},
       {{{170, 58}}, {{170, 58}, true}},
       {100, 60, 200, 200}},
  };
  for (const Case &c : cases) {
    RectTracker t = TrackerOn(c.before, screen);
    EXPECT_TRUE(RunDrag(t, c.hit, c.start, c.steps)) << c.what;
    EXPECT_EQ(t.Rect(), c.after) << c.what;
  }
}

TEST(RectTrackerDrag, ClicksAndCancelsLeaveTheRectangle) {
  const TrackerRect screen{0, 0, 1920, 1080};
  const TrackerRect start{100, 100, 200, 150};

  RectTracker click = TrackerOn(start, screen);
  EXPECT_FALSE(RunDrag(click, HitInside, {150, 120}, {{{150, 120}, true}}));
  EXPECT_EQ(click.Rect(), start);

  // Only the release moved: a click, not a drag.
  RectTracker slip = TrackerOn(start, screen);
  EXPECT_FALSE(RunDrag(slip, HitBottomRight, {200, 150}, {{{230, 170}, true}}));
  EXPECT_EQ(slip.Rect(), start);

  RectTracker escaped = TrackerOn(start, screen);
  escaped.BeginDrag(HitBottomRight, {200, 150});
  escaped.DragTo({300, 300}, false);
  EXPECT_EQ(escaped.Rect(), (TrackerRect{100, 100, 300, 300}));
  escaped.CancelDrag();
  EXPECT_FALSE(escaped.EndDrag());
  EXPECT_EQ(escaped.Rect(), start);
}

TEST(RectTrackerDrag, WritesTheLinkedPointAndFlagsTheRelease) {
  RectTracker t = TrackerOn({100, 100, 200, 200}, {0, 0, 1920, 1080});
  TrackerPoint cursor;
  t.LinkPoint(&cursor);
  t.BeginDrag(HitInside, {150, 150});
  t.DragTo({160, 170}, false);
  EXPECT_EQ(cursor, (TrackerPoint{160, 170}));
  EXPECT_FALSE(t.IsFinishing());
  t.DragTo({161, 171}, true);
  EXPECT_TRUE(t.IsFinishing());
  EXPECT_EQ(cursor, (TrackerPoint{161, 171}));
  EXPECT_TRUE(t.EndDrag());
  EXPECT_FALSE(t.IsFinishing());
}

TEST(RectTrackerDrag, InvertedSelectionIsGrabbedWhereItIsDrawn) {
  // Left inverted by a rubber band dragged up and left; the handle drawn at
  // the top-left moves the top-left edges, and a move does not flip it over.
  const TrackerRect screen{0, 0, 1920, 1080};
  RectTracker resize = TrackerOn({500, 500, 400, 420}, screen);
  ASSERT_EQ(resize.HitTest({397, 417}), HitTopLeft);
  RunDrag(resize, HitTopLeft, {397, 417}, {{{387, 407}}, {{387, 407}, true}});
  EXPECT_EQ(resize.Rect(), (TrackerRect{390, 410, 500, 500}));

  RectTracker move = TrackerOn({500, 500, 400, 420}, screen);
  RunDrag(move, HitInside, {450, 450}, {{{460, 455}}, {{460, 455}, true}});
  EXPECT_EQ(move.Rect(), (TrackerRect{410, 425, 510, 505}));
}

} // namespace
