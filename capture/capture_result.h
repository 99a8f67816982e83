#pragma once
// What the capture window hands its owner with WM_CAPTURE_DONE: the picture
// of the selected region and where it was on the screen. The event owns the
// picture; the receiver may keep it.
#include <QImage>
#include <QRect>

struct CaptureResult {
  QImage image; // the region as it was when the capture started, RGB32
  QRect rect;   // the region in global screen coordinates
};
