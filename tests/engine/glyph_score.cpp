#include "glyph_score.h"

#include "engine_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

namespace engine_test {
namespace {

bool contains(const Rect &outer, const Rect &inner) {
  return inner[0] >= outer[0] && inner[1] >= outer[1] && inner[2] <= outer[2] &&
         inner[3] <= outer[3];
}

} // namespace

std::vector<Rect> split(const FontText &text, float param) {
  int count = 0;
  Block<int> rects(findRect(text.mask.data(), text.width, text.height, &count, param));
  std::vector<Rect> out;
  for (int i = 0; rects.p != nullptr && i < count; ++i)
    out.push_back({rects.p[4 * i], rects.p[4 * i + 1], rects.p[4 * i + 2], rects.p[4 * i + 3]});
  return out;
}

Score score(const FontText &text, const std::vector<Rect> &found) {
  std::map<Rect, int> times;
  for (const Rect &r : found)
    ++times[r];
  Score s;
  s.boxes = int(found.size());
  for (std::size_t i = 0; i < text.glyphBoxes.size(); ++i) {
    if (text.touches[i])
      continue;
    ++s.expected;
    if (times[text.glyphBoxes[i]] == 1) {
      ++s.right;
      continue;
    }
    if (i < text.glyphText.size())
      s.missed += text.glyphText[i] + " ";
    // In pieces: two or more boxes lie within the glyph's box.
    int within = 0;
    for (const Rect &r : found)
      within += contains(text.glyphBoxes[i], r) ? 1 : 0;
    s.pieces += within >= 2 ? 1 : 0;
  }
  for (const Rect &r : found) {
    int held = 0;
    for (const Rect &g : text.glyphBoxes)
      held += contains(r, g) ? 1 : 0;
    if (held >= 2)
      ++s.merged;
    if (held != 1)
      s.wrongBoxes.push_back(r);
  }
  return s;
}

std::string describe(const Score &s) {
  std::string text = std::to_string(s.right) + " of " + std::to_string(s.expected) +
                     " glyphs boxed right, " + std::to_string(s.pieces) + " in pieces, " +
                     std::to_string(s.merged) + " boxes holding several, " +
                     std::to_string(s.boxes) + " boxes; missed: " + s.missed +
                     "; not one glyph each:";
  for (const Rect &r : s.wrongBoxes)
    text += " [" + std::to_string(r[0]) + ".." + std::to_string(r[2]) + ", " +
            std::to_string(r[1]) + ".." + std::to_string(r[3]) + "]";
  return text;
}

void SetTally::add(const Score &s, const std::string &where) {
  right += s.right;
  expected += s.expected;
  merged += s.merged;
  pieces += s.pieces;
  if (s.perfect())
    return;
  const std::string line = "  " + where + ": " + describe(s) + "\n";
  if (std::getenv("GW_SURVEY") != nullptr)
    std::printf("%s %s", name.c_str(), line.c_str());
  if (misses.size() < 4000)
    misses += line;
}

void SetTally::print() const {
  std::printf("%-24s %d of %d boxed right (%.1f %%), %d in pieces, %d merged\n", name.c_str(),
              right, expected, 100.0 * right / std::max(1, expected), pieces, merged);
}

FontText stacked(const FontText &above, int gap, const FontText &below) {
  // Rows of `above` from its first ink to its last, so `gap` is the rows
  // between the two texts' ink.
  auto inkRows = [](const FontText &t) {
    int top = t.height, bottom = -1;
    for (const Rect &g : t.glyphBoxes) {
      top = std::min(top, g[1]);
      bottom = std::max(bottom, g[3]);
    }
    return std::pair{top, bottom};
  };
  const int aboveBottom = inkRows(above).second, belowTop = inkRows(below).first;
  const int shift = aboveBottom + 1 + gap - belowTop; // rows `below` moves by
  FontText out;
  out.width = std::max(above.width, below.width);
  out.height = std::max(above.height, below.height + shift);
  out.mask.assign(std::size_t(out.width) * std::size_t(out.height), 0);
  auto paste = [&](const FontText &t, int dy) {
    for (int y = 0; y < t.height; ++y)
      for (int x = 0; x < t.width; ++x)
        if (t.mask[std::size_t(y) * t.width + x] != 0 && y + dy >= 0 && y + dy < out.height)
          out.mask[std::size_t(y + dy) * out.width + x] = 255;
    for (std::size_t i = 0; i < t.glyphBoxes.size(); ++i) {
      const Rect &r = t.glyphBoxes[i];
      out.glyphBoxes.push_back({r[0], r[1] + dy, r[2], r[3] + dy});
      out.touches.push_back(t.touches[i]);
      out.glyphText.push_back(i < t.glyphText.size() ? t.glyphText[i] : "");
    }
    out.glyphs += t.glyphs;
    out.touching += t.touching;
  };
  paste(above, 0);
  paste(below, shift);
  return out;
}

void addSpecks(FontText &text, int count, int distance, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> column(0, text.width - 1), row(0, text.height - 1);
  auto clear = [&](int cx, int cy) {
    for (int y = std::max(0, cy - distance); y <= std::min(text.height - 1, cy + distance); ++y)
      for (int x = std::max(0, cx - distance); x <= std::min(text.width - 1, cx + distance); ++x)
        if (text.mask[std::size_t(y) * text.width + x] != 0)
          return false;
    return true;
  };
  for (int placed = 0, tries = 0; placed < count && tries < 100000; ++tries) {
    const int x = column(random), y = row(random);
    if (!clear(x, y))
      continue;
    text.mask[std::size_t(y) * text.width + x] = 255;
    ++placed;
  }
}

Rect addFrame(FontText &text, int margin, int thickness) {
  Rect ink{text.width, text.height, -1, -1};
  for (const Rect &g : text.glyphBoxes)
    ink = {std::min(ink[0], g[0]), std::min(ink[1], g[1]), std::max(ink[2], g[2]),
           std::max(ink[3], g[3])};
  const Rect frame{ink[0] - margin - thickness, ink[1] - margin - thickness,
                   ink[2] + margin + thickness, ink[3] + margin + thickness};
  if (frame[0] < 0 || frame[1] < 0 || frame[2] >= text.width || frame[3] >= text.height)
    return {0, 0, -1, -1};
  for (int y = frame[1]; y <= frame[3]; ++y)
    for (int x = frame[0]; x <= frame[2]; ++x) {
      const bool edge = x < frame[0] + thickness || x > frame[2] - thickness ||
                        y < frame[1] + thickness || y > frame[3] - thickness;
      if (edge)
        text.mask[std::size_t(y) * text.width + x] = 255;
    }
  return frame;
}

} // namespace engine_test
