#include "samples/line_label_dlg.h"

#include "samples/line_labels.h"
#include "workspace/dot_matrix_bitmap.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kPreviewSize = 32; // pixels of a box's picture, longer side

std::vector<std::u16string> Labels(const QLineEdit *text) {
  return SplitLineLabels(text->text().toStdU16String());
}

} // namespace

CLineLabelDlg::CLineLabelDlg(std::vector<std::string> boxData, const QString &typed,
                             QWidget *parent)
    : QDialog(parent), boxData_(std::move(boxData)), text_(new QLineEdit(typed, this)),
      count_(new QLabel(this)), firstOnly_(new QCheckBox(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
  setWindowTitle(QStringLiteral("按顺序标注"));
  text_->setObjectName(QStringLiteral("lineText"));
  count_->setObjectName(QStringLiteral("lineCount"));
  firstOnly_->setObjectName(QStringLiteral("lineFirstOnly"));

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("按阅读顺序输入各框的文字（空格不计）："), this));
  layout->addWidget(text_);

  auto *previews = new QGridLayout;
  previews->setHorizontalSpacing(4); // one box from the next, as in the text
  const int shown = int(std::min<std::size_t>(boxData_.size(), kPreviewBoxes));
  for (int i = 0; i < shown; ++i) {
    auto *picture = new QLabel(this);
    picture->setFixedSize(kPreviewSize, kPreviewSize);
    picture->setAlignment(Qt::AlignCenter);
    picture->setStyleSheet(QStringLiteral("background: black"));
    const QImage bitmap = DotMatrixToBitmap(boxData_[std::size_t(i)]);
    if (!bitmap.isNull())
      picture->setPixmap(QPixmap::fromImage(
          bitmap.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio, Qt::FastTransformation)));
    auto *character = new QLabel(this);
    character->setObjectName(QStringLiteral("lineCharacter%1").arg(i));
    character->setAlignment(Qt::AlignCenter);
    previews->addWidget(picture, 0, i);
    previews->addWidget(character, 1, i);
    characters_.push_back(character);
  }
  previews->setColumnStretch(shown, 1); // the boxes packed to the left, as in the text
  layout->addLayout(previews);
  if (boxData_.size() > std::size_t(kPreviewBoxes))
    layout->addWidget(new QLabel(
        QStringLiteral("（这里只显示前 %1 个框；每个框的字都标在工作区的框上）").arg(kPreviewBoxes),
        this));
  layout->addWidget(count_);
  layout->addWidget(firstOnly_);
  layout->addWidget(buttons_);

  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(text_, &QLineEdit::textChanged, this, [this] { Refresh(); });
  connect(firstOnly_, &QCheckBox::toggled, this, [this] { Refresh(); });
  Refresh();
}

QString CLineLabelDlg::CountText() const {
  return count_->text();
}

void CLineLabelDlg::Refresh() {
  const std::vector<std::u16string> labels = Labels(text_);
  for (std::size_t i = 0; i < characters_.size(); ++i)
    characters_[i]->setText(i < labels.size() ? QString::fromStdU16String(labels[i]) : QString());

  const LinePairing pairing{labels.size(), boxData_.size()};
  const QString counts = QStringLiteral("%1 个字，%2 个框").arg(labels.size()).arg(boxData_.size());
  if (labels.empty())
    count_->setText(QStringLiteral("%1：请输入文字").arg(counts));
  else if (pairing.matches())
    count_->setText(counts);
  else if (pairing.labels < pairing.boxes)
    count_->setText(
        QStringLiteral("%1：字比框少，只标注前 %2 个框").arg(counts).arg(pairing.pairs()));
  else
    count_->setText(QStringLiteral("%1：字比框多，多出的 %2 个字不会用到")
                        .arg(counts)
                        .arg(pairing.labels - pairing.boxes));
  // A count that differs is often a missed or doubled box: every label
  // after it would land one box off, so it takes an explicit choice.
  firstOnly_->setText(QStringLiteral("只标注前 %1 个框").arg(pairing.pairs()));
  firstOnly_->setVisible(!pairing.matches() && pairing.pairs() > 0);
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(CanLabel());
  emit BoxCharactersChanged(BoxCharacters());
}

bool CLineLabelDlg::CanLabel() const {
  const LinePairing pairing{Labels(text_).size(), boxData_.size()};
  return pairing.pairs() > 0 && (pairing.matches() || firstOnly_->isChecked());
}

std::vector<QString> CLineLabelDlg::BoxCharacters() const {
  const std::vector<std::u16string> labels = Labels(text_);
  std::vector<QString> characters(boxData_.size());
  for (std::size_t i = 0; i < characters.size() && i < labels.size(); ++i)
    characters[i] = QString::fromStdU16String(labels[i]);
  return characters;
}

std::vector<std::pair<QString, QString>> CLineLabelDlg::Pairs() const {
  const std::vector<std::u16string> labels = Labels(text_);
  const LinePairing pairing{labels.size(), boxData_.size()};
  std::vector<std::pair<QString, QString>> pairs;
  if (!CanLabel())
    return pairs;
  for (std::size_t i = 0; i < pairing.pairs(); ++i) {
    if (DotMatrixToBitmap(boxData_[i]).isNull())
      continue;
    pairs.emplace_back(QString::fromLatin1(boxData_[i]), QString::fromStdU16String(labels[i]));
  }
  return pairs;
}
