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

int HitBox(std::span<const SegBox> boxes, WorkspacePoint point) {
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const SegBox &box = boxes[i];
    if (box.x <= point.x && point.x < std::int64_t{box.x} + box.width && box.y <= point.y &&
        point.y < std::int64_t{box.y} + box.height)
      return int(i);
  }
  return -1;
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
