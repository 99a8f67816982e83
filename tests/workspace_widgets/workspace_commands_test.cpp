// The main window's image commands on the real workspace: open a file, move
// the binarization controls, split, clear, click a box.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <memory>
#include <vector>

#include "app/settings_store.h"
#include "tests/support/temp_dir.h"
#include "widget_fixture.h"
#include "workbench/glyphwright_dlg.h"
#include "workspace/binar_ctrl.h"
#include "workspace/box_selected_event.h"

namespace {

class RecordingDlg : public CglyphwrightDlg {
public:
  using CglyphwrightDlg::CglyphwrightDlg;
  QStringList messages;
  QString chosenPath;

protected:
  void ShowMessage(const QString &text) override { messages << text; }
  QString AskImagePath() override { return chosenPath; }
};

// Copies every box the workspace reports while the report is being handled.
class ReportedBoxes : public QObject {
public:
  std::vector<SegBox> boxes;

protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Type(1280))
      boxes.push_back(static_cast<BoxSelectedEvent *>(event)->box());
    return false;
  }
};

// Two glyphs: pixels (2..4, 3..7) and (10..13, 3..7).
QImage TwoGlyphs() {
  return BlackWithWhite(40, 20, {QRect(2, 3, 3, 5), QRect(10, 3, 4, 5)});
}
const std::vector<SegBox> kTwoGlyphBoxes = {{1, 2, 4, 6, "ff7f$1$0.0.15$3"},
                                            {9, 2, 5, 6, "ffff0f$1$0.0.20$4"}};
constexpr int kGlyphAOutline = 20; // pixels of a 5 x 7 outline
constexpr int kGlyphBOutline = 22; // pixels of a 6 x 7 outline

class WorkspaceCommandsTest : public ::testing::Test {
protected:
  CBinarCtrl &Workspace() { return *dialog_->findChild<CBinarCtrl *>(QStringLiteral("1000")); }
  template <typename T> T &Control(int id) { return *dialog_->findChild<T *>(QString::number(id)); }
  void Click(int id) { Control<QPushButton>(id).click(); }

  QString SaveImage(const char *name, const QImage &image) {
    const QString path = QString::fromStdString(dir_.File(name));
    EXPECT_TRUE(image.save(path));
    return path;
  }
  void LoadTwoGlyphs() {
    ASSERT_TRUE(dialog_->LoadImageFile(SaveImage("glyphs.png", TwoGlyphs())));
  }

  TempDir dir_;
  SettingsStore store_{dir_.File("runeforge.cfg")};
  std::unique_ptr<RecordingDlg> dialog_ = std::make_unique<RecordingDlg>(store_);
};

TEST_F(WorkspaceCommandsTest, SplitButtonsMakeTheBoxesAndDrawThemGreen) {
  for (int button : {4, 7}) {
    SCOPED_TRACE(button);
    LoadTwoGlyphs();
    Click(1017); // leaves the box list: a split must replace it
    Click(button);
    EXPECT_EQ(Workspace().boxes(), kTwoGlyphBoxes);
    const QImage shown = Shown(Workspace());
    EXPECT_EQ(CountColour(shown, kGreen), kGlyphAOutline + kGlyphBOutline);
    for (QPoint corner : {QPoint(1, 2), QPoint(5, 8), QPoint(9, 2), QPoint(14, 8)})
      EXPECT_EQ(shown.pixel(corner), kGreen) << corner.x() << "," << corner.y();
    EXPECT_EQ(shown.pixel(2, 3), kWhite);
    EXPECT_EQ(shown.pixel(0, 0), kBlack);
    EXPECT_TRUE(dialog_->messages.isEmpty());
  }
}

TEST_F(WorkspaceCommandsTest, ClickReportsTheBoxAndOutlinesItRed) {
  ReportedBoxes recorder;
  dialog_->installEventFilter(&recorder);
  LoadTwoGlyphs();
  Click(7);

  SendClick(Workspace(), {9, 2}); // the second box's top-left corner
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0], kTwoGlyphBoxes[1]);
  QImage shown = Shown(Workspace());
  EXPECT_EQ(CountColour(shown, kRed), kGlyphBOutline);
  EXPECT_EQ(CountColour(shown, kGreen), kGlyphAOutline);

  SendClick(Workspace(), {5, 5}); // the first box's right line: no box
  EXPECT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(CountColour(Shown(Workspace()), kRed), 0);

  // Cleared outlines: nothing drawn, yet the boxes still answer clicks.
  Click(1017);
  shown = Shown(Workspace());
  EXPECT_EQ(CountColour(shown, kGreen) + CountColour(shown, kRed), 0);
  SendClick(Workspace(), {1, 2});
  ASSERT_EQ(recorder.boxes.size(), 2u);
  EXPECT_EQ(recorder.boxes[1], kTwoGlyphBoxes[0]);
  EXPECT_EQ(CountColour(Shown(Workspace()), kRed), kGlyphAOutline);
}

TEST_F(WorkspaceCommandsTest, NewImageKeepsTheBoxesAndResetsTheZoom) {
  LoadTwoGlyphs();
  Click(4);
  SendKey(Workspace(), QEvent::KeyPress, 0xffe3);
  SendWheel(Workspace(), {100, 40}, 120, Qt::ControlModifier);
  ASSERT_EQ(Workspace().view().zoom, 2);

  ASSERT_TRUE(dialog_->LoadImageFile(SaveImage("black.bmp", BlackWithWhite(30, 30, {}))));
  EXPECT_EQ(Workspace().boxes(), kTwoGlyphBoxes);
  EXPECT_EQ(Workspace().view(), ViewZoom{});
  EXPECT_EQ(CountColour(Shown(Workspace()), kGreen), 0);
}

TEST_F(WorkspaceCommandsTest, UndecodableFileIsReportedAndChangesNothing) {
  dir_.Write("garbage.png", "not a picture");
  dir_.Write("empty.bmp", "");
  // A FIFO would block the window forever if it were read.
  ASSERT_EQ(mkfifo(dir_.File("pipe.png").c_str(), 0600), 0);
  LoadTwoGlyphs();
  Click(4);
  const ImageBuffer before = Workspace().displayBuffer();
  for (const char *name : {"garbage.png", "empty.bmp", "missing.png", "pipe.png"}) {
    SCOPED_TRACE(name);
    dialog_->messages.clear();
    const QString path = QString::fromStdString(dir_.File(name));
    EXPECT_FALSE(dialog_->LoadImageFile(path));
    ASSERT_EQ(dialog_->messages.size(), 1);
    EXPECT_TRUE(dialog_->messages[0].contains(path));
    EXPECT_EQ(Workspace().displayBuffer().pixels, before.pixels);
    EXPECT_EQ(Workspace().boxes(), kTwoGlyphBoxes);
    EXPECT_EQ(CountColour(Shown(Workspace()), kGreen), kGlyphAOutline + kGlyphBOutline);
  }
}

TEST_F(WorkspaceCommandsTest, OpenImageButtonLoadsTheChosenFile) {
  Click(1010); // cancelled: nothing
  EXPECT_FALSE(Workspace().hasImage());
  dialog_->chosenPath = SaveImage("glyphs.png", TwoGlyphs());
  Click(1010);
  EXPECT_TRUE(Workspace().hasImage());
  EXPECT_EQ(CountColour(Shown(Workspace()), kWhite), 15 + 20);
  EXPECT_TRUE(dialog_->messages.isEmpty());
}

TEST_F(WorkspaceCommandsTest, SplitsRefuseBadGapsAndAMissingImage) {
  struct Case {
    const char *rows;
    const char *columns;
    int button;
    const char *message; // "" for none
  };
  const Case kCases[] = {
      {"0", "1", 4, "分割的行列必须大于0"}, {"", "1", 4, "分割的行列必须大于0"},
      {"1", "0", 4, "分割的行列必须大于0"}, {"1", "1", 4, ""},
      {"1", "1", 7, "请先加载一张图片"},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(testing::Message() << c.rows << "/" << c.columns << " button " << c.button);
    dialog_->messages.clear();
    Control<QLineEdit>(1001).setText(QString::fromUtf8(c.rows));
    Control<QLineEdit>(1002).setText(QString::fromUtf8(c.columns));
    Click(c.button);
    const QStringList expected =
        *c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{};
    EXPECT_EQ(dialog_->messages, expected);
    EXPECT_TRUE(Workspace().boxes().empty());
  }
}

TEST_F(WorkspaceCommandsTest, BinarizationFollowsTrackBarsAndMethod) {
  QImage ramp(256, 4, QImage::Format_RGB32); // grey level = column
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 256; ++x)
      ramp.setPixel(x, y, qRgb(x, x, x));
  ASSERT_TRUE(dialog_->LoadImageFile(SaveImage("ramp.png", ramp)));
  Control<QComboBox>(1005).setCurrentIndex(0); // THRESH_BINARY: white above the threshold

  auto whiteColumns = [this] {
    int count = 0;
    for (int x = 0; x < Workspace().displayBuffer().width; ++x)
      count += DisplayByte(Workspace().displayBuffer(), x, 0) == 255;
    return count;
  };
  struct Case {
    int threshold, maximum, white;
  };
  for (const Case &c : {Case{100, 255, 155}, Case{200, 255, 55}, Case{100, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << c.threshold << "/" << c.maximum);
    Control<QSlider>(1004).setValue(c.threshold);
    Control<QSlider>(1003).setValue(c.maximum);
    EXPECT_EQ(whiteColumns(), c.white);
    EXPECT_EQ(Control<QLineEdit>(1019).text(), QString::number(c.threshold));
    EXPECT_EQ(Control<QLineEdit>(1020).text(), QString::number(c.maximum));
  }

  // No selection binarizes as THRESH_OTSU does, never past the method table.
  Control<QSlider>(1003).setValue(255);
  Control<QComboBox>(1005).setCurrentIndex(6);
  const ImageBuffer otsu = Workspace().displayBuffer();
  Control<QComboBox>(1005).setCurrentIndex(0);
  Control<QComboBox>(1005).setCurrentIndex(-1);
  EXPECT_EQ(Workspace().displayBuffer().pixels, otsu.pixels);
  EXPECT_EQ(Control<QLineEdit>(1018).text(), "8");
}

TEST(WorkspaceMessageBoxTest, IsAWarningWithOneOkButtonAndTheProgramName) {
  TempDir dir;
  SettingsStore store(dir.File("runeforge.cfg"));
  CglyphwrightDlg dialog(store);
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
      return;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    box->accept();
  });
  poll.start(10);
  dialog.findChild<QPushButton *>(QStringLiteral("7"))->click();
  EXPECT_EQ(title, "glyphwright");
  EXPECT_EQ(text, "请先加载一张图片");
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(buttons, QMessageBox::Ok);
}

} // namespace
