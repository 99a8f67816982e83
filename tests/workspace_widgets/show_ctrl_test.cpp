// The sample preview: every picture fills the inner rectangle inside a
// 5-pixel black margin; key-coloured source pixels are left out.
#include "workspace/show_ctrl.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

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

TEST(DotMatrixBitmapTest, ALargeMatrixIsDrawnAtTheLimitCellUnderPixel) {
  // 3 x 2 cells are 15 x 10 pixels in full; squeezed to 6 x 4 each pixel
  // shows the cell under it: columns 0 0 1 1 2 2 (from 0, 2.5, 5, 7.5, ...).
  const QImage picture = DotMatrixToBitmap(std::string_view("15$1$0.0.3$3"), QSize(6, 4));
  ASSERT_EQ(picture.size(), QSize(6, 4));
  const char *kRows[] = {"WW..WW", "WW..WW", "..WW..", "..WW.."};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(picture.pixel(x, y), kRows[y][x] == 'W' ? kWhite : kBlack) << x << "," << y;

  // Only the direction that is too long is squeezed.
  EXPECT_EQ(DotMatrixToBitmap(std::string_view("15$1$0.0.3$3"), QSize(100, 4)).size(),
            QSize(15, 4));
}

long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The largest matrix the decoder accepts, 4096 x 4096 cells, as 512 x 512
// blocks set like a chess board (the top-left block set).
std::string ChessBoardOf4096() {
  constexpr int kSide = 4096;
  constexpr int kBlock = 512;
  std::string text;
  text.reserve(kSide * kSide / 4 + 32);
  for (int r = 0; r < kSide; ++r) {
    for (int c = 0; c < kSide; c += 8) {
      // Eight cells of one row share their block: one byte, all set or clear.
      const bool set = ((r / kBlock) + (c / kBlock)) % 2 == 0;
      text += set ? "ff" : "00";
    }
  }
  text += "$1$0.0." + std::to_string(kSide * kSide / 2) + "$" + std::to_string(kSide);
  return text;
}

TEST(DotMatrixBitmapTest, ThePreviewOfTheLargestMatrixStaysSmall) {
  const std::string text = ChessBoardOf4096();
  const long before = PeakResidentKilobytes();

  // Drawn in full this would be 20480 x 20480 pixels: 1.6 GB.
  CShowCtrl preview;
  preview.resize(287, 232);
  const QImage picture = DotMatrixToBitmap(text, preview.PictureSize());
  ASSERT_EQ(picture.size(), QSize(277, 222));
  preview.ShowBitmap(picture);
  const QImage shown = Shown(preview);

  // The decoded cells (16 MB) and little more.
  const long grownKb = PeakResidentKilobytes() - before;
  EXPECT_LT(grownKb, 64 * 1024) << "the preview of a 4096 x 4096 matrix took " << grownKb / 1024
                                << " MB";

  // Eight blocks across and down, each pixel showing the cell under it.
  int wrong = 0;
  for (int y = 0; y < 222; ++y) {
    for (int x = 0; x < 277; ++x) {
      const int block = (x * 4096 / 277) / 512 + (y * 4096 / 222) / 512;
      wrong += shown.pixel(x + 5, y + 5) != (block % 2 == 0 ? kWhite : kBlack);
    }
  }
  EXPECT_EQ(wrong, 0);
}

} // namespace
