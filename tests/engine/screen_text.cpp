#include "screen_text.h"

#include "engine_test_support.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <numeric>

namespace engine_test {
namespace {

struct PlacedChar {
  QString text;
  QPointF origin; // baseline start
};

int findRoot(std::vector<int> &parent, int i) {
  while (parent[std::size_t(i)] != i)
    i = parent[std::size_t(i)] = parent[std::size_t(parent[std::size_t(i)])];
  return i;
}

} // namespace

FontText renderScreenText(const QString &text, const ScreenTextStyle &style) {
  FontText result;
  if (!QFontDatabase::families().contains(style.family))
    return result;
  QFont font(style.family);
  font.setPixelSize(style.pixelSize);
  font.setStyleStrategy(QFont::PreferAntialias);
  const QFontMetricsF metrics(font);
  const double margin = style.pixelSize;

  // Where each character stands, from Qt's own layout of each line.
  std::vector<PlacedChar> chars;
  double width = 0, y = margin;
  for (const QString &lineText : text.split('\n')) {
    QTextLayout layout(lineText, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
      continue;
    const double baseline = y + line.ascent();
    for (int i = 0; i < lineText.size(); ++i) {
      const int length = lineText.at(i).isHighSurrogate() ? 2 : 1;
      const QString ch = lineText.mid(i, length);
      if (!ch.trimmed().isEmpty())
        chars.push_back({ch, QPointF(margin + style.originX + line.cursorToX(i), baseline)});
      i += length - 1;
    }
    width = std::max(width, line.naturalTextWidth());
    // UI text keeps some leading; some faces' own line spacing is one em.
    y += std::max(metrics.lineSpacing(), 1.25 * style.pixelSize);
  }
  const int imageWidth = int(width + 2 * margin + 1), imageHeight = int(y + margin);

  QImage screen(imageWidth, imageHeight, QImage::Format_RGBX8888);
  screen.fill(style.background);
  {
    QPainter painter(&screen);
    painter.setFont(font);
    painter.setPen(style.ink);
    for (const PlacedChar &c : chars)
      painter.drawText(c.origin, c.text);
  }
  // Each glyph alone: its coverage, white on black.
  std::vector<QImage> coverage;
  for (const PlacedChar &c : chars) {
    QImage alone(imageWidth, imageHeight, QImage::Format_Grayscale8);
    alone.fill(Qt::black);
    QPainter painter(&alone);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(c.origin, c.text);
    coverage.push_back(std::move(alone));
  }

  // Dark ink on a light ground: ink is below the threshold.
  const int type = style.ink.lightness() < style.background.lightness() ? 9 : 8;
  const MatHandle mat = newMat(screen.bits(), imageWidth, imageHeight,
                               int(screen.bytesPerLine()), 4);
  Block<unsigned char> mask(thresoldImage(type, mat, 0, 255, imageWidth, imageHeight));
  delMat(mat);
  if (mask.p == nullptr)
    return result;

  result.width = imageWidth;
  result.height = imageHeight;
  result.mask.assign(mask.p, mask.p + std::size_t(imageWidth) * std::size_t(imageHeight));
  std::vector<int> owner(result.mask.size(), -1);
  for (int py = 0; py < imageHeight; ++py)
    for (int px = 0; px < imageWidth; ++px) {
      const std::size_t at = std::size_t(py) * imageWidth + px;
      if (result.mask[at] == 0)
        continue;
      int best = 0;
      for (std::size_t g = 0; g < coverage.size(); ++g) {
        const int value = coverage[g].constScanLine(py)[px];
        if (value > best) {
          best = value;
          owner[at] = int(g);
        }
      }
    }
  // Glyphs whose ink meets (8-connected) can only share one box.
  std::vector<int> parent(chars.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (int py = 0; py < imageHeight; ++py)
    for (int px = 0; px < imageWidth; ++px) {
      const int here = owner[std::size_t(py) * imageWidth + px];
      if (here < 0)
        continue;
      for (int dy = 0; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if ((dy == 0 && dx <= 0) || px + dx < 0 || px + dx >= imageWidth ||
              py + dy >= imageHeight)
            continue;
          const int there = owner[std::size_t(py + dy) * imageWidth + px + dx];
          if (there >= 0 && there != here)
            parent[std::size_t(findRoot(parent, here))] = findRoot(parent, there);
        }
    }
  std::vector<int> members(chars.size(), 0), groupOf(chars.size(), -1);
  std::vector<Rect> inkBox(chars.size(), Rect{imageWidth, imageHeight, -1, -1});
  for (int py = 0; py < imageHeight; ++py)
    for (int px = 0; px < imageWidth; ++px) {
      const int g = owner[std::size_t(py) * imageWidth + px];
      if (g < 0)
        continue;
      Rect &b = inkBox[std::size_t(g)];
      b = {std::min(b[0], px), std::min(b[1], py), std::max(b[2], px), std::max(b[3], py)};
    }
  for (std::size_t g = 0; g < chars.size(); ++g)
    if (inkBox[g][2] >= 0)
      ++members[std::size_t(findRoot(parent, int(g)))];
  for (std::size_t g = 0; g < chars.size(); ++g) {
    if (inkBox[g][2] < 0)
      continue;
    ++result.glyphs;
    const int root = findRoot(parent, int(g));
    if (members[std::size_t(root)] > 1)
      ++result.touching;
    if (groupOf[std::size_t(root)] < 0) {
      groupOf[std::size_t(root)] = int(result.glyphBoxes.size());
      result.glyphBoxes.push_back(inkBox[g]);
      result.touches.push_back(members[std::size_t(root)] > 1);
      result.glyphText.emplace_back();
    }
    const std::size_t k = std::size_t(groupOf[std::size_t(root)]);
    Rect &b = result.glyphBoxes[k];
    b = {std::min(b[0], inkBox[g][0]), std::min(b[1], inkBox[g][1]),
         std::max(b[2], inkBox[g][2]), std::max(b[3], inkBox[g][3])};
    result.glyphText[k] += chars[g].text.toStdString();
  }
  return result;
}

} // namespace engine_test
