// The main window's commands for the image workspace: open an image file,
// binarize again when a binarization control moves, split, clear outlines,
// and label the boxes one after another or a whole line at once.
#include "samples/line_label_dlg.h"
#include "samples/sample_list.h"
#include "workbench/combo_contents.h"
#include "workbench/glyphwright_dlg.h"
#include "workbench/message_box.h"
#include "workspace/binar_ctrl.h"
#include "workspace/dot_matrix_bitmap.h"
#include "workspace/seg_box.h"
#include "workspace/show_ctrl.h"

#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QUndoStack>
#include <filesystem>

void CglyphwrightDlg::ConnectWorkspaceCommands() {
  connect(controls_.openImageButton, &QPushButton::clicked, this, [this] { OnOpenImage(); });
  connect(controls_.gridSplitButton, &QPushButton::clicked, this, [this] { OnGridSplit(); });
  connect(controls_.directSplitButton, &QPushButton::clicked, this, [this] { OnDirectSplit(); });
  connect(controls_.clearBoxesButton, &QPushButton::clicked, this, [this] { OnClearBoxes(); });
  connect(controls_.workspaceView, &CBinarCtrl::LabelInOrderRequested, this,
          [this] { OnLabelInOrder(); });
  controls_.label->installEventFilter(this);
  connect(controls_.workspaceView, &CBinarCtrl::TypedToLabel, this, [this](const QString &text) {
    controls_.label->setText(text);
    controls_.label->setFocus(Qt::OtherFocusReason);
  });
}

bool CglyphwrightDlg::AddCurrentSample() {
  controls_.previewView->SetNotice(QString());
  if (!sampleList_->OnAddSample())
    return false;
  // Two glyphs with the same bitmap are one sample: say so when the second
  // takes the first one's place.
  const QString replaced = sampleList_->ReplacedLabel();
  if (!replaced.isEmpty())
    controls_.previewView->SetNotice(QStringLiteral("此字形原标注为「%1」，已改为「%2」")
                                         .arg(replaced, controls_.label->text()));
  return true;
}

void CglyphwrightDlg::OnCurrentSourceChanged() {
  QString caption;
  switch (sampleList_->CurrentSource()) {
  case CSampleList::Source::ListRow:
    caption = QStringLiteral("样本库中的样本");
    break;
  case CSampleList::Source::Deleted:
    caption = QStringLiteral("已删除的样本");
    break;
  case CSampleList::Source::Box:
  case CSampleList::Source::None:
    break;
  }
  // Only one thing is current: a red box would claim Enter labels it.
  if (!caption.isEmpty())
    controls_.workspaceView->ClearSelection();
  controls_.previewView->SetCaption(caption);
}

bool CglyphwrightDlg::eventFilter(QObject *watched, QEvent *event) {
  // Enter in the label edit labels; it must not reach the dialog, whose
  // default button would open the capture window.
  // Undo keys go to the window's history unless the edit has typing of its
  // own to take back.
  if (watched == controls_.label && event->type() == QEvent::ShortcutOverride) {
    auto *key = static_cast<QKeyEvent *>(event);
    const bool undoKey = key->matches(QKeySequence::Undo);
    const bool redoKey = key->matches(QKeySequence::Redo) ||
                         key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y);
    if ((undoKey && !controls_.label->isUndoAvailable()) ||
        (redoKey && !controls_.label->isRedoAvailable())) {
      event->ignore();
      return true;
    }
  }
  if (watched == controls_.label && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OnLabelEnter();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CglyphwrightDlg::OnLabelEnter() {
  CBinarCtrl *view = controls_.workspaceView;
  const std::vector<SegBox> &boxes = view->boxes();
  const int selected = view->selectedIndex();
  // Moves on only from the box just labelled: a sample from the list is
  // labelled where it is.
  const bool fromBox =
      sampleList_->CurrentSource() == CSampleList::Source::Box && selected >= 0 &&
      QString::fromLatin1(boxes[std::size_t(selected)].data) == sampleList_->CurrentSample();
  // A failed add (a message said why) keeps the box, so nothing is skipped.
  if (!AddCurrentSample())
    return;
  if (fromBox) {
    // The next box that can be a sample; after the last one the selection
    // stays.
    for (std::size_t next = std::size_t(selected) + 1; next < boxes.size(); ++next) {
      if (!DotMatrixToBitmap(boxes[next].data).isNull()) {
        view->SelectBox(int(next));
        break;
      }
    }
  }
  // The typing was stored: Ctrl+Z now takes back the add, not the typing.
  if (controls_.label->isUndoAvailable())
    controls_.label->setText(controls_.label->text());
  // A known label is selected, so typing replaces it.
  controls_.label->setFocus();
  controls_.label->selectAll();
}

int CglyphwrightDlg::RunLineLabelDialog(CLineLabelDlg &dialog) {
  return dialog.exec();
}

void CglyphwrightDlg::OnLabelInOrder() {
  const std::vector<SegBox> &boxes = controls_.workspaceView->boxes();
  if (boxes.empty()) {
    ShowMessage(QStringLiteral("请先分割出样本"));
    return;
  }
  // Asked before the typing, not after it.
  if (controls_.samplePath->text().isEmpty()) {
    ShowMessage(QStringLiteral("请先设置样本要保存的位置"));
    return;
  }
  std::vector<std::string> data;
  data.reserve(boxes.size());
  for (const SegBox &box : boxes)
    data.push_back(box.data);
  // The line typed last for these same boxes comes back, so a cancelled or
  // corrected line need not be typed again.
  const QString typed = data == lastLineBoxes_ ? lastLineText_ : QString();
  CLineLabelDlg dialog(data, typed, this);
  CBinarCtrl *view = controls_.workspaceView;
  connect(&dialog, &CLineLabelDlg::BoxCharactersChanged, view, &CBinarCtrl::SetBoxCaptions);
  view->SetBoxCaptions(dialog.BoxCharacters());
  const int result = RunLineLabelDialog(dialog);
  view->SetBoxCaptions({});
  lastLineBoxes_ = std::move(data);
  lastLineText_ = dialog.TextEdit()->text();
  if (result != QDialog::Accepted || !dialog.CanLabel())
    return;
  // One step on the undo history, as the list writes it in one go.
  sampleList_->AddSamples(dialog.Pairs());
}

QString CglyphwrightDlg::AskImagePath() {
  return QFileDialog::getOpenFileName(this, QString(), QString(),
                                      QStringLiteral("PNG Files (*.png);;BMP Files (*.bmp)"));
}

void CglyphwrightDlg::ShowMessage(const QString &text) {
  ShowWarningMessage(this, text);
}

void CglyphwrightDlg::OnOpenImage() {
  const QString path = AskImagePath();
  if (!path.isEmpty())
    LoadImageFile(path);
}

bool CglyphwrightDlg::LoadImageFile(const QString &path) {
  // Only a regular file: reading a FIFO or a device would block the window.
  std::error_code error;
  const bool regular = std::filesystem::is_regular_file(path.toStdString(), error);
  const QImage image = regular ? QImage(path) : QImage();
  if (image.isNull()) {
    ShowMessage(QStringLiteral("无法读取图片文件：%1").arg(path));
    return false;
  }
  PutImageIntoWorkspace(image);
  return true;
}

void CglyphwrightDlg::PutImageIntoWorkspace(const QImage &image) {
  controls_.workspaceView->SetImage(image);
  // The boxes of the last image mean nothing over this one.
  undoStack_->clear();
  RebinarizeWorkspace();
}

void CglyphwrightDlg::RebinarizeWorkspace() {
  const int maximum = controls_.maximum->value();
  const int threshold = controls_.threshold->value();
  // A list without a selection (-1) falls back to the default method.
  const int type = ThresholdTypeForMethod(controls_.method->currentIndex());
  controls_.workspaceView->Binarize(threshold, maximum, type);
}

void CglyphwrightDlg::OnGridSplit() {
  const int rowGap = ParseSplitGap(controls_.rows->text().toStdString());
  const int columnGap = ParseSplitGap(controls_.columns->text().toStdString());
  if (rowGap < 1 || columnGap < 1) {
    ShowMessage(QStringLiteral("分割的行列必须大于0"));
    return;
  }
  controls_.workspaceView->SplitGrid(rowGap, columnGap);
}

void CglyphwrightDlg::OnDirectSplit() {
  if (controls_.workspaceView->SplitDirect() == -1)
    ShowMessage(QStringLiteral("请先加载一张图片"));
}

void CglyphwrightDlg::OnClearBoxes() {
  controls_.workspaceView->ClearOutlines();
}
