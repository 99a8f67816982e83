// The fast ways to a labelled library, through the real window with real
// clicks and keys: one key and Enter per glyph, one typed line for all of
// them, and a box cut in two and merged back by mouse.
#include "road_fixture.h"

#include <QMenu>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

#include "capture/snap_cip_wnd.h"
#include "samples/line_label_dlg.h"

namespace {

using namespace e2e;

class LabellingRoad : public Road {
protected:
  void ChooseSampleFile() {
    samplePath_ = QString::fromStdString(program_->Scratch()) + "samples.txt";
    window_->SampleList()->SetPathChooser([this] { return samplePath_; });
    Click(Control(Id::ChooseSampleFileButton));
  }
  // Every box with the character of the text at its place in reading order.
  void ExpectLibraryOfTheText() {
    const QString text = lines_.join(QString());
    const std::vector<SegBox> &boxes = Control<CBinarCtrl>(Id::WorkspaceView)->boxes();
    ASSERT_EQ(window_->Samples().size(), boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const auto found = window_->Samples().find(boxes[i].data);
      ASSERT_NE(found, window_->Samples().end()) << i;
      EXPECT_EQ(QString::fromStdString(found->second), text.mid(qsizetype(i), 1)) << i;
    }
    SampleStore onDisk;
    EXPECT_TRUE(LoadSampleFile(samplePath_.toStdString(), onDisk).loaded);
    EXPECT_EQ(onDisk, window_->Samples());
    EXPECT_TRUE(answerer_->texts.isEmpty()) << answerer_->texts.join("|").toStdString();
  }
  // The first `count` boxes with the characters of `text` at their places,
  // and nothing else, in memory and in the file.
  void ExpectFirstPairsOfTheText(const std::vector<SegBox> &boxes, const QString &text,
                                 std::size_t count) {
    SampleStore expected;
    for (std::size_t i = 0; i < count; ++i)
      expected[boxes[i].data] = text.mid(qsizetype(i), 1).toStdString();
    EXPECT_EQ(window_->Samples(), expected);
    SampleStore onDisk;
    EXPECT_TRUE(LoadSampleFile(samplePath_.toStdString(), onDisk).loaded);
    EXPECT_EQ(onDisk, expected);
    EXPECT_TRUE(answerer_->texts.isEmpty()) << answerer_->texts.join("|").toStdString();
  }
  void PressKey(Qt::Key key) {
    QTest::keyClick(window_->windowHandle(), key);
    QTest::qWait(30);
  }
  // A press, a move in steps and a release of the left button, given to
  // the window as the platform gives them.
  void Drag(QWidget *widget, QPoint from, QPoint to) {
    QWindow *window = window_->windowHandle();
    const QPoint a = widget->mapTo(window_.get(), from);
    const QPoint b = widget->mapTo(window_.get(), to);
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, a);
    for (int i = 1; i <= 8; ++i)
      QTest::mouseMove(window, a + (b - a) * i / 8);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, b);
    QTest::qWait(30);
  }
  // A right click on the workspace, then a click on the menu item.
  void ChooseFromWorkspaceMenu(QPoint at, const char *item) {
    auto *view = Control<CBinarCtrl>(Id::WorkspaceView);
    QTest::mouseClick(window_->windowHandle(), Qt::RightButton, Qt::NoModifier,
                      view->mapTo(window_.get(), at));
    ASSERT_TRUE(
        SpinUntil([view] { return view->contextMenu() && view->contextMenu()->isVisible(); }));
    QMenu *menu = view->contextMenu();
    QAction *action = menu->findChild<QAction *>(QString::fromLatin1(item));
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << item;
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      menu->actionGeometry(action).center());
  }
};

TEST_F(LabellingRoad, OneKeyAndEnterPerGlyph) {
  shotPrefix_ = QStringLiteral("keys-");
  OpenAndSplit();
  ChooseSampleFile();
  auto *view = Control<CBinarCtrl>(Id::WorkspaceView);
  const SegBox first = view->boxes().front();
  Click(view, QPoint(first.x + first.width / 2, first.y + first.height / 2));
  Click(Control(Id::LabelEdit));
  const QString text = lines_.join(QString());
  for (QChar c : text) {
    Type(Control(Id::LabelEdit), QString(c));
    PressKey(Qt::Key_Return);
  }
  Shot(QStringLiteral("labelled"));
  EXPECT_FALSE(window_->CaptureWindow()->isVisible());
  EXPECT_EQ(view->selectedIndex(), int(view->boxes().size()) - 1);
  ExpectLibraryOfTheText();
}

TEST_F(LabellingRoad, OneTypedLineForAllBoxes) {
  shotPrefix_ = QStringLiteral("line-");
  OpenAndSplit();
  ChooseSampleFile();
  // The dialog is modal: it is answered while its own event loop runs.
  bool answered = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto *dialog = qobject_cast<CLineLabelDlg *>(QApplication::activeModalWidget());
    if (!dialog || answered || !dialog->isActiveWindow())
      return;
    answered = true;
    Type(dialog->TextEdit(), lines_.join(QStringLiteral(" ")));
    Shot(QStringLiteral("typed"));
    EXPECT_EQ(dialog->CountText(), QStringLiteral("15 个字，15 个框"));
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
  });
  watch.start(50);
  ChooseFromWorkspaceMenu(QPoint(5, 5), "labelInOrder");
  ASSERT_TRUE(SpinUntil([&] { return answered; }));
  ExpectLibraryOfTheText();
}

TEST_F(LabellingRoad, ABoxCutInTwoAndDraggedTogetherAgain) {
  shotPrefix_ = QStringLiteral("edit-");
  OpenAndSplit();
  auto *view = Control<CBinarCtrl>(Id::WorkspaceView);
  const std::vector<SegBox> before = view->boxes();
  const SegBox seven = before.front();
  // Cut the 7 at its middle column: two boxes where there was one.
  ChooseFromWorkspaceMenu(QPoint(seven.x + seven.width / 2, seven.y + seven.height / 2),
                          "splitHere");
  ASSERT_TRUE(SpinUntil([&] { return view->boxes().size() == before.size() + 1; }));
  Shot(QStringLiteral("split"));
  // From the left part over the right one: one box again, the 7 as before.
  const SegBox left = view->boxes()[0];
  const SegBox right = view->boxes()[1];
  Drag(view, QPoint(left.x + 1, left.y + left.height / 2),
       QPoint(right.x + right.width - 2, right.y + right.height / 2));
  Shot(QStringLiteral("merged"));
  EXPECT_EQ(view->boxes(), before);
}

// Labels typed over boxes and rows of the list, mistakes taken back with
// Ctrl+Z: the file ends with exactly the intended pairs.
TEST_F(LabellingRoad, ListUseLabellingAndUndoEndWithTheIntendedPairs) {
  shotPrefix_ = QStringLiteral("undo-");
  OpenAndSplit();
  ChooseSampleFile();
  auto *view = Control<CBinarCtrl>(Id::WorkspaceView);
  const std::vector<SegBox> boxes = view->boxes();
  const QString text = lines_.join(QString());
  QWindow *window = window_->windowHandle();
  const auto clickBox = [&](std::size_t i) {
    const SegBox &box = boxes[i];
    Click(view, QPoint(box.x + box.width / 2, box.y + box.height / 2));
  };
  const auto typeAndEnter = [&](const QString &typed) {
    for (QChar c : typed)
      QTest::keyClick(window, c.toLatin1());
    PressKey(Qt::Key_Return);
  };
  const auto undo = [&] {
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    QTest::qWait(30);
  };

  // A wrong key over box 0, taken back; then both boxes right, typed over
  // the view itself.
  clickBox(0);
  typeAndEnter(QStringLiteral("x"));
  ASSERT_EQ(window_->Samples().size(), 1u);
  undo();
  EXPECT_TRUE(window_->Samples().empty());
  clickBox(0);
  typeAndEnter(text.mid(0, 1));
  typeAndEnter(text.mid(1, 1));
  ASSERT_EQ(window_->Samples().size(), 2u);

  // A row of the list relabelled by mistake, then undone: no box moves.
  auto *list = Control<QTableWidget>(Id::SampleList);
  Click(list->viewport(), list->visualRect(list->model()->index(0, 1)).center());
  EXPECT_EQ(view->selectedIndex(), -1);
  Click(Control(Id::LabelEdit));
  QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
  typeAndEnter(QStringLiteral("Z"));
  ASSERT_EQ(window_->Samples().size(), 2u);
  EXPECT_EQ(std::count_if(window_->Samples().begin(), window_->Samples().end(),
                          [](const auto &sample) { return sample.second == "Z"; }),
            1);
  undo();
  Shot(QStringLiteral("undone"));

  ExpectFirstPairsOfTheText(boxes, text, 2);
}

} // namespace
