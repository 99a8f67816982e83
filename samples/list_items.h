#pragma once
// The cells of the sample list and the conversions between what the list
// shows and what the store and the file system take.
#include <QString>
#include <string>

#include "app/qt_text.h"

class QTableWidget;
class QTableWidgetItem;

// Edit 1008 holds what the user chose in a file dialog; the file system
// takes it in the locale's encoding.
std::string FileSystemPath(const QString &path);
QString DisplayPath(const std::string &path);

// A cell that is selected but never edited in place.
QTableWidgetItem *ReadOnlyItem(const QString &text);
// The data cell: the data string as shown, and the store's key bytes.
QTableWidgetItem *DataItem(const std::string &key);
// The store key of a list row; empty when the row has no data cell.
std::string RowKey(const QTableWidget *list, int row);
QString CellText(const QTableWidget *list, int row, int column);
