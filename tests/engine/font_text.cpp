#include "font_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <numeric>

namespace engine_test {
namespace {

std::u32string decodeUtf8(const std::string &text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t code = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out.push_back(code);
    i += std::size_t(extra) + 1;
  }
  return out;
}

struct Library {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Library() {
    if (face != nullptr)
      FT_Done_Face(face);
    if (library != nullptr)
      FT_Done_FreeType(library);
  }
};

struct PlacedGlyph {
  std::vector<std::array<int, 2>> ink; // x, y
  char32_t code = 0;
};

void appendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | (c >> 18));
    out += char(0x80 | ((c >> 12) & 0x3F));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

int findRoot(std::vector<int> &parent, int i) {
  while (parent[i] != i)
    i = parent[i] = parent[parent[i]];
  return i;
}

} // namespace

FontText renderFontText(const std::string &utf8, const FontTextStyle &style) {
  FontText result;
  Library ft;
  if (FT_Init_FreeType(&ft.library) != 0 ||
      FT_New_Face(ft.library, style.fontPath.c_str(), style.faceIndex, &ft.face) != 0 ||
      FT_Set_Pixel_Sizes(ft.face, 0, FT_UInt(style.pixelSize)) != 0)
    return result;
  const FT_Int32 loadFlags =
      FT_LOAD_RENDER | (style.antialias ? FT_LOAD_TARGET_NORMAL
                                        : FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
  const int ascender = int(ft.face->size->metrics.ascender >> 6);
  const int lineHeight = int(ft.face->size->metrics.height >> 6) + style.lineSpacing;
  const int margin = style.pixelSize;

  std::vector<PlacedGlyph> glyphs;
  int penX = margin, baseline = margin + ascender, right = 0, bottom = 0;
  FT_UInt previous = 0;
  for (char32_t code : decodeUtf8(utf8)) {
    if (code == U'\n') {
      penX = margin;
      baseline += lineHeight;
      previous = 0;
      continue;
    }
    const FT_UInt index = FT_Get_Char_Index(ft.face, code);
    if (previous != 0 && index != 0 && FT_HAS_KERNING(ft.face)) {
      FT_Vector kern;
      if (FT_Get_Kerning(ft.face, previous, index, FT_KERNING_DEFAULT, &kern) == 0)
        penX += int(kern.x >> 6);
    }
    previous = index;
    if (FT_Load_Glyph(ft.face, index, loadFlags) != 0)
      continue;
    const FT_GlyphSlot slot = ft.face->glyph;
    const FT_Bitmap &bitmap = slot->bitmap;
    PlacedGlyph glyph;
    glyph.code = code;
    for (unsigned row = 0; row < bitmap.rows; ++row)
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const unsigned char *line = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
        const bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO
                             ? (line[column / 8] >> (7 - column % 8)) & 1
                             : line[column] >= std::clamp(style.cut, 1, 255);
        if (ink)
          glyph.ink.push_back({penX + slot->bitmap_left + int(column),
                               baseline - slot->bitmap_top + int(row)});
      }
    penX += int(slot->advance.x >> 6) + style.letterSpacing;
    for (const auto &p : glyph.ink) {
      right = std::max(right, p[0]);
      bottom = std::max(bottom, p[1]);
    }
    right = std::max(right, penX);
    bottom = std::max(bottom, baseline);
    if (!glyph.ink.empty())
      glyphs.push_back(std::move(glyph));
  }

  result.width = right + margin;
  result.height = bottom + margin;
  result.mask.assign(std::size_t(result.width) * result.height, 0);
  // Which glyph owns each pixel; glyphs meeting on a pixel or side by side
  // (8-connected) become one group.
  std::vector<int> owner(result.mask.size(), -1);
  std::vector<int> parent(glyphs.size());
  std::iota(parent.begin(), parent.end(), 0);
  auto join = [&](int a, int b) { parent[findRoot(parent, a)] = findRoot(parent, b); };
  for (int g = 0; g < int(glyphs.size()); ++g)
    for (const auto &p : glyphs[g].ink) {
      const std::size_t at = std::size_t(p[1]) * result.width + p[0];
      result.mask[at] = 255;
      if (owner[at] >= 0 && owner[at] != g)
        join(owner[at], g);
      owner[at] = g;
    }
  for (int y = 0; y < result.height; ++y)
    for (int x = 0; x < result.width; ++x) {
      const int here = owner[std::size_t(y) * result.width + x];
      if (here < 0)
        continue;
      for (int dy = 0; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if ((dy == 0 && dx <= 0) || x + dx < 0 || x + dx >= result.width || y + dy >= result.height)
            continue;
          const int there = owner[std::size_t(y + dy) * result.width + x + dx];
          if (there >= 0 && there != here)
            join(here, there);
        }
    }
  result.glyphs = int(glyphs.size());
  std::vector<int> groupOf(glyphs.size(), -1), members(glyphs.size(), 0);
  for (int g = 0; g < int(glyphs.size()); ++g)
    ++members[findRoot(parent, g)];
  for (int g = 0; g < int(glyphs.size()); ++g) {
    const int root = findRoot(parent, g);
    if (members[root] > 1)
      ++result.touching;
    if (groupOf[root] < 0) {
      groupOf[root] = int(result.glyphBoxes.size());
      result.glyphBoxes.push_back({result.width, result.height, -1, -1});
      result.touches.push_back(members[root] > 1);
      result.glyphText.emplace_back();
    }
    appendUtf8(result.glyphText[std::size_t(groupOf[root])], glyphs[g].code);
    Rect &box = result.glyphBoxes[std::size_t(groupOf[root])];
    for (const auto &p : glyphs[g].ink) {
      box[0] = std::min(box[0], p[0]);
      box[1] = std::min(box[1], p[1]);
      box[2] = std::max(box[2], p[0]);
      box[3] = std::max(box[3], p[1]);
    }
  }
  return result;
}

} // namespace engine_test
