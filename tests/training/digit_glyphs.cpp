#include "digit_glyphs.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <map>

#include "app/text_codec.h"
#include "workspace/dot_matrix.h"
#include "workspace/pixel_rect.h"

namespace training_test {

QFont FontOf(const char *fontFile, int pixelSize, bool antialiased) {
  // Core tests have no application object; fonts need one.
  static int argc = 1;
  static char name[] = "training_test";
  static char *argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QGuiApplication(argc, argv);
  }
  static std::map<std::string, QString> families;
  auto family = families.find(fontFile);
  if (family == families.end()) {
    const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(fontFile));
    family = families.emplace(fontFile, QFontDatabase::applicationFontFamilies(id).value(0)).first;
  }
  QFont font(family->second);
  font.setPixelSize(pixelSize);
  if (!antialiased)
    font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

namespace {

QImage Draw(const QString &text, int pixelSize, int width, const char *fontFile,
           bool antialiased) {
  QImage image(width, pixelSize * 2, QImage::Format_Grayscale8);
  image.fill(255);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing, antialiased);
  painter.setFont(FontOf(fontFile, pixelSize, antialiased));
  painter.setPen(Qt::black);
  painter.drawText(pixelSize / 2, pixelSize * 3 / 2, text);
  return image;
}

bool Ink(const QImage &image, int x, int y) {
  return image.constScanLine(y)[x] < 128;
}

} // namespace

SampleMap FontSamples(const std::string &text, const std::vector<int> &pixelSizes,
                      const char *fontFile, bool antialiased) {
  SampleMap samples;
  for (int size : pixelSizes) {
    for (const char32_t c : QString::fromUtf8(text).toUcs4()) {
      const QString character = QString::fromUcs4(&c, 1);
      const QImage image = Draw(character, size, size * 2, fontFile, antialiased);
      std::vector<std::uint8_t> mask(std::size_t(image.width()) * image.height());
      PixelRect box{image.width(), image.height(), -1, -1};
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if (Ink(image, x, y)) {
            mask[std::size_t(y) * image.width() + x] = 1;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x);
            box.bottom = std::max(box.bottom, y);
          }
      samples[EncodeDotMatrix(box, mask.data(), image.width(), image.height())] =
          Utf8ToSystem(character.toStdString());
    }
  }
  return samples;
}

TextMask RenderLine(const std::string &text, int pixelSize, const char *fontFile,
                    bool antialiased) {
  const QImage image = Draw(QString::fromStdString(text), pixelSize,
                            pixelSize * int(text.size() + 2), fontFile, antialiased);
  TextMask mask;
  mask.width = image.width();
  mask.height = image.height();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      mask.pixels.push_back(Ink(image, x, y) ? 0 : 255);
  return mask;
}

} // namespace training_test

// Fontconfig keeps its caches until the process ends; a sanitizer build
// must not count them as our leaks.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}
