#pragma once
// The capture window's selection rectangle on screen: painting it, the cursor
// over it, and the modal drag that moves or resizes it. The geometry lives in
// RectTracker (rect_tracker.h).
#include "capture/rect_tracker.h"

#include <QPoint>
#include <QRect>
#include <Qt>

class QPainter;
class QWidget;

// Tracker rectangles to Qt's: exclusive bounds become a QRect of the same
// pixels, normalized first.
QRect ToQRect(const TrackerRect &rect);
TrackerRect FromQRect(const QRect &rect);
inline TrackerPoint FromQPoint(QPoint p) {
  return {p.x(), p.y()};
}
inline QPoint ToQPoint(TrackerPoint p) {
  return {p.x, p.y};
}

Qt::CursorShape ToQtCursor(TrackerCursor cursor);

class CXRectTracker : public RectTracker {
public:
  // Frame and handle colour.
  static constexpr unsigned kColour = 0x345391;

  // The frame just outside the rectangle and the shown handles, in the
  // painter's pixel coordinates.
  void Paint(QPainter &painter) const;

  // Sets the window's cursor for what lies under the mouse; false when the
  // mouse is not over the rectangle, so the window shows its own cursor.
  bool UpdateCursor(QWidget *window) const;

  // Runs the drag modally: grabs mouse and keyboard and processes events
  // until the left button is released. Escape or a right press puts the
  // rectangle back. False when another window holds the mouse or nothing
  // changed.
  bool Drag(int hit, QPoint start, QWidget *window);
};
