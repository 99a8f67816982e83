#include "platform/file_io.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool WriteAllToFd(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool CopyFdContent(int in, int out) {
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got == 0)
      return true;
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    if (!WriteAllToFd(out, std::string_view(buffer, static_cast<std::size_t>(got))))
      return false;
  }
}

bool ReadRegularFile(const std::string &path, std::string &bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (ok && info.st_size > 0)
    bytes.reserve(bytes.size() + static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ok;
}

std::vector<std::string> ListDirectory(int dirFd) {
  std::vector<std::string> names;
  const int copy = ::dup(dirFd);
  if (copy < 0)
    return names;
  DIR *dir = ::fdopendir(copy);
  if (dir == nullptr) {
    ::close(copy);
    return names;
  }
  // A duplicate shares the offset: start from the top whatever read it last.
  ::rewinddir(dir);
  while (const dirent *entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..")
      names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

std::string ParentDirectory(const std::string &path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}
