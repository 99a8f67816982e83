#pragma once
// "按顺序标注": the user types the text of all boxes at once, in reading
// order, and each box gets the character at its place. The dialog shows the
// first boxes with the character each will get and says when the counts of
// characters and boxes differ; adding the samples is the caller's part.
#include <QDialog>
#include <QString>
#include <string>
#include <utility>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

class CLineLabelDlg : public QDialog {
  Q_OBJECT

public:
  // How many boxes the dialog shows with their characters.
  static constexpr int kPreviewBoxes = 12;

  // `boxData`: the dot-matrix strings of the boxes in reading order.
  explicit CLineLabelDlg(std::vector<std::string> boxData, QWidget *parent = nullptr);

  // (data string, character) for each box that gets a character, in reading
  // order. A box whose string does not draw cannot be a sample and is left
  // out, though it still takes its character.
  std::vector<std::pair<QString, QString>> Pairs() const;

  QLineEdit *TextEdit() const { return text_; }
  // What the dialog says about the counts.
  QString CountText() const;

private:
  void Refresh();

  std::vector<std::string> boxData_;
  QLineEdit *text_;
  QLabel *count_;
  std::vector<QLabel *> characters_;
  QDialogButtonBox *buttons_;
};
