#include "capture/cursor_clip.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

CursorClip::~CursorClip() {
  Release();
}

void CursorClip::Confine(const QRect &area) {
  Release();
  // Only the part on a screen: a rectangle off every screen would hold the
  // cursor where it can never be.
  QRect onScreen = area;
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    onScreen &= screen->virtualGeometry();
  if (onScreen.isEmpty() || !QCoreApplication::instance())
    return;
  area_ = onScreen;
  active_ = true;
  QCoreApplication::instance()->installEventFilter(this);
  const QPoint now = QCursor::pos();
  if (!area_.contains(now))
    QCursor::setPos(Clamp(now));
}

void CursorClip::Release() {
  if (!active_)
    return;
  active_ = false;
  if (QCoreApplication::instance())
    QCoreApplication::instance()->removeEventFilter(this);
}

QPoint CursorClip::Clamp(QPoint p) const {
  return {std::clamp(p.x(), area_.left(), area_.right()),
          std::clamp(p.y(), area_.top(), area_.bottom())};
}

bool CursorClip::eventFilter(QObject *watched, QEvent *event) {
  if (active_ && event->type() == QEvent::MouseMove) {
    const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
    if (!area_.contains(global)) {
      QCursor::setPos(Clamp(global));
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}
