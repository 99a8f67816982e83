// The settings a model carries so that Tesseract keeps glyphs it would take
// for frames drawn around something, worked out from the glyphs' own pixels.
#include <gtest/gtest.h>

#include "app/text_codec.h"
#include "training/kept_frames.h"

namespace {

// '#' = ink.
TrainGlyph InkGlyph(const std::vector<std::string> &rows, const std::string &label = "x") {
  TrainGlyph glyph;
  glyph.label = label;
  glyph.height = int(rows.size());
  glyph.width = int(rows.front().size());
  for (const std::string &row : rows)
    for (char c : row)
      glyph.pixels.push_back(c == '#');
  return glyph;
}

// A frame holding a cross of one-pixel strokes: the cross fills 9 of the 25
// cells of its box, less than half, so the engine drops the frame.
const std::vector<std::string> kFramedCross = {
    "#########", "#.......#", "#...#...#", "#...#...#", "#.#####.#",
    "#...#...#", "#...#...#", "#.......#", "#########",
};

// A frame holding six dots apart: each counts, and each ten times more
// inside the frame's hole, past the engine's limit of 45.
const std::vector<std::string> kFramedDots = {
    "#########", "#.......#", "#.#.#.#.#", "#.......#", "#.#.#.#.#", "#.......#", "#########",
};

TEST(KeptFrames, EachGlyphGetsWhatTheEngineNeedsToKeepIt) {
  const std::optional<FrameSettings> cross = SettingsToKeep(InkGlyph(kFramedCross));
  ASSERT_TRUE(cross);
  EXPECT_DOUBLE_EQ(cross->childArea, 0.18); // half of 9/25
  EXPECT_EQ(cross->childrenLimit, 45);

  const std::optional<FrameSettings> dots = SettingsToKeep(InkGlyph(kFramedDots));
  ASSERT_TRUE(dots);
  EXPECT_DOUBLE_EQ(dots->childArea, 0.5); // the dots fill their boxes
  EXPECT_GT(dots->childrenLimit, 45);

  // Kept as they are: a frame around a solid block, an empty frame (口), a
  // ring, strokes that enclose little of their box, a glyph too small to
  // tell.
  for (const std::vector<std::string> &rows : std::vector<std::vector<std::string>>{
           {"#######", "#.....#", "#.###.#", "#.###.#", "#.....#", "#######"},
           {"#####", "#...#", "#...#", "#####"},
           {".###.", "#...#", "#...#", ".###."},
           {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"},
           {"##", "##"}})
    EXPECT_FALSE(SettingsToKeep(InkGlyph(rows))) << rows[0];
}

// A frame around a field of dots (a picture, more than 64 outlines) and a
// sample larger than any screen glyph are not looked at.
TEST(KeptFrames, PicturesAreLeftAlone) {
  std::vector<std::string> field(21, std::string(21, '.'));
  for (int i = 0; i < 21; ++i)
    field[0][i] = field[20][i] = field[i][0] = field[i][20] = '#';
  for (int y = 2; y < 20; y += 2)
    for (int x = 2; x < 20; x += 2)
      field[y][x] = '#';
  EXPECT_FALSE(SettingsToKeep(InkGlyph(field)));
  // The framed cross scaled up keeps its proportions: at 252 pixels it is
  // looked at, at 270 it is not.
  const auto scaled = [](int factor) {
    std::vector<std::string> rows;
    for (const std::string &row : kFramedCross) {
      std::string wide;
      for (char c : row)
        wide += std::string(std::size_t(factor), c);
      rows.insert(rows.end(), std::size_t(factor), wide);
    }
    return InkGlyph(rows);
  };
  EXPECT_TRUE(SettingsToKeep(scaled(28)));
  EXPECT_FALSE(SettingsToKeep(scaled(30)));
}

TEST(KeptFrames, TheModelCarriesTheLowestAreaAndTheHighestLimitAndSaysSo) {
  EXPECT_FALSE(FramesToKeep({InkGlyph({"#####", "#...#", "#####"}, "O")}));

  const std::optional<KeptFrames> kept = FramesToKeep(
      {InkGlyph(kFramedCross, Utf8ToSystem("国")), InkGlyph(kFramedDots, Utf8ToSystem("图")),
       InkGlyph(kFramedCross, Utf8ToSystem("国")), InkGlyph({"###", "#.#", "###"}, "o")});
  ASSERT_TRUE(kept);
  EXPECT_DOUBLE_EQ(kept->settings.childArea, 0.18);
  EXPECT_EQ(kept->labels, (std::vector<std::string>{Utf8ToSystem("国"), Utf8ToSystem("图")}));
  const std::string limit = std::to_string(kept->settings.childrenLimit);
  EXPECT_EQ(KeptFramesConfig(*kept),
            "edges_childarea 0.18\nedges_children_count_limit " + limit + "\n");
  EXPECT_EQ(
      KeptFramesLine(*kept),
      "识别设置：国 图 的外框里另有笔画，Tesseract 默认会把这样的外框当作边框丢弃，读成「口」；"
      "模型已带上设置（edges_childarea 0.18，edges_children_count_limit " +
          limit + "），读取时保留它们。");

  // Only what differs from the engine's own values.
  KeptFrames area;
  area.settings.childArea = 0.3;
  EXPECT_EQ(KeptFramesConfig(area), "edges_childarea 0.30\n");
}

} // namespace
