// The workspace control on its own: an image placed into a black area of the
// control's size, binarized by the real engine, zoomed by Ctrl+wheel.
#include "workspace/binar_ctrl.h"

#include <gtest/gtest.h>
#include <memory>

#include "widget_fixture.h"
#include "workbench/combo_contents.h"

namespace {

constexpr quint32 kLeftControl = 0xffe3;
constexpr quint32 kRightControl = 0xffe4;

std::unique_ptr<CBinarCtrl> Workspace(int width, int height) {
  auto view = std::make_unique<CBinarCtrl>();
  view->resize(width, height);
  return view;
}

TEST(BinarCtrlTest, UncoveredMarginStaysBlackForEveryMethod) {
  auto view = Workspace(40, 30);
  // 20 x 10: left half black, right half white; the rest of the workspace is
  // not covered and turns white under inverting methods unless kept black.
  const QImage source = BlackWithWhite(20, 10, {QRect(10, 0, 10, 10)});
  for (int type : kThresholdTypes) {
    for (int threshold : {0, 128, 255}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " threshold " << threshold);
      view->SetImage(source);
      view->Binarize(threshold, 255, type);
      const ImageBuffer &display = view->displayBuffer();
      ASSERT_EQ(display.width, 40);
      ASSERT_EQ(display.height, 30);
      const QImage shown = Shown(*view);
      int whiteOutside = 0;
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
          if (x >= 20 || y >= 10)
            whiteOutside += DisplayByte(display, x, y) != 0 || shown.pixel(x, y) != kBlack;
      EXPECT_EQ(whiteOutside, 0);
    }
  }
  // Not vacuous: the inverting method does whiten the black half it covers.
  view->SetImage(source);
  view->Binarize(128, 255, 1);
  EXPECT_EQ(DisplayByte(view->displayBuffer(), 0, 0), 255);
  EXPECT_EQ(DisplayByte(view->displayBuffer(), 15, 5), 0);
}

TEST(BinarCtrlTest, LargerSourceIsCutAtTheWorkspaceEdges) {
  auto view = Workspace(40, 30);
  view->SetImage(BlackWithWhite(60, 50, {QRect(35, 25, 25, 25)}));
  view->Binarize(128, 255, 0);
  EXPECT_EQ(view->sourceWidth(), 60);
  EXPECT_EQ(view->sourceHeight(), 50);
  const QImage shown = Shown(*view);
  EXPECT_EQ(shown.pixel(39, 29), kWhite);
  EXPECT_EQ(shown.pixel(35, 25), kWhite);
  EXPECT_EQ(shown.pixel(34, 29), kBlack);
  EXPECT_EQ(CountColour(shown, kWhite), 5 * 5);
}

TEST(BinarCtrlTest, MasksComeFromTheDisplayAndStayInsideIt) {
  auto view = Workspace(40, 30);
  PixelRect area{};
  EXPECT_FALSE(view->ExtractMask(area)) << "no image yet";

  view->SetImage(BlackWithWhite(40, 30, {QRect(0, 0, 2, 1)}));
  view->Binarize(128, 255, 0);
  area = {};
  auto whole = view->ExtractMask(area);
  ASSERT_TRUE(whole);
  EXPECT_EQ(area, (PixelRect{0, 0, 40, 30}));
  EXPECT_EQ(whole->size(), 40u * 30u);
  EXPECT_EQ((*whole)[1], 0xFF);
  EXPECT_EQ((*whole)[2], 0x00);

  area = {-3, -3, 2, 100};
  auto clipped = view->ExtractMask(area);
  ASSERT_TRUE(clipped);
  EXPECT_EQ(area, (PixelRect{0, 0, 2, 30}));
  EXPECT_EQ(clipped->size(), 2u * 30u);
}

TEST(BinarCtrlTest, OnlyTheLeftControlKeyZooms) {
  struct Case {
    const char *name;
    quint32 pressed; // native key of the Ctrl key pressed first; 0 = key not named
    bool sendKey;
    Qt::KeyboardModifiers modifiers;
    int zoom;
  };
  const Case kCases[] = {
      {"left Ctrl", kLeftControl, true, Qt::ControlModifier, 2},
      {"right Ctrl", kRightControl, true, Qt::ControlModifier, 1},
      {"platform without key names", 0, true, Qt::ControlModifier, 2},
      {"no key events seen", 0, false, Qt::ControlModifier, 2},
      {"no Ctrl", kLeftControl, false, Qt::NoModifier, 1},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    auto view = Workspace(200, 100);
    if (c.sendKey)
      SendKey(*view, QEvent::KeyPress, c.pressed);
    SendWheel(*view, {100, 40}, 120, c.modifiers);
    EXPECT_EQ(view->view().zoom, c.zoom);
  }

  // Released: the left key no longer counts, though the modifier says Ctrl.
  auto view = Workspace(200, 100);
  SendKey(*view, QEvent::KeyPress, kLeftControl);
  SendKey(*view, QEvent::KeyRelease, kLeftControl);
  SendKey(*view, QEvent::KeyPress, kRightControl);
  SendWheel(*view, {100, 40}, 120, Qt::ControlModifier);
  EXPECT_EQ(view->view().zoom, 1);
}

TEST(BinarCtrlTest, ZoomedViewShowsEachPixelAsASquareFromTheOffset) {
  auto view = Workspace(200, 100);
  view->SetImage(BlackWithWhite(200, 100, {QRect(55, 25, 1, 1)}));
  view->Binarize(128, 255, 0);
  SendKey(*view, QEvent::KeyPress, kLeftControl);

  SendWheel(*view, {100, 40}, 120, Qt::ControlModifier);
  SendWheel(*view, {100, 40}, 120, Qt::ControlModifier);
  EXPECT_EQ(view->view(), (ViewZoom{3, 200, 80}));
  SendWheel(*view, {100, 40}, -120, Qt::ControlModifier);
  ASSERT_EQ(view->view(), (ViewZoom{2, 100, 40}));

  // View (10, 10) shows workspace (55, 25) as a 2 x 2 square.
  const QImage shown = Shown(*view);
  EXPECT_EQ(shown.pixel(10, 10), kWhite);
  EXPECT_EQ(shown.pixel(11, 11), kWhite);
  EXPECT_EQ(CountColour(shown, kWhite), 4);

  // Past the limits a step is swallowed and changes nothing.
  for (int i = 0; i < 3; ++i)
    SendWheel(*view, {100, 40}, 120, Qt::ControlModifier);
  EXPECT_EQ(view->view().zoom, 5);
  EXPECT_TRUE(SendWheel(*view, {100, 40}, 120, Qt::ControlModifier));
  EXPECT_EQ(view->view(), (ViewZoom{5, 400, 160}));

  // A new image starts at zoom 1 again.
  view->SetImage(BlackWithWhite(10, 10, {}));
  EXPECT_EQ(view->view(), ViewZoom{});
}

} // namespace
