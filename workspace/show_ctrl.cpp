#include "workspace/show_ctrl.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>

CShowCtrl::CShowCtrl(QWidget *parent) : QWidget(parent) {
  // Painting covers every pixel; nothing is erased first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CShowCtrl::ShowBitmap(QImage bitmap) {
  QImage picture(size(), QImage::Format_RGB32);
  if (picture.isNull())
    return;
  picture.fill(Qt::black);
  const QImage source = bitmap.convertToFormat(QImage::Format_RGB32);
  const int innerWidth = width() - 2 * kMargin;
  const int innerHeight = height() - 2 * kMargin;
  if (!source.isNull() && innerWidth > 0 && innerHeight > 0) {
    // Nearest source pixel for each inner pixel: a sample is a few 5 x 5
    // squares, which must stay sharp when enlarged.
    for (int y = 0; y < innerHeight; ++y) {
      const int sy = int(std::int64_t{y} * source.height() / innerHeight);
      const auto *from = reinterpret_cast<const QRgb *>(source.constScanLine(sy));
      auto *to = reinterpret_cast<QRgb *>(picture.scanLine(y + kMargin)) + kMargin;
      for (int x = 0; x < innerWidth; ++x) {
        const QRgb pixel = from[std::int64_t{x} * source.width() / innerWidth];
        if ((pixel & 0xFFFFFF) != kKeyColour)
          to[x] = pixel;
      }
    }
  }
  picture_ = picture;
  update();
}

QSize CShowCtrl::PictureSize() const {
  return QSize(std::max(width() - 2 * kMargin, 1), std::max(height() - 2 * kMargin, 1));
}

void CShowCtrl::SetCaption(const QString &caption) {
  if (caption_ == caption)
    return;
  caption_ = caption;
  update();
}

void CShowCtrl::SetNotice(const QString &notice) {
  if (notice_ == notice)
    return;
  notice_ = notice;
  update();
}

void CShowCtrl::DrawLine(QPainter &painter, const QString &text, bool top) {
  if (text.isEmpty())
    return;
  const QFontMetrics metrics = painter.fontMetrics();
  const QString shown = metrics.elidedText(text, Qt::ElideRight, width() - 4);
  QRect band(0, 0, metrics.horizontalAdvance(shown) + 4, metrics.height() + 2);
  if (!top)
    band.moveBottom(height() - 1);
  // Dark yellow under the text so it reads over white and black ink alike.
  painter.fillRect(band, QColor(0x40, 0x40, 0x00));
  painter.setPen(QColor(0xFF, 0xE0, 0x60));
  painter.drawText(band, Qt::AlignCenter, shown);
}

void CShowCtrl::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (!picture_.isNull())
    painter.drawImage(0, 0, picture_);
  DrawLine(painter, caption_, true);
  DrawLine(painter, notice_, false);
}
