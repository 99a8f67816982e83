#pragma once
// Geometry of the workspace view: the integer zoom, where the enlarged
// picture sits under the view, and how a point or rectangle of the view maps
// back to workspace pixels. Values in, values out, so the rules can be
// checked with tables; the view widget only feeds them events.
#include <cstdint>
#include <span>

#include "workspace/pixel_rect.h"
#include "workspace/seg_box.h"

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 5;

struct ViewZoom {
  int zoom = kMinZoom;
  // Position, in enlarged pixels, of the view's top-left corner. Not limited:
  // the view may show past the enlarged picture.
  int offsetX = 0;
  int offsetY = 0;

  friend bool operator==(const ViewZoom &, const ViewZoom &) = default;
};

struct WorkspacePoint {
  int x = 0;
  int y = 0;

  friend bool operator==(const WorkspacePoint &, const WorkspacePoint &) = default;
};

// True when a wheel step of `delta` (> 0 away from the user: enlarge) cannot
// be taken because the zoom is at that end already. Such a step is swallowed.
bool ZoomAtLimit(const ViewZoom &view, int delta);

// One wheel step with the cursor at view point (px, py). Afterwards the offset
// is (zoom - 1) x the cursor position, so the workspace pixel under the cursor
// at zoom 1 stays under it. A step past a limit, or a delta of 0, changes
// nothing.
void StepZoom(ViewZoom &view, int delta, int px, int py);

// The workspace pixel under view point (x, y): (x + offset) / zoom, integer
// division.
WorkspacePoint ViewToWorkspace(const ViewZoom &view, int x, int y);

// The box whose outline holds the point: x <= px < x + width and y <= py <
// y + height, so the left and top lines belong to the box and the right and
// bottom lines do not. Of several, the innermost: a box lying inside another
// (and not the same outline) wins over it, so a box inside a box can be
// clicked. Otherwise the first in list order. -1 when none holds it.
int HitBox(std::span<const SegBox> boxes, WorkspacePoint point);

// A rectangle of the view (right and bottom exclusive) in workspace pixels.
// An all-zero rectangle stands for the whole view of clientWidth x
// clientHeight. A right or bottom that comes out 0 becomes 1, so a range at
// the view's top-left edge still covers a pixel.
PixelRect ViewToImage(const ViewZoom &view, PixelRect rect, int clientWidth, int clientHeight);
