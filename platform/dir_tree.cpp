#include "platform/dir_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"

void RemoveDirectoryEntries(int dirFd) {
  for (const std::string &name : ListDirectory(dirFd)) {
    struct stat info {};
    if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
      continue;
    if (S_ISDIR(info.st_mode)) {
      const int sub =
          ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub >= 0) {
        RemoveDirectoryEntries(sub);
        ::close(sub);
      }
      ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
    } else {
      ::unlinkat(dirFd, name.c_str(), 0);
    }
  }
}

bool ClearDirectory(const std::string &dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    struct stat info {};
    if (::lstat(dir.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
      return ::unlink(dir.c_str()) == 0;
    return false;
  }
  RemoveDirectoryEntries(fd);
  ::close(fd);
  return ::rmdir(dir.c_str()) == 0;
}

bool ResetDirectory(const std::string &dir) {
  ClearDirectory(dir);
  ::mkdir(dir.c_str(), 0777);
  struct stat info {};
  return ::lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
