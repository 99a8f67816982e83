#include "training/job_cancel.h"

void JobCancel::Cancel() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    cancelled_ = true;
  }
  wake_.notify_all();
}

bool JobCancel::SleepFor(std::chrono::milliseconds duration) const {
  std::unique_lock<std::mutex> guard(lock_);
  return !wake_.wait_for(guard, duration, [this] { return cancelled_.load(); });
}
