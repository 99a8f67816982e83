#include "samples/sample_list.h"

#include "platform/file_replace.h"
#include "samples/list_items.h"
#include "samples/sample_file.h"
#include "workspace/dot_matrix_bitmap.h"

#include <QAction>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTableWidget>
#include <utility>

static_assert(CSampleList::kMaxLabelChars * 6 <= kMaxLabelInFile,
              "a label typed in the edit must read back from the sample file");

namespace {

constexpr int kMenuId = 129;
constexpr int kDeleteCommand = 32772;

} // namespace

CSampleList::CSampleList(QTableWidget *list, QLineEdit *label, QLineEdit *samplePath,
                         QWidget *owner, SampleStore &store, QObject *parent)
    : QObject(parent), list_(list), label_(label), samplePath_(samplePath), owner_(owner),
      store_(store), popupMenu_(new QMenu(owner)) {
  if (list_->columnCount() < 2)
    list_->setColumnCount(2);
  // Every label typed here reads back from the sample file, escapes and all.
  label_->setMaxLength(kMaxLabelChars);

  popupMenu_->setObjectName(QString::number(kMenuId));
  QAction *remove = popupMenu_->addAction(QStringLiteral("删除"));
  remove->setObjectName(QString::number(kDeleteCommand));
  remove->setData(kDeleteCommand);
  // The key is shown in the menu but works in the list only (eventFilter):
  // elsewhere Delete belongs to the edits and to the workspace's boxes.
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
  remove->setShortcutVisibleInContextMenu(true);
  connect(remove, &QAction::triggered, this, [this] { OnDeleteSample(); });
  list_->installEventFilter(this);

  // The header sorts; the rows keep their own order underneath.
  QHeaderView *header = list_->horizontalHeader();
  header->setSectionsClickable(true);
  connect(header, &QHeaderView::sectionClicked, this, &CSampleList::OnHeaderClicked);
  connect(header, &QHeaderView::sectionDoubleClicked, this, &CSampleList::OnHeaderDoubleClicked);

  // Only a mouse click previews: moving the selection with the keyboard
  // leaves the preview and the current sample alone.
  connect(list_, &QTableWidget::clicked, this, [this] { OnSampleListClick(); });
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QTableWidget::customContextMenuRequested, this, [this] { OnSampleListRClick(); });

  messageSink_ = [this](const QString &text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("glyphwright"), text, QMessageBox::Ok,
                    owner_);
    box.exec();
  };
  pathChooser_ = [this] { return DefaultPathChooser(); };
}

bool CSampleList::eventFilter(QObject *watched, QEvent *event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent *>(event)->matches(QKeySequence::Delete)) {
    OnDeleteSample();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void CSampleList::SetMessageSink(MessageSink sink) {
  messageSink_ = std::move(sink);
}

void CSampleList::SetPathChooser(PathChooser chooser) {
  pathChooser_ = std::move(chooser);
}

void CSampleList::SetChangeSink(ChangeSink sink) {
  changeSink_ = std::move(sink);
}

void CSampleList::Tell(const QString &text) {
  if (messageSink_)
    messageSink_(text);
}

QString CSampleList::DefaultPathChooser() {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A new sample file is made by typing a name that does not exist yet.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("样本文件 (*.txt)"));
  if (dialog.exec() != QDialog::Accepted)
    return {};
  return dialog.selectedFiles().value(0);
}

void CSampleList::ReloadSampleList() {
  const QString shownPath = samplePath_->text();
  if (shownPath.isEmpty())
    return;
  const std::string path = FileSystemPath(shownPath);
  SampleStore loaded;
  const SampleFileLoad load = LoadSampleFile(path, loaded);
  if (load.rewriteLosesData)
    keepBeforeWrite_.insert(path);
  else
    keepBeforeWrite_.erase(path);
  if (!load.loaded)
    return;

  store_ = std::move(loaded);
  // The list reads in descending key order, as if each sample had been put
  // on top of the ones before it; a sort chosen before gives way to it.
  rows_.Assign(store_);
  view_.column = SortColumn::None;
  ShowSortIndicator();
  list_->clearSelection();
  RefillList();
  UpdateSourceFromStore();
  emit LibraryReplaced();
  Settle();

  if (!load.parse.valid) {
    const QString backup = DisplayPath(NextBackupPath(path));
    Tell(QStringLiteral("“%1”不是有效的样本文件，没有载入任何样本。\n"
                        "原文件不会被覆盖：下次保存样本前会先把它备份为“%2”。")
             .arg(shownPath, backup));
  } else if (load.parse.skipped > 0) {
    const QString backup = DisplayPath(NextBackupPath(path));
    Tell(QStringLiteral("样本文件“%1”中有 %2 个条目不是有效的样本，已跳过。\n"
                        "下次保存样本前会先把原文件备份为“%3”。")
             .arg(shownPath)
             .arg(load.parse.skipped)
             .arg(backup));
  }
}

void CSampleList::OnChooseSampleFile() {
  const QString path = pathChooser_ ? pathChooser_() : QString();
  if (path.isEmpty())
    return;
  samplePath_->setText(path);
  ReloadSampleList();
}

bool CSampleList::OnAddSample() {
  if (currentSample_.isEmpty()) {
    Tell(QStringLiteral("请先选中分割后的文字"));
    return false;
  }
  if (samplePath_->text().isEmpty()) {
    Tell(QStringLiteral("请先设置样本要保存的位置"));
    return false;
  }
  // Taken exactly as typed: a label of spaces is a label.
  const QString label = label_->text();
  if (label.isEmpty()) {
    Tell(QStringLiteral("文字内容不能为空"));
    return false;
  }
  replacedLabel_.clear();
  const auto known = store_.find(currentKey_);
  const QString before = known != store_.end() ? FromSystem(known->second) : QString();
  StoreChange change;
  PutSample(currentKey_, label, change);
  const bool written = Commit(std::move(change), QStringLiteral("添加样本"));
  Settle();
  if (!written)
    return false;
  if (!before.isEmpty() && before != label)
    replacedLabel_ = before;
  // The row deleted a moment ago is back in the library.
  if (source_ == Source::Deleted)
    SetSource(Source::ListRow);
  return true;
}

bool CSampleList::AddSamples(const std::vector<std::pair<QString, QString>> &samples) {
  if (samplePath_->text().isEmpty()) {
    Tell(QStringLiteral("请先设置样本要保存的位置"));
    return false;
  }
  StoreChange change;
  for (const auto &[data, label] : samples)
    if (!data.isEmpty() && !label.isEmpty())
      PutSample(ToSystem(data), label, change);
  const bool written = Commit(std::move(change), QStringLiteral("按顺序标注"));
  Settle();
  return written;
}

void CSampleList::PutSample(const std::string &key, const QString &label, StoreChange &change) {
  const std::string stored = ToSystem(label);
  const bool known = store_.contains(key);
  // A new sample goes on top of the rows; a known one keeps its row.
  const int position = known ? rows_.Find(key) : 0;
  change.RecordPut(store_, key, stored, position);
  const bool rowByRow = EditsRowByRow(1); // asked while list and rows agree
  if (!known) {
    rows_.Insert(0, key, stored);
    if (rowByRow) {
      list_->insertRow(0);
      list_->setItem(0, 0, ReadOnlyItem(label));
      list_->setItem(0, 1, DataItem(key));
    } else {
      listStale_ = true;
    }
  } else if (position >= 0) {
    rows_.Relabel(position, stored);
    if (rowByRow)
      list_->setItem(position, 0, ReadOnlyItem(label));
    else
      listStale_ = true; // the row may leave the filter or move in the sort
  }
  store_.insert_or_assign(key, stored);
}

void CSampleList::FollowChange(const StoreChange &change, bool forward) {
  const std::vector<RowAction> actions = ApplyStoreChange(change, store_, forward);
  if (!EditsRowByRow(actions.size())) {
    rows_.FollowAll(actions);
    listStale_ = true;
    return;
  }
  for (const RowAction &action : actions) {
    const int row = rows_.Follow(action);
    if (row < 0)
      continue;
    switch (action.edit) {
    case RowEdit::Insert:
      list_->insertRow(row);
      SetRowItems(row, rows_[row]);
      break;
    case RowEdit::Remove:
      list_->removeRow(row);
      break;
    case RowEdit::Relabel:
      list_->setItem(row, 0, ReadOnlyItem(FromSystem(*action.label)));
      break;
    }
  }
}

bool CSampleList::Commit(StoreChange change, const QString &what) {
  if (change.empty())
    return SaveSampleFile(); // nothing to undo, but the file is written as ever
  if (!SaveSampleFile()) {
    FollowChange(change, false);
    return false;
  }
  if (changeSink_)
    changeSink_(std::move(change), what);
  return true;
}

bool CSampleList::ApplyChange(const StoreChange &change, bool forward) {
  FollowChange(change, forward);
  UpdateSourceFromStore();
  Settle();
  if (samplePath_->text().isEmpty())
    return true;
  return SaveSampleFile();
}

void CSampleList::UpdateSourceFromStore() {
  // The current sample may have left the library or come back to it.
  if (!currentKey_.empty() && (source_ == Source::ListRow || source_ == Source::Deleted))
    SetSource(store_.contains(currentKey_) ? Source::ListRow : Source::Deleted);
}

void CSampleList::SetSource(Source source) {
  if (source_ == source)
    return;
  source_ = source;
  emit CurrentSourceChanged();
}

void CSampleList::OnSampleListClick() {
  ShowSelectedSample();
}

void CSampleList::OnSampleListRClick() {
  ShowSelectedSample();
  if (FirstSelectedRow() >= 0)
    popupMenu_->popup(QCursor::pos());
}

void CSampleList::ShowSelectedSample() {
  const int row = FirstSelectedRow();
  if (row < 0)
    return;
  const QString label = CellText(list_, row, 0);
  if (Preview(RowKey(list_, row), CellText(list_, row, 1))) {
    label_->setText(label);
    SetSource(Source::ListRow);
  }
}

bool CSampleList::OnBoxSelected(const QString &data) {
  const std::string key = ToSystem(data);
  if (!Preview(key, data))
    return false;
  SetSource(Source::Box);
  const auto found = store_.find(key);
  label_->setText(found != store_.end() ? FromSystem(found->second) : QString());
  return true;
}

void CSampleList::SetPreviewSize(QSize size) {
  previewSize_ = size;
}

bool CSampleList::Preview(const std::string &key, const QString &data) {
  const QImage bitmap =
      previewSize_.isValid() ? DotMatrixToBitmap(key, previewSize_) : DotMatrixToBitmap(key);
  if (bitmap.isNull())
    return false;
  currentKey_ = key;
  currentSample_ = data;
  emit PreviewChanged(bitmap);
  return true;
}

int CSampleList::FirstSelectedRow() const {
  int first = -1;
  for (const QModelIndex &index : list_->selectionModel()->selectedIndexes())
    if (first < 0 || index.row() < first)
      first = index.row();
  return first;
}

bool CSampleList::SaveSampleFile() {
  const QString shownPath = samplePath_->text();
  const std::string path = FileSystemPath(shownPath);
  if (keepBeforeWrite_.contains(path)) {
    if (QFile::exists(shownPath) && !BackUpFile(path)) {
      Tell(QStringLiteral("无法备份样本文件“%1”，为保护原文件，这次没有写入。").arg(shownPath));
      return false;
    }
    keepBeforeWrite_.erase(path);
  }
  if (!WriteSampleFile(path, store_)) {
    Tell(QStringLiteral("无法写入样本文件“%1”，原文件保持不变。").arg(shownPath));
    return false;
  }
  return true;
}
