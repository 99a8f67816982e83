#pragma once
// The small read, write and copy loops every file routine needs, done once:
// EINTR retried, short writes finished, FIFOs and directories refused.
#include <string>
#include <string_view>
#include <vector>

// Writes all of `bytes` to `fd`; false on an error (errno tells which).
bool WriteAllToFd(int fd, std::string_view bytes);

// Copies `in` from its current offset to its end into `out`; false on an
// error (errno tells which).
bool CopyFdContent(int in, int out);

// The whole content of the regular file `path` (a link to one counts).
// Opened without blocking, so a FIFO in its place cannot hang the caller: it
// is refused like a directory or a missing file. False then, or on a read
// error; `bytes` holds what had been read.
bool ReadRegularFile(const std::string &path, std::string &bytes);

// The names in the directory open as `dirFd`, without "." and "..". The
// descriptor stays open and usable.
std::vector<std::string> ListDirectory(int dirFd);

// The directory part of `path`: "." for a bare name, "/" for a name in the
// root.
std::string ParentDirectory(const std::string &path);
