// The capture window under a real X server, driven with real mouse events.
#include "x11_fixture.h"

#include <QCursor>
#include <QScreen>

namespace {

const QRect kWholeScreen(0, 0, 1920, 1080);

bool SameColourDimmed(QRgb shown, QRgb original, int keepOf255) {
  auto near = [&](int s, int o) { return std::abs(s - o * keepOf255 / 255) <= 1; };
  return near(qRed(shown), qRed(original)) && near(qGreen(shown), qGreen(original)) &&
         near(qBlue(shown), qBlue(original));
}

TEST_F(CaptureOnX11, CapturesTheDrawnRegionPixelForPixel) {
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), kWholeScreen)
      << "run under xvfb-run -s \"-screen 0 1920x1080x24\"";
  const auto pattern = ShowPattern({200, 150}, {300, 200});
  ASSERT_TRUE(Start(CSnapCipWnd::CaptureMode));

  Xdo(DragScript({210, 160}, {{230, 180}, {280, 230}, {310, 260}}));
  Xdo(DoubleClickScript({260, 210}));
  ASSERT_TRUE(SpinUntil([&] { return !owner->captures.empty(); }));

  const CaptureResult &got = owner->captures.front();
  EXPECT_EQ(got.rect, QRect(210, 160, 100, 100));
  ASSERT_EQ(got.image.size(), QSize(100, 100));
  int wrong = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x)
      wrong += got.image.pixel(x, y) != pattern->picture.pixel(x + 10, y + 10);
  EXPECT_EQ(wrong, 0);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(owner->ranges.empty());
}

TEST_F(CaptureOnX11, ADoubleClickAloneReportsTheWholeScreenInBothModes) {
  const auto pattern = ShowPattern({200, 150}, {300, 200});
  for (int mode : {CSnapCipWnd::CaptureMode, CSnapCipWnd::RangeMode}) {
    ASSERT_TRUE(Start(mode));
    Xdo(DoubleClickScript({900, 500}));
    ASSERT_TRUE(SpinUntil([&] { return owner->captures.size() + owner->ranges.size() == 1; }))
        << "mode " << mode;
    if (mode == CSnapCipWnd::CaptureMode) {
      const CaptureResult &got = owner->captures.front();
      EXPECT_EQ(got.rect, kWholeScreen);
      ASSERT_EQ(got.image.size(), kWholeScreen.size());
      EXPECT_EQ(got.image.pixel(200, 150), pattern->picture.pixel(0, 0));
      EXPECT_EQ(got.image.pixel(499, 349), pattern->picture.pixel(299, 199));
      owner->captures.clear();
    } else {
      EXPECT_EQ(owner->ranges.front(), kWholeScreen);
      owner->ranges.clear();
    }
  }
}

TEST_F(CaptureOnX11, OnePixelOfMovementIsNoRubberBand) {
  struct Case {
    const char *what;
    std::vector<QPoint> moves;
    QRect reported;
  };
  const std::vector<Case> cases = {
      {"one pixel diagonally", {{701, 401}}, kWholeScreen},
      {"one pixel, then back", {{701, 400}, {700, 401}}, kWholeScreen},
      {"two pixels start a band", {{702, 400}, {760, 450}}, QRect(700, 400, 60, 50)},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(Start(CSnapCipWnd::RangeMode));
    Xdo(DragScript({700, 400}, c.moves));
    Xdo(DoubleClickScript({730, 425}));
    ASSERT_TRUE(SpinUntil([&] { return !owner->ranges.empty(); })) << c.what;
    EXPECT_EQ(owner->ranges.front(), c.reported) << c.what;
    owner->ranges.clear();
  }
}

TEST_F(CaptureOnX11, ADoubleClickOnAnEmptySelectionReportsNothing) {
  // A rubber band that never grew leaves a selection without area. A 0 x 0
  // rectangle must not be taken for the whole screen.
  struct Case {
    const char *what;
    QString band;
  };
  const std::vector<Case> cases = {
      {"let go without moving on", DragScript({700, 400}, {{702, 400}})},
      {"given up with Escape",
       QStringLiteral("mousemove 700 400 sleep 0.15 mousedown 1 sleep 0.15 mousemove 760 450 "
                      "sleep 0.3 key Escape sleep 0.3 mouseup 1 sleep 0.3")},
  };
  for (int mode : {CSnapCipWnd::CaptureMode, CSnapCipWnd::RangeMode}) {
    for (const Case &c : cases) {
      ASSERT_TRUE(Start(mode));
      Xdo(c.band);
      ASSERT_TRUE(window->Tracker().Rect().IsEmpty()) << c.what;
      ASSERT_FALSE(window->Tracker().Rect().IsNull()) << c.what;
      Xdo(DoubleClickScript({900, 600}));
      EXPECT_TRUE(SpinUntil([&] { return !window->isVisible(); })) << mode << " " << c.what;
      Settle();
      EXPECT_TRUE(owner->captures.empty()) << c.what;
      EXPECT_TRUE(owner->ranges.empty()) << c.what;
      owner->captures.clear();
      owner->ranges.clear();
    }
  }
}

TEST_F(CaptureOnX11, EscapeOrARightPressDuringADragRestoresTheRectangle) {
  for (const char *cancel : {"key Escape", "mousedown 3 sleep 0.1 mouseup 3"}) {
    ASSERT_TRUE(Start(CSnapCipWnd::RangeMode));
    Xdo(DragScript({500, 500}, {{520, 520}, {600, 580}}));
    ASSERT_EQ(window->Tracker().Rect(), (TrackerRect{500, 500, 600, 580}));

    // Resize from inside the band, then think better of it.
    Xdo(QStringLiteral("mousemove 602 582 sleep 0.15 mousedown 1 sleep 0.15 mousemove 620 600 "
                       "sleep 0.15 mousemove 700 650 sleep 0.3 %1 sleep 0.3 mouseup 1 sleep 0.3")
            .arg(QLatin1String(cancel)));
    EXPECT_TRUE(window->isVisible()) << cancel;
    EXPECT_EQ(window->Tracker().Rect(), (TrackerRect{500, 500, 600, 580})) << cancel;

    Xdo(DoubleClickScript({550, 540}));
    ASSERT_TRUE(SpinUntil([&] { return !owner->ranges.empty(); })) << cancel;
    EXPECT_EQ(owner->ranges.front(), QRect(500, 500, 100, 80)) << cancel;
    owner->ranges.clear();
  }
}

TEST_F(CaptureOnX11, ARightClickClosesWithoutAResult) {
  for (int mode : {CSnapCipWnd::CaptureMode, CSnapCipWnd::RangeMode}) {
    // Before anything is selected, and with a rubber band drawn.
    for (bool band : {false, true}) {
      ASSERT_TRUE(Start(mode, QRect(300, 300, 600, 400)));
      if (band)
        Xdo(DragScript({400, 400}, {{420, 420}, {500, 480}}));
      Xdo(QStringLiteral("mousemove 450 450 sleep 0.15 click 3"));
      ASSERT_TRUE(SpinUntil([&] { return !window->isVisible(); })) << mode << band;
      Xdo(QStringLiteral("mousemove 50 60"));
      EXPECT_EQ(QCursor::pos(), QPoint(50, 60)) << "the cursor is free again";
    }
  }
  Settle();
  EXPECT_TRUE(owner->captures.empty());
  EXPECT_TRUE(owner->ranges.empty());
}

TEST_F(CaptureOnX11, RangeModeKeepsTheCursorInsideAndReportsScreenPixels) {
  const QRect view(400, 300, 400, 300); // (400, 300)-(800, 600)
  ASSERT_TRUE(Start(CSnapCipWnd::RangeMode, view));
  Xdo(QStringLiteral("mousemove 100 100"));
  EXPECT_EQ(QCursor::pos(), QPoint(400, 300));

  // The band is pulled past the view's corner; the cursor stops at its last
  // pixel, and so does the band.
  Xdo(DragScript({450, 350}, {{470, 370}, {700, 500}, {900, 700}}));
  EXPECT_EQ(QCursor::pos(), QPoint(799, 599));
  Xdo(DoubleClickScript({600, 450}));
  ASSERT_TRUE(SpinUntil([&] { return !owner->ranges.empty(); }));
  EXPECT_EQ(owner->ranges.front(), QRect(QPoint(450, 350), QPoint(798, 598)));
  EXPECT_TRUE(owner->captures.empty());

  Xdo(QStringLiteral("mousemove 50 60"));
  EXPECT_EQ(QCursor::pos(), QPoint(50, 60));
}

TEST_F(CaptureOnX11, PaintsDimmedSurroundFrameAndMagnifier) {
  const auto pattern = ShowPattern({200, 150}, {300, 200});
  ASSERT_TRUE(Start(CSnapCipWnd::CaptureMode));
  Xdo(DragScript({250, 200}, {{270, 220}, {320, 280}, {350, 300}}));
  Xdo(QStringLiteral("mousemove 300 250"));
  ASSERT_EQ(window->Tracker().Rect(), (TrackerRect{250, 200, 350, 300}));

  const QImage frame = window->Compose();
  auto original = [&](int x, int y) { return pattern->picture.pixel(x - 200, y - 150); };
  const QRgb frameColour = 0xFF345391;

  EXPECT_EQ(frame.pixel(300, 260), original(300, 260)) << "the selection stays bright";
  EXPECT_TRUE(SameColourDimmed(frame.pixel(210, 160), original(210, 160), 255 - 70));
  EXPECT_TRUE(SameColourDimmed(frame.pixel(260, 310), original(260, 310), 255 - 70));
  EXPECT_EQ(frame.pixel(249, 250), frameColour);
  EXPECT_EQ(frame.pixel(350, 250), frameColour);
  EXPECT_EQ(frame.pixel(246, 196), frameColour) << "top-left handle";
  EXPECT_EQ(frame.pixel(298, 196), frameColour) << "top handle";

  // The panel darkens what was already dimmed.
  const QRgb underPanel = frame.pixel(475, 178);
  EXPECT_LT(qRed(underPanel) + qGreen(underPanel) + qBlue(underPanel),
            3 * 255 * 185 / 255 * 135 / 255 + 3);

  // The lens (250, 108)-(322, 180) shows the 36 x 36 block around the cursor
  // twice as large, away from its cross-hair.
  for (const QPoint at : {QPoint(2, 2), QPoint(10, 5), QPoint(30, 33)}) {
    const QRgb source = original(300 - 18 + at.x(), 250 - 18 + at.y());
    EXPECT_EQ(frame.pixel(250 + 2 * at.x(), 108 + 2 * at.y()), source);
    EXPECT_EQ(frame.pixel(251 + 2 * at.x(), 109 + 2 * at.y()), source);
  }

  // White text right of the lens; nothing under the panel is that bright.
  int bright = 0;
  for (int y = 110; y < 180; ++y)
    for (int x = 330; x < 478; ++x)
      bright += qGray(frame.pixel(x, y)) > 200;
  EXPECT_GT(bright, 50);
}

} // namespace
