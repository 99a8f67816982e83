// The main window's commands on the sample library as a whole: a new
// library, an import, finding labels, and the strip that shows the count.
// They sit on keys and menus of their own: Ctrl+N, Ctrl+I, Ctrl+F, the
// window menu and the list's popup menu.
#include "samples/library_bar.h"
#include "samples/sample_list.h"
#include "workbench/glyphwright_dlg.h"
#include "workbench/main_window_layout.h"
#include "workspace/show_ctrl.h"

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QUndoStack>

namespace {

// The strip between the label edit (bottom at 163) and the list (top at
// 176), as wide as the list.
constexpr int kBarX = 352, kBarY = 164, kBarWidth = 179, kBarHeight = 11;

QAction *WindowAction(QWidget *window, const QString &text, QKeySequence key) {
  auto *action = new QAction(text, window);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  action->setShortcutVisibleInContextMenu(true);
  window->addAction(action);
  return action;
}

} // namespace

void CglyphwrightDlg::CreateLibraryCommands() {
  libraryBar_ = new CLibraryBar(sampleList_, controls_.sampleList, this);
  libraryBar_->setGeometry(DialogUnitsToPixelsX(kBarX), DialogUnitsToPixelsY(kBarY),
                           DialogUnitsToPixelsX(kBarWidth), DialogUnitsToPixelsY(kBarHeight));

  QAction *newLibrary =
      WindowAction(this, QStringLiteral("新建样本库…"), QKeySequence(Qt::CTRL | Qt::Key_N));
  QAction *import =
      WindowAction(this, QStringLiteral("导入样本…"), QKeySequence(Qt::CTRL | Qt::Key_I));
  QAction *find = WindowAction(this, QStringLiteral("查找文字"), QKeySequence::Find);
  newLibrary->setObjectName(QStringLiteral("newLibrary"));
  import->setObjectName(QStringLiteral("importSamples"));
  find->setObjectName(QStringLiteral("findLabels"));
  connect(newLibrary, &QAction::triggered, sampleList_, &CSampleList::OnNewLibrary);
  connect(import, &QAction::triggered, this, [this] { OnImportSamples(); });
  connect(find, &QAction::triggered, libraryBar_, &CLibraryBar::OpenFind);

  // The list's popup menu keeps 删除 first; the window menu has them all.
  QMenu *popup = sampleList_->PopupMenu();
  auto *selectAll = new QAction(QStringLiteral("全选"), popup);
  // Shown in the menu; the key itself is the list's own.
  selectAll->setShortcut(QKeySequence::SelectAll);
  selectAll->setShortcutContext(Qt::WidgetShortcut);
  selectAll->setShortcutVisibleInContextMenu(true);
  connect(selectAll, &QAction::triggered, controls_.sampleList, &QTableWidget::selectAll);
  popup->addAction(selectAll);
  popup->addSeparator();
  for (QAction *action : {find, newLibrary, import}) {
    popup->addAction(action);
    systemMenu_->addAction(action);
  }
}

void CglyphwrightDlg::OnImportSamples() {
  const std::optional<CSampleList::ImportSummary> done = sampleList_->OnImportSamples();
  if (!done)
    return;
  QString note =
      QStringLiteral("导入：新增 %1 个，%2 个改了标注").arg(done->added).arg(done->relabelled);
  if (done->skipped > 0)
    note += QStringLiteral("，跳过 %1 个无效条目").arg(done->skipped);
  controls_.previewView->SetNotice(note);
}
