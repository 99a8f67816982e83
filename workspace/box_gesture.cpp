#include "workspace/box_gesture.h"

#include <algorithm>
#include <cstdlib>

void BoxGesture::Press(int viewX, int viewY, WorkspacePoint at, int hitBox, bool shift) {
  *this = BoxGesture();
  kind_ = Kind::Click;
  shift_ = shift;
  pressX_ = viewX;
  pressY_ = viewY;
  start_ = at;
  current_ = at;
  startBox_ = hitBox;
}

bool BoxGesture::Move(int viewX, int viewY, WorkspacePoint at, int hitBox) {
  if (kind_ == Kind::None)
    return false;
  current_ = at;
  bool started = false;
  if (kind_ == Kind::Click) {
    const long dx = std::labs(long{viewX} - pressX_);
    const long dy = std::labs(long{viewY} - pressY_);
    if (std::max(dx, dy) <= kDragDistance)
      return false;
    if (shift_ || startBox_ < 0) {
      kind_ = Kind::Draw;
    } else {
      kind_ = Kind::Merge;
      merged_ = {startBox_};
    }
    started = true;
  }
  if (kind_ == Kind::Merge) {
    if (hitBox < 0 || std::find(merged_.begin(), merged_.end(), hitBox) != merged_.end())
      return started;
    merged_.push_back(hitBox);
    return true;
  }
  return true; // the rubber band follows the cursor
}

BoxGesture::Result BoxGesture::Release() {
  Result result;
  if (kind_ == Kind::Click) {
    result.kind = Kind::Click;
  } else if (kind_ == Kind::Draw) {
    result.kind = Kind::Draw;
    result.drawn = RubberBand();
  } else if (kind_ == Kind::Merge && merged_.size() >= 2) {
    result.kind = Kind::Merge;
    result.merged = merged_;
  }
  Cancel();
  return result;
}

PixelRect BoxGesture::RubberBand() const {
  return {std::min(start_.x, current_.x), std::min(start_.y, current_.y),
          std::max(start_.x, current_.x), std::max(start_.y, current_.y)};
}
