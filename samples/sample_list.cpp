#include "samples/sample_list.h"

#include "app/text_codec.h"
#include "platform/file_replace.h"
#include "samples/sample_file.h"
#include "workspace/dot_matrix_bitmap.h"

#include <QAction>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
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

QString FromSystem(const std::string &bytes) {
  return QString::fromStdU16String(FromSystemCodePage(bytes));
}

std::string ToSystem(const QString &text) {
  return ToSystemCodePage(text.toStdU16String());
}

// Edit 1008 holds what the user chose in the file dialog; the file system
// takes it in the locale's encoding.
std::string FileSystemPath(const QString &path) {
  return QFile::encodeName(path).toStdString();
}

QString DisplayPath(const std::string &path) {
  return QFile::decodeName(path.c_str());
}

QTableWidgetItem *ReadOnlyItem(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  // A list-view row is not edited in place; a double click does nothing.
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

// The data cell also keeps the store's key bytes: a key with bytes the code
// page cannot decode shows U+FFFD, and the shown text no longer converts back
// to the key.
constexpr int kKeyRole = Qt::UserRole;

// What the data column shows of a key: a sample of a large box has a data
// string of megabytes, and laying out such a text takes the list seconds at
// every paint. The column is far too narrow for more anyway.
constexpr size_t kShownDataBytes = 1024;

QString ShownData(const std::string &key) {
  if (key.size() <= kShownDataBytes)
    return FromSystem(key);
  return FromSystem(key.substr(0, kShownDataBytes)) + QChar(0x2026);
}

QTableWidgetItem *DataItem(const std::string &key) {
  QTableWidgetItem *item = ReadOnlyItem(ShownData(key));
  item->setData(kKeyRole, QByteArray(key.data(), qsizetype(key.size())));
  return item;
}

std::string RowKey(const QTableWidget *list, int row) {
  const QTableWidgetItem *item = list->item(row, 1);
  if (item == nullptr)
    return {};
  const QVariant key = item->data(kKeyRole);
  if (key.isValid())
    return key.toByteArray().toStdString();
  return ToSystem(item->text());
}

QString CellText(const QTableWidget *list, int row, int column) {
  const QTableWidgetItem *item = list->item(row, column);
  return item ? item->text() : QString();
}

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
  connect(remove, &QAction::triggered, this, [this] { OnDeleteSample(); });

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
  // on top of the ones before it. Filled from the bottom in one pass: a
  // library holds thousands of samples.
  list_->setRowCount(0);
  list_->setRowCount(static_cast<int>(store_.size()));
  int row = list_->rowCount();
  for (const auto &[desc, name] : store_) {
    --row;
    list_->setItem(row, 0, ReadOnlyItem(FromSystem(name)));
    list_->setItem(row, 1, DataItem(desc));
  }

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
  if (!Commit(std::move(change), QStringLiteral("添加样本")))
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
  return Commit(std::move(change), QStringLiteral("按顺序标注"));
}

void CSampleList::PutSample(const std::string &key, const QString &label, StoreChange &change) {
  const std::string stored = ToSystem(label);
  const bool known = store_.contains(key);
  const int row = known ? RowOfKey(key) : 0;
  change.RecordPut(store_, key, stored, row);
  if (!known)
    AddRowOnTop(label, key);
  else if (row >= 0)
    list_->setItem(row, 0, ReadOnlyItem(label));
  store_.insert_or_assign(key, stored);
}

int CSampleList::RowOfKey(const std::string &key) const {
  for (int row = 0; row < list_->rowCount(); ++row)
    if (RowKey(list_, row) == key)
      return row;
  return -1;
}

void CSampleList::FollowChange(const StoreChange &change, bool forward) {
  for (const RowAction &action : ApplyStoreChange(change, store_, forward)) {
    switch (action.edit) {
    case RowEdit::Insert:
      list_->insertRow(action.row);
      list_->setItem(action.row, 0, ReadOnlyItem(FromSystem(*action.label)));
      list_->setItem(action.row, 1, DataItem(*action.key));
      break;
    case RowEdit::Remove:
      list_->removeRow(action.row);
      break;
    case RowEdit::Relabel:
      list_->setItem(action.row, 0, ReadOnlyItem(FromSystem(*action.label)));
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
  // The current sample may have left the library or come back to it.
  if (!currentKey_.empty() && (source_ == Source::ListRow || source_ == Source::Deleted))
    SetSource(store_.contains(currentKey_) ? Source::ListRow : Source::Deleted);
  if (samplePath_->text().isEmpty())
    return true;
  return SaveSampleFile();
}

void CSampleList::SetSource(Source source) {
  if (source_ == source)
    return;
  source_ = source;
  emit CurrentSourceChanged();
}

void CSampleList::OnDeleteSample() {
  const int row = FirstSelectedRow();
  if (row < 0)
    return;
  const std::string key = RowKey(list_, row);
  StoreChange change;
  change.RecordErase(store_, key, row);
  store_.erase(key);
  list_->removeRow(row);
  if (key == currentKey_)
    SetSource(Source::Deleted);
  if (!samplePath_->text().isEmpty() && !Commit(std::move(change), QStringLiteral("删除样本")) &&
      key == currentKey_)
    SetSource(Source::ListRow); // the row is back
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

void CSampleList::AddRowOnTop(const QString &label, const std::string &key) {
  list_->insertRow(0);
  list_->setItem(0, 0, ReadOnlyItem(label));
  list_->setItem(0, 1, DataItem(key));
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
