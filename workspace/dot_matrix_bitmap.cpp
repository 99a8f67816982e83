#include "workspace/dot_matrix_bitmap.h"

#include "app/text_codec.h"
#include "workspace/dot_matrix.h"

QImage DotMatrixToBitmap(std::string_view text) {
  const std::optional<ImageBuffer> picture = DotMatrixToImage(text);
  if (!picture || !HasColourPixels(*picture) || picture->bitsPerPixel != 32)
    return {};
  QImage image(picture->width, picture->height, QImage::Format_RGB32);
  if (image.isNull())
    return {};
  for (int y = 0; y < picture->height; ++y) {
    const std::uint8_t *from = picture->pixels.data() + std::size_t(y) * picture->bytesPerRow;
    auto *to = reinterpret_cast<QRgb *>(image.scanLine(y));
    // The rendered block leaves the fourth byte 0; RGB32 wants it opaque.
    for (int x = 0; x < picture->width; ++x, from += 4)
      to[x] = qRgb(from[2], from[1], from[0]);
  }
  return image;
}

QImage DotMatrixToBitmap(const QString &text) {
  return DotMatrixToBitmap(ToSystemCodePage(text.toStdU16String()));
}
