#pragma once
// The selection rectangle of the capture window without any window system:
// its handles, what lies under a point, the minimum size, keeping it on the
// screen, and the arithmetic of one drag. The Qt side (x_rect_tracker.h)
// paints it and feeds it mouse events.
//
// Coordinates are pixels of the window the tracker serves. Rectangles are
// (left, top, right, bottom) with exclusive right and bottom; the tracker's
// own rectangle may be inverted (left > right or top > bottom) after a drag.
#include <cstdint>

struct TrackerPoint {
  int x = 0;
  int y = 0;

  friend bool operator==(const TrackerPoint &, const TrackerPoint &) = default;
};

struct TrackerRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const TrackerRect &, const TrackerRect &) = default;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  // Empty as a selection: no area at all.
  bool IsEmpty() const { return left == right || top == bottom; }
  TrackerRect Normalized() const;
  TrackerRect Inflated(int by) const { return {left - by, top - by, right + by, bottom + by}; }
  bool Contains(TrackerPoint p) const {
    return left <= p.x && p.x < right && top <= p.y && p.y < bottom;
  }
};

// What lies under a point. The handle codes double as bit numbers of
// RectTracker::HandleMask.
enum TrackerHit : int {
  HitNothing = -1,
  HitTopLeft = 0,
  HitTopRight = 1,
  HitBottomRight = 2,
  HitBottomLeft = 3,
  HitTop = 4,
  HitRight = 5,
  HitBottom = 6,
  HitLeft = 7,
  HitInside = 8,
  HitBorder = 9, // the 1-pixel frame around the rectangle; only chooses a cursor
};

// The edges a hit moves, as flags: a corner is its two sides together.
enum TrackerEdge : unsigned {
  EdgeNone = 0,
  EdgeLeft = 1u << 0,
  EdgeTop = 1u << 1,
  EdgeRight = 1u << 2,
  EdgeBottom = 1u << 3,
};
unsigned MovingEdges(int hit);

// Mouse cursor shapes by hit code; the Qt side maps them to Qt::CursorShape.
enum class TrackerCursor {
  None,
  SizeNwSe, // diagonal, north-west to south-east
  SizeNeSw, // diagonal, north-east to south-west
  SizeNS,
  SizeWE,
  Move, // four-way
};
TrackerCursor CursorForHit(int hit);

class RectTracker {
public:
  // The handle size the desktop would configure; there is no such setting on
  // Linux, so every tracker uses the classic 4 pixels.
  static constexpr int kHandleSetting = 4;

  RectTracker() = default;
  virtual ~RectTracker() = default;

  const TrackerRect &Rect() const { return rect_; }
  void SetRect(const TrackerRect &rect) { rect_ = rect; }
  const TrackerRect &Bounds() const { return bounds_; }
  void SetBounds(const TrackerRect &bounds) { bounds_ = bounds; }
  // The owner's cursor point, written on every mouse event of a drag.
  void LinkPoint(TrackerPoint *point) { linkedPoint_ = point; }
  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }
  bool IsFinishing() const { return finishing_; }

  int HandleSize() const;
  // Bit i set when handle i is shown.
  unsigned HandleMask() const;
  // The square of handle 0..7, just outside the rectangle.
  TrackerRect HandleRect(int hit) const;
  int HitTest(TrackerPoint p) const;
  // The code the cursor shape follows: HitTest, but HitBorder on the frame
  // around the rectangle.
  int CursorHitAt(TrackerPoint p) const;

  void EnforceMinSize(int hit);
  // Moves the rectangle back into the bounds without changing its size.
  void ShiftIntoBounds();

  // One drag, driven by whoever owns the mouse: begin with the hit and the
  // press point, feed every move and the release, cancel on Escape or a
  // right press, end to learn whether the rectangle changed.
  void BeginDrag(int hit, TrackerPoint start);
  void DragTo(TrackerPoint p, bool release);
  void CancelDrag();
  bool EndDrag();

private:
  TrackerPoint *linkedPoint_ = nullptr;
  TrackerRect rect_;
  TrackerRect bounds_;
  int minWidth_ = 2 * kHandleSetting;
  int minHeight_ = 2 * kHandleSetting;
  bool finishing_ = false;

  // The drag in progress.
  int dragHit_ = HitNothing;
  TrackerRect dragStart_;
  int dragDx_ = 0, dragDy_ = 0;
  int dragWidth_ = 0, dragHeight_ = 0;
  bool dragMoved_ = false;
};
