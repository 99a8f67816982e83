#pragma once
// Where the capture window draws what it draws, as plain rectangles, so the
// arithmetic can be checked without a screen.
#include "capture/rect_tracker.h"

#include <vector>

// The parts of a screen of the given size that are dimmed around the
// selection: everything when the selection is empty, otherwise the bands
// above and below it and the pieces left and right of it.
std::vector<TrackerRect> DimBands(const TrackerRect &selection, int screenWidth, int screenHeight);

// The magnifier sits above the selection's first corner (as stored, so it
// follows the corner a rubber band started from) with the read-outs to its
// right; near the screen's top it is drawn off the screen.
struct MagnifierLayout {
  TrackerRect lens;                         // the enlarged block goes here
  TrackerRect panel;                        // the dark panel behind the lens and the texts
  TrackerRect source;                       // the block around the cursor that is enlarged
  TrackerPoint rgbText, sizeText, hintText; // top-left corners of the three texts
};

inline constexpr int kMagnifierSize = 72;

MagnifierLayout LayOutMagnifier(const TrackerRect &selection, TrackerPoint cursor,
                                int size = kMagnifierSize);
