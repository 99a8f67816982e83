#pragma once
// The whole main window on screen (offscreen), driven the way a user drives
// it: buttons clicked, list rows clicked, track bars moved. Its modal parts
// answer from the test: message boxes are recorded, the file dialogs return
// the paths the test chose.
#include "dialog_fixture.h"

#include "capture/snap_cip_wnd.h"
#include "ocrtest/ocr_test_runner.h"
#include "samples/line_label_dlg.h"
#include "samples/sample_file.h"
#include "samples/sample_list.h"
#include "training/train_commands.h"
#include "workspace/binar_ctrl.h"
#include "workspace/show_ctrl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <functional>

class ScriptedDlg : public CglyphwrightDlg {
public:
  using CglyphwrightDlg::CglyphwrightDlg;

  QStringList messages;
  // Runs while the message is up, so a test can look at the window then.
  std::function<void(const QString &)> onMessage;
  QString imageToOpen; // the answer of the open-image dialog; empty = cancelled
  int aboutBoxes = 0;
  // Answers the line-labelling dialog; without it the dialog is cancelled.
  std::function<int(CLineLabelDlg &)> onLineLabelDialog;

protected:
  void ShowMessage(const QString &text) override {
    messages << text;
    if (onMessage)
      onMessage(text);
  }
  QString AskImagePath() override { return imageToOpen; }
  void ShowAboutBox() override { ++aboutBoxes; }
  int RunLineLabelDialog(CLineLabelDlg &dialog) override {
    return onLineLabelDialog ? onLineLabelDialog(dialog) : int(QDialog::Rejected);
  }
};

class WindowSession : public DialogTest {
protected:
  void TearDown() override { dialog_.reset(); }

  // A window as at a first start in an empty directory, shown, with the file
  // dialogs of buttons 3 and 6 answering from sampleFileToChoose_ and
  // dataFileToChoose_.
  void Open() {
    dialog_.reset(); // saves its settings: they go with the rest
    for (const auto &entry : std::filesystem::directory_iterator(dir_.Dir()))
      std::filesystem::remove_all(entry.path());
    sampleFileToChoose_.clear();
    dataFileToChoose_.clear();
    dialog_ = std::make_unique<ScriptedDlg>(NewStore());
    dialog_->SampleList()->SetPathChooser([this] { return sampleFileToChoose_; });
    dialog_->Training()->SetSaveFileDialog([this](QWidget *) { return dataFileToChoose_; });
    dialog_->Training()->SetSettleWait(std::chrono::milliseconds(0));
    dialog_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
  }

  template <typename T> T &Get(int id) { return *Control<T>(*dialog_, id); }
  CBinarCtrl &Workspace() { return Get<CBinarCtrl>(1000); }
  QTableWidget &List() { return Get<QTableWidget>(1014); }
  QString Text(int id) { return ValueOf(*dialog_, id); }

  void Click(int id) { QTest::mouseClick(&Get<QPushButton>(id), Qt::LeftButton); }

  QString Path(const std::string &name) const { return QString::fromStdString(dir_.File(name)); }
  QString SaveImage(const std::string &name, const QImage &image) {
    const QString path = Path(name);
    EXPECT_TRUE(image.save(path));
    return path;
  }

  // Two glyphs of different shape on black: a grey 120 bar (2..4, 3..7)
  // and a grey 200 "L" (10..13, 3..7). Thresholds between 120 and 200 keep
  // only the second.
  static QImage TwoGlyphs() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter paint(&image);
    paint.fillRect(QRect(2, 3, 3, 5), QColor(120, 120, 120));
    paint.fillRect(QRect(10, 3, 1, 5), QColor(200, 200, 200));
    paint.fillRect(QRect(10, 7, 4, 1), QColor(200, 200, 200));
    return image;
  }
  static constexpr int kGlyphPixels = 15 + 8;

  // Through button 1010, as a user opens a picture.
  void OpenGlyphs() {
    dialog_->imageToOpen = SaveImage("glyphs.png", TwoGlyphs());
    Click(1010);
    ASSERT_TRUE(Workspace().hasImage());
  }
  void OpenAndSplit() {
    OpenGlyphs();
    Click(7);
    ASSERT_EQ(Workspace().boxes().size(), 2u);
  }
  QString BoxData(std::size_t index) {
    return QString::fromLatin1(Workspace().boxes().at(index).data);
  }
  // A click just inside the box's outline, at zoom 1.
  void ClickBox(std::size_t index) {
    const SegBox &box = Workspace().boxes().at(index);
    QTest::mouseClick(&Workspace(), Qt::LeftButton, {}, QPoint(box.x + 1, box.y + 1));
  }

  // Writes a sample file labelling box 0 "a" and box 1 "b" and chooses it
  // with button 3. The rows follow the order of the data strings, so tests
  // find them by label.
  void ChooseLibraryOfBothBoxes() {
    SampleStore store;
    store[BoxData(0).toStdString()] = "a";
    store[BoxData(1).toStdString()] = "b";
    ASSERT_TRUE(WriteSampleFile(dir_.File("samples.txt"), store));
    sampleFileToChoose_ = Path("samples.txt");
    Click(3);
    ASSERT_EQ(List().rowCount(), 2);
  }
  int RowOf(const QString &label) {
    for (int row = 0; row < List().rowCount(); ++row)
      if (List().item(row, 0)->text() == label)
        return row;
    ADD_FAILURE() << "no row labelled " << label.toStdString();
    return 0;
  }

  QPoint RowPoint(int row) { return List().visualRect(List().model()->index(row, 1)).center(); }
  void ClickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(List().viewport(), button, {}, RowPoint(row));
  }
  // A right click as the platform delivers it: the press and release, then
  // the context-menu request at the same place.
  void RightClickRow(int row) {
    const QPoint at = RowPoint(row);
    ClickRow(row, Qt::RightButton);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, List().viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(List().viewport(), &request);
  }

  // Pixels of the preview that are not black: 0 while it shows nothing.
  int PreviewInk() {
    const QImage shown = Get<CShowCtrl>(1016).grab().toImage().convertToFormat(QImage::Format_RGB32);
    int ink = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x)
        ink += (shown.pixel(x, y) & 0xFFFFFF) != 0;
    return ink;
  }
  // White pixels of the binarized workspace.
  int WhitePixels() {
    const ImageBuffer &display = Workspace().displayBuffer();
    int white = 0;
    for (int y = 0; y < display.height; ++y)
      for (int x = 0; x < display.width; ++x)
        white += display.pixels[std::size_t(y) * display.bytesPerRow + std::size_t(x) * 4] == 255;
    return white;
  }

  std::unique_ptr<ScriptedDlg> dialog_;
  QString sampleFileToChoose_;
  QString dataFileToChoose_;
};
