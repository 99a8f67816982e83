#include "training/glyph_retry_copies.h"

#include "training/glyph_shapes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// How thick the stroke through each ink cell is: the shorter of its
// horizontal and vertical run of ink. Half of the ink or more in strokes of
// two pixels or more counts as a glyph with such strokes.
bool StrokesAtLeastTwoWide(const TrainGlyph &glyph) {
  // The length of the run of ink through each cell, along (dx, dy).
  auto runs = [&](int dx, int dy) {
    std::vector<int> length(glyph.pixels.size(), 0);
    for (int y = 0; y < glyph.height; ++y)
      for (int x = 0; x < glyph.width; ++x) {
        if (!HasInk(glyph, x, y) || HasInk(glyph, x - dx, y - dy))
          continue; // not the start of a run
        int n = 0;
        while (HasInk(glyph, x + n * dx, y + n * dy))
          ++n;
        for (int i = 0; i < n; ++i)
          length[std::size_t(y + i * dy) * glyph.width + std::size_t(x + i * dx)] = n;
      }
    return length;
  };
  const std::vector<int> across = runs(1, 0), down = runs(0, 1);
  std::size_t ink = 0, thick = 0;
  for (std::size_t i = 0; i < glyph.pixels.size(); ++i)
    if (glyph.pixels[i] != 0) {
      ++ink;
      thick += std::min(across[i], down[i]) >= 2;
    }
  return ink > 0 && thick * 2 >= ink;
}

// The glyph cut down to its ink; rows cut off below raise its bottom.
TrainGlyph Cropped(const TrainGlyph &glyph) {
  int left = glyph.width, right = -1, top = glyph.height, bottom = -1;
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < glyph.width; ++x)
      if (HasInk(glyph, x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  TrainGlyph cropped;
  cropped.label = glyph.label;
  if (right < 0)
    return cropped;
  cropped.width = right - left + 1;
  cropped.height = bottom - top + 1;
  cropped.bottom = glyph.bottom + (glyph.height - 1 - bottom);
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      cropped.pixels.push_back(HasInk(glyph, x, y) ? 1 : 0);
  return cropped;
}

} // namespace

std::optional<TrainGlyph> OpenedGlyph(const TrainGlyph &glyph) {
  if (glyph.width < 3 || glyph.height < 3)
    return std::nullopt;
  const std::vector<std::uint8_t> outside = OutsideBackground(glyph);
  const std::size_t enclosed =
      std::size_t(std::count(outside.begin(), outside.end(), std::uint8_t(0)));
  // The tools call an outline a frame from 0.875 of its box (0.9 when
  // training); a little lower still catches the glyphs they drop.
  if (enclosed * 20 < glyph.pixels.size() * 17)
    return std::nullopt;
  const auto hole = [&](int x, int y) {
    return !HasInk(glyph, x, y) && outside[std::size_t(y) * glyph.width + x] == 0;
  };
  // Columns from the middle outwards; the edge's stroke must be at most a
  // quarter of the glyph's height thick, so the cut stays a cut.
  const int middle = glyph.width / 2;
  for (int offset = 0; offset <= glyph.width / 2; ++offset)
    for (const int x : {middle - offset, middle + offset})
      for (const int step : {-1, 1}) { // up from the bottom, down from the top
        if (x <= 0 || x >= glyph.width - 1)
          continue;
        const int start = step < 0 ? glyph.height - 1 : 0;
        int y = start;
        while (y >= 0 && y < glyph.height && HasInk(glyph, x, y))
          y += step;
        const int run = (y - start) * step;
        if (run == 0 || run > std::max(1, glyph.height / 4) || y < 0 || y >= glyph.height ||
            !hole(x, y))
          continue;
        TrainGlyph opened = glyph;
        for (int r = start; r != y; r += step)
          opened.pixels[std::size_t(r) * glyph.width + x] = 0;
        return Cropped(opened);
      }
  return std::nullopt;
}

TrainGlyph CutOutGlyph(const TrainingPage &page, const PageGlyph &placed) {
  TrainGlyph glyph;
  glyph.label = placed.label;
  glyph.bottom = placed.bottom;
  glyph.width = std::max(0, std::min(placed.right, page.width) - placed.left);
  glyph.height = std::max(0, std::min(placed.top + placed.height, page.height) - placed.top);
  if (placed.left < 0 || placed.top < 0)
    glyph.width = glyph.height = 0;
  glyph.pixels.reserve(std::size_t(glyph.width) * std::size_t(glyph.height));
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < glyph.width; ++x)
      glyph.pixels.push_back(page.pixels[std::size_t(placed.top + y) * std::size_t(page.width) +
                                         std::size_t(placed.left + x)] == 0);
  return glyph;
}

TrainGlyph ThickenedGlyph(const TrainGlyph &glyph) {
  TrainGlyph thick = glyph;
  thick.width = glyph.width + 1;
  thick.pixels.assign(std::size_t(thick.width) * std::size_t(thick.height), 0);
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < thick.width; ++x)
      thick.pixels[std::size_t(y) * thick.width + x] =
          HasInk(glyph, x, y) || HasInk(glyph, x - 1, y);
  return thick;
}

std::optional<TrainGlyph> ThinnedGlyph(const TrainGlyph &glyph) {
  if (!StrokesAtLeastTwoWide(glyph))
    return std::nullopt;
  TrainGlyph thin = glyph;
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < glyph.width; ++x)
      thin.pixels[std::size_t(y) * glyph.width + x] =
          HasInk(glyph, x, y) && HasInk(glyph, x + 1, y);
  // Every piece of the glyph must keep exactly one piece of the copy: no
  // piece erased, none broken.
  int pieces = 0, thinPieces = 0;
  const std::vector<int> piece = InkPieces(glyph, pieces);
  const std::vector<int> thinPiece = InkPieces(thin, thinPieces);
  if (thinPieces != pieces)
    return std::nullopt;
  std::vector<int> kept(std::size_t(pieces) + 1, 0);
  for (std::size_t i = 0; i < thinPiece.size(); ++i)
    if (thinPiece[i] != 0) {
      int &mapped = kept[std::size_t(piece[i])];
      if (mapped != 0 && mapped != thinPiece[i])
        return std::nullopt;
      mapped = thinPiece[i];
    }
  return Cropped(thin);
}
