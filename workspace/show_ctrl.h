#pragma once
// The sample preview: shows one finished picture (a clicked box or a sample
// chosen in the list) stretched over the whole control inside a 5-pixel
// black margin. It knows nothing of samples.
#include <QImage>
#include <QWidget>

class CShowCtrl : public QWidget {
  Q_OBJECT

public:
  explicit CShowCtrl(QWidget *parent = nullptr);

  // Shows `bitmap` stretched to the inner rectangle, aspect ratio not kept;
  // source pixels of the key colour (red 0x20, green 0, blue 0xCC) are left
  // out. The picture stays until the next call.
  void ShowBitmap(QImage bitmap);

  // The inner rectangle's size: a picture of this size is shown pixel for
  // pixel, and a larger one gains nothing.
  QSize PictureSize() const;

  static constexpr int kMargin = 5;
  static constexpr QRgb kKeyColour = 0x2000CC; // red, green, blue

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QImage picture_; // null until the first sample
};
