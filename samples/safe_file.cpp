#include "samples/safe_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bounds the search for a free backup name; a thousand copies of one sample
// file mean something else is wrong.
constexpr int kMaxBackups = 1000;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool ReadAll(const std::string &path, std::string &bytes) {
  // Non-blocking, so that a FIFO in place of the file cannot hang the window;
  // it is refused below as no regular file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char buffer[65536];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    bytes.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return ok;
}

// Makes the new directory entry itself durable. Failing here changes nothing
// the caller can act on: the rename has happened.
void SyncDirectoryOf(const std::string &path) {
  const std::string dir = std::filesystem::path(path).parent_path().string();
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// The file a write to `path` should replace: the target of a symbolic link,
// so that the link stays a link.
std::string ResolveLink(const std::string &path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
    return path;
  std::error_code error;
  const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
  return error ? path : target.string();
}

std::string BackupName(const std::string &path, int n) {
  std::string name = path;
  name += ".bak";
  if (n > 0) {
    name += '.';
    name += std::to_string(n);
  }
  return name;
}

bool Exists(const std::string &path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

} // namespace

std::string TempPathFor(const std::string &path) {
  return path + ".tmp";
}

bool ReplaceFileContent(const std::string &path, std::string_view bytes) {
  const std::string target = ResolveLink(path);
  struct stat old {};
  const bool hadOld = ::stat(target.c_str(), &old) == 0;
  if (hadOld && !S_ISREG(old.st_mode))
    return false;

  // A temporary file left by a crash is replaced, never written through: it
  // might be a link to something else.
  const std::string temp = TempPathFor(target);
  ::unlink(temp.c_str());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0)
    return false;
  bool ok = WriteAll(fd, bytes);
  if (ok && hadOld)
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok)
    ok = ::fsync(fd) == 0;
  if (::close(fd) != 0)
    ok = false;
  if (ok)
    ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncDirectoryOf(target);
  return true;
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
  if (!ReadAll(path, bytes))
    return std::nullopt;
  for (int n = 0; n < kMaxBackups; ++n) {
    std::string name = BackupName(path, n);
    // O_EXCL: an existing copy is never overwritten, even one made meanwhile.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST)
        continue;
      return std::nullopt;
    }
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0)
      ok = false;
    if (!ok) {
      ::unlink(name.c_str());
      return std::nullopt;
    }
    return name;
  }
  return std::nullopt;
}
