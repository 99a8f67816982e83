#include "capture/capture_layout.h"

std::vector<TrackerRect> DimBands(const TrackerRect &selection, int screenWidth, int screenHeight) {
  if (selection.IsEmpty())
    return {{0, 0, screenWidth, screenHeight}};
  const TrackerRect s = selection.Normalized();
  std::vector<TrackerRect> bands;
  if (s.top > 0)
    bands.push_back({0, 0, screenWidth, s.top});
  if (s.bottom < screenHeight)
    bands.push_back({0, s.bottom, screenWidth, screenHeight});
  if (s.left > 0)
    bands.push_back({0, s.top, s.left, s.bottom});
  if (s.right < screenWidth)
    bands.push_back({s.right, s.top, screenWidth, s.bottom});
  return bands;
}

MagnifierLayout LayOutMagnifier(const TrackerRect &selection, TrackerPoint cursor, int size) {
  MagnifierLayout m;
  const int left = selection.left;
  const int top = selection.top - size - 20;
  m.lens = {left, top, left + size, top + size};
  m.panel = {left - 2, top - 2, left - 2 + size + 160, top - 2 + size + 4};
  // Enlargement 2: half the lens around the cursor.
  const int half = size / 2;
  m.source = {cursor.x - half / 2, cursor.y - half / 2, cursor.x - half / 2 + half,
              cursor.y - half / 2 + half};
  const int textX = left + size + 8;
  m.rgbText = {textX, top + 6};
  m.sizeText = {textX, top + 24};
  m.hintText = {textX, top + 42};
  return m;
}
