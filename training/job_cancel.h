#pragma once
// Lets the window stop a running job when it closes: the job looks at it
// between steps, the tool runner while a tool runs, and the fixed waits end
// early when it is set.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

class JobCancel {
public:
  void Cancel();
  bool IsCancelled() const { return cancelled_.load(); }
  // Sleeps for `duration` or until Cancel; true when the whole time passed.
  bool SleepFor(std::chrono::milliseconds duration) const;

private:
  std::atomic<bool> cancelled_{false};
  mutable std::mutex lock_;
  mutable std::condition_variable wake_;
};
