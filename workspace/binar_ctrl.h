#pragma once
// The image workspace: holds the one image the user works on, binarized by
// the engine, cut into boxes, drawn with the box outlines at an integer zoom.
//
// It always works at the size of its own client area: an image is placed at
// the top-left corner of a black area of exactly that size and cut at its
// right and bottom edges. Boxes, masks and ranges are pixel coordinates in
// that area.
//
// The box list is always in reading order, whichever split or edit made it.
// A left click selects the innermost box under the cursor; a left drag draws
// or merges boxes (box_gesture.h says which); the right button opens the
// box commands; Delete removes the selected box.
#include <QImage>
#include <QPainterPath>
#include <QWidget>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "engine/morvexa.h"
#include "workspace/box_gesture.h"
#include "workspace/image_buffer.h"
#include "workspace/pixel_rect.h"
#include "workspace/seg_box.h"
#include "workspace/view_geometry.h"

class QAction;
class QMenu;

class CBinarCtrl : public QWidget {
  Q_OBJECT

public:
  explicit CBinarCtrl(QWidget *parent = nullptr);
  ~CBinarCtrl() override;

  // Copies `source` into the workspace (the caller keeps it) and hands the
  // copy to the engine. Clears the outlines but keeps the box list; resets
  // zoom and offset. Follow it with Binarize: until then the view is black.
  void SetImage(const QImage &source);

  // Thresholds the image with an engine threshold type (0, 1, 2, 3, 4, 7, 8,
  // 16). White only where the engine's mask is set inside the source
  // rectangle. Without an image, or when the engine gives no mask, nothing
  // changes.
  void Binarize(int threshold, int maximum, int type);

  // The mask of an area (right and bottom exclusive): 0xFF for white, 0 for
  // black, rows without gaps. An all-zero area means the whole workspace; an
  // area reaching outside it is clipped. `area` is rewritten to the area the
  // mask covers. Nothing without an image or memory.
  std::optional<std::vector<std::uint8_t>> ExtractMask(PixelRect &area) const;

  // Projection split with the row and column gaps (both at least 1).
  // 0 when done or without an image (nothing changes then), -1 when memory
  // runs out (the boxes stay as they were).
  int SplitGrid(int rowGap, int columnGap);

  // The engine's split into connected shapes. 0 when done, -1 without an
  // image.
  int SplitDirect();

  // Removes every outline from the view; the boxes stay clickable.
  void ClearOutlines();

  // A rectangle of the view's client area in workspace pixels, at the
  // current zoom and offset; an all-zero rectangle means the whole view.
  void ViewToImage(PixelRect &rect) const;

  // Selects a box as a click on it does: red outline, reported to the main
  // window. False (nothing changes) for an index outside the list.
  bool SelectBox(int index);
  // No box is drawn as selected any more (the current sample came from
  // elsewhere); nothing is reported.
  void ClearSelection();
  // The box selected last by a click, SelectBox or an edit; -1 for none
  // (also after a miss, a split, a new image or cleared outlines).
  int selectedIndex() const { return selected_; }

  // Box edits. Each keeps the list in reading order, redraws every outline,
  // and selects (and reports) the box it made. False when nothing changed:
  // no image, an index outside the list, or no white pixels to box.
  // A rectangle the user dragged, inclusive corners in workspace pixels.
  bool AddDrawnBox(const PixelRect &dragged);
  // Deletes a box; nothing is selected afterwards.
  bool DeleteBox(int index);
  // Cuts a box at a workspace column (the right part starts there).
  bool SplitBoxAtColumn(int index, int column);
  // Cuts a box into `parts` columns of equal width.
  bool SplitBoxIntoParts(int index, int parts);
  // Merges the boxes into one.
  bool MergeBoxesAt(std::vector<int> indices);

  // While a line is labelled: the character each box will get, drawn by
  // the box (a mark where a box gets none), so every pairing can be
  // checked. One entry per box in list order; an empty vector shows none.
  void SetBoxCaptions(std::vector<QString> captions);
  const std::vector<QString> &boxCaptions() const { return captions_; }
  // What a box without a character shows.
  static constexpr char16_t kNoCaptionMark = u'\u2715'; // ✕

  // Undo: every change of the box list (a split or a box edit) is handed to
  // the recorder with the list as it was before and a short name of the
  // change; the list after it is boxes() by then.
  using EditRecorder = std::function<void(std::vector<SegBox> before, const QString &what)>;
  void SetEditRecorder(EditRecorder recorder) { editRecorder_ = std::move(recorder); }
  // Puts a box list back as undo and redo do: outlines drawn, nothing
  // selected, nothing recorded.
  void RestoreBoxes(std::vector<SegBox> boxes);
  // Undo and redo items for the context menu; the caller owns them.
  void SetHistoryActions(QAction *undo, QAction *redo);

  // How many equal parts the user wants a box of `maxParts` pixel columns cut
  // into; 0 when cancelled. By default an input dialog; tests answer it.
  using PartsAsker = std::function<int(int maxParts)>;
  void SetPartsAsker(PartsAsker asker) { partsAsker_ = std::move(asker); }
  // The menu a right click opened last (null before the first one).
  QMenu *contextMenu() const { return contextMenu_; }

  const std::vector<SegBox> &boxes() const { return boxes_; }
  const ViewZoom &view() const { return view_; }
  const ImageBuffer &displayBuffer() const { return display_; }
  bool hasImage() const { return !display_.empty(); }
  int sourceWidth() const { return sourceWidth_; }
  int sourceHeight() const { return sourceHeight_; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;

signals:
  // "按顺序标注…" was chosen on the workspace's menu: the main window opens
  // the line-labelling dialog over the boxes.
  void LabelInOrderRequested();
  // A printable key was typed while a box is selected: the main window puts
  // it into the label edit and the focus with it, so no key is lost.
  void TypedToLabel(const QString &text);

private:
  void ConvertShownToBuffers();
  void ShowDisplayBuffer();
  void ReplaceBoxes(std::vector<SegBox> boxes, const QString &what);
  void Record(std::vector<SegBox> before, const QString &what);
  bool LeftControlHeld(Qt::KeyboardModifiers modifiers) const;
  void ComposeBackBuffer();
  void DrawGesture(QPainter &painter) const;
  void DrawCaptions(QPainter &painter) const;
  // The box list changed by an edit: the removed boxes out, the added ones
  // in, reading order kept, every outline drawn, the first added box
  // selected and reported.
  void ApplyEdit(std::span<const int> removed, std::span<const SegBox> added, const QString &what);
  // Runs `edit` on the mask of the whole workspace; false without one.
  template <typename Edit> bool WithMask(Edit edit);
  void RebuildOutlines();
  void BuildContextMenu(WorkspacePoint at, int box);
  int AskParts(int maxParts);

  // Engine copy (red, green, blue, x): backs mat_ and stays unchanged while
  // mat_ lives, because the engine reads it at every threshold.
  ImageBuffer engineCopy_;
  // Display buffer (blue, green, red, x): black or white after binarization;
  // the source of every mask.
  ImageBuffer display_;
  MatHandle mat_ = 0;
  // What the view paints: the display buffer as an image of the workspace's
  // size.
  QImage shown_;
  int sourceWidth_ = 0;
  int sourceHeight_ = 0;

  std::vector<SegBox> boxes_;
  QPainterPath allOutlines_;
  QPainterPath selectedOutline_;
  int selected_ = -1;

  BoxGesture gesture_;
  QMenu *contextMenu_ = nullptr;
  PartsAsker partsAsker_;
  EditRecorder editRecorder_;
  std::vector<QString> captions_;
  QAction *undoAction_ = nullptr;
  QAction *redoAction_ = nullptr;

  QImage backBuffer_;
  ViewZoom view_;

  // Which Ctrl key is down, from the key events the application sees: wheel
  // events cannot tell left from right.
  bool leftControlDown_ = false;
  bool keysNamed_ = false; // the platform names the key of a key event
};
