#include "ocrtest/dictionary_check.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// The child's wait status, or nothing when it outlived `timeout`.
bool WaitFor(pid_t pid, std::chrono::milliseconds timeout, int &status) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + timeout;
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
      return true;
    if (done < 0 && errno != EINTR)
      return false;
    if (Clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
}

} // namespace

DictionaryCheck CheckDictionary(const std::string &checker, const std::string &dataDir,
                                const std::string &language, int pageSegMode, int engineMode,
                                std::chrono::milliseconds timeout) {
  const std::string psm = std::to_string(pageSegMode);
  const std::string oem = std::to_string(engineMode);
  std::vector<char *> argv = {const_cast<char *>(checker.c_str()),
                              const_cast<char *>(dataDir.c_str()),
                              const_cast<char *>(language.c_str()), const_cast<char *>(psm.c_str()),
                              const_cast<char *>(oem.c_str()), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, checker.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0)
    return DictionaryCheck::Unavailable;

  int status = 0;
  if (!WaitFor(pid, timeout, status)) {
    // A dictionary that hangs the engine is as unusable as one that crashes it.
    kill(pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return DictionaryCheck::Refused;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == kDictionaryLoaded)
    return DictionaryCheck::Loaded;
  if (WIFEXITED(status) && WEXITSTATUS(status) == kDictionaryCheckUsage)
    return DictionaryCheck::Unavailable; // not our checker, or another version of it
  return DictionaryCheck::Refused;
}
