#include "training/train_worker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include "training/train_job.h"
#include "training/train_reporter.h"
#include "workbench/private_messages.h"

// Lives on the GUI thread for as long as the worker: the job posts here, never
// straight to the receiver, and each event is passed on only if the receiver
// still exists when it is delivered.
class TrainWorker::Relay : public QObject {
public:
  explicit Relay(QObject *receiver) : receiver_(receiver) {}

protected:
  bool event(QEvent *event) override {
    const int type = event->type();
    if (type != WM_TRAIN_PROGRESS && type != WM_TRAIN_LOG && type != WM_TRAIN_DONE)
      return QObject::event(event);
    if (receiver_)
      QCoreApplication::sendEvent(receiver_, event);
    return true;
  }

private:
  QPointer<QObject> receiver_;
};

// The job's reporter, called on the worker thread.
class TrainWorker::Reporter : public TrainReporter {
public:
  Reporter(Relay *relay, std::atomic<bool> *running) : relay_(relay), running_(running) {}
  void Progress(int percent) override {
    QCoreApplication::postEvent(relay_, new PayloadEvent<int>(WM_TRAIN_PROGRESS, percent));
  }
  void Log(const std::string &wholeLog) override {
    QCoreApplication::postEvent(relay_, new PayloadEvent<std::string>(WM_TRAIN_LOG, wholeLog));
  }
  void Done(int code, const std::string &log) override {
    // Not running any more once the window can see the result, so a start
    // from its handler is accepted.
    running_->store(false);
    QCoreApplication::postEvent(
        relay_, new PayloadEvent<TrainResult>(WM_TRAIN_DONE, TrainResult{code, log}));
  }

private:
  Relay *relay_;
  std::atomic<bool> *running_;
};

TrainWorker::TrainWorker(QObject *receiver)
    : relay_(std::make_unique<Relay>(receiver)),
      reporter_(std::make_unique<Reporter>(relay_.get(), &running_)) {}

TrainWorker::~TrainWorker() {
  Stop();
}

bool TrainWorker::Start(std::unique_ptr<TrainJob> job) {
  if (!job || running_.load())
    return false;
  if (thread_.joinable())
    thread_.join(); // the previous job has reported its end; its thread is finishing
  cancel_ = std::make_unique<JobCancel>();
  job->reporter = reporter_.get();
  job->cancel = cancel_.get();
  running_ = true;
  thread_ = std::thread([job = std::move(job)]() mutable { RunTrainJob(std::move(job)); });
  return true;
}

void TrainWorker::Stop() {
  if (cancel_ && running_.load())
    cancel_->Cancel();
  if (thread_.joinable())
    thread_.join();
  running_ = false;
  QCoreApplication::removePostedEvents(relay_.get());
}
