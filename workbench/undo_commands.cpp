#include "workbench/undo_commands.h"

#include "samples/sample_list.h"
#include "workspace/binar_ctrl.h"

LibraryChangeCommand::LibraryChangeCommand(CSampleList *list, StoreChange change,
                                           const QString &what)
    : QUndoCommand(what), list_(list), change_(std::move(change)) {}

void LibraryChangeCommand::redo() {
  if (std::exchange(applied_, false) || !list_)
    return;
  list_->ApplyChange(change_, true);
}

void LibraryChangeCommand::undo() {
  if (list_)
    list_->ApplyChange(change_, false);
}

BoxListCommand::BoxListCommand(CBinarCtrl *view, std::vector<SegBox> before,
                               std::vector<SegBox> after, const QString &what)
    : QUndoCommand(what), view_(view), before_(std::move(before)), after_(std::move(after)) {}

void BoxListCommand::redo() {
  if (std::exchange(applied_, false) || !view_)
    return;
  view_->RestoreBoxes(after_);
}

void BoxListCommand::undo() {
  if (view_)
    view_->RestoreBoxes(before_);
}
