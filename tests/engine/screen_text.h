// Text drawn by Qt's own text engine, as a desktop draws it (its hinting,
// subpixel positions and antialiasing), in a colour on a coloured
// background, then binarized by the engine with Otsu as a user would pick
// it. Each glyph's ink is where its own coverage is the greatest, so the
// result scores like the FreeType fixtures.
#pragma once

#include "font_text.h"

#include <QColor>
#include <QString>

namespace engine_test {

struct ScreenTextStyle {
  QString family;
  int pixelSize = 16;
  QColor ink{Qt::black}, background{Qt::white};
  double originX = 0.0; // fraction of a pixel the text starts at
};

// An empty result (width 0) when the family is not installed or the
// threshold fails.
FontText renderScreenText(const QString &text, const ScreenTextStyle &style);

} // namespace engine_test
