// The main window's undo history: the stack, its keys and menu items, and
// the routes by which the workspace and the sample list report changes.
#include "samples/sample_list.h"
#include "workbench/glyphwright_dlg.h"
#include "workbench/undo_commands.h"
#include "workspace/binar_ctrl.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QUndoStack>

void CglyphwrightDlg::CreateUndoHistory() {
  undoStack_ = new QUndoStack(this);
  undoStack_->setUndoLimit(kUndoLimit);

  QAction *undo = undoStack_->createUndoAction(this, QStringLiteral("撤销"));
  QAction *redo = undoStack_->createRedoAction(this, QStringLiteral("重做"));
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  // Window-wide keys, whichever control has the focus (the label edit gives
  // them up while it has no typing of its own to undo: eventFilter).
  for (QAction *action : {undo, redo}) {
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
  controls_.workspaceView->SetHistoryActions(undo, redo);

  CBinarCtrl *view = controls_.workspaceView;
  view->SetEditRecorder([this, view](std::vector<SegBox> before, const QString &what) {
    undoStack_->push(new BoxListCommand(view, std::move(before), view->boxes(), what));
  });
  sampleList_->SetChangeSink([this](StoreChange change, const QString &what) {
    undoStack_->push(new LibraryChangeCommand(sampleList_, std::move(change), what));
  });
  // Another sample file, or the same one read again: the rows and labels
  // the history would bring back are not this library's.
  connect(controls_.samplePath, &QLineEdit::textChanged, undoStack_, &QUndoStack::clear);
  connect(sampleList_, &CSampleList::LibraryReplaced, undoStack_, &QUndoStack::clear);
}
