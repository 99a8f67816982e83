#pragma once
// The main window's undo history: one QUndoStack (CglyphwrightDlg::UndoStack)
// holds the box edits of the workspace and the changes of the sample
// library, in the order the user made them. Ctrl+Z undoes, Ctrl+Y and
// Ctrl+Shift+Z redo; the workspace's menu offers both. The history starts
// anew with a new image and with another sample file.
//
// Pushing a change of your own:
//   - Library: make the change through CSampleList so it builds a
//     StoreChange (samples/store_change.h: each row inserted, removed or
//     relabelled, with its list row, in the order done), write the file, and
//     hand the change to the list's ChangeSink; the main window pushes a
//     LibraryChangeCommand for it. Or push one yourself:
//       stack->push(new LibraryChangeCommand(list, std::move(change), what));
//     The change is already applied when it is pushed: the first redo does
//     nothing. Undo and redo then go through CSampleList::ApplyChange, which
//     writes the sample file through the safe writer.
//   - Several changes as one step: stack->beginMacro(what) ... endMacro().
//   - Boxes: CBinarCtrl hands every change of its list to its EditRecorder;
//     the main window pushes a BoxListCommand with the lists before and
//     after.
#include "samples/store_change.h"
#include "workspace/seg_box.h"

#include <QPointer>
#include <QUndoCommand>
#include <vector>

class CBinarCtrl;
class CSampleList;

// The history keeps at least this many steps.
inline constexpr int kUndoLimit = 200;

class LibraryChangeCommand : public QUndoCommand {
public:
  // `change` has been applied and written already.
  LibraryChangeCommand(CSampleList *list, StoreChange change, const QString &what);
  void redo() override;
  void undo() override;

private:
  QPointer<CSampleList> list_;
  StoreChange change_;
  bool applied_ = true;
};

class BoxListCommand : public QUndoCommand {
public:
  // The view shows `after` already: the first redo does nothing.
  BoxListCommand(CBinarCtrl *view, std::vector<SegBox> before, std::vector<SegBox> after,
                 const QString &what);
  void redo() override;
  void undo() override;

private:
  QPointer<CBinarCtrl> view_;
  std::vector<SegBox> before_;
  std::vector<SegBox> after_;
  bool applied_ = true;
};
