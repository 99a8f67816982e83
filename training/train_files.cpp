#include "training/train_files.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "platform/file_replace.h"

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
  int why = 0;
  if (target.empty())
    why = ENOENT;
  else if (ReplaceWithCopyOf(source, target, &why))
    return 0;
  if (error)
    *error = why;
  return 9;
}
