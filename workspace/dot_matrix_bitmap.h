#pragma once
// The preview picture of a dot-matrix string as an image the widgets can
// draw: 5 x 5 white squares for set cells on black.
#include <QImage>
#include <QString>
#include <string_view>

// `text` in the system code page (as the sample file and the box list keep
// it). A null image for a string that does not decode.
QImage DotMatrixToBitmap(std::string_view text);

// The same for a string of the interface.
QImage DotMatrixToBitmap(const QString &text);
