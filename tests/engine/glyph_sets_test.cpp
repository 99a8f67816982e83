// Scored sets: text in several CJK and Latin faces from Debian's font
// packages, 12 to 32 px, smooth edges cut at 35 to 65 % coverage as a
// threshold on a screenshot cuts them, with noise, captions over headlines
// and frames. Each set must box nearly every glyph touching no other alone,
// and merge none. Run with GW_SURVEY=1 to print every miss.
#include "font_text.h"
#include "glyph_score.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace engine_test;

namespace {

struct Face {
  const char *path;
  int index;
};
const Face kNotoSansSC{"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 2};
const Face kNotoSerifSC{"/usr/share/fonts/opentype/noto/NotoSerifCJK-Regular.ttc", 2};
const Face kUMing{"/usr/share/fonts/truetype/arphic/uming.ttc", 0};
const Face kUKai{"/usr/share/fonts/truetype/arphic/ukai.ttc", 0};
const Face kWqy{kWenQuanYi, 0};
const Face kLiberationSerif{"/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", 0};
const Face kLiberationSans{"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", 0};
const Face kDejaVu{kDejaVuSans, 0};

const char *const kUiChinese = "小心你们的背后，确定取消。\n"
                               "攻击防御命中等级经验值\n"
                               "国家图书馆回答问题三二十只";
const char *const kGamePanel = "金币：12345 经验：67/890\n"
                               "攻击力 +15 防御 7.5% 命中率\n"
                               "等级 Lv.32（上限 99）";
const char *const kLatinMarks = "\"Hi!\" said; \"why?\" 'ok',\n"
                                "ij !? ;: i! ?; fit, ill. jig:";

enum class Extra { None, Specks, CaptionOverHeadline, Frame, Table };

struct Set {
  const char *name;
  Face face;
  const char *text;
  int smallest, largest;
  Extra extra;
  double floor;  // the fraction of glyphs touching no other that must be boxed right
  int mostMerged; // boxes holding two glyphs or more, over all sizes and cuts
};

const Set kSets[] = {
    {"noto-sans-ui", kNotoSansSC, kUiChinese, 12, 32, Extra::None, 0.95, 2},
    {"noto-sans-panel", kNotoSansSC, kGamePanel, 14, 32, Extra::None, 0.96, 6},
    {"noto-serif-ui", kNotoSerifSC, kUiChinese, 14, 32, Extra::None, 0.87, 2},
    {"uming-ui", kUMing, kUiChinese, 14, 32, Extra::None, 0.91, 2},
    {"ukai-ui", kUKai, kUiChinese, 14, 32, Extra::None, 0.78, 2},
    {"wqy-panel", kWqy, kGamePanel, 14, 32, Extra::None, 0.95, 9},
    {"liberation-serif-marks", kLiberationSerif, kLatinMarks, 14, 32, Extra::None, 0.91, 24},
    {"liberation-sans-marks", kLiberationSans, kLatinMarks, 12, 32, Extra::None, 0.95, 10},
    {"dejavu-marks", kDejaVu, kLatinMarks, 12, 32, Extra::None, 0.96, 11},
    {"wqy-specks", kWqy, kUiChinese, 16, 32, Extra::Specks, 0.97, 2},
    {"noto-sans-specks", kNotoSansSC, kUiChinese, 16, 32, Extra::Specks, 0.96, 2},
    {"caption-headline", kNotoSansSC, "", 28, 36, Extra::CaptionOverHeadline, 0.91, 2},
    {"frame", kWqy, kUiChinese, 16, 28, Extra::Frame, 0.99, 2},
    {"table", kNotoSansSC, kGamePanel, 16, 28, Extra::Table, 0.94, 2},
};

// Text as drawn, with the frames and rules drawn around it: each must come
// out as a box of its own, and holds no glyph.
struct Drawn {
  FontText text;
  std::vector<Rect> furniture;
};

// A table: two copies of the text side by side, a one-pixel rule between
// them and one across the middle of every gap between lines.
Drawn table(const FontText &cell) {
  Drawn d;
  const int gap = 12;
  FontText &t = d.text;
  t.width = 2 * cell.width + gap;
  t.height = cell.height;
  t.mask.assign(std::size_t(t.width) * std::size_t(t.height), 0);
  for (int copy = 0; copy < 2; ++copy) {
    const int dx = copy * (cell.width + gap);
    for (int y = 0; y < cell.height; ++y)
      for (int x = 0; x < cell.width; ++x)
        if (cell.mask[std::size_t(y) * cell.width + x] != 0)
          t.mask[std::size_t(y) * t.width + x + dx] = 255;
    for (std::size_t i = 0; i < cell.glyphBoxes.size(); ++i) {
      const Rect &r = cell.glyphBoxes[i];
      t.glyphBoxes.push_back({r[0] + dx, r[1], r[2] + dx, r[3]});
      t.touches.push_back(cell.touches[i]);
      t.glyphText.push_back(cell.glyphText[i]);
    }
  }
  // Rows with ink, from the glyphs' boxes; a rule across each gap of three
  // empty rows or more between them.
  std::vector<bool> inked(std::size_t(t.height), false);
  int top = t.height, bottom = 0;
  for (const Rect &r : t.glyphBoxes) {
    for (int y = r[1]; y <= r[3]; ++y)
      inked[std::size_t(y)] = true;
    top = std::min(top, r[1]);
    bottom = std::max(bottom, r[3]);
  }
  const int middle = cell.width + gap / 2;
  for (int y = top - 2; y <= bottom + 2; ++y)
    t.mask[std::size_t(y) * t.width + middle] = 255;
  d.furniture.push_back({middle, top - 2, middle, bottom + 2});
  for (int y = top; y <= bottom;) {
    int end = y;
    while (end <= bottom && !inked[std::size_t(end)])
      ++end;
    if (end - y >= 3) {
      const int rule = (y + end - 1) / 2;
      for (int x = 0; x < t.width; ++x)
        if (x != middle)
          t.mask[std::size_t(rule) * t.width + x] = 255;
      d.furniture.push_back({0, rule, t.width - 1, rule});
    }
    y = std::max(end, y + 1);
  }
  // The rules cross: one shape, one box.
  if (d.furniture.size() > 1)
    d.furniture = {{0, top - 2, t.width - 1, bottom + 2}};
  return d;
}

Drawn draw(const Set &set, int size, int cut) {
  FontTextStyle st;
  st.fontPath = set.face.path;
  st.faceIndex = set.face.index;
  st.pixelSize = size;
  st.cut = cut;
  Drawn d;
  switch (set.extra) {
  case Extra::None:
    d.text = renderFontText(set.text, st);
    break;
  case Extra::Specks:
    d.text = renderFontText(set.text, st);
    if (d.text.width > 0)
      addSpecks(d.text, 12, 3, std::uint32_t(size * 1000 + cut));
    break;
  case Extra::CaptionOverHeadline: {
    FontTextStyle small = st;
    small.pixelSize = 12;
    const FontText caption = renderFontText("更新于 2026 年 12 月 小字说明 caption text", small);
    const FontText headline = renderFontText("大标题 Headline 公告", st);
    if (caption.width > 0 && headline.width > 0)
      d.text = stacked(caption, 4, headline);
    break;
  }
  case Extra::Frame:
    st.lineSpacing = size / 3;
    d.text = renderFontText(set.text, st);
    if (d.text.width > 0)
      d.furniture.push_back(addFrame(d.text, 3, 1));
    break;
  case Extra::Table: {
    st.lineSpacing = size / 2;
    const FontText cell = renderFontText(set.text, st);
    if (cell.width > 0)
      d = table(cell);
    break;
  }
  }
  return d;
}

// The boxes found, less the furniture (each of which must be found once).
std::vector<Rect> glyphBoxesFound(const Drawn &d, std::string &missing) {
  std::vector<Rect> found = split(d.text);
  for (const Rect &f : d.furniture) {
    const auto at = std::find(found.begin(), found.end(), f);
    if (at == found.end())
      missing += " frame or rule [" + std::to_string(f[0]) + ".." + std::to_string(f[2]) + ", " +
                 std::to_string(f[1]) + ".." + std::to_string(f[3]) + "] not one box;";
    else
      found.erase(at);
  }
  return found;
}

// With GW_SHOW=name:size:cut, prints the ink around each box that is not one
// glyph's, for tuning.
void show(const FontText &text, const std::vector<Rect> &boxes) {
  for (const Rect &r : boxes) {
    std::printf("box [%d..%d, %d..%d]\n", r[0], r[2], r[1], r[3]);
    for (int y = std::max(0, r[1] - 2); y <= std::min(text.height - 1, r[3] + 2); ++y) {
      for (int x = std::max(0, r[0] - 6); x <= std::min(text.width - 1, r[2] + 6); ++x) {
        const bool in = x >= r[0] && x <= r[2] && y >= r[1] && y <= r[3];
        std::putchar(text.mask[std::size_t(y) * text.width + x] != 0 ? (in ? '#' : '+')
                                                                     : (in ? '.' : ' '));
      }
      std::putchar('\n');
    }
  }
}

TEST(GlyphSets, FacesSizesAndScreensGiveOneBoxPerGlyph) {
  if (const char *which = std::getenv("GW_SHOW")) {
    char name[64] = {};
    int size = 0, cut = 0;
    if (std::sscanf(which, "%63[^:]:%d:%d", name, &size, &cut) == 3)
      for (const Set &set : kSets)
        if (std::string(set.name) == name) {
          const Drawn d = draw(set, size, cut);
          std::string missing;
          const Score s = score(d.text, glyphBoxesFound(d, missing));
          std::printf("%s%s\n", describe(s).c_str(), missing.c_str());
          show(d.text, s.wrongBoxes);
        }
    return;
  }
  for (const Set &set : kSets) {
    SetTally tally;
    tally.name = set.name;
    for (int size = set.smallest; size <= set.largest; size += 2)
      for (int cut : {90, 128, 166}) {
        const Drawn d = draw(set, size, cut);
        ASSERT_GT(d.text.width, 0) << set.name << ": font " << set.face.path;
        std::string missing;
        const Score s = score(d.text, glyphBoxesFound(d, missing));
        const std::string where = std::to_string(size) + " px cut " + std::to_string(cut);
        EXPECT_EQ(missing, "") << set.name << " " << where;
        tally.add(s, where);
      }
    tally.print();
    EXPECT_GE(tally.right, set.floor * tally.expected) << set.name << "\n" << tally.misses;
    EXPECT_LE(tally.merged, set.mostMerged) << set.name << "\n" << tally.misses;
  }
}

} // namespace

// Marks standing side by side (each whole: a dot over a stem, a hook over a
// dot) are two glyphs, never one.
TEST(GlyphSets, MarksSideBySideStayApart) {
  const char *const pairs = "Look: ij !? ;: i! ?; !! ?? \"so\" j; :i";
  for (const Face &face : {kDejaVu, kLiberationSans, kLiberationSerif})
    for (int size : {16, 20, 24, 28}) {
      FontTextStyle st;
      st.fontPath = face.path;
      st.pixelSize = size;
      const FontText text = renderFontText(pairs, st);
      ASSERT_GT(text.width, 0) << face.path;
      const Score s = score(text);
      EXPECT_EQ(s.merged, 0) << face.path << " " << size << " px: " << describe(s);
      EXPECT_TRUE(s.perfect()) << face.path << " " << size << " px: " << describe(s);
    }
}

// Digits and Latin letters within a line of Chinese are glyphs of their own:
// none joins a Chinese piece, a bracket, a slash or a point beside it.
TEST(GlyphSets, DigitsAmongChineseStayApart) {
  for (const Face &face : {kNotoSansSC, kWqy})
    for (int size : {16, 20, 24, 28}) {
      FontTextStyle st;
      st.fontPath = face.path;
      st.faceIndex = face.index;
      st.pixelSize = size;
      const FontText text = renderFontText("金币：12345 经验：67/890 等级（上限 99）", st);
      ASSERT_GT(text.width, 0) << face.path;
      const Score s = score(text);
      EXPECT_EQ(s.merged, 0) << face.path << " " << size << " px: " << describe(s);
    }
}
