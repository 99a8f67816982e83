// The seven messages the other parts of the program send to the main window,
// delivered to the whole window the way their senders deliver them: sent on
// the user-interface thread, or posted and taken from the queue.
#include "window_session.h"

#include "app/text_codec.h"
#include "capture/capture_result.h"
#include "workbench/private_messages.h"
#include "workspace/box_selected_event.h"

#include <QProgressBar>
#include <QWheelEvent>

namespace {

std::string System(const char16_t *text) {
  return ToSystemCodePage(text);
}

class PrivateMessagesTest : public WindowSession {
protected:
  void SetUp() override { Open(); }

  // As a worker's post arrives: queued, then taken by the event loop.
  template <typename Value> void Post(PrivateMessage number, Value value) {
    QCoreApplication::postEvent(dialog_.get(), new PayloadEvent<Value>(number, std::move(value)));
    QCoreApplication::sendPostedEvents(dialog_.get());
  }
  template <typename Value> void Send(PrivateMessage number, Value value) {
    PayloadEvent<Value> event(number, std::move(value));
    QCoreApplication::sendEvent(dialog_.get(), &event);
  }
};

TEST_F(PrivateMessagesTest, ABoxClickShowsTheKnownLabelOrEmptiesItAndPreviewsTheBox) {
  OpenAndSplit();
  SampleStore store{{BoxData(0).toStdString(), System(u"甲")}};
  ASSERT_TRUE(WriteSampleFile(dir_.File("samples.txt"), store));
  sampleFileToChoose_ = Path("samples.txt");
  Click(3);
  ASSERT_EQ(PreviewInk(), 0);

  Get<QLineEdit>(1011).setText(QStringLiteral("typed"));
  ClickBox(1); // not in the library
  EXPECT_EQ(Text(1011), QString());
  EXPECT_EQ(dialog_->SampleList()->CurrentSample(), BoxData(1));
  EXPECT_GT(PreviewInk(), 0);
  const QImage newBox = Get<CShowCtrl>(1016).grab().toImage();

  ClickBox(0);
  EXPECT_EQ(Text(1011), "甲");
  EXPECT_EQ(dialog_->SampleList()->CurrentSample(), BoxData(0));
  EXPECT_GT(PreviewInk(), 0);
  EXPECT_NE(Get<CShowCtrl>(1016).grab().toImage(), newBox);

  // A box whose data string does not decode is ignored.
  const QImage shown = Get<CShowCtrl>(1016).grab().toImage();
  SegBox broken;
  broken.data = "not a dot matrix";
  BoxSelectedEvent selected(broken);
  QCoreApplication::sendEvent(dialog_.get(), &selected);
  EXPECT_EQ(Text(1011), "甲");
  EXPECT_EQ(dialog_->SampleList()->CurrentSample(), BoxData(0));
  EXPECT_EQ(Get<CShowCtrl>(1016).grab().toImage(), shown);
  EXPECT_TRUE(dialog_->messages.isEmpty());

  // A box larger than any sample may be (a tall frame, say) is no sample,
  // and the window says why instead of ignoring the click.
  SegBox tall;
  tall.width = 3;
  tall.height = 4097 + 2;
  BoxSelectedEvent tallSelected(tall);
  QCoreApplication::sendEvent(dialog_.get(), &tallSelected);
  ASSERT_EQ(dialog_->messages.size(), 1);
  EXPECT_EQ(dialog_->messages[0],
            QStringLiteral("这个框有 1 × 4097 像素，样本最大 4096 × 4096 像素，不能作为样本"));
  EXPECT_EQ(dialog_->SampleList()->CurrentSample(), BoxData(0));
}

TEST_F(PrivateMessagesTest, TrainProgressMovesTheBar) {
  for (int percent : {10, 20, 30, 60, 100}) {
    Post(WM_TRAIN_PROGRESS, percent);
    EXPECT_EQ(Get<QProgressBar>(1007).value(), percent);
  }
}

TEST_F(PrivateMessagesTest, TrainDoneEnablesTheButtonBeforeItsMessage) {
  struct Case {
    int code;
    std::string log;
    QString message;
  };
  const Case kCases[] = {
      {0, "tesseract ...\n", QStringLiteral("训练完成")},
      {3, System(u"第一步失败\r\n日志"), QStringLiteral("第一步失败\r\n日志")}, // the log itself
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.code);
    dialog_->messages.clear();
    Get<QProgressBar>(1007).setValue(100);
    Get<QPushButton>(5).setEnabled(false); // as while a job runs
    bool enabledAtMessage = false;
    dialog_->onMessage = [&](const QString &) {
      enabledAtMessage = Get<QPushButton>(5).isEnabled();
    };
    Post(WM_TRAIN_DONE, TrainResult{c.code, c.log});
    EXPECT_EQ(dialog_->messages, QStringList{c.message});
    EXPECT_TRUE(enabledAtMessage);
    EXPECT_EQ(Get<QProgressBar>(1007).value(), 100);
  }
}

TEST_F(PrivateMessagesTest, EachTrainLogAppendsTheWholeLogSoFar) {
  const std::string reports[] = {"step 1", System(u"step 1\n步骤 2"),
                                 System(u"step 1\n步骤 2\nstep 3")};
  auto &log = Get<QPlainTextEdit>(1035);
  for (const std::string &report : reports) {
    // Wherever the user left the caret, a report goes at the end.
    log.moveCursor(QTextCursor::Start);
    Post(WM_TRAIN_LOG, report);
  }
  EXPECT_EQ(Text(1035), QStringLiteral("step 1\n"
                                       "step 1\n步骤 2\n"
                                       "step 1\n步骤 2\nstep 3\n"));
}

TEST_F(PrivateMessagesTest, ACaptureGoesIntoTheWorkspaceBinarizedWithTheChosenValues) {
  Get<QComboBox>(1005).setCurrentIndex(0); // THRESH_BINARY
  Get<QSlider>(1004).setValue(150);        // threshold
  Get<QSlider>(1003).setValue(200);        // maximum
  QImage picture(30, 10, QImage::Format_RGB32);
  picture.fill(QColor(100, 100, 100));
  for (int y = 0; y < 10; ++y)
    for (int x = 15; x < 30; ++x)
      picture.setPixel(x, y, qRgb(180, 180, 180));

  Send(WM_CAPTURE_DONE, CaptureResult{picture, QRect(5, 5, 30, 10)});
  EXPECT_EQ(Workspace().sourceWidth(), 30);
  EXPECT_EQ(WhitePixels(), 15 * 10); // above 150, and the maximum is not 0

  const ImageBuffer before = Workspace().displayBuffer();
  Send(WM_CAPTURE_DONE, CaptureResult{}); // no picture: nothing changes
  EXPECT_EQ(Workspace().sourceWidth(), 30);
  EXPECT_EQ(Workspace().displayBuffer().pixels, before.pixels);

  QImage second(20, 5, QImage::Format_RGB32);
  second.fill(Qt::white);
  Send(WM_CAPTURE_DONE, CaptureResult{second, QRect(0, 0, 20, 5)});
  EXPECT_EQ(Workspace().sourceWidth(), 20);
  EXPECT_EQ(WhitePixels(), 20 * 5);
}

TEST_F(PrivateMessagesTest, ARangeAtZoomTwoIsStoredInWorkspacePixels) {
  OpenGlyphs();
  QWheelEvent wheel(QPointF(100, 40), QPointF(Workspace().mapToGlobal(QPoint(100, 40))), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&Workspace(), &wheel);
  ASSERT_EQ(Workspace().view(), (ViewZoom{2, 100, 40}));

  // 60 x 40 screen pixels from view point (20, 10): half of that, shifted
  // by the offset.
  Send(WM_RANGE_SELECTED, QRect(Workspace().mapToGlobal(QPoint(20, 10)), QSize(60, 40)));
  EXPECT_EQ(Text(1022), "60,25,90,45");
  EXPECT_EQ(dialog_->OcrTest()->testRange(), (PixelRect{60, 25, 90, 45}));
}

TEST_F(PrivateMessagesTest, TestDoneShowsATextIfAnyAndAlwaysEnablesTheButton) {
  struct Case {
    TestResult result;
    QString shown;
  };
  const Case kCases[] = {
      {{true, System(u"数字 123")}, QStringLiteral("数字 123")},
      {{false, {}}, QStringLiteral("数字 123")}, // no text: the last one stays
      {{true, {}}, QString()},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.shown.toStdString());
    Get<QPushButton>(1029).setEnabled(false); // as while a test runs
    Send(WM_TEST_DONE, c.result);
    EXPECT_EQ(Text(1028), c.shown);
    EXPECT_TRUE(Get<QPushButton>(1029).isEnabled());
  }
  EXPECT_TRUE(dialog_->messages.isEmpty());
}

} // namespace
