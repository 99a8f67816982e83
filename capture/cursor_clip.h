#pragma once
// Keeps the mouse cursor inside a rectangle of the screen while it is
// active. Qt cannot confine the pointer, so every mouse move that lands
// outside is swallowed and the cursor is put back onto the nearest pixel
// inside; the move that follows the warp is the one the program sees. It
// filters the whole application, so a drag's own event loop is confined too.
#include <QObject>
#include <QRect>

class CursorClip : public QObject {
public:
  CursorClip() = default;
  ~CursorClip() override;

  // Global coordinates. An empty rectangle confines nothing.
  void Confine(const QRect &area);
  void Release();
  bool IsActive() const { return active_; }
  const QRect &Area() const { return area_; }

  // The point of the area nearest to p.
  QPoint Clamp(QPoint p) const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QRect area_;
  bool active_ = false;
};
