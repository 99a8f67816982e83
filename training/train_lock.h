#pragma once
// One training job at a time per program directory. Every job works in the
// same tmp/ with the same file names, and the legacy tools leave their output
// in the program directory itself, so a second program started from the same
// directory would empty the first one's tmp/ and could deliver its model.
// A job holds this lock from its first step until its last report.
#include <string>

class TrainAreaLock {
public:
  // Tries once, without waiting, to lock the training work area of
  // `programDir`. The lock is an flock on the directory itself, which every
  // user who can run the program from there can open, and which no job
  // removes or replaces; where the file system refuses locks on a
  // directory, a lock file inside it serves instead.
  explicit TrainAreaLock(const std::string &programDir);
  // Releases the lock.
  ~TrainAreaLock();
  TrainAreaLock(const TrainAreaLock &) = delete;
  TrainAreaLock &operator=(const TrainAreaLock &) = delete;

  // False only when another job, in this process or another, holds the
  // lock. A file system that cannot lock at all does not stop a job: it
  // trains as before, unprotected.
  bool Acquired() const { return !busy_; }

private:
  int fd_ = -1;
  bool busy_ = false;
};

// The lock file used where a directory cannot be locked.
inline constexpr char kTrainLockFileName[] = ".glyphwright-training.lock";

// What a job that found the work area in use reports, UTF-8.
inline constexpr char kTrainAreaBusyText[] =
    "另一个 glyphwright 正在使用此程序目录训练，请等它结束后再试。";
