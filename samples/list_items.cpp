#include "samples/list_items.h"

#include <QFile>
#include <QTableWidget>

std::string FileSystemPath(const QString &path) {
  return QFile::encodeName(path).toStdString();
}

QString DisplayPath(const std::string &path) {
  return QFile::decodeName(path.c_str());
}

QTableWidgetItem *ReadOnlyItem(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  // A list-view row is not edited in place; a double click does nothing.
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

namespace {

// The data cell also keeps the store's key bytes: a key with bytes the code
// page cannot decode shows U+FFFD, and the shown text no longer converts back
// to the key.
constexpr int kKeyRole = Qt::UserRole;

// What the data column shows of a key: a sample of a large box has a data
// string of megabytes, and laying out such a text takes the list seconds at
// every paint. The column is far too narrow for more anyway.
constexpr size_t kShownDataBytes = 1024;

QString ShownData(const std::string &key) {
  if (key.size() <= kShownDataBytes)
    return FromSystem(key);
  return FromSystem(key.substr(0, kShownDataBytes)) + QChar(0x2026);
}

} // namespace

QTableWidgetItem *DataItem(const std::string &key) {
  QTableWidgetItem *item = ReadOnlyItem(ShownData(key));
  item->setData(kKeyRole, QByteArray(key.data(), qsizetype(key.size())));
  return item;
}

std::string RowKey(const QTableWidget *list, int row) {
  const QTableWidgetItem *item = list->item(row, 1);
  if (item == nullptr)
    return {};
  const QVariant key = item->data(kKeyRole);
  if (key.isValid())
    return key.toByteArray().toStdString();
  return ToSystem(item->text());
}

QString CellText(const QTableWidget *list, int row, int column) {
  const QTableWidgetItem *item = list->item(row, column);
  return item ? item->text() : QString();
}
