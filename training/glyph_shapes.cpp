#include "training/glyph_shapes.h"

#include <utility>

bool HasInk(const TrainGlyph &glyph, int x, int y) {
  return x >= 0 && y >= 0 && x < glyph.width && y < glyph.height &&
         glyph.pixels[std::size_t(y) * std::size_t(glyph.width) + std::size_t(x)] != 0;
}

std::vector<int> InkPieces(const TrainGlyph &glyph, int &count, bool cornersJoin) {
  std::vector<int> piece(glyph.pixels.size(), 0);
  std::vector<std::pair<int, int>> stack;
  count = 0;
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < glyph.width; ++x) {
      if (!HasInk(glyph, x, y) || piece[std::size_t(y) * glyph.width + x] != 0)
        continue;
      ++count;
      piece[std::size_t(y) * glyph.width + x] = count;
      stack.push_back({x, y});
      while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        stack.pop_back();
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = cx + dx, ny = cy + dy;
            if ((dx != 0 && dy != 0 && !cornersJoin) || !HasInk(glyph, nx, ny) ||
                piece[std::size_t(ny) * glyph.width + nx] != 0)
              continue;
            piece[std::size_t(ny) * glyph.width + nx] = count;
            stack.push_back({nx, ny});
          }
      }
    }
  return piece;
}

std::vector<std::uint8_t> OutsideBackground(const TrainGlyph &glyph) {
  std::vector<std::uint8_t> outside(glyph.pixels.size(), 0);
  std::vector<std::pair<int, int>> stack;
  const auto visit = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= glyph.width || y >= glyph.height || HasInk(glyph, x, y))
      return;
    std::uint8_t &cell = outside[std::size_t(y) * glyph.width + x];
    if (cell == 0) {
      cell = 1;
      stack.push_back({x, y});
    }
  };
  for (int x = 0; x < glyph.width; ++x) {
    visit(x, 0);
    visit(x, glyph.height - 1);
  }
  for (int y = 0; y < glyph.height; ++y) {
    visit(0, y);
    visit(glyph.width - 1, y);
  }
  while (!stack.empty()) {
    const auto [x, y] = stack.back();
    stack.pop_back();
    visit(x - 1, y);
    visit(x + 1, y);
    visit(x, y - 1);
    visit(x, y + 1);
  }
  return outside;
}
