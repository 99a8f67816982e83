#pragma once
#include <QDialog>

// The About box: icon, name and version, and a button that closes it.
class CAboutDlg : public QDialog {
  Q_OBJECT

public:
  explicit CAboutDlg(QWidget *parent = nullptr);
};
