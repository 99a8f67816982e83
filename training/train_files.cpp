#include "training/train_files.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Removes the entries of the directory open as `dirFd` and closes it. Works
// relative to the open directory, so a name swapped for a link between the
// look and the removal cannot lead outside.
void ClearEntries(int dirFd) {
  DIR *listing = fdopendir(dirFd);
  if (!listing) {
    close(dirFd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent *entry = readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..")
      names.emplace_back(name);
  }
  for (const std::string &name : names) {
    struct stat info;
    if (fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
      continue;
    if (S_ISDIR(info.st_mode)) {
      const int sub = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub >= 0)
        ClearEntries(sub);
      unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
    } else {
      unlinkat(dirFd, name.c_str(), 0);
    }
  }
  closedir(listing);
}

std::string ParentOf(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool CopyAll(int in, int out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t count = read(in, buffer, sizeof buffer);
    if (count == 0)
      return true;
    if (count < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    for (ssize_t done = 0; done < count;) {
      const ssize_t written = write(out, buffer + done, std::size_t(count - done));
      if (written < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      done += written;
    }
  }
}

// A copy in the making is named ".<target>.part<pid>-<n>": hidden, beside the
// target, and telling which process made it.
std::string PartialName(const std::string &targetName) {
  static std::atomic<unsigned> counter{0};
  return "." + targetName + ".part" + std::to_string(getpid()) + "-" +
         std::to_string(counter++);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsPartialName(std::string_view name) {
  const std::size_t part = name.rfind(".part");
  if (name.size() < 2 || name[0] != '.' || part == std::string_view::npos || part < 2)
    return false;
  const std::string_view tail = name.substr(part + 5);
  const std::size_t dash = tail.find('-');
  return dash != std::string_view::npos && AllDigits(tail.substr(0, dash)) &&
         AllDigits(tail.substr(dash + 1));
}

// Removes the partial copies in `dir` whose job has died. A live job holds an
// flock on its copy until the copy has its final name, and the lock ends with
// the process, so a copy that can be locked belongs to nobody. Only regular
// files of this user count; links, directories and anything locked stay.
void RemoveDeadPartials(const std::string &dir) {
  const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0)
    return;
  DIR *listing = fdopendir(dirFd);
  if (!listing) {
    close(dirFd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent *entry = readdir(listing))
    if (IsPartialName(entry->d_name))
      names.emplace_back(entry->d_name);
  for (const std::string &name : names) {
    const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
      continue;
    struct stat opened, named;
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_ino == opened.st_ino && named.st_dev == opened.st_dev)
      unlinkat(dirFd, name.c_str(), 0);
    close(fd);
  }
  closedir(listing);
}

// Writes the whole of `in` into `out` and makes it durable, with the old
// file's permissions when there was one; 0 or the errno of the failed step.
int FillCopy(int in, int out, const struct stat *old) {
  if (lseek(in, 0, SEEK_SET) != 0 && errno != ESPIPE)
    return errno;
  if (!CopyAll(in, out))
    return errno;
  // The new file takes the old one's permissions, as an overwrite would.
  if (old)
    fchmod(out, old->st_mode & 07777);
  // On disk before the rename, so a crash cannot leave an empty file in place
  // of the old one.
  return fsync(out) == 0 ? 0 : errno;
}

// The copy is first written as a file without a name, so a job that dies while
// copying leaves nothing behind. It gets its name, locked, only for the
// instant before the rename. 0, or the errno of the failed step; -1 when the
// file system has no unnamed files (the caller then writes a named one).
int DeliverUnnamed(int in, const std::string &dir, const std::string &partial,
                   const std::string &destination, const struct stat *old) {
  const int out = open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (out < 0)
    return -1;
  int error = FillCopy(in, out, old);
  if (error == 0 && flock(out, LOCK_EX) != 0)
    error = errno;
  if (error == 0) {
    const std::string self = "/proc/self/fd/" + std::to_string(out);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, partial.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      close(out);
      return -1; // no /proc, or no links here: a named copy may still work
    }
    if (rename(partial.c_str(), destination.c_str()) != 0) {
      error = errno;
      unlink(partial.c_str());
    }
  }
  close(out);
  return error;
}

// The same with a named copy from the start, locked as soon as it exists.
int DeliverNamed(int in, const std::string &partial, const std::string &destination,
                 const struct stat *old) {
  const int out = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out < 0)
    return errno;
  int error = flock(out, LOCK_EX) == 0 ? 0 : errno;
  if (error == 0)
    error = FillCopy(in, out, old);
  if (close(out) != 0 && error == 0)
    error = errno;
  if (error == 0 && rename(partial.c_str(), destination.c_str()) != 0)
    error = errno;
  if (error != 0)
    unlink(partial.c_str());
  return error;
}

} // namespace

bool ClearDirectory(const std::string &dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    struct stat info;
    if (lstat(dir.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
      return unlink(dir.c_str()) == 0;
    return false;
  }
  ClearEntries(fd);
  return rmdir(dir.c_str()) == 0;
}

bool ResetDirectory(const std::string &dir) {
  ClearDirectory(dir);
  mkdir(dir.c_str(), 0777);
  struct stat info;
  return lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MoveFileNoReplace(const std::string &from, const std::string &to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS)
    return false;
  // File systems without RENAME_NOREPLACE: a hard link fails on an existing
  // target just the same.
  if (link(from.c_str(), to.c_str()) != 0)
    return false;
  unlink(from.c_str());
  return true;
}

int DeliverResult(const std::string &source, const std::string &target, int *error) {
  const auto failed = [error](int code) {
    if (error)
      *error = code;
    return 9;
  };
  if (target.empty())
    return failed(ENOENT);
  std::string destination = target;
  struct stat old;
  bool hadFile = false;
  if (lstat(target.c_str(), &old) == 0 && S_ISLNK(old.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(target.c_str(), resolved))
      destination = resolved;
  }
  if (stat(destination.c_str(), &old) == 0)
    hadFile = S_ISREG(old.st_mode);

  const std::string dir = ParentOf(destination);
  RemoveDeadPartials(dir);
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return failed(errno);
  const std::size_t slash = destination.rfind('/');
  const std::string partial =
      dir + "/" +
      PartialName(slash == std::string::npos ? destination : destination.substr(slash + 1));
  int why = DeliverUnnamed(in, dir, partial, destination, hadFile ? &old : nullptr);
  if (why == -1)
    why = DeliverNamed(in, partial, destination, hadFile ? &old : nullptr);
  close(in);
  return why == 0 ? 0 : failed(why);
}
