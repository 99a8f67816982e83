// How shapes become glyphs, in stages that each run over all shapes or one
// text line at a time:
//  1. Specks: shapes of a tenth of the text's height (or one pixel) with no
//     ink around them take no part in lines or their measures.
//  2. Frames, table rules and underlines (far taller than the typical shape,
//     or long and thin) join nothing.
//  3. Lines: the other shapes whose rows overlap, chained; a thin row of dots
//     joins the line it belongs to, a caption stays apart from a headline.
//  4. Within a line: stacked marks (i j ! ? ; = 二), pieces enclosed by
//     another (the dot in a zero), the rings of %; the strokes of a quotation
//     mark in the upper half of the line.
//  5. The line's evidence (weighLine): its square-glyph height and bottom,
//     x-height letters, descenders, square glyphs, strokes, broken pieces,
//     and which shapes are Latin letters or digits. On lines of square text
//     (Chinese, Japanese, Korean) pieces side by side join up to a glyph's
//     width; the Latin letters and digits among them join nothing.
//  6. A speck close over or under the end of a stem is its dot; a crumb of
//     one or two pixels beside one glyph's edge is part of it.
//  7. A small glyph whose box lies inside another glyph's box joins it,
//     unless that box frames two glyphs.
// The numbers are fractions of a line's glyph height, found by drawing real
// faces at 11 to 36 pixels (the scored sets in tests/engine).
#include "engine/glyph_grouping.h"

#include "engine/box_grid.h"

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <optional>

namespace morvexa {
namespace {

// Products of sizes in 64 bits: a mask may be 30 million pixels long.
std::int64_t i64(std::int64_t v) {
  return v;
}

struct Box {
  int left, top, right, bottom;
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
  bool operator==(const Box &) const = default;
};

Box boxOf(const Shape &s) {
  return {s.left, s.top, s.right, s.bottom};
}
Box unite(const Box &a, const Box &b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}
int xOverlap(const Box &a, const Box &b) {
  return std::min(a.right, b.right) - std::max(a.left, b.left) + 1;
}
int yOverlap(const Box &a, const Box &b) {
  return std::min(a.bottom, b.bottom) - std::max(a.top, b.top) + 1;
}
bool inside(const Box &inner, const Box &outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}

// Union-find over shapes, keeping each group's box.
class Groups {
public:
  explicit Groups(const std::vector<Shape> &shapes) : parent_(shapes.size()) {
    std::iota(parent_.begin(), parent_.end(), 0);
    box_.reserve(shapes.size());
    for (const Shape &s : shapes)
      box_.push_back(boxOf(s));
  }
  int find(int i) {
    while (parent_[std::size_t(i)] != i)
      i = parent_[std::size_t(i)] = parent_[std::size_t(parent_[std::size_t(i)])];
    return i;
  }
  void join(int a, int b) {
    a = find(a);
    b = find(b);
    if (a == b)
      return;
    parent_[std::size_t(b)] = a;
    box_[std::size_t(a)] = unite(box_[std::size_t(a)], box_[std::size_t(b)]);
  }
  const Box &box(int i) { return box_[std::size_t(find(i))]; }

private:
  std::vector<int> parent_;
  std::vector<Box> box_;
};

// The height four fifths of the values reach up to.
int upperFifthOf(std::vector<int> values) {
  if (values.empty())
    return 0;
  const auto at = values.begin() + std::ptrdiff_t(values.size() * 4 / 5);
  std::nth_element(values.begin(), at, values.end());
  return *at;
}

struct Line {
  int top, bottom;
  std::vector<int> shapes;
  int height() const { return bottom - top + 1; }
};

// Rows of text: shapes whose rows overlap, chained. A row at most a third as
// high as its neighbour, with no more shapes, and closer to it than half that
// neighbour's height (the dots of "ij" over a line without tall letters)
// belongs to that neighbour. Specks take no part.
// Frames, table rules and underlines: a shape more than four times as high
// as the typical shape, or ten times as wide while thinner than it. They
// would chain every line they cross into one and swallow the text they
// surround, so they stay boxes of their own and join nothing.
std::vector<bool> outsized(const std::vector<Shape> &shapes, const std::vector<bool> &specks) {
  std::vector<int> heights;
  heights.reserve(shapes.size());
  for (std::size_t i = 0; i < shapes.size(); ++i)
    if (!specks[i])
      heights.push_back(shapes[i].bottom - shapes[i].top + 1);
  std::vector<bool> result(shapes.size(), false);
  if (heights.empty())
    return result;
  // Glyphs by the upper fifth of the heights (a line of marks has more dots
  // than glyphs). A frame around a few glyphs may itself be in the upper
  // fifth: a shape four times the median, holding two shapes or more, is
  // one too when it stands higher than the glyphs.
  std::vector<int> sorted = heights;
  const std::int64_t typical = upperFifthOf(std::move(heights));
  std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2), sorted.end());
  const std::int64_t middle = sorted[sorted.size() / 2];
  std::vector<Box> boxes;
  boxes.reserve(shapes.size());
  for (const Shape &shape : shapes)
    boxes.push_back(boxOf(shape));
  std::optional<boxgrid::Grid<Box>> grid;
  std::vector<bool> holds(shapes.size(), false);
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    if (specks[i])
      continue;
    const std::int64_t h = boxes[i].height(), w = boxes[i].width();
    result[i] = h > 4 * typical || (w > 10 * typical && h < typical);
    // Strokes are as high but narrow; a frame is as wide as what it holds.
    if (result[i] || h <= 4 * middle || w <= 2 * middle)
      continue;
    if (!grid)
      grid.emplace(boxes, 2 * middle);
    int held = 0;
    grid->inside(i, [&](std::size_t) { return ++held < 2; });
    holds[i] = held >= 2;
  }
  if (!grid)
    return result;
  // Higher than the glyphs (the shapes holding none) and their margins: 国
  // holds its pieces but is no higher than the glyphs beside it.
  std::vector<int> glyphHeights;
  for (std::size_t i = 0; i < shapes.size(); ++i)
    if (!specks[i] && !holds[i])
      glyphHeights.push_back(boxes[i].height());
  const std::int64_t glyph = glyphHeights.empty() ? typical : upperFifthOf(std::move(glyphHeights));
  for (std::size_t i = 0; i < shapes.size(); ++i)
    if (holds[i] && 5 * i64(boxes[i].height()) > 6 * glyph + 10)
      result[i] = true;
  return result;
}

std::vector<Line> formLines(const std::vector<Shape> &shapes, const std::vector<bool> &aside) {
  std::vector<int> order;
  order.reserve(shapes.size());
  for (int i = 0; i < int(shapes.size()); ++i)
    if (!aside[std::size_t(i)])
      order.push_back(i);
  std::sort(order.begin(), order.end(),
            [&](int a, int b) { return shapes[std::size_t(a)].top < shapes[std::size_t(b)].top; });
  std::vector<Line> bands;
  for (int i : order) {
    const Shape &s = shapes[std::size_t(i)];
    if (bands.empty() || s.top > bands.back().bottom)
      bands.push_back({s.top, s.bottom, {}});
    bands.back().bottom = std::max(bands.back().bottom, s.bottom);
    bands.back().shapes.push_back(i);
  }
  const int n = int(bands.size());
  std::vector<int> target(std::size_t(n), -1);
  for (int k = 0; k < n; ++k) {
    const Line &band = bands[std::size_t(k)];
    int bestGap = 0;
    for (int other : {k - 1, k + 1}) {
      if (other < 0 || other >= n)
        continue;
      const Line &near = bands[std::size_t(other)];
      const int gap = other < k ? band.top - near.bottom - 1 : near.top - band.bottom - 1;
      // A row of dots is a third of its neighbour's height at most and has
      // no more shapes than it; a caption over a headline is taller or has
      // more letters, and stays a line of its own.
      if (3 * i64(band.height()) <= near.height() && 2 * i64(gap) <= near.height() &&
          band.shapes.size() <= near.shapes.size() &&
          (target[std::size_t(k)] < 0 || gap < bestGap)) {
        target[std::size_t(k)] = other;
        bestGap = gap;
      }
    }
  }
  std::vector<Line> lines;
  std::vector<int> lineOf(std::size_t(n), -1);
  for (int k = 0; k < n; ++k) {
    // A thin band's target is never thin towards it, so one step suffices.
    const int home = target[std::size_t(k)] >= 0 ? target[std::size_t(k)] : k;
    if (lineOf[std::size_t(home)] < 0) {
      lineOf[std::size_t(home)] = int(lines.size());
      lines.push_back({bands[std::size_t(home)].top, bands[std::size_t(home)].bottom, {}});
    }
    Line &line = lines[std::size_t(lineOf[std::size_t(home)])];
    line.top = std::min(line.top, bands[std::size_t(k)].top);
    line.bottom = std::max(line.bottom, bands[std::size_t(k)].bottom);
    line.shapes.insert(line.shapes.end(), bands[std::size_t(k)].shapes.begin(),
                       bands[std::size_t(k)].shapes.end());
  }
  return lines;
}

// Whether the ink of shape `outer` surrounds `inner` on at least three of four
// sides (the dot inside a zero, the inner square of 回), looking outwards
// from the middle of inner. A period tucked under the bar of a T is not.
bool enclosed(const Box &inner, const Box &outer, int outerLabel, const ShapeLabels &labels) {
  const int cx = (inner.left + inner.right) / 2, cy = (inner.top + inner.bottom) / 2;
  int sides = 0;
  for (int x = inner.left - 1; x >= outer.left; --x)
    if (labels.at(x, cy) == outerLabel) {
      ++sides;
      break;
    }
  for (int x = inner.right + 1; x <= outer.right; ++x)
    if (labels.at(x, cy) == outerLabel) {
      ++sides;
      break;
    }
  for (int y = inner.top - 1; y >= outer.top; --y)
    if (labels.at(cx, y) == outerLabel) {
      ++sides;
      break;
    }
  for (int y = inner.bottom + 1; y <= outer.bottom; ++y)
    if (labels.at(cx, y) == outerLabel) {
      ++sides;
      break;
    }
  return sides >= 3;
}


// Marks of one glyph above each other or around each other. Two marks
// together stay within one and a half glyph heights of the line: rows of
// two columns of text that chain into one line (their lines at different
// heights) do not join a glyph to the one below it, nor does noise grow
// into blobs.
struct Nearest {
  int shape = -1, gap = 0;
};

void joinOverlapping(const std::vector<Shape> &shapes, std::vector<int> &members, Groups &groups,
                     const ShapeLabels &labels, std::vector<Nearest> &nearest) {
  std::sort(members.begin(), members.end(), [&](int a, int b) {
    return shapes[std::size_t(a)].left < shapes[std::size_t(b)].left;
  });
  // Measured on the shapes half as high as the tallest or more: a line of
  // marks and dotted letters has more dots and commas than glyphs.
  int tallest = 0;
  for (int i : members)
    tallest = std::max(tallest, shapes[std::size_t(i)].bottom - shapes[std::size_t(i)].top + 1);
  std::vector<int> heights;
  heights.reserve(members.size());
  for (int i : members) {
    const int h = shapes[std::size_t(i)].bottom - shapes[std::size_t(i)].top + 1;
    if (2 * h >= tallest)
      heights.push_back(h);
  }
  const int glyphHeight = upperFifthOf(std::move(heights));
  const int highest = glyphHeight + glyphHeight / 2 + 1;
  // Shapes met so far whose columns may still overlap, by rows in bands of
  // `highest`: a shape can only join shapes in its own and the next bands.
  int lineTop = shapes[std::size_t(members.front())].top, lineBottom = lineTop;
  for (int i : members) {
    lineTop = std::min(lineTop, shapes[std::size_t(i)].top);
    lineBottom = std::max(lineBottom, shapes[std::size_t(i)].bottom);
  }
  std::vector<std::vector<int>> active(std::size_t((lineBottom - lineTop) / highest + 1));
  for (int i : members) {
    const Box b = boxOf(shapes[std::size_t(i)]);
    const int first = std::max(0, (b.bottom - highest - lineTop) / highest);
    const int last = std::min(int(active.size()) - 1, (b.top + highest - lineTop) / highest);
    for (int band = first; band <= last; ++band) {
      std::vector<int> &near = active[std::size_t(band)];
      std::erase_if(near, [&](int j) { return shapes[std::size_t(j)].right < b.left; });
      for (int j : near) {
        const Box a = boxOf(shapes[std::size_t(j)]);
        const int overlap = xOverlap(a, b);
        if (overlap <= 0 || unite(a, b).height() > highest)
          continue;
        const int narrower = std::min(a.width(), b.width());
        if (inside(b, a) || inside(a, b)) {
          const bool bInA = inside(b, a);
          if (enclosed(bInA ? b : a, bInA ? a : b, (bInA ? j : i) + 1, labels))
            groups.join(j, i);
        } else if (yOverlap(a, b) <= 0) {
          // Dot of i, j, !, ?, ;, the bars of =: the smaller mark goes to
          // the nearest of the marks above and below it, not to the letter
          // of the line above that stands as close to an i's dot.
          if (2 * overlap >= narrower) {
            const Box &big = a.height() != b.height() ? (a.height() > b.height() ? a : b)
                                                      : (a.width() >= b.width() ? a : b);
            const int small = &big == &a ? i : j, other = &big == &a ? j : i;
            const int gap = -yOverlap(a, b);
            Nearest &n = nearest[std::size_t(small)];
            if (n.shape < 0 || gap < n.gap)
              n = {other, gap};
          }
        } else {
          // The rings and the bar of %: one lies within the rows of the other.
          const bool rowsWithin =
              (a.top >= b.top && a.bottom <= b.bottom) || (b.top >= a.top && b.bottom <= a.bottom);
          if (4 * overlap >= 3 * narrower || (rowsWithin && 3 * overlap >= narrower))
            groups.join(j, i);
        }
      }
    }
    active[std::size_t((b.top - lineTop) / highest)].push_back(i);
  }
  for (int i : members) {
    Nearest &n = nearest[std::size_t(i)];
    if (n.shape >= 0)
      groups.join(n.shape, i);
    n = {};
  }
}

struct Cluster {
  int root;
  Box box;
};

// Two small upright marks side by side at the same height in the upper half
// of the line: the strokes of " and of Chinese quotation marks.
void joinMarkPairs(std::vector<Cluster> &clusters, const Line &line, Groups &groups) {
  // Small against the glyphs too, not only the line: lines of two columns
  // that chain into one tall row would make every letter small.
  std::vector<int> heights;
  for (const Cluster &c : clusters)
    heights.push_back(c.box.height());
  const int glyphHeight = upperFifthOf(std::move(heights));
  auto mark = [&](const Box &b) {
    return 20 * i64(b.height()) <= 9 * i64(line.height()) && 2 * i64(b.height()) <= glyphHeight &&
           4 * i64(b.height()) >= 5 * i64(b.width()) &&
           2 * i64(b.bottom - line.top + 1) <= line.height();
  };
  for (std::size_t k = 0; k + 1 < clusters.size(); ++k) {
    const Box &a = clusters[k].box, &b = clusters[k + 1].box;
    const int tolerance = std::max(1, std::max(a.height(), b.height()) / 4);
    const int gap = b.left - a.right - 1;
    if (mark(a) && mark(b) && std::abs(a.top - b.top) <= tolerance &&
        std::abs(a.bottom - b.bottom) <= tolerance && gap <= std::max(a.height(), b.height())) {
      groups.join(clusters[k].root, clusters[k + 1].root);
      clusters[k + 1].box = unite(a, b);
      clusters[k + 1].root = groups.find(clusters[k].root);
      clusters[k].root = -1;
      ++k;
    }
  }
  std::erase_if(clusters, [](const Cluster &c) { return c.root < 0; });
}

int median(std::vector<int> values) {
  if (values.empty())
    return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Counts of shapes sharing their top and bottom rows, to a pixel either way.
class RowsIndex {
public:
  template <typename Keep> RowsIndex(const std::vector<Cluster> &clusters, Keep keep) {
    for (const Cluster &c : clusters)
      if (keep(c))
        ++count_[{c.box.top, c.box.bottom}];
  }
  int alike(const Box &b) const {
    int n = 0;
    for (int dt = -1; dt <= 1; ++dt)
      for (int db = -1; db <= 1; ++db) {
        const auto found = count_.find({b.top + dt, b.bottom + db});
        n += found == count_.end() ? 0 : found->second;
      }
    return n;
  }

private:
  std::map<std::pair<int, int>, int> count_;
};

// What a line of text shows about its glyphs, measured on its clusters (the
// shapes after stacked marks joined).
struct LineEvidence {
  int square = 0;            // the median height of the line's tall clusters
  int squareGlyphHeight = 0; // the height of its square glyphs (digits among them lower the median)
  int squareBottom = 0;      // where most full-height clusters end
  std::vector<bool> latin;   // per cluster: a Latin letter or digit, a glyph by itself
  bool lowercase = false;    // several x-height letters on one baseline
  bool descenders = false;   // two clusters reach well below the square bottom
  int squareGlyphs = 0;      // clusters as wide as high at full height (国, or 定 of two shapes)
  int aboveLatin = 0;        // of them, those half again as high as the x-height letters
  int clusters = 0;
  bool squareSingle = false; // one of them a single shape (a % of three shapes is not)
  bool strokes = false;      // most tall clusters narrow strokes (川 北 引)
  bool broken = false;       // most clusters pieces of glyphs (strokes a threshold broke)
};

// `clusters` come sorted by their left edge, as joinSquareParts takes them.
LineEvidence weighLine(const std::vector<Cluster> &clusters, const Line &line,
                       const std::function<bool(int)> &singleShape) {
  LineEvidence e;
  std::vector<int> tallHeights;
  for (const Cluster &c : clusters)
    if (10 * i64(c.box.height()) >= 7 * i64(line.height()))
      tallHeights.push_back(c.box.height());
  e.square = median(tallHeights);
  e.squareGlyphHeight = std::max(e.square, upperFifthOf(tallHeights));
  e.latin.assign(clusters.size(), false);
  e.clusters = int(clusters.size());
  if (e.square < 4)
    return e;
  const std::int64_t square = e.square, glyph = e.squareGlyphHeight;

  const int tall = int((85 * glyph + 99) / 100);
  std::map<int, int> bottoms;
  for (const Cluster &c : clusters)
    if (c.box.height() >= tall)
      ++bottoms[c.box.bottom];
  int mostBottoms = 0;
  for (const auto &[bottom, times] : bottoms)
    if (times > mostBottoms) {
      mostBottoms = times;
      e.squareBottom = bottom;
    }
  // x-height letters: as wide as half their height, 62-82 % of the square
  // height, standing where most glyphs end, two or more between the same
  // rows (a c e o s). Pieces of square glyphs seldom end there.
  // Where most glyphs end: the baseline of Latin text (descenders aside).
  std::map<int, int> lowerEnds;
  for (const Cluster &c : clusters)
    if (2 * i64(c.box.height()) >= square)
      ++lowerEnds[c.box.bottom];
  int baseline = e.squareBottom, mostEnds = 0;
  for (const auto &[bottom, times] : lowerEnds)
    if (times > mostEnds) {
      mostEnds = times;
      baseline = bottom;
    }
  const RowsIndex byRows(clusters, [](const Cluster &c) { return 2 * c.box.width() >= c.box.height(); });
  int best = 0;
  std::vector<bool> xHeight(clusters.size(), false);
  for (std::size_t k = 0; k < clusters.size(); ++k) {
    const Box &b = clusters[k].box;
    if (100 * i64(b.height()) < 62 * square || 100 * i64(b.height()) > 82 * square ||
        2 * i64(b.width()) < b.height() || std::abs(b.bottom - baseline) > 1)
      continue;
    const int alike = byRows.alike(b);
    xHeight[k] = alike >= 2;
    best = std::max(best, alike);
  }
  e.lowercase = best >= 2 && 100 * i64(best) >= 15 * i64(clusters.size());
  std::vector<int> xHeights;
  for (std::size_t k = 0; k < clusters.size(); ++k)
    if (xHeight[k])
      xHeights.push_back(clusters[k].box.height());
  // The lower heights: digits stand on the baseline beside the letters.
  std::sort(xHeights.begin(), xHeights.end());
  const std::int64_t letterHeight = xHeights.empty() ? 0 : xHeights[xHeights.size() / 5];

  // Descenders (j g ; , p y) reach well below where the tall glyphs stand;
  // square glyphs keep within their em box.
  const int descent = e.squareBottom + std::max(2, e.square / 6);
  std::vector<bool> descender(clusters.size(), false);
  int descending = 0;
  for (std::size_t k = 0; k < clusters.size(); ++k) {
    descender[k] = !bottoms.empty() && clusters[k].box.bottom >= descent &&
                   clusters[k].box.height() < tall;
    descending += clusters[k].box.bottom >= descent ? 1 : 0;
  }
  e.descenders = !bottoms.empty() && descending >= 2;

  std::vector<int> squareHeights;
  for (const Cluster &c : clusters) {
    const Box &b = c.box;
    if (20 * i64(b.height()) < 19 * square || 20 * i64(b.width()) < 17 * i64(b.height()))
      continue;
    if (singleShape(c.root) && 20 * i64(b.width()) >= 17 * i64(b.height()) &&
        10 * i64(b.width()) <= 11 * i64(b.height()))
      e.squareSingle = true;
    if (10 * i64(b.width()) <= 12 * i64(b.height())) {
      ++e.squareGlyphs;
      squareHeights.push_back(b.height());
      e.aboveLatin += 5 * i64(b.height()) >= 8 * letterHeight ? 1 : 0;
    }
  }
  if (e.squareSingle)
    e.squareGlyphs = std::max(e.squareGlyphs, 1);
  // The square glyphs' own height, where they show: digits as tall as
  // them nearly would pull the line's figures down.
  e.squareGlyphHeight = std::max(e.squareGlyphHeight, median(squareHeights));

  int tallShapes = 0, narrowShapes = 0;
  for (const Cluster &c : clusters)
    if (100 * i64(c.box.height()) >= 85 * square) {
      ++tallShapes;
      narrowShapes += 20 * i64(c.box.width()) < 9 * i64(c.box.height()) ? 1 : 0;
    }
  e.strokes = tallShapes >= 3 && 5 * narrowShapes >= 2 * tallShapes;

  // Pieces: shorter than the glyphs and no mere dots; a line of digits and
  // capitals has whole glyphs and a few marks.
  int pieces = 0, sizable = 0;
  for (const Cluster &c : clusters) {
    if (4 * i64(c.box.height()) < square && 4 * i64(c.box.width()) < square)
      continue; // crumbs and dots tell nothing
    ++sizable;
    pieces += 100 * i64(c.box.height()) < 85 * square && 4 * i64(c.box.height()) >= square &&
                      4 * i64(c.box.width()) >= square
                  ? 1
                  : 0;
  }
  e.broken = pieces >= 3 && 10 * i64(pieces) >= 4 * i64(sizable);

  // Latin letters and digits among square glyphs: x-height letters,
  // descenders, and single shapes lower than the square glyphs, as wide as a
  // digit, level with the one beside them (12 in 金币：12).
  auto digitLike = [&](std::size_t k) {
    const Box &b = clusters[k].box;
    return singleShape(clusters[k].root) && 10 * i64(b.width()) >= 3 * i64(b.height()) &&
           100 * i64(b.height()) >= 60 * i64(e.squareGlyphHeight) &&
           100 * i64(b.height()) < 86 * i64(e.squareGlyphHeight);
  };
  // Each digit with the next one, over the marks between them (7.5, 1/2).
  for (std::size_t a = 0; a < clusters.size(); ++a) {
    if (!digitLike(a))
      continue;
    for (std::size_t b = a + 1; b < clusters.size(); ++b) {
      const Box &ba = clusters[a].box, &bb = clusters[b].box;
      if (bb.left - ba.right > ba.height())
        break;
      if (digitLike(b)) {
        if (std::abs(ba.top - bb.top) <= 1 && std::abs(ba.bottom - bb.bottom) <= 1)
          e.latin[a] = e.latin[b] = true;
        break;
      }
      if (2 * i64(bb.height()) >= ba.height())
        break; // no mark
    }
  }
  for (std::size_t k = 0; k < clusters.size(); ++k)
    e.latin[k] = e.latin[k] || xHeight[k] || descender[k];
  return e;
}

// Whether a line holds square glyphs (Chinese, Japanese, Korean) whose
// pieces side by side are to be joined. Latin text, and digits and capitals
// (as tall as the line too), are not; "ill" is as square as 川.
bool squareText(const LineEvidence &e) {
  if (e.square < 4)
    return false;
  // Latin letters beside Chinese: two square glyphs well above the x-height,
  // or a quarter of the line square, say the line is mixed (a Latin A or W
  // is as wide as high, but no higher than the other capitals; digits
  // among Chinese may pass for x-height letters).
  const bool squareQuarter = e.squareGlyphs >= 2 && 4 * e.squareGlyphs >= e.clusters;
  if (e.lowercase)
    return e.aboveLatin >= 2 || squareQuarter;
  if (e.descenders) // or brackets, which reach below the square glyphs too
    return squareQuarter;
  return e.squareSingle || e.squareGlyphs >= 2 || e.strokes || e.broken;
}

// Lines of square glyphs: pieces side by side join while the joined box is
// no wider than a glyph is high and reaches the full height. Latin letters
// and digits among them stay glyphs of their own. `clusters`: the line's,
// sorted by their left edge (joinMarkPairs keeps that order).
void joinSquareParts(std::vector<Cluster> &clusters, const Line &line, Groups &groups,
                     const std::function<bool(int)> &singleShape) {
  const LineEvidence e = weighLine(clusters, line, singleShape);
  if (!squareText(e))
    return;
  const int widest = e.squareGlyphHeight + e.squareGlyphHeight / 10;
  const int tall = int((85 * i64(e.squareGlyphHeight) + 99) / 100);
  std::vector<std::pair<Cluster, bool>> marked; // with: is Latin; still by left edge
  for (std::size_t k = 0; k < clusters.size(); ++k)
    marked.push_back({clusters[k], e.latin[k]});
  // A piece within the columns and rows of a tall piece belongs to it, however
  // wide that is (the inside of 趣).
  for (std::size_t i = 0; i < marked.size(); ++i) {
    const Cluster &outer = marked[i].first;
    if (outer.root < 0 || outer.box.height() < tall)
      continue;
    for (std::size_t j = i + 1; j < marked.size() && marked[j].first.box.left <= outer.box.right;
         ++j)
      if (marked[j].first.root >= 0 && inside(marked[j].first.box, outer.box)) {
        groups.join(outer.root, marked[j].first.root);
        marked[j].first.root = -1;
      }
  }
  std::erase_if(marked, [](const auto &m) { return m.first.root < 0; });
  // Latin letters within square text join nothing beside them. Latin
  // letters on their own baseline above the square glyphs' bottom do not
  // pass for one square glyph either.
  for (std::size_t i = 0; i < marked.size();) {
    Box run = marked[i].first.box;
    std::size_t last = i;
    for (std::size_t j = i + 1; j < marked.size() && !marked[i].second; ++j) {
      run = unite(run, marked[j].first.box);
      if (run.width() > widest || marked[j].second)
        break;
      if (run.height() >= tall && run.bottom >= e.squareBottom - 1)
        last = j;
    }
    for (std::size_t j = i + 1; j <= last; ++j)
      groups.join(marked[i].first.root, marked[j].first.root);
    i = last + 1;
  }
}

// Specks of noise: shapes a tenth of the text's height (or one pixel) with no
// other ink within three times their size around them (less one pixel). They take no part in
// forming lines nor in a line's statistics: one speck above a line would
// otherwise change the line's height and every rule measured against it.
// A dot that belongs to a glyph (of i, of 心) stands closer to its strokes.
std::vector<bool> findSpecks(const std::vector<Shape> &shapes, const ShapeLabels &labels) {
  std::vector<bool> specks(shapes.size(), false);
  std::vector<int> heights;
  heights.reserve(shapes.size());
  int lowest = 0;
  for (const Shape &s : shapes) {
    heights.push_back(s.bottom - s.top + 1);
    lowest = std::max(lowest, s.bottom);
  }
  const std::int64_t typical = upperFifthOf(std::move(heights));
  constexpr int largestSpeck = 4; // keeps the look-around cheap on noisy masks
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const Shape &s = shapes[i];
    const int size = std::max(s.right - s.left + 1, s.bottom - s.top + 1);
    if (size > largestSpeck || (size > 1 && 10 * i64(size) > typical))
      continue;
    const int reach = 3 * size - 1, own = int(i) + 1;
    const int left = std::max(0, s.left - reach),
              right = std::min(labels.width - 1, s.right + reach);
    const int top = std::max(0, s.top - reach), bottom = std::min(lowest, s.bottom + reach);
    bool alone = true;
    for (int y = top; y <= bottom && alone; ++y)
      for (int x = left; x <= right; ++x) {
        const int label = labels.at(x, y);
        if (label != 0 && label != own) {
          alone = false;
          break;
        }
      }
    specks[i] = alone;
  }
  return specks;
}

// A speck straight above or below the end of a stem (the ink it meets is at
// most three pixels wide in its row), no farther from it than half of
// the glyph's height, is its dot (the dot of an i drawn small, four rows
// up); it joins the nearest such glyph. Other specks stay boxes of their
// own: noise above a stroke of 国 or the bowl of an o is no dot.
void joinStackedSpecks(const std::vector<Shape> &shapes, const std::vector<bool> &specks,
                       const std::vector<bool> &aside, const ShapeLabels &labels, Groups &groups) {
  int lowest = 0;
  for (const Shape &s : shapes)
    lowest = std::max(lowest, s.bottom);
  constexpr int farthest = 64; // rows looked along, keeping noisy masks cheap
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    if (!specks[i])
      continue;
    const Shape &s = shapes[i];
    const int own = int(i) + 1;
    int target = -1, bestGap = farthest + 1, hitX = 0, hitY = 0;
    // The first ink up (step -1) or down (step 1) the column from row `from`.
    auto lookAlong = [&](int x, int from, int step) {
      for (int y = from, gap = 0; y >= 0 && y <= lowest && gap < bestGap; y += step, ++gap) {
        const int label = labels.at(x, y);
        if (label != 0 && label != own) {
          target = label - 1;
          bestGap = gap;
          hitX = x;
          hitY = y;
          return;
        }
      }
    };
    for (int x = s.left; x <= s.right; ++x) {
      lookAlong(x, s.top - 1, -1);
      lookAlong(x, s.bottom + 1, 1);
    }
    if (target < 0 || aside[std::size_t(target)])
      continue;
    constexpr int stemEnd = 3;
    int run = 1;
    for (int x = hitX - 1; x >= 0 && run <= stemEnd && labels.at(x, hitY) == target + 1; --x)
      ++run;
    for (int x = hitX + 1; x < labels.width && run <= stemEnd && labels.at(x, hitY) == target + 1;
         ++x)
      ++run;
    const Box glyph = groups.box(target);
    const Box speck = boxOf(s);
    if (run <= stemEnd && yOverlap(glyph, speck) <= 0 && 2 * i64(bestGap) <= glyph.height())
      groups.join(target, int(i));
  }
}

// A crumb of one or two pixels left alone, one empty pixel from the ink of a
// single glyph four times its size or more and beyond its top or bottom, is
// a piece of that glyph's tail a threshold cut off.
void joinCrumbs(const std::vector<Shape> &shapes, const std::vector<bool> &aside,
                const ShapeLabels &labels, int height, Groups &groups) {
  std::vector<int> members(shapes.size(), 0);
  for (int i = 0; i < int(shapes.size()); ++i)
    ++members[std::size_t(groups.find(i))];
  for (int i = 0; i < int(shapes.size()); ++i) {
    const Shape &s = shapes[std::size_t(i)];
    if (members[std::size_t(groups.find(i))] != 1 || s.right - s.left > 1 || s.bottom - s.top > 1)
      continue;
    int near = -1;
    bool several = false;
    for (int y = std::max(0, s.top - 2); y <= std::min(height - 1, s.bottom + 2) && !several; ++y)
      for (int x = std::max(0, s.left - 2); x <= std::min(labels.width - 1, s.right + 2); ++x) {
        const int label = labels.at(x, y);
        if (label == 0 || label == i + 1)
          continue;
        const int root = groups.find(label - 1);
        if (near >= 0 && root != near) {
          several = true;
          break;
        }
        near = root;
      }
    if (near < 0 || several || aside[std::size_t(near)])
      continue;
    // Beyond the glyph's top or bottom: a point beside a digit stays a point.
    const int size = std::max(s.right - s.left, s.bottom - s.top) + 1;
    const Box glyph = groups.box(near);
    if (glyph.height() >= 4 * size && (s.top < glyph.top || s.bottom > glyph.bottom))
      groups.join(near, i);
  }
}

// A glyph whose box lies inside another glyph's box and is small against it
// (a piece the rules left apart, a crumb of a stroke a high threshold broke)
// joins it: a box hidden inside another is one the user cannot see to fix.
// A box holding two glyph-sized boxes or more (half its height or width) is a
// frame, and a glyph a quarter of a box's area or more is a character inside
// a frame: those stay apart.
void joinNested(Groups &groups, std::size_t count, const std::vector<bool> &aside) {
  std::vector<int> roots;
  std::vector<Box> boxes;
  std::vector<int> heights;
  for (int i = 0; i < int(count); ++i)
    if (groups.find(i) == i) {
      roots.push_back(i);
      boxes.push_back(groups.box(i));
      heights.push_back(boxes.back().height());
    }
  auto area = [](const Box &b) { return i64(b.width()) * b.height(); };
  const boxgrid::Grid<Box> grid(boxes, 2 * i64(median(std::move(heights))));
  std::vector<std::size_t> inner;
  for (std::size_t k = 0; k < boxes.size(); ++k) {
    if (aside[std::size_t(roots[k])])
      continue;
    const Box o = boxes[k];
    int glyphSized = 0;
    inner.clear();
    grid.inside(k, [&](std::size_t j) {
      const Box &b = boxes[j];
      if (aside[std::size_t(roots[j])] || b == o)
        return true;
      if (2 * b.height() >= o.height() || 2 * b.width() >= o.width())
        ++glyphSized;
      if (4 * area(b) < area(o))
        inner.push_back(j);
      return glyphSized < 2;
    });
    if (glyphSized >= 2)
      continue;
    for (std::size_t j : inner)
      groups.join(roots[k], roots[j]);
  }
}

} // namespace

std::vector<Shape> groupIntoGlyphs(const std::vector<Shape> &shapes, const ShapeLabels &labels) {
  Groups groups(shapes);
  std::vector<int> members(shapes.size(), 0);  // shapes per group, one line at a time
  std::vector<Nearest> nearest(shapes.size()); // the nearest mark above or below, ditto
  const std::vector<bool> specks = findSpecks(shapes, labels);
  std::vector<bool> aside = outsized(shapes, specks);
  for (std::size_t i = 0; i < shapes.size(); ++i)
    aside[i] = aside[i] || specks[i];
  for (Line &line : formLines(shapes, aside)) {
    joinOverlapping(shapes, line.shapes, groups, labels, nearest);
    std::vector<Cluster> clusters;
    for (int i : line.shapes)
      if (groups.find(i) == i)
        clusters.push_back({i, groups.box(i)});
    std::sort(clusters.begin(), clusters.end(),
              [](const Cluster &a, const Cluster &b) { return a.box.left < b.box.left; });
    joinMarkPairs(clusters, line, groups);
    for (int i : line.shapes)
      ++members[std::size_t(groups.find(i))];
    joinSquareParts(clusters, line, groups,
                    [&](int root) { return members[std::size_t(root)] == 1; });
    for (int i : line.shapes)
      members[std::size_t(i)] = 0;
  }
  joinStackedSpecks(shapes, specks, aside, labels, groups);
  int lowest = 0;
  for (const Shape &s : shapes)
    lowest = std::max(lowest, s.bottom);
  joinCrumbs(shapes, aside, labels, lowest + 1, groups);
  joinNested(groups, shapes.size(), aside);
  std::vector<Shape> glyphs;
  std::vector<int> glyphOf(shapes.size(), -1);
  for (int i = 0; i < int(shapes.size()); ++i) {
    const int root = groups.find(i);
    if (glyphOf[std::size_t(root)] < 0) {
      glyphOf[std::size_t(root)] = int(glyphs.size());
      const Box &b = groups.box(root);
      glyphs.push_back({b.left, b.top, b.right, b.bottom, 0});
    }
    glyphs[std::size_t(glyphOf[std::size_t(root)])].pixels += shapes[std::size_t(i)].pixels;
  }
  return glyphs;
}

} // namespace morvexa
