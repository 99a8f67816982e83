// The workspace view's box edits: the commands that change the box list, the
// context menu that offers them and the selection they leave.
#include "workspace/binar_ctrl.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QInputDialog>
#include <QMenu>
#include <algorithm>

#include "workspace/box_edits.h"
#include "workspace/box_selected_event.h"

namespace {

QRectF SelectedOutlineOf(const SegBox &box) {
  return QRectF(box.x, box.y, box.width, box.height);
}

} // namespace

bool CBinarCtrl::SelectBox(int index) {
  if (index < 0 || std::size_t(index) >= boxes_.size())
    return false;
  selected_ = index;
  selectedOutline_.clear();
  selectedOutline_.addRect(SelectedOutlineOf(boxes_[std::size_t(index)]));
  update();
  BoxSelectedEvent selected(boxes_[std::size_t(index)]);
  QCoreApplication::sendEvent(window(), &selected);
  return true;
}

template <typename Edit> bool CBinarCtrl::WithMask(Edit edit) {
  PixelRect whole{};
  const std::optional<std::vector<std::uint8_t>> mask = ExtractMask(whole);
  if (!mask)
    return false;
  return edit(WhiteMask{mask->data(), whole.right, whole.bottom});
}

void CBinarCtrl::Record(std::vector<SegBox> before, const QString &what) {
  if (editRecorder_ && before != boxes_)
    editRecorder_(std::move(before), what);
}

void CBinarCtrl::RestoreBoxes(std::vector<SegBox> boxes) {
  gesture_.Cancel();
  boxes_ = std::move(boxes);
  selected_ = -1;
  RebuildOutlines();
  update();
}

void CBinarCtrl::SetHistoryActions(QAction *undo, QAction *redo) {
  undoAction_ = undo;
  redoAction_ = redo;
}

void CBinarCtrl::ApplyEdit(std::span<const int> removed, std::span<const SegBox> added,
                           const QString &what) {
  gesture_.Cancel();
  std::vector<SegBox> before = boxes_;
  const int first = ReplaceBoxesInReadingOrder(boxes_, removed, added);
  Record(std::move(before), what);
  selected_ = -1;
  RebuildOutlines();
  update();
  SelectBox(first);
}

bool CBinarCtrl::AddDrawnBox(const PixelRect &dragged) {
  return WithMask([&](const WhiteMask &mask) {
    const std::optional<SegBox> box = DrawnBox(mask, dragged);
    if (!box)
      return false;
    // A box drawn around a glyph that has one already: that one is meant.
    // A second box on the same glyph would shift every label of a line.
    const int same = SameOutline(boxes_, *box);
    if (same >= 0) {
      gesture_.Cancel();
      SelectBox(same);
      return true;
    }
    ApplyEdit({}, std::span(&*box, 1), QStringLiteral("画框"));
    return true;
  });
}

bool CBinarCtrl::DeleteBox(int index) {
  if (index < 0 || std::size_t(index) >= boxes_.size())
    return false;
  ApplyEdit(std::span(&index, 1), {}, QStringLiteral("删除框"));
  return true;
}

bool CBinarCtrl::SplitBoxAtColumn(int index, int column) {
  if (index < 0 || std::size_t(index) >= boxes_.size())
    return false;
  return WithMask([&](const WhiteMask &mask) {
    const auto parts = SplitBoxAt(mask, boxes_[std::size_t(index)], column);
    if (!parts)
      return false;
    ApplyEdit(std::span(&index, 1), *parts, QStringLiteral("拆分框"));
    return true;
  });
}

bool CBinarCtrl::SplitBoxIntoParts(int index, int parts) {
  if (index < 0 || std::size_t(index) >= boxes_.size())
    return false;
  return WithMask([&](const WhiteMask &mask) {
    const auto pieces = SplitBoxEqually(mask, boxes_[std::size_t(index)], parts);
    if (!pieces)
      return false;
    ApplyEdit(std::span(&index, 1), *pieces, QStringLiteral("拆分框"));
    return true;
  });
}

bool CBinarCtrl::MergeBoxesAt(std::vector<int> indices) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  std::vector<SegBox> merging;
  for (int index : indices) {
    if (index < 0 || std::size_t(index) >= boxes_.size())
      return false;
    merging.push_back(boxes_[std::size_t(index)]);
  }
  return WithMask([&](const WhiteMask &mask) {
    const std::optional<SegBox> merged = MergeBoxes(mask, merging);
    if (!merged)
      return false;
    // Pieces lying inside the merged box go with it: left alone they would
    // stand as boxes of their own inside the glyph.
    for (int inside : BoxesInside(boxes_, *merged))
      if (std::find(indices.begin(), indices.end(), inside) == indices.end())
        indices.push_back(inside);
    ApplyEdit(indices, std::span(&*merged, 1), QStringLiteral("合并框"));
    return true;
  });
}

void CBinarCtrl::contextMenuEvent(QContextMenuEvent *event) {
  gesture_.Cancel();
  const WorkspacePoint point = ViewToWorkspace(view_, event->pos().x(), event->pos().y());
  BuildContextMenu(point, HitBox(boxes_, point));
  contextMenu_->popup(event->globalPos());
  event->accept();
}

void CBinarCtrl::BuildContextMenu(WorkspacePoint at, int box) {
  delete contextMenu_;
  contextMenu_ = new QMenu(this);
  contextMenu_->setObjectName(QStringLiteral("workspaceMenu"));
  const auto add = [this](const char *name, const QString &text, auto action) {
    QAction *item = contextMenu_->addAction(text);
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this, action);
    return item;
  };

  if (box >= 0) {
    // The menu's commands find their box again by value: the list may have
    // changed while the menu was open.
    const SegBox target = boxes_[std::size_t(box)];
    const auto indexOf = [this, target] {
      const auto found = std::find(boxes_.begin(), boxes_.end(), target);
      return found == boxes_.end() ? -1 : int(found - boxes_.begin());
    };
    add("deleteBox", QStringLiteral("删除此框"), [this, indexOf] { DeleteBox(indexOf()); });
    const bool canSplit =
        WithMask([&](const WhiteMask &mask) { return SplitBoxAt(mask, target, at.x).has_value(); });
    add("splitHere", QStringLiteral("在此列拆分"), [this, indexOf, column = at.x] {
      SplitBoxAtColumn(indexOf(), column);
    })->setEnabled(canSplit);
    const int columns = GlyphRectOf(target).right - GlyphRectOf(target).left + 1;
    add("splitEqual", QStringLiteral("平均拆分为…"), [this, indexOf, columns] {
      const int parts = AskParts(columns);
      if (parts >= 2)
        SplitBoxIntoParts(indexOf(), parts);
    })->setEnabled(columns >= 2);
    const bool otherSelected = selected_ >= 0 && selected_ != box;
    const SegBox selectedBox = otherSelected ? boxes_[std::size_t(selected_)] : SegBox{};
    add("mergeSelected", QStringLiteral("与选中的框合并"), [this, indexOf, selectedBox] {
      const auto found = std::find(boxes_.begin(), boxes_.end(), selectedBox);
      if (found != boxes_.end())
        MergeBoxesAt({indexOf(), int(found - boxes_.begin())});
    })->setEnabled(otherSelected);
    contextMenu_->addSeparator();
  }
  add("labelInOrder", QStringLiteral("按顺序标注…"), [this] {
    emit LabelInOrderRequested();
  })->setEnabled(!boxes_.empty());
  if (undoAction_ && redoAction_) {
    contextMenu_->addSeparator();
    contextMenu_->addAction(undoAction_);
    contextMenu_->addAction(redoAction_);
  }
}

int CBinarCtrl::AskParts(int maxParts) {
  if (partsAsker_)
    return partsAsker_(maxParts);
  bool ok = false;
  const int parts = QInputDialog::getInt(this, QStringLiteral("平均拆分"),
                                         QStringLiteral("拆分为几个字："), 2, 2, maxParts, 1, &ok);
  return ok ? parts : 0;
}
