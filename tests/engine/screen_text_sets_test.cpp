// Scored sets drawn by Qt's text engine on coloured screens: Chinese UI
// text and game panels, Latin text with marks, in faces from Debian's font
// packages at 12 to 32 px, binarized with Otsu. Each set must box nearly
// every glyph touching no other alone and merge none. GW_SURVEY=1 prints
// every miss.
#include "glyph_score.h"
#include "screen_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace engine_test;

namespace {

struct Screen {
  QColor ink, background;
};
const Screen kBeige{QColor(0x5a, 0x3a, 0x1e), QColor(0xf0, 0xe6, 0xd2)}; // brown on beige
const Screen kPanel{QColor(0xe8, 0xd9, 0xa0), QColor(0x1e, 0x24, 0x30)}; // gold on slate
const Screen kButton{QColor(Qt::white), QColor(0x2a, 0x6f, 0xc9)};       // white on blue

struct ScreenSet {
  const char *name, *family, *text;
  Screen screen;
  double floor;   // the fraction of glyphs touching no other boxed right
  int mostMerged; // boxes holding two glyphs or more, over all sizes
};

const char *const kChineseUi = "攻击力 防御 命中 等级 经验 金币\n"
                               "小心你们的背后，确定取消。\n"
                               "国家图书馆回答问题三二十只";
const char *const kPanelText = "金币：12345 经验：67/890\n"
                               "攻击 +15 防御 7.5%（上限 99）";
const char *const kLatin = "\"Hi!\" said; \"why?\" 'ok', ij !?\n"
                           "Save changes to the document?";

const ScreenSet kSets[] = {
    {"noto-sans-beige", "Noto Sans CJK SC", kChineseUi, kBeige, 0.98, 2},
    {"noto-sans-panel", "Noto Sans CJK SC", kPanelText, kPanel, 0.97, 2},
    {"uming-beige", "AR PL UMing CN", kChineseUi, kBeige, 0.96, 2},
    {"wqy-button", "WenQuanYi Micro Hei", kChineseUi, kButton, 0.98, 2},
    {"noto-serif-panel", "Noto Serif CJK SC", kChineseUi, kPanel, 0.98, 2},
    {"liberation-serif-beige", "Liberation Serif", kLatin, kBeige, 0.96, 8},
    {"dejavu-sans-button", "DejaVu Sans", kLatin, kButton, 0.98, 2},
};

TEST(ScreenTextSets, QtDrawnTextOnColouredScreensGivesOneBoxPerGlyph) {
  for (const ScreenSet &set : kSets) {
    SetTally tally;
    tally.name = set.name;
    for (int size = 12; size <= 32; size += 2)
      for (double originX : {0.0, 0.5}) {
        ScreenTextStyle style;
        style.family = set.family;
        style.pixelSize = size;
        style.ink = set.screen.ink;
        style.background = set.screen.background;
        style.originX = originX;
        const FontText text = renderScreenText(QString::fromUtf8(set.text), style);
        ASSERT_GT(text.width, 0) << set.name << ": is the font " << set.family << " installed?";
        tally.add(score(text), std::to_string(size) + " px at +" +
                                   std::to_string(originX).substr(0, 3));
      }
    tally.print();
    EXPECT_GE(tally.right, set.floor * tally.expected) << set.name << "\n" << tally.misses;
    EXPECT_LE(tally.merged, set.mostMerged) << set.name << "\n" << tally.misses;
  }
}

} // namespace
