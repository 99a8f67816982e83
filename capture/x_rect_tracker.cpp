#include "capture/x_rect_tracker.h"

#include <QColor>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

QRect ToQRect(const TrackerRect &rect) {
  const TrackerRect r = rect.Normalized();
  return {QPoint(r.left, r.top), QSize(r.Width(), r.Height())};
}

TrackerRect FromQRect(const QRect &rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

Qt::CursorShape ToQtCursor(TrackerCursor cursor) {
  switch (cursor) {
  case TrackerCursor::SizeNwSe:
    return Qt::SizeFDiagCursor;
  case TrackerCursor::SizeNeSw:
    return Qt::SizeBDiagCursor;
  case TrackerCursor::SizeNS:
    return Qt::SizeVerCursor;
  case TrackerCursor::SizeWE:
    return Qt::SizeHorCursor;
  case TrackerCursor::Move:
    return Qt::SizeAllCursor;
  case TrackerCursor::None:
    break;
  }
  return Qt::ArrowCursor;
}

void CXRectTracker::Paint(QPainter &painter) const {
  // Filled pixel runs rather than a stroked rectangle: the frame must land on
  // exactly the pixels around the selection, whatever the painter's pen rules.
  const QColor colour = QColor::fromRgb(kColour);
  const TrackerRect f = Rect().Normalized().Inflated(1);
  const int w = f.Width(), h = f.Height();
  painter.fillRect(f.left, f.top, w, 1, colour);
  painter.fillRect(f.left, f.bottom - 1, w, 1, colour);
  painter.fillRect(f.left, f.top, 1, h, colour);
  painter.fillRect(f.right - 1, f.top, 1, h, colour);

  const unsigned shown = HandleMask();
  for (int i = HitTopLeft; i <= HitLeft; ++i)
    if (shown & (1u << i))
      painter.fillRect(ToQRect(HandleRect(i)), colour);
}

bool CXRectTracker::UpdateCursor(QWidget *window) const {
  const int hit = CursorHitAt(FromQPoint(window->mapFromGlobal(QCursor::pos())));
  if (hit == HitNothing)
    return false;
  window->setCursor(ToQtCursor(CursorForHit(hit)));
  return true;
}

namespace {

// The drag's message loop: sees the window's mouse and key events before the
// window does, and ends the loop on release, Escape, a right press, or when
// the window goes away.
class DragFilter : public QObject {
public:
  DragFilter(RectTracker &tracker, QWidget *window, QEventLoop &loop)
      : tracker_(tracker), window_(window), loop_(loop) {}

  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched != window_)
      return false;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
      auto *mouse = static_cast<QMouseEvent *>(event);
      const bool release = event->type() == QEvent::MouseButtonRelease;
      if (release && mouse->button() != Qt::LeftButton)
        return true;
      tracker_.DragTo(FromQPoint(mouse->position().toPoint()), release);
      window_->update();
      if (release)
        loop_.quit();
      return true;
    }
    case QEvent::MouseButtonPress:
      if (static_cast<QMouseEvent *>(event)->button() != Qt::RightButton)
        return false;
      tracker_.CancelDrag();
      window_->update();
      loop_.quit();
      return true;
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        tracker_.CancelDrag();
        window_->update();
        loop_.quit();
      }
      return true;
    case QEvent::Hide:
    case QEvent::Close:
      loop_.quit();
      return false;
    default:
      return false;
    }
  }

private:
  RectTracker &tracker_;
  QWidget *window_;
  QEventLoop &loop_;
};

} // namespace

bool CXRectTracker::Drag(int hit, QPoint start, QWidget *window) {
  if (hit < HitTopLeft || hit > HitInside || !window || QWidget::mouseGrabber())
    return false;
  BeginDrag(hit, FromQPoint(start));

  QEventLoop loop;
  DragFilter filter(*this, window, loop);
  window->installEventFilter(&filter);
  window->grabMouse();
  window->grabKeyboard();
  // The button may already be up again when the press was slow to arrive.
  if (window->isVisible() && (QGuiApplication::mouseButtons() & Qt::LeftButton))
    loop.exec();
  window->releaseKeyboard();
  window->releaseMouse();
  window->removeEventFilter(&filter);
  return EndDrag();
}
