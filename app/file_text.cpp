#include "app/file_text.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

std::string ReadFileText(const std::string &path) {
  std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file)
    return {};
  // A directory opens too, and reports an absurd size; only regular files count.
  struct stat info {};
  if (fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
    return {};
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
