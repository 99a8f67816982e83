#pragma once
// Runs training jobs on a worker thread and hands their reports to a receiver
// on the GUI thread as the WM_TRAIN_PROGRESS (int), WM_TRAIN_LOG (std::string)
// and WM_TRAIN_DONE (TrainResult) events of workbench/private_messages.h.
//
// Closing the window stops the job: the destructor stops the running tool,
// lets the job empty tmp/ and waits for the thread. Nothing reaches a receiver
// that no longer exists.
#include <QPointer>
#include <atomic>
#include <memory>
#include <thread>

#include "training/job_cancel.h"

class QObject;
struct TrainJob;

class TrainWorker {
public:
  explicit TrainWorker(QObject *receiver);
  ~TrainWorker();
  TrainWorker(const TrainWorker &) = delete;
  TrainWorker &operator=(const TrainWorker &) = delete;

  // Starts the job on a new thread, with this worker as its reporter and
  // canceller; false (and the job dropped) while another job runs.
  bool Start(std::unique_ptr<TrainJob> job);
  // True from Start until the job has reported its end.
  bool IsRunning() const { return running_.load(); }
  // Stops the running job, if any, waits for its thread and drops the
  // reports it has not delivered yet.
  void Stop();

private:
  class Relay;
  class Reporter;
  std::unique_ptr<Relay> relay_;
  std::unique_ptr<Reporter> reporter_;
  std::unique_ptr<JobCancel> cancel_;
  std::thread thread_;
  std::atomic<bool> running_{false};
};
