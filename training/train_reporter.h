#pragma once
// How a training job tells the window what it is doing. The job calls these on
// its worker thread; an implementation hands them over to the GUI thread
// (train_worker.h) or records them (tests). The job log is system-code-page
// text.
#include <string>

class TrainReporter {
public:
  virtual ~TrainReporter() = default;
  // 10, 20, 30, 60 and 100 as the job moves on.
  virtual void Progress(int percent) = 0;
  // After each tool run that leaves a non-empty log: the whole log so far.
  virtual void Log(const std::string &wholeLog) = 0;
  // Once, at the very end: 0 when the .traineddata file was written.
  virtual void Done(int code, const std::string &log) = 0;
};
