#include "ocrtest/dictionary_copy.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"

namespace {

// Every step below works relative to open directories, so a name swapped for
// a link meanwhile can never lead a delete out of the folder.
constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool EndsWith(const std::string &s, const std::string &tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Removes a test folder whose test has ended without cleaning up: its lock
// is free. Only dictionary copies are removed from it; a folder holding
// anything else stays.
void RemoveAbandonedFolder(int parentFd, const std::string &name) {
  const int fd = openat(parentFd, name.c_str(), kDirFlags);
  if (fd < 0)
    return;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    for (const std::string &entry : ListDirectory(fd)) {
      struct stat info {};
      if (EndsWith(entry, ".traineddata") &&
          fstatat(fd, entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(info.st_mode))
        unlinkat(fd, entry.c_str(), 0);
    }
    unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
  }
  close(fd); // also releases the lock
}

void RemoveAbandonedFolders(int parentFd) {
  for (const std::string &name : ListDirectory(parentFd))
    if (name.rfind(kTestFolderPrefix, 0) == 0)
      RemoveAbandonedFolder(parentFd, name);
}

bool SameEntry(int parentFd, const std::string &name, int fd) {
  struct stat linked {
  }, opened{};
  return fstatat(parentFd, name.c_str(), &linked, AT_SYMLINK_NOFOLLOW) == 0 &&
         fstat(fd, &opened) == 0 && linked.st_dev == opened.st_dev &&
         linked.st_ino == opened.st_ino;
}

std::string RandomName() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char name[32];
  std::snprintf(name, sizeof name, "%s%012llx", kTestFolderPrefix,
                static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
  return name;
}

} // namespace

DictionaryCopy::DictionaryCopy(const std::string &source, const std::string &language,
                               const std::vector<std::string> &parents)
    : fileName_(language + ".traineddata") {
  // Not blocking: a FIFO chosen as dictionary is refused, not waited on.
  const int sourceFd = open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  if (sourceFd < 0 || fstat(sourceFd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (sourceFd >= 0)
      close(sourceFd);
    failure_ = OcrTestFailure::DictionaryUnreadable;
    return;
  }

  failure_ = OcrTestFailure::CopyFailed;
  for (const std::string &parent : parents) {
    const int parentFd = open(parent.c_str(), kDirFlags);
    if (parentFd < 0)
      continue; // missing, no directory, or a link out of the program directory
    RemoveAbandonedFolders(parentFd);
    if (MakeFolder(parentFd, parent))
      break;
    close(parentFd);
  }
  if (folderFd_ >= 0) {
    const int target = openat(folderFd_, fileName_.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    copied_ = target >= 0;
    bool ok = copied_ && CopyFdContent(sourceFd, target);
    if (target >= 0 && close(target) != 0)
      ok = false;
    if (ok)
      failure_ = OcrTestFailure::None;
  }
  close(sourceFd);
}

bool DictionaryCopy::MakeFolder(int parentFd, const std::string &parent) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = RandomName();
    if (mkdirat(parentFd, name.c_str(), 0700) != 0) {
      if (errno == EEXIST)
        continue;
      return false;
    }
    const int fd = openat(parentFd, name.c_str(), kDirFlags);
    if (fd < 0)
      continue;
    // Another test's clean-up may have taken the new, still unlocked folder
    // for an abandoned one; then it is gone and another name is tried.
    if (flock(fd, LOCK_EX) != 0 || !SameEntry(parentFd, name, fd)) {
      close(fd);
      continue;
    }
    parentFd_ = parentFd;
    folderFd_ = fd;
    folderName_ = name;
    dataDir_ = parent + "/" + name;
    return true;
  }
  return false;
}

DictionaryCopy::~DictionaryCopy() {
  if (folderFd_ < 0)
    return;
  if (copied_)
    unlinkat(folderFd_, fileName_.c_str(), 0);
  unlinkat(parentFd_, folderName_.c_str(), AT_REMOVEDIR);
  close(folderFd_);
  close(parentFd_);
}
