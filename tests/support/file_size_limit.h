#pragma once
// Limits the size of files this process may write, as a full disk would,
// until the end of the scope. Writing past the limit fails with EFBIG
// instead of raising SIGXFSZ while the signal is ignored.
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};
