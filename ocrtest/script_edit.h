#pragma once
// The read-only box of the script snippet (edit 1025). A text edit keeps
// line breaks, not CR LF, yet the automation product's scripts are Windows
// text: what the user copies from here carries CR LF line ends again.
#include <QPlainTextEdit>

class CScriptEdit : public QPlainTextEdit {
  Q_OBJECT

public:
  explicit CScriptEdit(QWidget *parent = nullptr);

protected:
  QMimeData *createMimeDataFromSelection() const override;
};
