#include "training/train_files.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
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

  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return failed(errno);
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = destination.rfind('/');
  const std::string base = slash == std::string::npos ? destination : destination.substr(slash + 1);
  const std::string partial = ParentOf(destination) + "/." + base + ".part" +
                              std::to_string(getpid()) + "-" + std::to_string(counter++);
  const int out = open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out < 0) {
    const int openError = errno;
    close(in);
    return failed(openError);
  }
  bool ok = CopyAll(in, out);
  int why = ok ? 0 : errno;
  close(in);
  // The new file takes the old one's permissions, as an overwrite would.
  if (ok && hadFile)
    fchmod(out, old.st_mode & 07777);
  // On disk before the rename, so a crash cannot leave an empty file in place
  // of the old one.
  if (ok && fsync(out) != 0) {
    ok = false;
    why = errno;
  }
  if (close(out) != 0 && ok) {
    ok = false;
    why = errno;
  }
  if (ok && rename(partial.c_str(), destination.c_str()) != 0) {
    ok = false;
    why = errno;
  }
  if (!ok) {
    unlink(partial.c_str());
    return failed(why);
  }
  return 0;
}
