#include "samples/library_bar.h"

#include "samples/sample_list.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

CLibraryBar::CLibraryBar(CSampleList *samples, QTableWidget *list, QWidget *parent)
    : QWidget(parent), samples_(samples), list_(list), find_(new QLineEdit(this)),
      count_(new QLabel(this)) {
  setObjectName(QStringLiteral("libraryBar"));
  find_->setObjectName(QStringLiteral("sampleFind"));
  find_->setPlaceholderText(QStringLiteral("查找文字"));
  find_->setClearButtonEnabled(true);
  find_->setMinimumWidth(80);
  find_->hide();
  count_->setObjectName(QStringLiteral("sampleCount"));
  count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(find_, 1);
  layout->addWidget(count_);

  connect(find_, &QLineEdit::textChanged, samples_, &CSampleList::SetFilter);
  connect(samples_, &CSampleList::CountsChanged, this, &CLibraryBar::ShowCounts);
  find_->installEventFilter(this);
  list_->installEventFilter(this);
  ShowCounts();
}

void CLibraryBar::OpenFind() {
  find_->show();
  find_->setFocus(Qt::ShortcutFocusReason);
  find_->selectAll();
}

void CLibraryBar::CloseFind() {
  find_->clear();
  find_->setMinimumWidth(80);
  find_->hide();
  list_->setFocus(Qt::OtherFocusReason);
}

bool CLibraryBar::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::KeyPress || (watched != find_ && watched != list_))
    return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent *>(event)->key();
  // Esc ends the search; with no search open it is left to the window.
  if (key == Qt::Key_Escape && (find_->isVisible() || !find_->text().isEmpty())) {
    CloseFind();
    return true;
  }
  // Enter or Down in the box goes on to the rows found. Enter must not
  // reach the dialog, whose default button would open the capture window.
  if (watched == find_ && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down)) {
    list_->setFocus(Qt::OtherFocusReason);
    if (list_->rowCount() > 0 && list_->selectionModel()->selectedRows().isEmpty())
      list_->setCurrentCell(0, 0);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void CLibraryBar::ShowCounts() {
  const CSampleList::Counts counts = samples_->CurrentCounts();
  const QString library =
      QStringLiteral("%1 个样本，%2 种文字").arg(counts.samples).arg(counts.labels);
  if (samples_->View().filter.empty()) {
    count_->setText(QStringLiteral("共 ") + library);
    count_->setToolTip(QStringLiteral("样本库中共有 ") + library);
  } else {
    count_->setText(QStringLiteral("%1 / ").arg(counts.shown) + library);
    count_->setToolTip(QStringLiteral("找到 %1 个样本；样本库中共有 ").arg(counts.shown) + library);
  }
  // The box gives up room to the count at once, not at the next layout pass.
  layout()->activate();
}
