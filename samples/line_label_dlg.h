#pragma once
// "按顺序标注": the user types the text of all boxes at once, in reading
// order, and each box gets the character at its place. The dialog shows the
// first boxes with the character each will get, reports every box's
// character (BoxCharactersChanged) so the workspace can show them all over
// the boxes, and says when the counts of characters and boxes differ. OK
// needs equal counts, or the explicit choice to label only the first boxes.
// Adding the samples is the caller's part.
#include <QDialog>
#include <QString>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

class CLineLabelDlg : public QDialog {
  Q_OBJECT

public:
  // How many boxes the dialog shows with their characters.
  static constexpr int kPreviewBoxes = 12;

  // `boxData`: the dot-matrix strings of the boxes in reading order.
  // `typed`: the line to start with (the last one typed for these boxes).
  explicit CLineLabelDlg(std::vector<std::string> boxData, const QString &typed = QString(),
                         QWidget *parent = nullptr);

  // (data string, character) for each box that gets a character, in reading
  // order. A box whose string does not draw cannot be a sample and is left
  // out, though it still takes its character. Empty while OK is disabled.
  std::vector<std::pair<QString, QString>> Pairs() const;
  // The counts match, or the user chose to label only the first boxes.
  bool CanLabel() const;
  // The character each box gets now, one entry per box; empty for a box
  // without one.
  std::vector<QString> BoxCharacters() const;

  QLineEdit *TextEdit() const { return text_; }
  // What the dialog says about the counts.
  QString CountText() const;
  // "只标注前 N 个框": shown when the counts differ.
  QCheckBox *FirstOnlyBox() const { return firstOnly_; }

signals:
  void BoxCharactersChanged(const std::vector<QString> &characters);

private:
  void Refresh();

  std::vector<std::string> boxData_;
  QLineEdit *text_;
  QLabel *count_;
  QCheckBox *firstOnly_;
  std::vector<QLabel *> characters_;
  QDialogButtonBox *buttons_;
};
