#pragma once
// The sample preview: shows one finished picture (a clicked box or a sample
// chosen in the list) stretched over the whole control inside a 5-pixel
// black margin. It knows nothing of samples.
#include <QImage>
#include <QString>
#include <QWidget>

class CShowCtrl : public QWidget {
  Q_OBJECT

public:
  explicit CShowCtrl(QWidget *parent = nullptr);

  // Shows `bitmap` stretched to the inner rectangle, aspect ratio not kept;
  // source pixels of the key colour (red 0x20, green 0, blue 0xCC) are left
  // out. The picture stays until the next call.
  void ShowBitmap(QImage bitmap);

  // A short line drawn over the picture's top edge, saying where the
  // picture comes from; empty for none.
  void SetCaption(const QString &caption);
  const QString &caption() const { return caption_; }
  // A short line drawn over the picture's bottom edge, next to the label
  // edit below it: what the last add did beyond the obvious. Empty for none.
  void SetNotice(const QString &notice);
  const QString &notice() const { return notice_; }

  // The inner rectangle's size: a picture of this size is shown pixel for
  // pixel, and a larger one gains nothing.
  QSize PictureSize() const;

  static constexpr int kMargin = 5;
  static constexpr QRgb kKeyColour = 0x2000CC; // red, green, blue

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  void DrawLine(QPainter &painter, const QString &text, bool top);

  QImage picture_; // null until the first sample
  QString caption_;
  QString notice_;
};
