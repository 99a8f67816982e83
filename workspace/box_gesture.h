#pragma once
// What a press, move and release of the left button in the workspace view
// mean for the boxes. The view feeds the points and the box under each; this
// decides whether it was a click, a new box being drawn or boxes being
// merged, so the plain click keeps its own meaning.
//
//  - A press that moves no more than kDragDistance view pixels in either
//    direction is a click: the view selects on the press, as it always did.
//  - Moved further with Shift held, or from a point outside every box, it
//    draws a new box over the dragged rectangle.
//  - Moved further from a box without Shift, it merges that box with every
//    box the cursor passes over.
#include <vector>

#include "workspace/pixel_rect.h"
#include "workspace/view_geometry.h"

class BoxGesture {
public:
  static constexpr int kDragDistance = 3;

  enum class Kind { None, Click, Draw, Merge };

  struct Result {
    Kind kind = Kind::None;
    PixelRect drawn;         // Draw: the dragged rectangle, inclusive corners
    std::vector<int> merged; // Merge: the boxes, the pressed one first
  };

  // viewX, viewY: the cursor in view pixels; at: the workspace pixel under
  // it; hitBox: the box there (-1 for none).
  void Press(int viewX, int viewY, WorkspacePoint at, int hitBox, bool shift);
  // True when what the view shows of the gesture changed.
  bool Move(int viewX, int viewY, WorkspacePoint at, int hitBox);
  // Ends the gesture. A merge over a single box, or a release without a
  // press, gives Kind::None.
  Result Release();
  void Cancel() { *this = BoxGesture(); }

  Kind kind() const { return kind_; }
  bool active() const { return kind_ != Kind::None; }
  // The rectangle being drawn, inclusive corners, left <= right.
  PixelRect RubberBand() const;
  // The boxes being merged, the pressed one first.
  const std::vector<int> &MergeSet() const { return merged_; }

private:
  Kind kind_ = Kind::None;
  bool shift_ = false;
  int pressX_ = 0;
  int pressY_ = 0;
  WorkspacePoint start_;
  WorkspacePoint current_;
  int startBox_ = -1;
  std::vector<int> merged_;
};
