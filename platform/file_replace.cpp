#include "platform/file_replace.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"

namespace {

// Bounds the search for a free backup name; a thousand copies of one sample
// file mean something else is wrong.
constexpr int kMaxBackups = 1000;
// As the kernel bounds a chain of links.
constexpr int kMaxLinks = 40;

std::atomic<bool> namedOnly{false};

// Fills the new file; false with errno set on failure.
using Filler = std::function<bool(int fd)>;

class Fd {
public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = fd;
  }
  // Closes and reports the close's own failure (NFS reports write errors here).
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

private:
  int fd_;
};

std::string BaseName(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to `path` replaces: the end of its chain of links.
bool ResolveLinks(const std::string &path, std::string &resolved) {
  resolved = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat info {};
    if (::lstat(resolved.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
      return true;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(resolved.c_str(), target, sizeof target - 1);
    if (length < 0)
      return false;
    const std::string next(target, static_cast<std::size_t>(length));
    if (!next.empty() && next[0] == '/')
      resolved = next;
    else
      resolved = ParentDirectory(resolved) + "/" + next;
  }
  errno = ELOOP;
  return false;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string HiddenName(const std::string &targetName) {
  static std::atomic<unsigned> counter{0};
  return "." + targetName + ".part" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// Names of the form HiddenName gives, for any target.
bool IsHiddenName(std::string_view name) {
  const std::size_t part = name.rfind(".part");
  if (name.size() < 2 || name[0] != '.' || part == std::string_view::npos || part < 2)
    return false;
  const std::string_view tail = name.substr(part + 5);
  const std::size_t dash = tail.find('-');
  return dash != std::string_view::npos && AllDigits(tail.substr(0, dash)) &&
         AllDigits(tail.substr(dash + 1));
}

// Removes the temporary files in the directory whose writer has died. A live
// writer holds an flock on its file until the file has its final name, and
// the lock ends with the process, so a file that can be locked belongs to
// nobody. Only regular files of this user count; links, directories and
// anything locked stay.
void RemoveDeadTemporaries(int dirFd) {
  for (const std::string &name : ListDirectory(dirFd)) {
    if (!IsHiddenName(name))
      continue;
    const Fd fd(::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
      continue;
    struct stat opened {
    }, named{};
    if (::fstat(fd.get(), &opened) == 0 && S_ISREG(opened.st_mode) &&
        opened.st_uid == ::geteuid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == opened.st_ino && named.st_dev == opened.st_dev)
      ::unlinkat(dirFd, name.c_str(), 0);
  }
}

bool SameFile(int dirFd, const std::string &name, int fd) {
  struct stat named {
  }, opened{};
  return ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         ::fstat(fd, &opened) == 0 && named.st_ino == opened.st_ino &&
         named.st_dev == opened.st_dev;
}

// Content, permission bits, then the data on disk: a crash after the rename
// can then never show an empty or partial file.
bool Fill(int fd, const Filler &fill, const struct stat *old) {
  if (!fill(fd))
    return false;
  if (old && ::fchmod(fd, old->st_mode & 07777) != 0)
    return false;
  return ::fsync(fd) == 0;
}

// The new file, filled, locked and under its hidden name `hidden`; -1 with
// errno set on failure (nothing left behind then).
int MakeTemporary(int dirFd, const std::string &hidden, const Filler &fill,
                  const struct stat *old) {
  if (!namedOnly) {
    Fd fd(::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd.get() >= 0) {
      if (!Fill(fd.get(), fill, old) || ::flock(fd.get(), LOCK_EX) != 0)
        return -1;
      // The name is given only now, locked, so a writer killed earlier
      // leaves nothing at all.
      const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
      if (::linkat(AT_FDCWD, self.c_str(), dirFd, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return fd.release();
      }
      // No /proc, or no links here: a named file may still work.
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
      return -1;
    }
  }
  // Created exclusively and locked at once; a cleaner that took it for a dead
  // writer's file in the instant between would have removed it, so its name
  // must still lead to it once the lock is held.
  for (int attempt = 0; attempt < 8; ++attempt) {
    Fd fd(::openat(dirFd, hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   0666));
    if (fd.get() < 0)
      return -1;
    if (::flock(fd.get(), LOCK_EX) != 0) {
      const int why = errno;
      ::unlinkat(dirFd, hidden.c_str(), 0);
      errno = why;
      return -1;
    }
    if (!SameFile(dirFd, hidden, fd.get()))
      continue; // taken away: create it again
    if (!Fill(fd.get(), fill, old)) {
      const int why = errno;
      ::unlinkat(dirFd, hidden.c_str(), 0);
      errno = why;
      return -1;
    }
    return fd.release();
  }
  errno = EAGAIN;
  return -1;
}

// Moves the hidden name to the target: over it, or only where nothing is.
bool Publish(int dirFd, const std::string &hidden, const std::string &name, bool replace) {
  if (replace)
    return ::renameat(dirFd, hidden.c_str(), dirFd, name.c_str()) == 0;
  if (::renameat2(dirFd, hidden.c_str(), dirFd, name.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS)
    return false;
  // Without RENAME_NOREPLACE a hard link refuses an existing name just the same.
  if (::linkat(dirFd, hidden.c_str(), dirFd, name.c_str(), 0) != 0)
    return false;
  ::unlinkat(dirFd, hidden.c_str(), 0);
  return true;
}

bool WriteFile(const std::string &path, const Filler &fill, bool replace, int *error) {
  const auto failed = [error](int why) {
    if (error)
      *error = why;
    return false;
  };
  std::string target;
  if (!ResolveLinks(path, target))
    return failed(errno);
  struct stat old {};
  bool hadOld = false;
  if (::stat(target.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode))
      return failed(EISDIR);
    if (!S_ISREG(old.st_mode))
      return failed(EINVAL);
    if (!replace)
      return failed(EEXIST);
    hadOld = true;
  }
  const Fd dir(::open(ParentDirectory(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0)
    return failed(errno);
  RemoveDeadTemporaries(dir.get());

  const std::string name = BaseName(target);
  const std::string hidden = HiddenName(name);
  Fd fd(MakeTemporary(dir.get(), hidden, fill, hadOld ? &old : nullptr));
  if (fd.get() < 0)
    return failed(errno);
  if (!Publish(dir.get(), hidden, name, replace)) {
    const int why = errno;
    ::unlinkat(dir.get(), hidden.c_str(), 0);
    return failed(why);
  }
  // The lock goes only once the file has its final name.
  fd.close();
  // The rename itself on disk. Failing here changes nothing the caller could
  // act on: the new file is in place.
  ::fsync(dir.get());
  return true;
}

std::string BackupName(const std::string &path, int n) {
  std::string name = path + ".bak";
  if (n > 0)
    name += "." + std::to_string(n);
  return name;
}

bool Exists(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

} // namespace

bool ReplaceFileContent(const std::string &path, std::string_view bytes, int *error) {
  return WriteFile(
      path, [bytes](int fd) { return WriteAllToFd(fd, bytes); }, true, error);
}

bool ReplaceWithCopyOf(const std::string &source, const std::string &path, int *error) {
  // Read as a stream: whatever the source is, only what it gives is copied.
  const Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    if (error)
      *error = errno;
    return false;
  }
  return WriteFile(
      path,
      [&in](int fd) {
        // A retry after a failed unnamed file starts from the top again.
        if (::lseek(in.get(), 0, SEEK_SET) != 0 && errno != ESPIPE)
          return false;
        return CopyFdContent(in.get(), fd);
      },
      true, error);
}

std::string NextBackupPath(const std::string &path) {
  for (int n = 0; n < kMaxBackups; ++n) {
    std::string name = BackupName(path, n);
    if (!Exists(name))
      return name;
  }
  return BackupName(path, kMaxBackups);
}

std::optional<std::string> BackUpFile(const std::string &path) {
  std::string bytes;
  if (!ReadRegularFile(path, bytes))
    return std::nullopt;
  for (int n = 0; n < kMaxBackups; ++n) {
    std::string name = BackupName(path, n);
    if (Exists(name))
      continue;
    int error = 0;
    if (WriteFile(
            name, [&bytes](int fd) { return WriteAllToFd(fd, bytes); }, false, &error))
      return name;
    if (error != EEXIST)
      return std::nullopt;
  }
  return std::nullopt;
}

void UseNamedTemporaryFilesOnly(bool named) {
  namedOnly = named;
}
