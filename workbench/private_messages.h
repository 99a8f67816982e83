#pragma once
// The private messages other parts of the program send to the main window,
// as custom QEvent types with the numbers the rest of the program knows them
// by. A payload that crosses threads travels by value inside its event, so the
// receiver owns it and nothing is freed twice or leaked.
#include <QEvent>
#include <QRect>
#include <string>
#include <utility>

enum PrivateMessage : int {
  WM_BOX_SELECTED = 1280,   // workspace view, sent; the box (see workspace/box_selected_event.h)
  WM_TRAIN_PROGRESS = 1281, // training worker, posted; percent
  WM_TRAIN_DONE = 1282,     // training worker, posted; result code and the job log
  WM_CAPTURE_DONE = 1283,   // capture window, sent; the captured image and its rectangle
  WM_RANGE_SELECTED = 1284, // capture window, sent; the selected screen rectangle
  WM_TEST_DONE = 1285,      // OCR test worker, sent (blocking queued); the recognised text
  WM_TRAIN_LOG = 1394,      // tool runner, posted; the whole job log so far
};

// One event type per message carrying an owned value (an int, a string, an
// image...). `number` is the message's number, `value` what it carries.
template <typename Value> class PayloadEvent : public QEvent {
public:
  PayloadEvent(PrivateMessage number, Value value)
      : QEvent(static_cast<QEvent::Type>(number)), value_(std::move(value)) {}
  const Value &value() const { return value_; }
  Value &value() { return value_; }

private:
  Value value_;
};

// WM_TRAIN_DONE: the job's result code (0 = success) and its log, in the
// system code page.
struct TrainResult {
  int code = 0;
  std::string log;
};

// WM_TEST_DONE: whether there is a text at all (a failed recognizer sends
// none), and the text in the system code page.
struct TestResult {
  bool hasText = false;
  std::string text;
};
