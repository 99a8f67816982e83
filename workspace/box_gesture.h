#pragma once
// What a press, move and release of the left button in the workspace view
// mean for the boxes. The view feeds the points and the box under each; this
// decides whether it was a click, a new box being drawn or boxes being
// merged, so the plain click keeps its own meaning.
//
//  - A press that moves less than the drag distance (the platform's start
//    distance, as the view sets it) in view pixels is a click: the view
//    selects on the press, as it always did. A jittery click on touching
//    glyphs must not merge them.
//  - Moved further with Shift held, or from a point outside every box, it
//    draws a new box over the dragged rectangle.
//  - Moved further from a box without Shift, it merges that box with every
//    box the cursor passes over, from the press on.
#include <vector>

#include "workspace/pixel_rect.h"
#include "workspace/view_geometry.h"

class BoxGesture {
public:
  // Used until the view sets the platform's value (Qt's default).
  static constexpr int kDefaultDragDistance = 10;
  void SetDragDistance(int distance) { dragDistance_ = distance; }

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
  void Cancel();

  Kind kind() const { return kind_; }
  bool active() const { return kind_ != Kind::None; }
  // The rectangle being drawn, inclusive corners, left <= right.
  PixelRect RubberBand() const;
  // The boxes being merged, the pressed one first.
  const std::vector<int> &MergeSet() const { return merged_; }

private:
  int dragDistance_ = kDefaultDragDistance;
  Kind kind_ = Kind::None;
  bool shift_ = false;
  int pressX_ = 0;
  int pressY_ = 0;
  WorkspacePoint start_;
  WorkspacePoint current_;
  int startBox_ = -1;
  std::vector<int> merged_;
  std::vector<int> passed_; // boxes met while it was still a click
};
