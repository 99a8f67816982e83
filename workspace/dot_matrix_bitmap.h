#pragma once
// The preview picture of a dot-matrix string as an image the widgets can
// draw: 5 x 5 white squares for set cells on black.
#include <QImage>
#include <QSize>
#include <QString>
#include <string_view>

// No picture is made larger than this in either direction unless asked for:
// an accepted matrix may have 4096 x 4096 cells, whose full picture would
// take 1.6 GB.
inline constexpr int kDotMatrixBitmapLimit = 1024;

// `text` in the system code page (as the sample file and the box list keep
// it). The picture is (5 x cols) x (5 x rows) pixels; in a direction where
// that exceeds `limit`, it is `limit` pixels long instead and each pixel shows
// the cell under it, as the full picture scaled down without smoothing would.
// Only that many pixels are ever made. A null image for a string that does
// not decode.
QImage DotMatrixToBitmap(std::string_view text,
                         QSize limit = QSize(kDotMatrixBitmapLimit, kDotMatrixBitmapLimit));

// The same for a string of the interface.
QImage DotMatrixToBitmap(const QString &text,
                         QSize limit = QSize(kDotMatrixBitmapLimit, kDotMatrixBitmapLimit));
