#pragma once
// The strip between the label edit and the sample list: how many samples
// and distinct labels the library holds, and the find box that narrows the
// list to the labels containing its text. Ctrl+F opens the box (OpenFind),
// Esc in the box or in the list closes it and shows every row again.
#include <QWidget>

class CSampleList;
class QLabel;
class QLineEdit;
class QTableWidget;

class CLibraryBar : public QWidget {
  Q_OBJECT

public:
  CLibraryBar(CSampleList *samples, QTableWidget *list, QWidget *parent);

  void OpenFind();
  void CloseFind();
  QLineEdit *FindEdit() const { return find_; }
  QLabel *CountLabel() const { return count_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void ShowCounts();

  CSampleList *samples_;
  QTableWidget *list_;
  QLineEdit *find_;
  QLabel *count_;
};
