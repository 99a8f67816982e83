#include "training/kept_frames.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "app/text_codec.h"
#include "training/glyph_shapes.h"

namespace {

constexpr double kEngineChildArea = 0.5; // Tesseract's edges_childarea
constexpr double kEngineBoxArea = 0.875; // and edges_boxarea
constexpr double kLowestChildArea = 0.05;
// The same glyph drawn half a pixel further along comes out of the
// threshold a little thinner or thicker; a part that fills a little more
// than half its box may fall under the engine's limit on the screen.
constexpr double kFlaggedFill = 0.65;
constexpr double kMargin = 0.5;
constexpr int kChildrenPerGrandchild = 10; // Tesseract's edges_children_per_grandchild
constexpr int kEngineChildrenLimit = 45;   // and edges_children_count_limit
constexpr int kHighestChildrenLimit = 2000;
// A glyph that counts more than this comes near the engine's limit once the
// screen breaks a stroke more than the sample shows.
constexpr int kFlaggedChildren = 30;
constexpr std::size_t kNamed = 8;
constexpr int kLargestSide = 256;
constexpr std::size_t kMostOutlines = 64;
constexpr std::pair<int, int> kSteps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

// One outline of the glyph: a piece of ink (its outer edge) or a hole (the
// edge around a region of background no way out of the box reaches).
struct Outline {
  std::vector<std::size_t> cells;   // the piece's ink or the hole's background
  std::vector<std::uint8_t> inside; // cells the outline encloses, itself included
  std::size_t enclosed = 0;
  std::size_t boxArea = 0;
};

// The cells an outline made of `cells` encloses: those that cannot reach the
// edge of its bounding box, widened by one, without crossing it (4-connected).
void Enclose(const TrainGlyph &glyph, Outline &outline) {
  int left = glyph.width, right = -1, top = glyph.height, bottom = -1;
  std::vector<std::uint8_t> member(glyph.pixels.size(), 0);
  for (std::size_t cell : outline.cells) {
    member[cell] = 1;
    const int x = int(cell % std::size_t(glyph.width)), y = int(cell / std::size_t(glyph.width));
    left = std::min(left, x);
    right = std::max(right, x);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  outline.boxArea = std::size_t(right - left + 1) * std::size_t(bottom - top + 1);
  // The widened box, in its own coordinates.
  const int w = right - left + 3, h = bottom - top + 3;
  std::vector<std::uint8_t> reached(std::size_t(w) * std::size_t(h), 0);
  std::vector<std::pair<int, int>> stack = {{0, 0}};
  reached[0] = 1;
  while (!stack.empty()) {
    const auto [x, y] = stack.back();
    stack.pop_back();
    for (const auto &[dx, dy] : kSteps) {
      const int nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= w || ny >= h || reached[std::size_t(ny) * w + nx])
        continue;
      const int gx = nx - 1 + left, gy = ny - 1 + top;
      if (gx >= 0 && gy >= 0 && gx < glyph.width && gy < glyph.height &&
          member[std::size_t(gy) * glyph.width + gx])
        continue;
      reached[std::size_t(ny) * w + nx] = 1;
      stack.push_back({nx, ny});
    }
  }
  outline.inside.assign(glyph.pixels.size(), 0);
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      if (!reached[std::size_t(y - top + 1) * w + std::size_t(x - left + 1)]) {
        outline.inside[std::size_t(y) * glyph.width + x] = 1;
        ++outline.enclosed;
      }
}

// Nothing past kMostOutlines: the engine would take such a glyph apart or
// drop it anyway, and enclosing each outline costs the glyph's area.
std::optional<std::vector<Outline>> Outlines(const TrainGlyph &glyph, bool cornersJoin) {
  int pieces = 0;
  const std::vector<int> piece = InkPieces(glyph, pieces, cornersJoin);
  const std::vector<std::uint8_t> outside = OutsideBackground(glyph);
  if (std::size_t(pieces) > kMostOutlines)
    return std::nullopt;
  std::vector<Outline> outlines(static_cast<std::size_t>(pieces));
  for (std::size_t i = 0; i < piece.size(); ++i)
    if (piece[i] != 0)
      outlines[std::size_t(piece[i] - 1)].cells.push_back(i);
  // Holes: 4-connected regions of background outside cannot reach.
  std::vector<std::uint8_t> seen(glyph.pixels.size(), 0);
  for (std::size_t start = 0; start < glyph.pixels.size(); ++start) {
    if (glyph.pixels[start] != 0 || outside[start] || seen[start])
      continue;
    Outline hole;
    std::vector<std::size_t> stack = {start};
    seen[start] = 1;
    while (!stack.empty()) {
      const std::size_t cell = stack.back();
      stack.pop_back();
      hole.cells.push_back(cell);
      const int x = int(cell % std::size_t(glyph.width)), y = int(cell / std::size_t(glyph.width));
      for (const auto &[dx, dy] : kSteps) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= glyph.width || ny >= glyph.height)
          continue;
        const std::size_t next = std::size_t(ny) * glyph.width + nx;
        if (glyph.pixels[next] == 0 && !seen[next]) {
          seen[next] = 1;
          stack.push_back(next);
        }
      }
    }
    outlines.push_back(std::move(hole));
    if (outlines.size() > kMostOutlines)
      return std::nullopt;
  }
  for (Outline &outline : outlines)
    Enclose(glyph, outline);
  return outlines;
}

// Whether outline `j` lies inside outline `i`.
bool Holds(const std::vector<Outline> &outlines, std::size_t i, std::size_t j) {
  return i != j && outlines[i].inside[outlines[j].cells.front()] &&
         !outlines[j].inside[outlines[i].cells.front()];
}

// The engine's count of what an outline holds, with its early ends: each
// outline inside counts one and, while the count leaves room, ten times
// what it holds itself. Inside an outline that fills its box (a frame), an
// outline filling less than `childArea` of its own box ends the count past
// the limit.
int CountChildren(const std::vector<Outline> &outlines, std::size_t parent, int maxCount,
                  double childArea) {
  const Outline &outline = outlines[parent];
  const bool boxy = double(outline.enclosed) >= double(outline.boxArea) * kEngineBoxArea;
  int children = 0, grandchildren = 0;
  for (std::size_t child = 0; child < outlines.size(); ++child) {
    if (!Holds(outlines, parent, child))
      continue;
    ++children;
    if (children <= maxCount) {
      const int maxGrand = (maxCount - children) / kChildrenPerGrandchild;
      grandchildren += maxGrand > 0 ? CountChildren(outlines, child, maxGrand, childArea) *
                                          kChildrenPerGrandchild
                                    : CountChildren(outlines, child, 1, childArea);
    }
    if (children + grandchildren > maxCount)
      return children + grandchildren;
    if (boxy && double(outlines[child].enclosed) < double(outlines[child].boxArea) * childArea)
      return maxCount + 1;
  }
  return children + grandchildren;
}

// Whether the engine keeps every outermost outline with these settings.
bool Kept(const std::vector<Outline> &outlines, double childArea, int limit) {
  for (std::size_t i = 0; i < outlines.size(); ++i) {
    bool outermost = true;
    for (std::size_t j = 0; j < outlines.size() && outermost; ++j)
      outermost = !Holds(outlines, j, i);
    if (outermost && CountChildren(outlines, i, limit, childArea) > limit)
      return false;
  }
  return true;
}

// The fill of the sparsest outline held by an outline that fills its box.
std::optional<double> SparsestHeld(const std::vector<Outline> &outlines) {
  std::optional<double> sparsest;
  for (std::size_t i = 0; i < outlines.size(); ++i) {
    if (double(outlines[i].enclosed) < double(outlines[i].boxArea) * kEngineBoxArea)
      continue;
    for (std::size_t j = 0; j < outlines.size(); ++j)
      if (Holds(outlines, i, j)) {
        const double fill = double(outlines[j].enclosed) / double(outlines[j].boxArea);
        if (!sparsest || fill < *sparsest)
          sparsest = fill;
      }
  }
  return sparsest;
}

} // namespace

std::optional<FrameSettings> SettingsToKeep(const TrainGlyph &glyph) {
  // Screen glyphs are far smaller; a larger sample or one of many pieces is
  // a picture, not a character, and is not worth the time and memory.
  if (glyph.width < 3 || glyph.height < 3 || glyph.width > kLargestSide ||
      glyph.height > kLargestSide ||
      glyph.pixels.size() != std::size_t(glyph.width) * std::size_t(glyph.height))
    return std::nullopt;
  std::optional<FrameSettings> needed;
  // Ink touching only at a corner is one outline or two depending on how
  // the engine follows the edge there; both ways are looked at.
  for (const bool cornersJoin : {true, false}) {
    const std::optional<std::vector<Outline>> found = Outlines(glyph, cornersJoin);
    if (!found || Kept(*found, kFlaggedFill, kFlaggedChildren))
      continue;
    const std::vector<Outline> &outlines = *found;
    FrameSettings settings;
    // Half the sparsest part: the same glyph on the screen, drawn at another
    // fraction of a pixel, comes out with thin diagonal strokes much sparser.
    const std::optional<double> sparsest = SparsestHeld(outlines);
    if (sparsest && *sparsest < kFlaggedFill)
      settings.childArea =
          std::min(kEngineChildArea,
                   std::max(kLowestChildArea, std::floor(*sparsest * kMargin * 100.0) / 100.0));
    // The lowest limit that keeps it; more room never drops it again.
    int low = kEngineChildrenLimit, high = kHighestChildrenLimit;
    while (low < high) {
      const int middle = low + (high - low) / 2;
      if (Kept(outlines, settings.childArea, middle))
        high = middle;
      else
        low = middle + 1;
    }
    const int limit = low;
    // Every piece more inside a hole counts ten: a screen's rendering that
    // breaks a stroke or two more than the sample needs room.
    if (!Kept(outlines, settings.childArea, kFlaggedChildren))
      settings.childrenLimit = limit * 3;
    if (!needed)
      needed = settings;
    needed->childArea = std::min(needed->childArea, settings.childArea);
    needed->childrenLimit = std::max(needed->childrenLimit, settings.childrenLimit);
  }
  return needed;
}

std::optional<KeptFrames> FramesToKeep(const std::vector<TrainGlyph> &glyphs) {
  std::optional<KeptFrames> kept;
  for (const TrainGlyph &glyph : glyphs) {
    const std::optional<FrameSettings> settings = SettingsToKeep(glyph);
    if (!settings)
      continue;
    if (!kept)
      kept = KeptFrames{};
    kept->settings.childArea = std::min(kept->settings.childArea, settings->childArea);
    kept->settings.childrenLimit = std::max(kept->settings.childrenLimit, settings->childrenLimit);
    if (std::find(kept->labels.begin(), kept->labels.end(), glyph.label) == kept->labels.end())
      kept->labels.push_back(glyph.label);
  }
  return kept;
}

std::string KeptFramesConfig(const KeptFrames &frames) {
  std::string text;
  char line[64];
  if (frames.settings.childArea < kEngineChildArea) {
    std::snprintf(line, sizeof line, "edges_childarea %.2f\n", frames.settings.childArea);
    text += line;
  }
  if (frames.settings.childrenLimit > kEngineChildrenLimit)
    text += "edges_children_count_limit " + std::to_string(frames.settings.childrenLimit) + "\n";
  return text;
}

std::string KeptFramesLine(const KeptFrames &frames) {
  std::string named;
  for (std::size_t i = 0; i < frames.labels.size() && i < kNamed; ++i)
    named += (i ? " " : "") + SystemToUtf8(frames.labels[i]);
  if (frames.labels.size() > kNamed)
    named += " 等 " + std::to_string(frames.labels.size()) + " 个字";
  // The config's lines, one after the other.
  std::string settings;
  const std::string config = KeptFramesConfig(frames);
  for (std::size_t start = 0, end; start < config.size(); start = end + 1) {
    end = config.find('\n', start);
    settings += (start ? "，" : "") + config.substr(start, end - start);
  }
  return "识别设置：" + named + " 的外框里另有笔画，Tesseract 默认会把这样的外框当作边框丢弃，" +
         "读成「口」；模型已带上设置（" + settings + "），读取时保留它们。";
}
