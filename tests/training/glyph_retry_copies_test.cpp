// The copies a legacy job retries a failed glyph with, and the pages that
// carry them: thicker joins pieces a pixel apart, thinner keeps every piece
// whole, and the pages keep the job's line geometry.
#include <algorithm>
#include <gtest/gtest.h>

#include "app/text_codec.h"
#include "training/glyph_retry_copies.h"
#include "training/retry_pages.h"

namespace {

// '#' = ink.
TrainGlyph Glyph(const std::vector<std::string> &rows, int bottom = 0,
                 const std::string &label = "x") {
  TrainGlyph glyph;
  glyph.label = label;
  glyph.height = int(rows.size());
  glyph.width = int(rows.front().size());
  glyph.bottom = bottom;
  for (const std::string &row : rows)
    for (char c : row)
      glyph.pixels.push_back(c == '#');
  return glyph;
}

std::vector<std::string> Rows(const TrainGlyph &glyph) {
  std::vector<std::string> rows;
  for (int y = 0; y < glyph.height; ++y) {
    std::string row;
    for (int x = 0; x < glyph.width; ++x)
      row += glyph.pixels[std::size_t(y) * glyph.width + x] ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

// A frame with a bar in its hole, one pixel from both sides: the shape
// box.train fails on at small sizes.
const std::vector<std::string> kFramedBar = {
    "#######", "#.....#", "#.###.#", "#.....#", "#######",
};

TEST(GlyphRetryCopies, AThickerCopyJoinsAPartOnePixelFromItsFrame) {
  const TrainGlyph thick = ThickenedGlyph(Glyph(kFramedBar, -2, "K"));
  EXPECT_EQ(Rows(thick),
            (std::vector<std::string>{"########", "##....##", "########", "##....##", "########"}));
  EXPECT_EQ(thick.label, "K");
  EXPECT_EQ(thick.bottom, -2);
}

TEST(GlyphRetryCopies, AThinnerCopyOnlyWhereStrokesAreTwoPixelsAndNothingBreaks) {
  // Walls of two pixels: each loses one, the ring stays one piece.
  const std::optional<TrainGlyph> ring =
      ThinnedGlyph(Glyph({"######", "######", "##..##", "##..##", "######", "######"}, 1, "O"));
  ASSERT_TRUE(ring);
  EXPECT_EQ(Rows(*ring),
            (std::vector<std::string>{"#####", "#####", "#...#", "#...#", "#####", "#####"}));
  EXPECT_EQ(ring->label, "O");
  EXPECT_EQ(ring->bottom, 1);

  // A row that thinning empties is cropped away; the bottom rises with it.
  const std::optional<TrainGlyph> foot = ThinnedGlyph(Glyph({"###", "###", "#.."}, -2));
  ASSERT_TRUE(foot);
  EXPECT_EQ(Rows(*foot), (std::vector<std::string>{"##", "##"}));
  EXPECT_EQ(foot->bottom, -1);

  // Strokes of one pixel would vanish.
  EXPECT_FALSE(ThinnedGlyph(Glyph(kFramedBar)));
  // Mostly two pixels wide, but the one-pixel waist would break in two.
  EXPECT_FALSE(ThinnedGlyph(Glyph({"##", "##", "#.", "##", "##"})));
  // The dot beside the thick bar would be erased.
  EXPECT_FALSE(ThinnedGlyph(Glyph({"###.#", "###..", "###..", "###..", "###.."})));
}

// The tools drop a frame around a part that is not box-shaped; the copy
// cuts the frame open in the middle of its bottom edge, or of its top edge
// where the bottom is too thick, and leaves the rest as it was.
TEST(GlyphRetryCopies, AnOpenedCopyCutsAFrameThroughOneEdge) {
  const std::optional<TrainGlyph> opened = OpenedGlyph(Glyph(kFramedBar, -1, "K"));
  ASSERT_TRUE(opened);
  EXPECT_EQ(Rows(*opened),
            (std::vector<std::string>{"#######", "#.....#", "#.###.#", "#.....#", "###.###"}));
  EXPECT_EQ(opened->label, "K");
  EXPECT_EQ(opened->bottom, -1);

  const std::optional<TrainGlyph> top = OpenedGlyph(Glyph(
      {"#########", "#.......#", "#..###..#", "#.......#", "#########", "#########", "#########"}));
  ASSERT_TRUE(top);
  EXPECT_EQ(Rows(*top),
            (std::vector<std::string>{"####.####", "#.......#", "#..###..#", "#.......#",
                                      "#########", "#########", "#########"}));
  // A frame open already, a shape that encloses little of its box, and a
  // frame whose edges are too thick to cut are left alone.
  EXPECT_FALSE(OpenedGlyph(Glyph({"#######", "#.....#", "#.###.#", "#.....#", "###.###"})));
  EXPECT_FALSE(OpenedGlyph(Glyph({"#######", "...#...", "...#...", "...#...", "...#..."})));
  EXPECT_FALSE(OpenedGlyph(Glyph({"######", "######", "##..##", "##..##", "######", "######"})));
}

// Pages the way the job composes them, from glyphs already seated.
std::vector<TrainingPage> JobPages(std::vector<TrainGlyph> glyphs) {
  const std::vector<GlyphRow> rows = LayoutRows(glyphs);
  return ComposeTrainingImage(glyphs, rows).pages;
}

TEST(GlyphRetryCopies, TheGlyphCutFromItsPageIsTheGlyphPlaced) {
  const TrainGlyph framed = Glyph(kFramedBar, -1, "K");
  const TrainGlyph ring = Glyph({"###", "#.#", "###", "..#"}, 3, "O");
  const std::vector<TrainingPage> pages = JobPages({framed, ring});
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].glyphs.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const TrainGlyph cut = CutOutGlyph(pages[0], pages[0].glyphs[i]);
    const TrainGlyph &placed = i == 0 ? framed : ring;
    EXPECT_EQ(cut.label, placed.label);
    EXPECT_EQ(cut.bottom, placed.bottom);
    EXPECT_EQ(Rows(cut), Rows(placed));
  }
}

TEST(RetryPages, CopiesOfTheFailedGlyphsOnTheJobsLineGeometry) {
  const TrainGlyph framed = Glyph(kFramedBar, 0, "K");
  const TrainGlyph ring =
      Glyph({"######", "######", "##..##", "##..##", "######", "######"}, 0, "O");
  const TrainGlyph tall = Glyph({"###", "#.#", "###", "#.#", "###", "#.#", "###", "..#"}, -3, "T");
  const TrainGlyph narrow = Glyph({"#.", "##"}, 0, "i");
  const std::vector<TrainingPage> pages = JobPages({tall, framed, ring, narrow});
  ASSERT_EQ(pages.size(), 1u);

  const RetryPages retry = ComposeRetryPages(pages, {{0, 1}, {0, 2}, {0, 3}});
  // The glyph two pixels wide is left as it is.
  EXPECT_EQ(retry.labels, (std::vector<std::string>{"K", "O"}));
  EXPECT_EQ(retry.thinned, (std::vector<std::string>{"O"}));
  EXPECT_EQ(retry.opened, (std::vector<std::string>{"K"}));
  ASSERT_EQ(retry.image.pages.size(), 1u);
  const TrainingPage &page = retry.image.pages[0];
  // The tall glyph is not retried, yet the page is as high as the job's and
  // the copies stand on the same baseline.
  EXPECT_EQ(page.height, pages[0].height);
  ASSERT_EQ(page.glyphs.size(), 4u);
  const auto baselineRow = [](const PageGlyph &glyph) {
    return glyph.top + glyph.height + glyph.bottom;
  };
  for (const PageGlyph &copy : page.glyphs)
    EXPECT_EQ(baselineRow(copy), baselineRow(pages[0].glyphs[1])) << copy.label;
  EXPECT_EQ(Rows(CutOutGlyph(page, page.glyphs[0])), Rows(ThickenedGlyph(framed)));
  EXPECT_EQ(Rows(CutOutGlyph(page, page.glyphs[1])), Rows(*OpenedGlyph(framed)));
  EXPECT_EQ(Rows(CutOutGlyph(page, page.glyphs[3])), Rows(*ThinnedGlyph(ring)));
  // One box line per copy.
  EXPECT_EQ(std::count(retry.image.boxText.begin(), retry.image.boxText.end(), '\n'), 4);

  EXPECT_TRUE(ComposeRetryPages(pages, {}).labels.empty());
  EXPECT_TRUE(ComposeRetryPages(pages, {{0, 3}}).image.pages.empty());
}

TEST(RetryPages, TheLogSaysWhatWasRetriedAndWhatTrained) {
  const TrainGlyph framed = Glyph(kFramedBar, 0, Utf8ToSystem("国"));
  const TrainGlyph ring =
      Glyph({"######", "######", "##..##", "##..##", "######", "######"}, 0, "O");
  const std::vector<TrainingPage> pages = JobPages({framed, ring});
  const RetryPages retry = ComposeRetryPages(pages, {{0, 0}, {0, 1}});
  // The thick and opened copies of 国 are boxes 1 and 2, the thick and thin
  // copies of O boxes 3 and 4.
  const std::string failedO = "APPLY_BOXES: boxfile line 3/O ((37,10),(44,16)): FAILURE! x\n"
                              "APPLY_BOXES: boxfile line 4/O ((54,10),(59,16)): FAILURE! x\n";
  EXPECT_EQ(RetriedLabelsTrained(retry, failedO, true),
            std::vector<std::string>{Utf8ToSystem("国")});
  EXPECT_EQ(RetriedLabelsTrained(retry, "", false), std::vector<std::string>{});
  EXPECT_EQ(RetryLine(retry, 1),
            "重试：训练工具未能匹配 2 个字符的字形，已用加粗一像素的副本"
            "（其中 1 个另加变细一像素的副本，1 个另加外框断开一处的副本）再训练一次，"
            "其中 1 个训练成功。");
  const RetryPages one = ComposeRetryPages(pages, {{0, 0}});
  EXPECT_EQ(RetryLine(one, 0),
            "重试：训练工具未能匹配 1 个字符的字形，已用加粗一像素的副本"
            "（其中 1 个另加外框断开一处的副本）再训练一次，其中 0 个训练成功。");
  const RetryPages ringOnly = ComposeRetryPages(pages, {{0, 1}});
  EXPECT_EQ(RetryLine(ringOnly, 1),
            "重试：训练工具未能匹配 1 个字符的字形，已用加粗一像素的副本"
            "（其中 1 个另加变细一像素的副本）再训练一次，其中 1 个训练成功。");
}

} // namespace
