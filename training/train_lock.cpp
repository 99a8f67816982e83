#include "training/train_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Locks the open `fd` without waiting: 0 when locked (`fd` stays open),
// otherwise the errno of the open or the lock (`fd` is closed).
int LockOrClose(int fd) {
  if (fd < 0)
    return errno;
  int result;
  while ((result = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (result == 0)
    return 0;
  const int error = errno;
  close(fd);
  return error;
}

// Opens the lock file: never through a link, never blocking on a FIFO in its
// place, and only a regular file counts.
int OpenLockFile(const std::string &path) {
  constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
  if (fd < 0 && errno == EACCES) // made by another user: reading is enough for flock
    fd = open(path.c_str(), O_RDONLY | kFlags);
  if (fd < 0)
    return -1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

} // namespace

TrainAreaLock::TrainAreaLock(const std::string &programDir) {
  const std::string dir = programDir.empty() ? std::string(".") : programDir;
  // The directory first: every process of this directory meets the same file
  // system, so all of them agree on which of the two locks they take.
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int error = LockOrClose(fd);
  if (error != 0 && error != EWOULDBLOCK) {
    fd = OpenLockFile(dir + (dir.back() == '/' ? "" : "/") + kTrainLockFileName);
    error = LockOrClose(fd);
  }
  if (error == 0)
    fd_ = fd;
  busy_ = error == EWOULDBLOCK;
}

TrainAreaLock::~TrainAreaLock() {
  if (fd_ >= 0)
    close(fd_); // closing the last descriptor of the open file releases the lock
}
