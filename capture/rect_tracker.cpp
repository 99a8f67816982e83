#include "capture/rect_tracker.h"

#include <algorithm>
#include <array>
#include <cstdlib>

TrackerRect TrackerRect::Normalized() const {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right),
          std::max(top, bottom)};
}

unsigned MovingEdges(int hit) {
  // The inside moves like the top-left corner; the drag carries the other two
  // edges along so the size stays.
  static constexpr std::array<unsigned, 9> kEdges{EdgeLeft | EdgeTop,
                                                  EdgeRight | EdgeTop,
                                                  EdgeRight | EdgeBottom,
                                                  EdgeLeft | EdgeBottom,
                                                  EdgeTop,
                                                  EdgeRight,
                                                  EdgeBottom,
                                                  EdgeLeft,
                                                  EdgeLeft | EdgeTop};
  return hit >= 0 && hit < int(kEdges.size()) ? kEdges[std::size_t(hit)] : EdgeNone;
}

TrackerCursor CursorForHit(int hit) {
  switch (hit) {
  case HitTopLeft:
  case HitBottomRight:
    return TrackerCursor::SizeNwSe;
  case HitTopRight:
  case HitBottomLeft:
    return TrackerCursor::SizeNeSw;
  case HitTop:
  case HitBottom:
    return TrackerCursor::SizeNS;
  case HitRight:
  case HitLeft:
    return TrackerCursor::SizeWE;
  case HitInside:
  case HitBorder:
    return TrackerCursor::Move;
  default:
    return TrackerCursor::None;
  }
}

int RectTracker::HandleSize() const {
  // Handles never overlap: a small rectangle gets handles of half its size.
  const int shortest = std::min(std::abs(rect_.Width()), std::abs(rect_.Height()));
  return 2 * kHandleSetting > shortest ? shortest / 2 : kHandleSetting;
}

unsigned RectTracker::HandleMask() const {
  unsigned mask = 0x0F;
  if (std::abs(rect_.Width()) - 3 * kHandleSetting > 4)
    mask |= (1u << HitTop) | (1u << HitBottom);
  if (std::abs(rect_.Height()) - 3 * kHandleSetting > 4)
    mask |= (1u << HitRight) | (1u << HitLeft);
  return mask;
}

TrackerRect RectTracker::HandleRect(int hit) const {
  const int s = HandleSize();
  const TrackerRect r = rect_.Normalized().Inflated(s);
  const int midX = r.left + (r.Width() - s) / 2;
  const int midY = r.top + (r.Height() - s) / 2;
  int x = r.left, y = r.top;
  switch (hit) {
  case HitTopLeft:
    break;
  case HitTopRight:
    x = r.right - s;
    break;
  case HitBottomRight:
    x = r.right - s;
    y = r.bottom - s;
    break;
  case HitBottomLeft:
    y = r.bottom - s;
    break;
  case HitTop:
    x = midX;
    break;
  case HitRight:
    x = r.right - s;
    y = midY;
    break;
  case HitBottom:
    x = midX;
    y = r.bottom - s;
    break;
  case HitLeft:
    y = midY;
    break;
  default:
    return {};
  }
  return {x, y, x + s, y + s};
}

int RectTracker::HitTest(TrackerPoint p) const {
  const TrackerRect normal = rect_.Normalized();
  if (!normal.Inflated(HandleSize()).Contains(p))
    return HitNothing;
  const unsigned shown = HandleMask();
  for (int i = HitTopLeft; i <= HitLeft; ++i)
    if ((shown & (1u << i)) && HandleRect(i).Contains(p))
      return i;
  return normal.Inflated(1).Contains(p) ? HitInside : HitNothing;
}

int RectTracker::CursorHitAt(TrackerPoint p) const {
  const int hit = HitTest(p);
  if (hit == HitInside && !rect_.Normalized().Contains(p))
    return HitBorder;
  return hit;
}

void RectTracker::EnforceMinSize(int hit) {
  if (hit == HitInside)
    return;
  const unsigned edges = MovingEdges(hit);
  if ((edges & (EdgeLeft | EdgeRight)) && std::abs(rect_.Width()) < minWidth_) {
    if (edges & EdgeLeft)
      rect_.left = rect_.right - minWidth_;
    else
      rect_.right = rect_.left + minWidth_;
  }
  if ((edges & (EdgeTop | EdgeBottom)) && std::abs(rect_.Height()) < minHeight_) {
    if (edges & EdgeTop)
      rect_.top = rect_.bottom - minHeight_;
    else
      rect_.bottom = rect_.top + minHeight_;
  }
}

void RectTracker::ShiftIntoBounds() {
  if (bounds_.IsNull())
    return;
  // Against an edge the whole rectangle moves, so resizing past the screen's
  // edge pushes the rectangle instead of growing it off the screen.
  if (rect_.right >= bounds_.right) {
    const int by = rect_.right - bounds_.right;
    rect_.left -= by;
    rect_.right -= by;
  }
  if (rect_.top <= bounds_.top) {
    const int by = bounds_.top - rect_.top;
    rect_.top += by;
    rect_.bottom += by;
  }
  if (rect_.left <= bounds_.left) {
    const int by = bounds_.left - rect_.left;
    rect_.left += by;
    rect_.right += by;
  }
  if (rect_.bottom >= bounds_.bottom) {
    const int by = rect_.bottom - bounds_.bottom;
    rect_.top -= by;
    rect_.bottom -= by;
  }
}

void RectTracker::BeginDrag(int hit, TrackerPoint start) {
  // A rectangle left inverted by the previous drag is put the right way round
  // first: the handles are found on the normalized rectangle, and the edges
  // they move must be the ones drawn there.
  rect_ = rect_.Normalized();
  dragHit_ = hit;
  dragStart_ = rect_;
  dragWidth_ = rect_.Width();
  dragHeight_ = rect_.Height();
  dragMoved_ = false;
  finishing_ = false;

  const unsigned edges = MovingEdges(hit);
  const int edgeX = (edges & EdgeLeft)    ? rect_.left
                    : (edges & EdgeRight) ? rect_.right
                                          : rect_.left + dragWidth_ / 2;
  const int edgeY = (edges & EdgeTop)      ? rect_.top
                    : (edges & EdgeBottom) ? rect_.bottom
                                           : rect_.top + dragHeight_ / 2;
  dragDx_ = start.x - edgeX;
  dragDy_ = start.y - edgeY;
}

void RectTracker::DragTo(TrackerPoint p, bool release) {
  if (linkedPoint_)
    *linkedPoint_ = p;
  const TrackerRect before = rect_;
  const unsigned edges = MovingEdges(dragHit_);
  if (edges & EdgeLeft)
    rect_.left = p.x - dragDx_;
  if (edges & EdgeRight)
    rect_.right = p.x - dragDx_;
  if (edges & EdgeTop)
    rect_.top = p.y - dragDy_;
  if (edges & EdgeBottom)
    rect_.bottom = p.y - dragDy_;
  if (dragHit_ == HitInside) {
    rect_.right = rect_.left + dragWidth_;
    rect_.bottom = rect_.top + dragHeight_;
  }
  EnforceMinSize(dragHit_);

  finishing_ = release;
  if (rect_ != before || finishing_) {
    ShiftIntoBounds();
    if (!release)
      dragMoved_ = true;
  }
}

void RectTracker::CancelDrag() {
  rect_ = dragStart_;
}

bool RectTracker::EndDrag() {
  // A click without a move leaves the rectangle as it was, even if the
  // release itself landed a pixel away.
  if (!dragMoved_)
    rect_ = dragStart_;
  finishing_ = false;
  dragHit_ = HitNothing;
  return rect_ != dragStart_;
}
