#include "engine_test_support.h"
#include "font_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

using namespace engine_test;

namespace {

std::vector<Rect> split(const FontText &text, float param = 0.0f) {
  int count = 0;
  Block<int> rects(findRect(text.mask.data(), text.width, text.height, &count, param));
  std::vector<Rect> out;
  for (int i = 0; rects.p != nullptr && i < count; ++i)
    out.push_back({rects.p[4 * i], rects.p[4 * i + 1], rects.p[4 * i + 2], rects.p[4 * i + 3]});
  return out;
}

struct Score {
  int expected = 0, right = 0, boxes = 0;
  std::vector<Rect> wrongBoxes;
};

Score score(const FontText &text) {
  const std::vector<Rect> found = split(text);
  std::map<Rect, int> times;
  for (const Rect &r : found)
    ++times[r];
  Score s;
  s.expected = int(text.glyphBoxes.size());
  s.boxes = int(found.size());
  std::map<Rect, int> wanted;
  for (const Rect &r : text.glyphBoxes)
    ++wanted[r];
  for (const Rect &r : text.glyphBoxes)
    if (times[r] == 1)
      ++s.right;
  for (const Rect &r : found)
    if (wanted[r] == 0)
      s.wrongBoxes.push_back(r);
  return s;
}

struct TextSet {
  const char *name;
  const char *font;
  int face;
  const char *text;
};

const char *const kChinese = "价格数据川北小八儿引日月明\n"
                             "我们的工作是为了更好地生活\n"
                             "国家图书馆回答问题三二十只\n"
                             "兴趣形状微软雅黑，测试。";
const char *const kLatin = "The quick brown fox jumps over\n"
                           "the lazy dog; fit ill roof? Yes!\n"
                           "Wave To AV \"quoted\" 'x' i j % = : ;";
const char *const kDigits = "0123456789 3.14 -42 +7 1/2 100%";

TEST(GlyphGroupingSurvey, PrintScores) {
  const TextSet sets[] = {
      {"wqy", kWenQuanYi, 0, kChinese},     {"wqy-latin", kWenQuanYi, 0, kLatin},
      {"sans", kDejaVuSans, 0, kLatin},     {"mono", kDejaVuSansMono, 0, kLatin},
      {"serif", kDejaVuSerif, 0, kLatin},   {"sans-digits", kDejaVuSans, 0, kDigits},
      {"mono-digits", kDejaVuSansMono, 0, kDigits},
  };
  for (const TextSet &set : sets)
    for (int size : {11, 12, 13, 14, 16, 20, 24, 28, 32})
      for (bool aa : {true, false}) {
        FontTextStyle style;
        style.fontPath = set.font;
        style.faceIndex = set.face;
        style.pixelSize = size;
        style.antialias = aa;
        const FontText text = renderFontText(set.text, style);
        const Score s = score(text);
        std::printf("%-12s %2d %s glyphs %3d touching %2d  right %3d/%3d boxes %3d", set.name,
                    size, aa ? "aa  " : "mono", text.glyphs, text.touching, s.right, s.expected,
                    s.boxes);
        for (std::size_t i = 0; i < s.wrongBoxes.size() && i < 6; ++i)
          std::printf(" [%d,%d %dx%d]", s.wrongBoxes[i][0], s.wrongBoxes[i][1],
                      s.wrongBoxes[i][2] - s.wrongBoxes[i][0] + 1,
                      s.wrongBoxes[i][3] - s.wrongBoxes[i][1] + 1);
        std::printf("\n");
      }
}

} // namespace

namespace {
TEST(GlyphGroupingSurvey, Debug) {
  const char *text = std::getenv("GW_TEXT");
  if (text == nullptr)
    GTEST_SKIP();
  FontTextStyle style;
  style.fontPath = std::getenv("GW_FONT") ? std::getenv("GW_FONT") : kWenQuanYi;
  style.pixelSize = std::atoi(std::getenv("GW_SIZE"));
  style.antialias = std::getenv("GW_MONO") == nullptr;
  const FontText t = renderFontText(text, style);
  std::printf("expected:");
  for (const Rect &r : t.glyphBoxes)
    std::printf(" [%d..%d,%d..%d]", r[0], r[2], r[1], r[3]);
  std::printf("\nfound:   ");
  for (const Rect &r : split(t))
    std::printf(" [%d..%d,%d..%d]", r[0], r[2], r[1], r[3]);
  std::printf("\n");
}
} // namespace
