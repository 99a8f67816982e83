// The test area on its own widgets: the two checks of the test button, a real
// recognition through the button for both commands, the result handed over
// while the worker waits, the snippet, the range step, and a window that
// closes during a test.
#include "app/text_codec.h"
#include "engine_test_support.h"
#include "ocrtest/ocr_test_runner.h"
#include "ocrtest/script_edit.h"
#include "support/temp_dir.h"
#include "test_dictionaries.h"
#include "workspace/binar_ctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QThread>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 60000; // a bound for a hung worker, not a speed claim

// Stands in for the main window: routes WM_TEST_DONE to the runner.
class TestWindow : public QWidget {
public:
  OcrTestRunner *runner = nullptr;
  std::function<void(const TestResult &)> onDone;
  std::vector<TestResult> delivered;

protected:
  bool event(QEvent *e) override {
    if (e->type() != static_cast<QEvent::Type>(WM_TEST_DONE))
      return QWidget::event(e);
    const TestResult &result = static_cast<PayloadEvent<TestResult> *>(e)->value();
    delivered.push_back(result);
    if (onDone)
      onDone(result);
    runner->OnTestDone(result);
    return true;
  }
};

QComboBox *Combo(QWidget *parent, int items, int selected) {
  auto *combo = new QComboBox(parent);
  for (int i = 0; i < items; ++i)
    combo->addItem(QString::number(i));
  combo->setCurrentIndex(selected);
  return combo;
}

QSlider *Slider(QWidget *parent, int value) {
  auto *slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(0, 255);
  slider->setValue(value);
  return slider;
}

// A rectangle from its top-left corner to an exclusive bottom-right one, as
// the capture window reports it.
QRect ScreenRect(QPoint from, QPoint to) {
  return QRect(from, QSize(to.x() - from.x(), to.y() - from.y()));
}

QString Utf8(const std::string &s) {
  return QString::fromStdString(s);
}

class OcrTestArea : public testing::Test {
protected:
  void SetUp() override {
    fs::create_directory(tessdata());
    fs::copy_file(engine_test::tessdataDir() + "/eng.traineddata", dictionary());
    // The program directory's checker beside tessdata/, as the build lays it out.
    fs::create_symlink(ocrtest_test::BuiltChecker(), home_.File("glyphwright-dictcheck"));

    window_ = std::make_unique<TestWindow>();
    c_.workspaceView = new CBinarCtrl(window_.get());
    c_.method = Combo(window_.get(), 8, 0);
    c_.threshold = Slider(window_.get(), 150);
    c_.maximum = Slider(window_.get(), 255);
    c_.dataPath = new QLineEdit(window_.get());
    c_.range = new QLineEdit(QStringLiteral("0,0,0,0"), window_.get());
    c_.engine = Combo(window_.get(), 4, 3);
    c_.testPsm = Combo(window_.get(), 13, 7);
    c_.splitType = Combo(window_.get(), 5, 3);
    c_.ocrCommand = Combo(window_.get(), 2, 0);
    c_.whitelist = new QLineEdit(window_.get());
    c_.script = new CScriptEdit(window_.get());
    c_.result = new QPlainTextEdit(window_.get());
    c_.startTestButton = new QPushButton(window_.get());
    c_.selectRangeButton = new QPushButton(window_.get());

    runner_ = new OcrTestRunner(
        window_.get(), c_, tessdata(), [this](const QString &text) { messages_ << text; },
        window_.get());
    window_->runner = runner_;
    // The window's wiring of the test area.
    QObject::connect(c_.startTestButton, &QPushButton::clicked, runner_,
                     [this] { runner_->OnStartTest(); });
    QObject::connect(c_.selectRangeButton, &QPushButton::clicked, runner_,
                     [this] { runner_->OnSelectTestRange(); });
    QObject::connect(c_.ocrCommand, &QComboBox::currentIndexChanged, runner_,
                     [this] { runner_->UpdateScriptSnippet(); });
    window_->resize(800, 300);
  }
  void TearDown() override {
    window_.reset(); // the runner goes with it
  }

  std::string tessdata() const { return home_.File("tessdata"); }
  std::string dictionary() const { return home_.File("num.font.traineddata"); }
  bool TessdataEmpty() const { return fs::is_empty(tessdata()); }

  // The rendered line as the workspace image, the view exactly its size.
  void LoadLine(const std::string &text, QSize viewSize = {}) {
    const engine_test::TextLine line = engine_test::renderTextLine(text);
    QImage grey(line.mask.data(), line.width, line.height, line.width, QImage::Format_Grayscale8);
    c_.workspaceView->resize(viewSize.isValid() ? viewSize : grey.size());
    c_.workspaceView->SetImage(grey.convertToFormat(QImage::Format_RGB32));
    c_.workspaceView->Binarize(128, 255, 0);
  }

  void PressStart() { QTest::mouseClick(c_.startTestButton, Qt::LeftButton); }
  bool WaitForResult() {
    return QTest::qWaitFor([this] { return c_.startTestButton->isEnabled(); }, kWaitMs);
  }

  TempDir home_;
  MainWindowControls c_;
  std::unique_ptr<TestWindow> window_;
  OcrTestRunner *runner_ = nullptr;
  QStringList messages_;
};

TEST_F(OcrTestArea, StartRefusesWithoutDictionaryOrImage) {
  const struct {
    bool path, image;
    const char *message;
  } cases[] = {
      // the dictionary is checked first
      {false, false, "没有设置字库"},
      {true, false, "请先截图"},
      {false, true, "没有设置字库"},
  };
  for (const auto &c : cases) {
    messages_.clear();
    c_.dataPath->setText(c.path ? Utf8(dictionary()) : QString());
    if (c.image)
      LoadLine("42");
    PressStart();
    EXPECT_EQ(messages_, QStringList{QString::fromUtf8(c.message)});
    EXPECT_TRUE(c_.startTestButton->isEnabled());
    EXPECT_FALSE(runner_->lastTestParameters().has_value());
    EXPECT_TRUE(c_.script->toPlainText().isEmpty()) << "no job, no snippet";
  }
}

TEST_F(OcrTestArea, TheButtonRecognisesTheWorkspaceWithEitherCommand) {
  LoadLine("4096 735");
  c_.dataPath->setText(Utf8(dictionary()));
  const struct {
    int command;
    const char *snippetCall, *expected;
  } cases[] = {
      {0, "ocrTextEx(handle,0,0,0,0,0,150,255)", "4096 735\n"},
      {1, "ocrTextExJ(handle,0,0,0,0,3,0,150,255)", "{\"text\":\"4096\""},
  };
  for (const auto &c : cases) {
    window_->delivered.clear();
    c_.ocrCommand->setCurrentIndex(c.command);
    PressStart();
    // At once: the button is off and the snippet written.
    EXPECT_FALSE(c_.startTestButton->isEnabled());
    const std::string snippet = "local handle = createOcr(\"num\",7,3)\r\n"
                                "if handle ~= 0 then\r\n"
                                "\tlocal text = " +
                                std::string(c.snippetCall) +
                                "\r\n"
                                "\tif text ~= nil then\r\n"
                                "\t\tprint(\"ret=>\"..text)\r\n"
                                "\tend\r\n"
                                "\treleaseOcr(handle)\r\n"
                                "end\r\n";
    EXPECT_EQ(runner_->scriptSnippet(), snippet);
    EXPECT_EQ(c_.script->toPlainText(), Utf8(snippet).remove(QLatin1Char('\r')));
    c_.script->selectAll();
    c_.script->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), Utf8(snippet)) << "copied with CR LF";

    ASSERT_TRUE(WaitForResult());
    ASSERT_EQ(window_->delivered.size(), 1u);
    EXPECT_TRUE(window_->delivered[0].hasText);
    EXPECT_TRUE(c_.result->toPlainText().contains(QString::fromUtf8(c.expected)))
        << c_.result->toPlainText().toStdString();
    EXPECT_TRUE(TessdataEmpty()) << "the copy num.traineddata is gone";
    EXPECT_EQ(c_.range->text(), QStringLiteral("0,0,0,0"));
  }
  EXPECT_TRUE(messages_.isEmpty());
  const OcrTestJob &last = *runner_->lastTestParameters();
  EXPECT_EQ(last.width, c_.workspaceView->width()) << "the all-zero range is the whole workspace";
  EXPECT_EQ(last.height, c_.workspaceView->height());
  EXPECT_TRUE(last.mask.empty());
}

TEST_F(OcrTestArea, TheResultIsHandledWhileTheWorkerWaits) {
  LoadLine("42");
  c_.dataPath->setText(Utf8(dictionary()));
  bool onUiThread = false, workerWaiting = false;
  window_->onDone = [&](const TestResult &) {
    onUiThread = QThread::currentThread() == qApp->thread();
    workerWaiting = runner_->testRunning();
  };
  PressStart();
  EXPECT_TRUE(runner_->testRunning());
  ASSERT_TRUE(WaitForResult());
  EXPECT_TRUE(onUiThread);
  EXPECT_TRUE(workerWaiting) << "the worker goes on only after the window handled the result";
  EXPECT_FALSE(runner_->testRunning());
}

TEST_F(OcrTestArea, TwoQuickPressesStartOneTest) {
  LoadLine("42");
  c_.dataPath->setText(Utf8(dictionary()));
  PressStart();
  PressStart();           // the button is disabled: nothing happens
  runner_->OnStartTest(); // nor when called directly while a test runs
  ASSERT_TRUE(WaitForResult());
  QTest::qWait(50);
  EXPECT_EQ(window_->delivered.size(), 1u);
  EXPECT_FALSE(runner_->testRunning());
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(OcrTestArea, ANewTestCanStartFromTheResultHandler) {
  LoadLine("42");
  c_.dataPath->setText(Utf8(dictionary()));
  window_->onDone = [&](const TestResult &) {
    if (window_->delivered.size() == 1) {
      c_.startTestButton->setEnabled(true);
      runner_->OnStartTest(); // must not wait for the worker that waits for us
    }
  };
  PressStart();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->delivered.size() == 2; }, kWaitMs));
  ASSERT_TRUE(WaitForResult());
  EXPECT_TRUE(TessdataEmpty());
}

TEST_F(OcrTestArea, FailuresKeepTheOldTextReenableTheButtonAndSayWhy) {
  LoadLine("42");
  home_.Write("broken.traineddata", std::string(2048, 'x'));
  // Tesseract aborts on this one: only the checker may die of it.
  ASSERT_TRUE(ocrtest_test::MakeDictionaryWithForeignCutoff(home_.File("damaged.traineddata")));
  const struct {
    std::string path;
    int engineMode;
    QString message;
  } cases[] = {
      {home_.File("none.traineddata"), 3,
       QStringLiteral("无法读取字库文件：") + Utf8(home_.File("none.traineddata"))},
      {home_.File("broken.traineddata"), 3,
       QStringLiteral("无法加载字库：文件已损坏，或不适用于所选的引擎")},
      {dictionary(), 0, QStringLiteral("无法加载字库：文件已损坏，或不适用于所选的引擎")},
      {home_.File("damaged.traineddata"), 3,
       QStringLiteral("无法加载字库：文件已损坏，或不适用于所选的引擎")},
  };
  for (const auto &c : cases) {
    window_->delivered.clear();
    messages_.clear();
    c_.result->setPlainText(QStringLiteral("earlier text"));
    c_.dataPath->setText(Utf8(c.path));
    c_.engine->setCurrentIndex(c.engineMode);
    PressStart();
    ASSERT_TRUE(WaitForResult());
    ASSERT_EQ(window_->delivered.size(), 1u);
    EXPECT_FALSE(window_->delivered[0].hasText);
    EXPECT_EQ(c_.result->toPlainText(), QStringLiteral("earlier text"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages_.isEmpty(); }, kWaitMs));
    EXPECT_EQ(messages_, QStringList{c.message});
    EXPECT_TRUE(TessdataEmpty());
  }
}

TEST_F(OcrTestArea, NoCommandChosenRecognisesNothingSilently) {
  LoadLine("42");
  c_.dataPath->setText(Utf8(dictionary()));
  c_.result->setPlainText(QStringLiteral("earlier text"));
  c_.ocrCommand->setCurrentIndex(-1);
  PressStart();
  ASSERT_TRUE(WaitForResult());
  QTest::qWait(50);
  EXPECT_EQ(c_.result->toPlainText(), QStringLiteral("earlier text"));
  EXPECT_TRUE(messages_.isEmpty());
  EXPECT_TRUE(QString::fromStdString(runner_->scriptSnippet()).contains("ocrTextExJ("));
}

TEST_F(OcrTestArea, ClosingDuringATestWaitsForItAndDropsItsResult) {
  LoadLine("4096 735");
  c_.dataPath->setText(Utf8(dictionary()));
  for (bool resultWaiting : {false, true}) {
    PressStart();
    if (resultWaiting) {
      // Hold the user-interface thread until the worker waits for it: the
      // case where a plain join would wait for ever.
      for (int i = 0; i < kWaitMs && !runner_->resultWaiting(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ASSERT_TRUE(runner_->resultWaiting());
    }
    runner_->Shutdown();
    EXPECT_FALSE(runner_->testRunning());
    EXPECT_TRUE(TessdataEmpty()) << "the copy is gone once Shutdown returns";
    QTest::qWait(50);
    EXPECT_TRUE(window_->delivered.empty()) << "no result after the window closed";
    c_.startTestButton->setEnabled(true);
  }
}

// A check that hangs for its whole minute must not hold a closing window.
TEST_F(OcrTestArea, ClosingDuringAHangingCheckStopsItAtOnce) {
  LoadLine("4096 735");
  c_.dataPath->setText(Utf8(dictionary()));
  home_.Write("hanging checker", "#!/bin/sh\nexec sleep 60\n");
  fs::permissions(home_.File("hanging checker"), fs::perms::owner_all);
  OcrTestPlaces places = runner_->places();
  places.checker = home_.File("hanging checker");
  runner_->SetPlaces(places);
  PressStart();
  std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the check is running
  const auto start = std::chrono::steady_clock::now();
  runner_->Shutdown();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(runner_->testRunning());
  EXPECT_TRUE(TessdataEmpty());
  QTest::qWait(50);
  EXPECT_TRUE(window_->delivered.empty());
}

TEST_F(OcrTestArea, DestroyingTheWindowDuringATestIsSafe) {
  LoadLine("4096 735");
  c_.dataPath->setText(Utf8(dictionary()));
  PressStart();
  window_.reset();
  EXPECT_TRUE(TessdataEmpty());
  QTest::qWait(50); // nothing posted may reach the destroyed window
}

TEST_F(OcrTestArea, RangeAtZoomTwoBecomesWorkspacePixelsAndReachesTheSnippet) {
  LoadLine("4096 735", QSize(600, 200));
  CBinarCtrl *view = c_.workspaceView;
  // A wheel step up with Ctrl at (100, 40): zoom 2, offset (100, 40).
  QWheelEvent wheel(QPointF(100, 40), view->mapToGlobal(QPointF(100, 40)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  ASSERT_EQ(view->view(), (ViewZoom{2, 100, 40}));

  const QPoint from = view->mapToGlobal(QPoint(10, 10)), to = view->mapToGlobal(QPoint(30, 20));
  runner_->OnRangeSelected(ScreenRect(from, to));
  EXPECT_EQ(runner_->testRange(), (PixelRect{55, 25, 65, 30}));
  EXPECT_EQ(c_.range->text(), QStringLiteral("55,25,65,30"));

  c_.dataPath->setText(Utf8(dictionary()));
  PressStart();
  EXPECT_EQ(runner_->lastTestParameters()->width, 10);
  EXPECT_EQ(runner_->lastTestParameters()->height, 5);
  EXPECT_TRUE(c_.script->toPlainText().contains("ocrTextEx(handle,55,25,65,30,0,150,255)"));
  ASSERT_TRUE(WaitForResult());
}

TEST_F(OcrTestArea, ARangeReachingOutsideTheWorkspaceIsClipped) {
  LoadLine("4096 735", QSize(400, 150));
  c_.dataPath->setText(Utf8(dictionary()));
  CBinarCtrl *view = c_.workspaceView;
  const struct {
    QPoint from, to;
    int width, height;
  } cases[] = {
      {{300, 100}, {900, 500}, 100, 50}, // partly outside
      {{-50, -20}, {20, 30}, 20, 30},    // before the top-left corner
      {{500, 200}, {900, 500}, 0, 0},    // wholly outside
  };
  for (const auto &c : cases) {
    messages_.clear();
    const QPoint from = view->mapToGlobal(c.from), to = view->mapToGlobal(c.to);
    runner_->OnRangeSelected(ScreenRect(from, to));
    PressStart();
    ASSERT_TRUE(runner_->lastTestParameters());
    EXPECT_EQ(runner_->lastTestParameters()->width, c.width);
    EXPECT_EQ(runner_->lastTestParameters()->height, c.height);
    EXPECT_EQ(runner_->testRange(), (PixelRect{c.from.x(), c.from.y(), c.to.x(), c.to.y()}))
        << "the test range itself stays as chosen";
    ASSERT_TRUE(WaitForResult());
    if (c.width == 0) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return !messages_.isEmpty(); }, kWaitMs));
      EXPECT_EQ(messages_, QStringList{QStringLiteral("测试范围内没有图像")});
    }
  }
}

TEST_F(OcrTestArea, TheSnippetMixesTheLastTestWithTheValuesNow) {
  LoadLine("42");
  c_.dataPath->setText(Utf8(dictionary()));
  c_.ocrCommand->setCurrentIndex(1);
  EXPECT_TRUE(c_.script->toPlainText().isEmpty()) << "no test yet: nothing to show";

  c_.ocrCommand->setCurrentIndex(0);
  c_.splitType->setCurrentIndex(2);
  PressStart();
  ASSERT_TRUE(WaitForResult());
  const QString afterTest = c_.script->toPlainText();

  c_.splitType->setCurrentIndex(4);
  c_.threshold->setValue(99);
  EXPECT_EQ(c_.script->toPlainText(), afterTest) << "a track bar alone rebuilds nothing";
  c_.ocrCommand->setCurrentIndex(1);
  EXPECT_TRUE(c_.script->toPlainText().contains("ocrTextExJ(handle,0,0,0,0,2,0,99,255)"))
      << "the level of the last test, the threshold of now: "
      << c_.script->toPlainText().toStdString();
  EXPECT_TRUE(runner_->scriptSnippet().ends_with("end\r\n"));
}

TEST_F(OcrTestArea, TheJobCarriesTheTextsInTheSystemCodePage) {
  LoadLine("42");
  const std::string chineseFolder = home_.File("\xE5\xAD\x97\xE5\xBA\x93"); // 字库
  fs::create_directory(chineseFolder);
  const std::string path = chineseFolder + "/\xE6\x95\xB0\xE5\xAD\x97.font.traineddata"; // 数字
  fs::copy_file(dictionary(), path);
  c_.dataPath->setText(Utf8(path));
  c_.whitelist->setText(QStringLiteral("一0123456789"));
  PressStart();
  const OcrTestJob &job = *runner_->lastTestParameters();
  EXPECT_EQ(job.dictionaryPath, ToSystemCodePage(Utf8(path).toStdU16String()));
  EXPECT_EQ(job.whitelist, "\xD2\xBB"
                           "0123456789");
  EXPECT_TRUE(c_.script->toPlainText().startsWith(
      QStringLiteral("local handle = createOcr(\"数字\",7,3)")));
  ASSERT_TRUE(WaitForResult());
  EXPECT_EQ(c_.result->toPlainText(), QStringLiteral("42\n"));
  EXPECT_TRUE(TessdataEmpty());
}

TEST_F(OcrTestArea, SelectRangeHandsTheViewsScreenRectangleToTheCaptureWindow) {
  c_.workspaceView->resize(320, 240);
  c_.workspaceView->move(15, 25);
  QTest::mouseClick(c_.selectRangeButton, Qt::LeftButton); // no capture window yet: nothing
  std::vector<QRect> limits;
  runner_->SetRangeCaptureStarter([&](const QRect &limit) { limits.push_back(limit); });
  QTest::mouseClick(c_.selectRangeButton, Qt::LeftButton);
  ASSERT_EQ(limits.size(), 1u);
  EXPECT_EQ(limits[0], QRect(c_.workspaceView->mapToGlobal(QPoint(0, 0)), QSize(320, 240)));
}

} // namespace
