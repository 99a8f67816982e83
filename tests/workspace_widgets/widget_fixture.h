#pragma once
// Small pictures and pixel probes for the workspace widgets.
#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRect>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "workspace/image_buffer.h"

inline constexpr QRgb kBlack = 0xFF000000;
inline constexpr QRgb kWhite = 0xFFFFFFFF;
inline constexpr QRgb kGreen = 0xFF90EE90;
inline constexpr QRgb kRed = 0xFFFF0000;

// A black picture with white rectangles.
inline QImage BlackWithWhite(int width, int height, std::initializer_list<QRect> white) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kBlack);
  for (const QRect &r : white)
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        image.setPixel(x, y, kWhite);
  return image;
}

// What the widget shows on screen, as an image of its own size.
inline QImage Shown(QWidget &widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline int CountColour(const QImage &image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      count += image.pixel(x, y) == colour;
  return count;
}

// Blue byte of a display pixel: 255 white, 0 black.
inline int DisplayByte(const ImageBuffer &display, int x, int y) {
  return display.pixels[std::size_t(y) * display.bytesPerRow + std::size_t(x) * 4];
}

inline void SendKey(QWidget &to, QEvent::Type type, quint32 nativeKey) {
  QKeyEvent key(type, Qt::Key_Control,
                type == QEvent::KeyPress ? Qt::ControlModifier : Qt::NoModifier, 0, nativeKey, 0);
  QCoreApplication::sendEvent(&to, &key);
}

// One wheel notch at `at`; true when the widget took the event as handled.
inline bool SendWheel(QWidget &to, QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
  QWheelEvent wheel(QPointF(at), QPointF(to.mapToGlobal(at)), QPoint(), QPoint(0, delta),
                    Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&to, &wheel);
  return wheel.isAccepted();
}

inline void SendClick(QWidget &to, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(to.mapToGlobal(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&to, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(to.mapToGlobal(at)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&to, &release);
}

// A left-button drag as the platform delivers it: the press, moves one pixel
// step at a time along the way, the release.
// A drag too short to pass the start distance, made as a user makes one:
// out past the distance first, then back to `where` before letting go.
inline void SendShortDrag(QWidget &to, QPoint from, QPoint where,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button,
                        Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(to.mapToGlobal(at)), button, buttons, modifiers);
    QCoreApplication::sendEvent(&to, &event);
  };
  send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  const QPoint out = from + QPoint(0, QApplication::startDragDistance() + 1);
  send(QEvent::MouseMove, out, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseMove, where, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, where, Qt::LeftButton, Qt::NoButton);
}

inline void SendDrag(QWidget &to, QPoint from, QPoint where,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button,
                        Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(to.mapToGlobal(at)), button, buttons, modifiers);
    QCoreApplication::sendEvent(&to, &event);
  };
  send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  const QPoint step = where - from;
  const int steps = std::max(std::abs(step.x()), std::abs(step.y()));
  for (int i = 1; i <= steps; ++i)
    send(QEvent::MouseMove, from + step * i / steps, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, where, Qt::LeftButton, Qt::NoButton);
}
