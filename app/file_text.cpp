#include "app/file_text.h"

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

std::string ReadFileText(const std::string &path) {
  // Opened without blocking and checked before reading: opening a FIFO for
  // reading would otherwise wait for a writer, and hang the window at every
  // start while the settings name it.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return {};
  // A directory opens too, and reports an absurd size; only regular files count.
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return {};
  }
  std::unique_ptr<FILE, int (*)(FILE *)> file(fdopen(fd, "rb"), &std::fclose);
  if (!file) {
    close(fd);
    return {};
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0)
    return {};
  long size = std::ftell(file.get());
  if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
    return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  // A short read (the file shrank, or an I/O error) counts as unreadable.
  if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    return {};
  size_t zero = bytes.find('\0');
  if (zero != std::string::npos)
    bytes.resize(zero);
  return bytes;
}
