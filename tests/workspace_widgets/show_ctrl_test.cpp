// The sample preview: every picture fills the inner rectangle inside a
// 5-pixel black margin; key-coloured source pixels are left out.
#include "workspace/show_ctrl.h"

#include <gtest/gtest.h>

#include "widget_fixture.h"
#include "workspace/dot_matrix_bitmap.h"

namespace {

TEST(ShowCtrlTest, EveryPictureFillsTheInnerRectangle) {
  const QRect inner(5, 5, 50, 30); // of a 60 x 40 control
  struct Case {
    const char *name;
    QImage picture;
  };
  const Case kCases[] = {
      {"15 x 10", BlackWithWhite(15, 10, {QRect(0, 0, 15, 10)})},
      {"10 x 15", BlackWithWhite(10, 15, {QRect(0, 0, 10, 15)})},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    CShowCtrl preview;
    preview.resize(60, 40);
    EXPECT_EQ(CountColour(Shown(preview), kBlack), 60 * 40) << "black before the first sample";
    preview.ShowBitmap(c.picture);
    const QImage shown = Shown(preview);
    int wrong = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 60; ++x)
        wrong += shown.pixel(x, y) != (inner.contains(x, y) ? kWhite : kBlack);
    EXPECT_EQ(wrong, 0);
  }
}

TEST(ShowCtrlTest, KeyColouredPixelsAreNotCopied) {
  CShowCtrl preview;
  preview.resize(30, 20);
  preview.ShowBitmap(BlackWithWhite(2, 1, {QRect(0, 0, 2, 1)}));
  QImage keyed(2, 1, QImage::Format_RGB32);
  keyed.setPixel(0, 0, 0xFF2000CC);
  keyed.setPixel(1, 0, 0xFF2000CD); // one step off the key: copied
  preview.ShowBitmap(keyed);
  // The picture starts black for each sample; skipped pixels stay black.
  const QImage shown = Shown(preview);
  EXPECT_EQ(shown.pixel(5, 5), kBlack);
  EXPECT_EQ(shown.pixel(24, 14), 0xFF2000CDu);
}

TEST(DotMatrixBitmapTest, SetCellsBecomeWhiteFivePixelSquares) {
  const QImage picture = DotMatrixToBitmap(QStringLiteral("15$1$0.0.3$3"));
  ASSERT_EQ(picture.size(), QSize(15, 10));
  const bool kCells[2][3] = {{true, false, true}, {false, true, false}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c)
      for (int dy : {0, 4})
        for (int dx : {0, 4})
          EXPECT_EQ(picture.pixel(5 * c + dx, 5 * r + dy), kCells[r][c] ? kWhite : kBlack)
              << r << "," << c;

  EXPECT_TRUE(DotMatrixToBitmap(QStringLiteral("15$1$0.3$3")).isNull());
  EXPECT_TRUE(DotMatrixToBitmap(std::string_view("00$1$0.0.0$3")).isNull());
}

} // namespace
