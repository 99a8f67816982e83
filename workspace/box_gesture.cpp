#include "workspace/box_gesture.h"

#include <algorithm>
#include <cstdlib>

void BoxGesture::Cancel() {
  const int distance = dragDistance_;
  *this = BoxGesture();
  dragDistance_ = distance;
}

void BoxGesture::Press(int viewX, int viewY, WorkspacePoint at, int hitBox, bool shift) {
  Cancel();
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
    // Boxes met before the drag distance is reached still count: a small
    // piece is often closer to its glyph than the distance.
    if (hitBox >= 0 && hitBox != startBox_ &&
        std::find(passed_.begin(), passed_.end(), hitBox) == passed_.end())
      passed_.push_back(hitBox);
    const long dx = std::labs(long{viewX} - pressX_);
    const long dy = std::labs(long{viewY} - pressY_);
    if (std::max(dx, dy) < dragDistance_)
      return false;
    if (shift_ || startBox_ < 0) {
      kind_ = Kind::Draw;
    } else {
      kind_ = Kind::Merge;
      merged_ = {startBox_};
      merged_.insert(merged_.end(), passed_.begin(), passed_.end());
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
