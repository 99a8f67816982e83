// Editing the boxes in the workspace view with the mouse, the context menu
// and the Delete key, on the real view with an image binarized by the
// engine.
#include "workspace/binar_ctrl.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "widget_fixture.h"
#include "workspace/box_selected_event.h"

namespace {

// Copies every box the view reports while the report is being handled.
class BoxRecorder : public QObject {
public:
  std::vector<SegBox> boxes;

protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == BoxSelectedEvent::kType)
      boxes.push_back(static_cast<BoxSelectedEvent *>(event)->box());
    return false;
  }
};

struct Outline {
  int x, y, width, height;
  friend bool operator==(const Outline &, const Outline &) = default;
};

// Two touching glyphs that the projection split keeps as one box (pixels
// 2..7 x 3..9), a narrow glyph (12..13 x 3..9) and a ring (20..28 x 2..10)
// with a dot (24, 6) inside it.
QImage Scene() {
  return BlackWithWhite(60, 30,
                        {QRect(2, 3, 3, 7), QRect(5, 5, 3, 5), QRect(12, 3, 2, 7),
                         QRect(20, 2, 9, 1), QRect(20, 10, 9, 1), QRect(20, 2, 1, 9),
                         QRect(28, 2, 1, 9), QRect(24, 6, 1, 1)});
}
constexpr Outline kPair{1, 2, 7, 8};
constexpr Outline kNarrow{11, 2, 3, 8};
constexpr Outline kRing{19, 1, 10, 10};
constexpr Outline kDot{23, 5, 2, 2};

// Pixels of an outline as the view draws it: the rectangle's four lines.
int OutlinePixels(const Outline &o) {
  return 2 * (o.width + 1) + 2 * (o.height - 1);
}

class BoxEditingTest : public ::testing::Test {
protected:
  void SetUp() override {
    view_->resize(60, 30);
    view_->installEventFilter(&recorder_);
    view_->SetImage(Scene());
    view_->Binarize(128, 255, 0);
    ASSERT_EQ(view_->SplitGrid(1, 1), 0);
    ASSERT_EQ(Outlines(), (std::vector<Outline>{kPair, kNarrow, kRing}));
  }

  std::vector<Outline> Outlines() const {
    std::vector<Outline> outlines;
    for (const SegBox &box : view_->boxes())
      outlines.push_back({box.x, box.y, box.width, box.height});
    return outlines;
  }
  Outline Selected() const {
    const SegBox &box = view_->boxes().at(std::size_t(view_->selectedIndex()));
    return {box.x, box.y, box.width, box.height};
  }
  Outline LastReported() const {
    const SegBox &box = recorder_.boxes.back();
    return {box.x, box.y, box.width, box.height};
  }

  // The menu of a right click at a view point.
  QMenu &RightClick(QPoint at) {
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, view_->mapToGlobal(at));
    QCoreApplication::sendEvent(view_.get(), &request);
    EXPECT_NE(view_->contextMenu(), nullptr);
    view_->contextMenu()->hide();
    return *view_->contextMenu();
  }
  static QAction *Item(QMenu &menu, const char *name) {
    QAction *item = menu.findChild<QAction *>(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
  }

  std::unique_ptr<CBinarCtrl> view_ = std::make_unique<CBinarCtrl>();
  BoxRecorder recorder_;
};

TEST_F(BoxEditingTest, ShiftDragDrawsABoxSnappedToTheInkAndSelectsIt) {
  // Around the dot inside the ring, with black margins on every side.
  SendShortDrag(*view_, {22, 4}, {26, 8}, Qt::ShiftModifier);
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, kNarrow, kRing, kDot}));
  EXPECT_EQ(Selected(), kDot);
  EXPECT_EQ(LastReported(), kDot);
  const QImage shown = Shown(*view_);
  EXPECT_EQ(CountColour(shown, kRed), OutlinePixels(kDot));
  EXPECT_EQ(CountColour(shown, kGreen),
            OutlinePixels(kPair) + OutlinePixels(kNarrow) + OutlinePixels(kRing));

  // The box inside the ring is clickable, and so is the ring around it.
  SendClick(*view_, {24, 6});
  EXPECT_EQ(Selected(), kDot);
  SendClick(*view_, {21, 4});
  EXPECT_EQ(Selected(), kRing);

  // A drag over black only draws nothing.
  const std::size_t reports = recorder_.boxes.size();
  SendDrag(*view_, {40, 5}, {55, 25}, Qt::ShiftModifier);
  EXPECT_EQ(Outlines().size(), 4u);
  EXPECT_EQ(recorder_.boxes.size(), reports);
}

TEST_F(BoxEditingTest, PlainDragFromEmptySpaceDrawsButAJitteryClickOnlySelects) {
  // From outside every box over the dot and the ring's lower right part.
  SendDrag(*view_, {40, 12}, {23, 5});
  const Outline drawn{22, 4, 7, 7};
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, kNarrow, kRing, drawn}));
  EXPECT_EQ(Selected(), drawn);

  // A box drawn over exactly the ink of one already there is not doubled.
  SendDrag(*view_, {18, 0}, {35, 14}, Qt::ShiftModifier);
  EXPECT_EQ(Outlines().size(), 4u);
  EXPECT_EQ(Selected(), kRing);

  // Moving less than the platform's start distance is a click, even when
  // it ends on the touching neighbour: the box is selected, nothing else
  // changes.
  ASSERT_GT(QApplication::startDragDistance(), 9);
  SendDrag(*view_, {3, 4}, {12, 4});
  EXPECT_EQ(Outlines().size(), 4u);
  EXPECT_EQ(Selected(), kPair);
  EXPECT_EQ(LastReported(), kPair);
}

TEST_F(BoxEditingTest, ANestedPieceDraggedOntoItsGlyphMergesAndMergesTakeInsideBoxes) {
  SendShortDrag(*view_, {22, 4}, {26, 8}, Qt::ShiftModifier); // the dot gets a box
  ASSERT_EQ(Outlines(), (std::vector<Outline>{kPair, kNarrow, kRing, kDot}));
  // Pressed on the dot (the innermost box there), dragged over the ring and
  // out: the ring, met before the drag distance was reached, joins.
  SendDrag(*view_, {24, 6}, {35, 6});
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, kNarrow, kRing}));
  EXPECT_EQ(Selected(), kRing);

  // Merging the narrow glyph with the ring takes the dot's box in too.
  SendShortDrag(*view_, {22, 4}, {26, 8}, Qt::ShiftModifier);
  SendDrag(*view_, {12, 4}, {27, 4});
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, Outline{11, 1, 18, 10}}));
}

TEST_F(BoxEditingTest, DragFromABoxMergesTheBoxesItPassesOver) {
  SendDrag(*view_, {3, 4}, {21, 4}); // from the pair over the narrow glyph onto the ring
  const Outline merged{1, 1, 28, 10};
  EXPECT_EQ(Outlines(), (std::vector<Outline>{merged}));
  EXPECT_EQ(Selected(), merged);
  EXPECT_EQ(LastReported(), merged);
  EXPECT_EQ(CountColour(Shown(*view_), kRed), OutlinePixels(merged));
}

TEST_F(BoxEditingTest, ContextMenuSplitsMergesAndDeletes) {
  // Split the pair where the second glyph starts.
  QMenu *menu = &RightClick({5, 6});
  ASSERT_TRUE(Item(*menu, "splitHere")->isEnabled());
  EXPECT_FALSE(Item(*menu, "mergeSelected")->isEnabled()) << "no other box is selected";
  Item(*menu, "splitHere")->trigger();
  const Outline left{1, 2, 4, 8};
  const Outline right{4, 4, 4, 6};
  EXPECT_EQ(Outlines(), (std::vector<Outline>{left, right, kNarrow, kRing}));
  EXPECT_EQ(Selected(), left);

  // Merge them again: select one, right-click the other.
  SendClick(*view_, {2, 3});
  menu = &RightClick({6, 8});
  ASSERT_TRUE(Item(*menu, "mergeSelected")->isEnabled());
  Item(*menu, "mergeSelected")->trigger();
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, kNarrow, kRing}));

  // The narrow glyph has no column to cut at where it is clicked (its first),
  // but splits into two equal parts.
  menu = &RightClick({12, 5});
  EXPECT_FALSE(Item(*menu, "splitHere")->isEnabled());
  int asked = 0;
  view_->SetPartsAsker([&](int maxParts) {
    asked = maxParts;
    return 2;
  });
  Item(*menu, "splitEqual")->trigger();
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, {11, 2, 2, 8}, {12, 2, 2, 8}, kRing}));

  // Cancelling the question changes nothing.
  view_->SetPartsAsker([](int) { return 0; });
  Item(RightClick({3, 5}), "splitEqual")->trigger();
  EXPECT_EQ(Outlines().size(), 4u);

  Item(RightClick({20, 5}), "deleteBox")->trigger();
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, {11, 2, 2, 8}, {12, 2, 2, 8}}));
  EXPECT_EQ(view_->selectedIndex(), -1);
  EXPECT_EQ(CountColour(Shown(*view_), kRed), 0);
}

TEST_F(BoxEditingTest, MenuOnEmptySpaceOffersOnlyLineLabelling) {
  QSignalSpy requested(view_.get(), &CBinarCtrl::LabelInOrderRequested);
  QMenu &menu = RightClick({45, 20});
  ASSERT_EQ(menu.actions().size(), 1);
  QAction *label = Item(menu, "labelInOrder");
  EXPECT_EQ(label->text(), QStringLiteral("按顺序标注…"));
  label->trigger();
  EXPECT_EQ(requested.count(), 1);

  // On a box it is there as well, after the box's own commands.
  EXPECT_EQ(RightClick({3, 5}).actions().back()->objectName(), "labelInOrder");

  // Without boxes there is nothing to label.
  auto empty = std::make_unique<CBinarCtrl>();
  empty->resize(60, 30);
  QContextMenuEvent request(QContextMenuEvent::Mouse, {5, 5}, empty->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(empty.get(), &request);
  empty->contextMenu()->hide();
  EXPECT_FALSE(empty->contextMenu()->actions().front()->isEnabled());
}

TEST_F(BoxEditingTest, DeleteKeyRemovesTheSelectedBoxOnly) {
  QTest::keyClick(view_.get(), Qt::Key_Delete); // nothing selected: nothing happens
  EXPECT_EQ(Outlines().size(), 3u);

  SendClick(*view_, {12, 5});
  QTest::keyClick(view_.get(), Qt::Key_Delete);
  EXPECT_EQ(Outlines(), (std::vector<Outline>{kPair, kRing}));
  EXPECT_EQ(view_->selectedIndex(), -1);
  const QImage shown = Shown(*view_);
  EXPECT_EQ(CountColour(shown, kRed), 0);
  EXPECT_EQ(CountColour(shown, kGreen), OutlinePixels(kPair) + OutlinePixels(kRing));

  QTest::keyClick(view_.get(), Qt::Key_Delete);
  EXPECT_EQ(Outlines().size(), 2u);
}

TEST_F(BoxEditingTest, TheTooltipTellsHowToZoomAndEdit) {
  for (const char *told : {"Ctrl + 滚轮", "Shift", "合并", "Ctrl+Z"})
    EXPECT_TRUE(view_->toolTip().contains(QString::fromUtf8(told))) << told;
}

TEST_F(BoxEditingTest, EditsFollowTheZoom) {
  SendKey(*view_, QEvent::KeyPress, 0xffe3);
  SendWheel(*view_, {0, 0}, 120, Qt::ControlModifier);
  ASSERT_EQ(view_->view(), (ViewZoom{2, 0, 0}));
  // View (44, 8)..(52, 16) is workspace (22, 4)..(26, 8): around the dot.
  SendShortDrag(*view_, {44, 8}, {52, 16}, Qt::ShiftModifier);
  EXPECT_EQ(Selected(), kDot);
}

} // namespace
