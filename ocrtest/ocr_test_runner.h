#pragma once
// The test area of the main window: the test range, the test button and its
// worker, the result box and the script snippet. The window creates one
// runner over its controls and routes the test area's events to it.
//
// Threads. A test runs RunOcrTest on its own std::thread, which touches no
// widget. It hands its result to the window with a blocking queued call: the
// window's event WM_TEST_DONE is sent on the user-interface thread while the
// worker waits, and the worker ends once the window has handled it.
// A window that closes during a test calls Shutdown: it stops a running
// dictionary check at once, waits for the recognition to end (so the
// dictionary copy is gone) and drops its result. The worker then stops
// waiting, so neither side waits for the other.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "ocrtest/ocr_test_job.h"
#include "workbench/main_window_controls.h"
#include "workbench/private_messages.h"
#include "workspace/pixel_rect.h"

class QWidget;

class OcrTestRunner : public QObject {
  Q_OBJECT

public:
  // Shows a failure the user can fix (modal, OK button).
  using MessageSink = std::function<void(const QString &text)>;
  // Starts the capture window in range mode, the cursor held inside
  // `screenLimit` (the workspace view in screen coordinates).
  using RangeCaptureStarter = std::function<void(const QRect &screenLimit)>;

  // `window` receives WM_TEST_DONE and must hand it to OnTestDone. The
  // runner reads and writes these controls of the window: workspaceView,
  // method, threshold, maximum, dataPath, range, engine, testPsm, splitType,
  // ocrCommand, whitelist, script, result, startTestButton.
  // `tessdataDir` is the program directory's tessdata/: a test copies its
  // dictionary into a folder of its own there (or in tmp/ beside it) and
  // tries it first with the checker beside it (OcrTestPlacesBeside).
  // Without a message sink the usual warning box is shown.
  OcrTestRunner(QWidget *window, const MainWindowControls &controls, std::string tessdataDir,
                MessageSink showMessage = {}, QObject *parent = nullptr);
  // Waits for a running test as Shutdown does; touches no widget.
  ~OcrTestRunner() override;

  void SetRangeCaptureStarter(RangeCaptureStarter starter) {
    startRangeCapture_ = std::move(starter);
  }

  // Button 1013: lets the user mark the test range over the workspace view.
  void OnSelectTestRange();
  // WM_RANGE_SELECTED: the capture window's rectangle (screen coordinates)
  // becomes the test range in workspace pixels, shown in edit 1022.
  void OnRangeSelected(const QRect &screenRect);
  // Button 1029: checks the dictionary path and the image, snapshots the
  // job, disables the button, writes the snippet and starts the worker.
  void OnStartTest();
  // WM_TEST_DONE: shows the text, if any, and enables button 1029 again.
  void OnTestDone(const TestResult &result);
  // Rewrites edit 1025 from the last test and the window's values now;
  // nothing before the first test.
  void UpdateScriptSnippet();
  // The window is closing: stops a running check, waits for the test to end
  // and drops its result.
  void Shutdown();

  const PixelRect &testRange() const { return testRange_; }
  // The last test's job without its mask; none before the first test.
  const std::optional<OcrTestJob> &lastTestParameters() const { return lastTest_; }
  // The snippet exactly as formatted (system code page, CR LF line ends);
  // edit 1025 shows it, though a text edit keeps only line breaks.
  const std::string &scriptSnippet() const { return snippet_; }
  const OcrTestPlaces &places() const { return places_; }
  // For tests: a checker elsewhere, or a shorter wait for it.
  void SetPlaces(const OcrTestPlaces &places) { places_ = places; }
  // From the start of a test until the window has handled its result.
  bool testRunning() const;
  // The recognition has ended and its result waits for the window's event
  // loop to take it.
  bool resultWaiting() const;

private:
  struct Handoff;

  void StartWorker(std::unique_ptr<OcrTestJob> job);
  void Deliver(const std::shared_ptr<Handoff> &handoff, const OcrTestOutcome &outcome,
               const QString &failure);
  // Joins a worker whose result the window has had; false while one runs.
  bool ReapWorker();
  void ShowMessage(const QString &text);

  QPointer<QWidget> window_;
  MainWindowControls controls_;
  OcrTestPlaces places_;
  MessageSink showMessage_;
  RangeCaptureStarter startRangeCapture_;

  PixelRect testRange_;
  std::optional<OcrTestJob> lastTest_;
  std::string snippet_;

  std::thread worker_;
  std::shared_ptr<Handoff> handoff_;
};
