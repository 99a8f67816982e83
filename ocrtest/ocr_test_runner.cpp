#include "ocrtest/ocr_test_runner.h"

#include "app/qt_text.h"
#include "app/text_codec.h"
#include "ocrtest/script_snippet.h"
#include "workspace/binar_ctrl.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include <atomic>
#include <condition_variable>
#include <mutex>

// What the worker and the user-interface thread share about one test.
struct OcrTestRunner::Handoff {
  std::mutex mutex;
  std::condition_variable changed;
  bool released = false;  // the worker may end
  bool abandoned = false; // nobody takes the result any more
  bool posted = false;    // the result is on its way to the user-interface thread
  std::atomic<bool> cancel{false}; // the window is closing: stop the check
  // User-interface thread only: the window has been given the result.
  bool handedOver = false;
};

namespace {

QString FailureText(OcrTestFailure failure, const std::string &dictionaryPath,
                    const OcrTestPlaces &places) {
  switch (failure) {
  case OcrTestFailure::EmptyRange:
    return QStringLiteral("测试范围内没有图像");
  case OcrTestFailure::DictionaryUnreadable:
    return QStringLiteral("无法读取字库文件：%1").arg(FromSystem(dictionaryPath));
  case OcrTestFailure::CopyFailed:
    return QStringLiteral("无法把字库复制到目录：%1").arg(QString::fromStdString(places.tessdataDir));
  case OcrTestFailure::RecognizerFailed:
    return QStringLiteral("无法加载字库：文件已损坏，或不适用于所选的引擎");
  case OcrTestFailure::CheckerUnavailable:
    return QStringLiteral("无法检查字库：找不到程序 %1").arg(QString::fromStdString(places.checker));
  case OcrTestFailure::CheckTimedOut:
    return QStringLiteral("无法加载字库：检查超时（%1 秒内未能加载）")
        .arg(std::chrono::duration_cast<std::chrono::seconds>(places.checkTimeout).count());
  case OcrTestFailure::Cancelled:
  case OcrTestFailure::None:
    break;
  }
  return {};
}

} // namespace

OcrTestRunner::OcrTestRunner(QWidget *window, const MainWindowControls &controls,
                             std::string tessdataDir, MessageSink showMessage, QObject *parent)
    : QObject(parent), window_(window), controls_(controls),
      places_(OcrTestPlacesBeside(tessdataDir)),
      showMessage_(std::move(showMessage)) {}

OcrTestRunner::~OcrTestRunner() {
  Shutdown();
}

void OcrTestRunner::ShowMessage(const QString &text) {
  if (showMessage_) {
    showMessage_(text);
    return;
  }
  QMessageBox box(QMessageBox::Warning, QStringLiteral("glyphwright"), text, QMessageBox::Ok,
                  window_);
  box.exec();
}

void OcrTestRunner::OnSelectTestRange() {
  const CBinarCtrl *view = controls_.workspaceView;
  const QRect limit(view->mapToGlobal(QPoint(0, 0)), view->size());
  // Until the capture window exists, the test range stays the whole workspace.
  if (startRangeCapture_)
    startRangeCapture_(limit);
}

void OcrTestRunner::OnRangeSelected(const QRect &screenRect) {
  const CBinarCtrl *view = controls_.workspaceView;
  // Right and bottom as exclusive bounds, the way ranges are kept.
  const QPoint topLeft = view->mapFromGlobal(screenRect.topLeft());
  const QPoint bottomRight = view->mapFromGlobal(
      QPoint(screenRect.x() + screenRect.width(), screenRect.y() + screenRect.height()));
  PixelRect range{topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()};
  view->ViewToImage(range);
  testRange_ = range;
  controls_.range->setText(
      QString::asprintf("%d,%d,%d,%d", range.left, range.top, range.right, range.bottom));
}

void OcrTestRunner::OnStartTest() {
  if (!ReapWorker())
    return; // one test at a time; its button is disabled meanwhile anyway
  const QString dictionary = controls_.dataPath->text();
  if (dictionary.isEmpty()) {
    ShowMessage(QStringLiteral("没有设置字库"));
    return;
  }
  // The copy becomes the area actually cut out: the whole workspace for the
  // all-zero range, clipped to it otherwise. The test range itself stays.
  PixelRect area = testRange_;
  std::optional<std::vector<std::uint8_t>> mask = controls_.workspaceView->ExtractMask(area);
  if (!mask) {
    ShowMessage(QStringLiteral("请先截图"));
    return;
  }

  auto job = std::make_unique<OcrTestJob>();
  job->command = controls_.ocrCommand->currentIndex();
  job->resultLevel = controls_.splitType->currentIndex();
  job->engineMode = controls_.engine->currentIndex();
  job->pageSegMode = controls_.testPsm->currentIndex();
  job->dictionaryPath = ToSystemCodePage(dictionary.toStdU16String());
  const QString whitelist = controls_.whitelist->text();
  if (!whitelist.isEmpty())
    job->whitelist = ToSystemCodePage(whitelist.toStdU16String());
  job->mask = std::move(*mask);
  job->width = area.right - area.left;
  job->height = area.bottom - area.top;

  lastTest_ = *job;
  lastTest_->mask.clear();
  lastTest_->mask.shrink_to_fit();

  controls_.startTestButton->setEnabled(false);
  UpdateScriptSnippet();
  StartWorker(std::move(job));
}

void OcrTestRunner::StartWorker(std::unique_ptr<OcrTestJob> job) {
  auto handoff = std::make_shared<Handoff>();
  handoff_ = handoff;
  worker_ = std::thread([this, handoff, job = std::move(job), places = places_]() mutable {
    const std::string dictionaryPath = job->dictionaryPath;
    const OcrTestOutcome outcome = RunOcrTest(std::move(job), places, &handoff->cancel);
    std::unique_lock lock(handoff->mutex);
    if (handoff->abandoned)
      return;
    // Posted while holding the lock: Shutdown marks the test abandoned under
    // the same lock before the runner goes, so `this` is alive here.
    QMetaObject::invokeMethod(
        this,
        [this, handoff, outcome, message = FailureText(outcome.failure, dictionaryPath, places)] {
          Deliver(handoff, outcome, message);
        },
        Qt::QueuedConnection);
    handoff->posted = true;
    handoff->changed.wait(lock, [&] { return handoff->released; });
  });
}

void OcrTestRunner::Deliver(const std::shared_ptr<Handoff> &handoff, const OcrTestOutcome &outcome,
                            const QString &failure) {
  {
    std::lock_guard lock(handoff->mutex);
    if (handoff->abandoned)
      return;
  }
  handoff->handedOver = true;
  // The reason for a missing text is shown after the result step, when the
  // worker no longer waits: a modal box must not hold it. The result box
  // keeps the previous test's text.
  if (!failure.isEmpty())
    QMetaObject::invokeMethod(
        this, [this, failure] { ShowMessage(failure); }, Qt::QueuedConnection);
  if (window_) {
    PayloadEvent<TestResult> done(WM_TEST_DONE, TestResult{outcome.hasText, outcome.text});
    QCoreApplication::sendEvent(window_, &done);
  }
  // Only the shared state from here on: the window may have closed the
  // runner while it handled the result.
  std::lock_guard lock(handoff->mutex);
  handoff->released = true;
  handoff->changed.notify_all();
}

void OcrTestRunner::OnTestDone(const TestResult &result) {
  if (result.hasText)
    controls_.result->setPlainText(FromSystem(result.text));
  controls_.startTestButton->setEnabled(true);
}

bool OcrTestRunner::ReapWorker() {
  if (!worker_.joinable())
    return true;
  if (!handoff_->handedOver)
    return false;
  {
    // Also when called from inside the window's handling of the result: the
    // worker then stops waiting for that handling to end.
    std::lock_guard lock(handoff_->mutex);
    handoff_->released = true;
    handoff_->changed.notify_all();
  }
  worker_.join();
  handoff_.reset();
  return true;
}

void OcrTestRunner::Shutdown() {
  if (!worker_.joinable())
    return;
  {
    std::lock_guard lock(handoff_->mutex);
    handoff_->cancel = true; // a hanging check must not hold the closing window
    handoff_->abandoned = true;
    handoff_->released = true;
    handoff_->changed.notify_all();
  }
  worker_.join();
  handoff_.reset();
}

bool OcrTestRunner::testRunning() const {
  if (!worker_.joinable())
    return false;
  std::lock_guard lock(handoff_->mutex);
  return !handoff_->released;
}

bool OcrTestRunner::resultWaiting() const {
  if (!worker_.joinable())
    return false;
  std::lock_guard lock(handoff_->mutex);
  return handoff_->posted && !handoff_->released;
}

void OcrTestRunner::UpdateScriptSnippet() {
  if (!lastTest_)
    return;
  ScriptSnippetValues values;
  values.command = controls_.ocrCommand->currentIndex();
  values.dictionaryPath = lastTest_->dictionaryPath;
  values.pageSegMode = lastTest_->pageSegMode;
  values.engineMode = lastTest_->engineMode;
  values.resultLevel = lastTest_->resultLevel;
  values.range = testRange_;
  values.method = controls_.method->currentIndex();
  values.threshold = controls_.threshold->value();
  values.maximum = controls_.maximum->value();
  snippet_ = FormatScriptSnippet(values);
  controls_.script->setPlainText(FromSystem(snippet_));
}
