// The sample list's commands on many samples at once: deleting the selected
// rows, starting a new library, and importing another sample file.
#include "samples/library_changes.h"
#include "samples/list_items.h"
#include "samples/sample_file.h"
#include "samples/sample_list.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTableWidget>
#include <filesystem>

namespace {

QString ChooseFile(QWidget *owner, QFileDialog::AcceptMode mode, QFileDialog::FileMode files) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(files);
  // A file that exists is refused with a message of its own.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilter(QStringLiteral("样本文件 (*.txt)"));
  if (dialog.exec() != QDialog::Accepted)
    return {};
  return dialog.selectedFiles().value(0);
}

} // namespace

void CSampleList::SetNewLibraryChooser(PathChooser chooser) {
  newLibraryChooser_ = std::move(chooser);
}

void CSampleList::SetImportChooser(PathChooser chooser) {
  importChooser_ = std::move(chooser);
}

void CSampleList::OnDeleteSample() {
  const std::vector<std::string> keys = SelectedKeys();
  if (keys.empty())
    return;
  StoreChange change = EraseChange(store_, rows_, keys);
  FollowChange(change, true);
  list_->clearSelection();
  const bool currentGone = !currentKey_.empty() && !store_.contains(currentKey_) &&
                           std::find(keys.begin(), keys.end(), currentKey_) != keys.end();
  if (currentGone)
    SetSource(Source::Deleted);
  if (!samplePath_->text().isEmpty() && !change.empty() &&
      !Commit(std::move(change), QStringLiteral("删除样本")) && currentGone)
    SetSource(Source::ListRow); // the rows are back
  Settle();
}

bool CSampleList::OnNewLibrary() {
  const QString path = newLibraryChooser_
                           ? newLibraryChooser_()
                           : ChooseFile(owner_, QFileDialog::AcceptSave, QFileDialog::AnyFile);
  if (path.isEmpty())
    return false;
  const std::string file = FileSystemPath(path);
  std::error_code error;
  // Whatever is there stays: a library is never emptied by starting one.
  if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
    Tell(QStringLiteral("“%1”已存在。新建样本库要用一个新的文件名；"
                        "要打开已有的样本库，请用“设置样本存储位置”。")
             .arg(path));
    return false;
  }
  if (!WriteSampleFile(file, SampleStore{})) {
    Tell(QStringLiteral("无法创建样本文件“%1”。").arg(path));
    return false;
  }
  store_.clear();
  rows_.Assign(store_);
  view_.column = SortColumn::None;
  ShowSortIndicator();
  keepBeforeWrite_.erase(file);
  samplePath_->setText(path);
  list_->clearSelection();
  RefillList();
  UpdateSourceFromStore();
  emit LibraryReplaced();
  Settle();
  return true;
}

std::optional<CSampleList::ImportSummary> CSampleList::OnImportSamples() {
  // Asked before the file, as adding asks before the typing.
  if (samplePath_->text().isEmpty()) {
    Tell(QStringLiteral("请先设置样本要保存的位置"));
    return std::nullopt;
  }
  const QString path = importChooser_
                           ? importChooser_()
                           : ChooseFile(owner_, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
  if (path.isEmpty())
    return std::nullopt;
  const std::string file = FileSystemPath(path);
  std::error_code error;
  SampleStore incoming;
  SampleFileLoad load;
  // Only a regular file: reading a FIFO or a device would block the window.
  if (std::filesystem::is_regular_file(file, error))
    load = LoadSampleFile(file, incoming);
  if (!load.loaded) {
    Tell(QStringLiteral("无法读取样本文件“%1”，没有导入任何样本。").arg(path));
    return std::nullopt;
  }
  if (!load.parse.valid) {
    Tell(QStringLiteral("“%1”不是有效的样本文件，没有导入任何样本。").arg(path));
    return std::nullopt;
  }
  std::optional<ImportSummary> summary = ImportSamples(incoming);
  if (summary)
    summary->skipped = load.parse.skipped;
  return summary;
}

std::optional<CSampleList::ImportSummary> CSampleList::ImportSamples(const SampleStore &incoming) {
  ImportPlan plan = PlanImport(store_, rows_, incoming);
  const ImportSummary summary{plan.added, plan.relabelled, plan.unchanged, 0};
  if (plan.change.empty())
    return summary; // the library has all of it already: nothing to write
  FollowChange(plan.change, true);
  UpdateSourceFromStore();
  const bool written = Commit(std::move(plan.change), QStringLiteral("导入样本"));
  Settle();
  if (!written)
    return std::nullopt;
  return summary;
}
