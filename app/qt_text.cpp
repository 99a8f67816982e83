#include "app/qt_text.h"

#include "app/text_codec.h"

QString FromSystem(const std::string &bytes) {
  return QString::fromStdU16String(FromSystemCodePage(bytes));
}

std::string ToSystem(const QString &text) {
  return ToSystemCodePage(text.toStdU16String());
}
