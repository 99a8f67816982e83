#pragma once
// The capture window on a real X display: a window with known pixels to
// capture, an owner that records what it is told, and real mouse and key
// events from xdotool (through the X server, so grabs, pointer warps and
// double-click detection are the real ones).
#include "capture/capture_result.h"
#include "capture/snap_cip_wnd.h"
#include "workbench/private_messages.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <vector>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

// Readable failures.
inline void PrintTo(const QRect &r, std::ostream *out) {
  *out << "QRect(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}
inline void PrintTo(const QPoint &p, std::ostream *out) {
  *out << "(" << p.x() << "," << p.y() << ")";
}
inline void PrintTo(const TrackerRect &r, std::ostream *out) {
  *out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

// A frameless window showing a picture in which neighbouring pixels differ.
class PatternWindow : public QWidget {
public:
  PatternWindow(QPoint at, QSize size)
      : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
        picture(size, QImage::Format_RGB32) {
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x)
        picture.setPixel(
            x, y, qRgb((x * 7 + y * 3) & 255, (x * 5 + y * 11) & 255, (x * 13 ^ y * 2) & 255));
    setGeometry(QRect(at, size));
  }
  QImage picture;

protected:
  void paintEvent(QPaintEvent *) override { QPainter(this).drawImage(0, 0, picture); }
};

// The main window's stand-in: modal like the real one, collecting messages.
class RecordingOwner : public QDialog {
public:
  std::vector<CaptureResult> captures;
  std::vector<QRect> ranges;

protected:
  bool event(QEvent *e) override {
    if (e->type() == QEvent::Type(WM_CAPTURE_DONE)) {
      captures.push_back(static_cast<PayloadEvent<CaptureResult> *>(e)->value());
      return true;
    }
    if (e->type() == QEvent::Type(WM_RANGE_SELECTED)) {
      ranges.push_back(static_cast<PayloadEvent<QRect> *>(e)->value());
      return true;
    }
    return QDialog::event(e);
  }
};

// Keeps processing events (drags run their own loops inside) until `done`
// holds or a generous limit passes.
inline bool SpinUntil(const std::function<bool()> &done, int limitMs = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limitMs)
      return false;
    QTest::qWait(10);
  }
  return true;
}

// Lets the X events already sent reach the windows.
inline void Settle() {
  QTest::qWait(300);
}

// Runs one xdotool command chain ("mousemove 10 10 sleep 0.1 mousedown 1 ...")
// while this thread keeps handling the events it causes.
inline void Xdo(const QString &script) {
  QProcess xdo;
  xdo.start(QStringLiteral("xdotool"), script.split(QLatin1Char(' '), Qt::SkipEmptyParts));
  ASSERT_TRUE(xdo.waitForStarted());
  ASSERT_TRUE(SpinUntil([&] { return xdo.state() == QProcess::NotRunning; }));
  ASSERT_EQ(xdo.exitCode(), 0) << xdo.readAllStandardError().toStdString();
  Settle();
}

// Press, a few steps, release: a drag the way a hand makes one.
inline QString DragScript(QPoint from, const std::vector<QPoint> &through) {
  QString s = QStringLiteral("mousemove %1 %2 sleep 0.15 mousedown 1").arg(from.x()).arg(from.y());
  for (QPoint p : through)
    s += QStringLiteral(" sleep 0.15 mousemove %1 %2").arg(p.x()).arg(p.y());
  return s + QStringLiteral(" sleep 0.15 mouseup 1 sleep 0.6");
}

inline QString DoubleClickScript(QPoint at) {
  return QStringLiteral("mousemove %1 %2 sleep 0.15 click --repeat 2 --delay 80 1 sleep 0.2")
      .arg(at.x())
      .arg(at.y());
}

class CaptureOnX11 : public ::testing::Test {
protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
      GTEST_SKIP() << "needs xdotool";
    owner = std::make_unique<RecordingOwner>();
    owner->setWindowModality(Qt::ApplicationModal);
    owner->setGeometry(1600, 900, 200, 100);
    owner->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(owner.get()));
    window = new CSnapCipWnd(owner.get());
  }

  void TearDown() override {
    // Nothing held down for the next test.
    if (owner)
      Xdo(QStringLiteral("mouseup 1 mouseup 3"));
    owner.reset();
  }

  // A window with known pixels at a known place, on the screen before the
  // capture starts.
  std::unique_ptr<PatternWindow> ShowPattern(QPoint at, QSize size) {
    auto pattern = std::make_unique<PatternWindow>(at, size);
    pattern->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(pattern.get()));
    Settle();
    return pattern;
  }

  bool Start(int mode, QRect confine = {}) {
    if (!window->BeginCapture(confine, mode))
      return false;
    return QTest::qWaitForWindowExposed(window) && (Settle(), true);
  }

  std::unique_ptr<RecordingOwner> owner;
  CSnapCipWnd *window = nullptr; // a child of the owner
};
