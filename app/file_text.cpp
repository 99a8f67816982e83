#include "app/file_text.h"

#include "platform/file_io.h"

std::string ReadFileText(const std::string &path) {
  // Not blocking, and only regular files: a FIFO named in the settings would
  // otherwise hang the window at every start.
  std::string bytes;
  if (!ReadRegularFile(path, bytes))
    return {}; // a short read (an I/O error) counts as unreadable
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos)
    bytes.resize(zero);
  return bytes;
}
