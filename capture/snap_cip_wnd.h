#pragma once
// The full-screen window over a frozen picture of the primary screen in which
// the user marks one rectangle. Mode 0 hands the marked picture to the owner
// (WM_CAPTURE_DONE with a CaptureResult), mode 1 only the rectangle
// (WM_RANGE_SELECTED with a QRect); both in global screen coordinates,
// normalized. A right click, or a double click while the selection has no
// area, closes it without a result.
#include "capture/capture_layout.h"
#include "capture/cursor_clip.h"
#include "capture/x_rect_tracker.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

class CSnapCipWnd : public QWidget {
public:
  enum Mode { CaptureMode = 0, RangeMode = 1 };

  // Created once, hidden. The owner receives the results and parents the
  // window, so a modal owner does not block it.
  explicit CSnapCipWnd(QWidget *owner);
  ~CSnapCipWnd() override;

  // Freezes the primary screen and shows the window over it. The cursor stays
  // inside `confine` (global coordinates) until the window closes; an empty
  // rectangle leaves it free. False, after telling the user, when the screen
  // cannot be read.
  bool BeginCapture(const QRect &confine, int mode);

  int CurrentMode() const { return mode_; }
  const CXRectTracker &Tracker() const { return tracker_; }
  // The screen rectangle: (0, 0) and the primary screen's size.
  QRect ScreenRect() const { return ToQRect(screenRect_); }
  // The frame the next paint shows, composed off screen.
  QImage Compose();

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void ComposeFrame();
  void DrawMagnifier(QPainter &painter);
  void OnSetCursor();
  void Finish();
  // Hides the window and frees the cursor.
  void Dismiss();

  int mode_ = CaptureMode;
  QWidget *owner_ = nullptr;
  TrackerRect screenRect_; // (0, 0, width, height) of the primary screen
  QPoint screenOrigin_;    // where the primary screen starts on the desktop
  QImage snapshot_;
  QImage composition_;
  QColor dimSource_ = QColor(0, 0, 0);
  bool armed_ = false;
  TrackerPoint cursorPoint_; // window pixels = screen pixels of the primary screen
  QPoint pressPoint_;
  TrackerRect defaultSelection_;
  CXRectTracker tracker_;
  int magnifierSize_ = kMagnifierSize;
  TrackerRect magnifierRect_;
  QFont font_;
  CursorClip clip_;
};
