#include "ocrtest/script_edit.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

CScriptEdit::CScriptEdit(QWidget *parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
}

QMimeData *CScriptEdit::createMimeDataFromSelection() const {
  QString text = textCursor().selection().toPlainText();
  text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  auto *data = new QMimeData;
  data->setText(text);
  return data;
}
