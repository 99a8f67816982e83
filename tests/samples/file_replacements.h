#pragma once
// Counts how often one file is replaced: every save renames a finished
// temporary file over it, which inotify reports as a move to its name.
#include <cerrno>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

class FileReplacements {
public:
  FileReplacements(const std::string &dir, std::string name) : name_(std::move(name)) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0)
      inotify_add_watch(fd_, dir.c_str(), IN_MOVED_TO);
  }
  ~FileReplacements() {
    if (fd_ >= 0)
      close(fd_);
  }
  FileReplacements(const FileReplacements &) = delete;
  FileReplacements &operator=(const FileReplacements &) = delete;

  bool Watching() const { return fd_ >= 0; }

  // Replacements since the last call.
  int Take() {
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t got = read(fd_, buffer, sizeof buffer);
      if (got <= 0)
        return count;
      for (ssize_t at = 0; at < got;) {
        const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
        if (event->len > 0 && name_ == event->name)
          ++count;
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    }
  }

private:
  std::string name_;
  int fd_ = -1;
};
