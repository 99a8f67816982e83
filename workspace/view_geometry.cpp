#include "workspace/view_geometry.h"

#include <algorithm>
#include <climits>

namespace {

// Rectangles reach here from screen coordinates; 64-bit sums cannot overflow
// and the result is brought back into the int range.
int ToView(std::int64_t coordinate, int offset, int zoom) {
  const std::int64_t value = (coordinate + offset) / std::max(zoom, 1);
  return int(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

bool ZoomAtLimit(const ViewZoom &view, int delta) {
  return (delta > 0 && view.zoom >= kMaxZoom) || (delta < 0 && view.zoom <= kMinZoom);
}

void StepZoom(ViewZoom &view, int delta, int px, int py) {
  if (delta == 0 || ZoomAtLimit(view, delta))
    return;
  if (delta > 0) {
    view.offsetX = view.zoom * px;
    view.offsetY = view.zoom * py;
    ++view.zoom;
  } else {
    --view.zoom;
    view.offsetX = (view.zoom - 1) * px;
    view.offsetY = (view.zoom - 1) * py;
  }
}

WorkspacePoint ViewToWorkspace(const ViewZoom &view, int x, int y) {
  return {ToView(x, view.offsetX, view.zoom), ToView(y, view.offsetY, view.zoom)};
}

namespace {

bool Holds(const SegBox &box, WorkspacePoint point) {
  return box.x <= point.x && point.x < std::int64_t{box.x} + box.width && box.y <= point.y &&
         point.y < std::int64_t{box.y} + box.height;
}

// True when `inner`'s outline lies within `outer`'s and is not all of it.
bool StrictlyInside(const SegBox &inner, const SegBox &outer) {
  const std::int64_t innerRight = std::int64_t{inner.x} + inner.width;
  const std::int64_t innerBottom = std::int64_t{inner.y} + inner.height;
  const std::int64_t outerRight = std::int64_t{outer.x} + outer.width;
  const std::int64_t outerBottom = std::int64_t{outer.y} + outer.height;
  const bool within = outer.x <= inner.x && outer.y <= inner.y && innerRight <= outerRight &&
                      innerBottom <= outerBottom;
  const bool same = outer.x == inner.x && outer.y == inner.y && innerRight == outerRight &&
                    innerBottom == outerBottom;
  return within && !same;
}

} // namespace

int HitBox(std::span<const SegBox> boxes, WorkspacePoint point) {
  int hit = -1;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (!Holds(boxes[i], point))
      continue;
    // The first box under the point, unless a later one lies inside the box
    // chosen so far: then that one, so boxes inside boxes stay reachable.
    if (hit < 0 || StrictlyInside(boxes[i], boxes[std::size_t(hit)]))
      hit = int(i);
  }
  return hit;
}

PixelRect ViewToImage(const ViewZoom &view, PixelRect rect, int clientWidth, int clientHeight) {
  if (rect == PixelRect{})
    rect = PixelRect{0, 0, clientWidth, clientHeight};
  PixelRect image{
      ToView(rect.left, view.offsetX, view.zoom), ToView(rect.top, view.offsetY, view.zoom),
      ToView(rect.right, view.offsetX, view.zoom), ToView(rect.bottom, view.offsetY, view.zoom)};
  if (image.right == 0)
    image.right = 1;
  if (image.bottom == 0)
    image.bottom = 1;
  return image;
}
