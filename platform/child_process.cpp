#include "platform/child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// How often a quiet child is checked for its end, the deadline and a cancel.
constexpr int kPollMs = 20;

class SpawnSetup {
public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup &) = delete;
  SpawnSetup &operator=(const SpawnSetup &) = delete;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

void SetDefaultSignals(posix_spawnattr_t &attributes) {
  // Every catchable signal back to its default, whatever this process ignores
  // (a GUI may ignore SIGPIPE) or blocks.
  sigset_t all, none;
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

} // namespace

ChildResult RunChild(const std::string &executable, const std::vector<std::string> &arguments,
                     const ChildOptions &options) {
  ChildResult result;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    result.startError = errno;
    return result;
  }
  int readEnd = pipeEnds[0];
  const int writeEnd = pipeEnds[1];

  SpawnSetup setup;
  posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&setup.actions, writeEnd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&setup.actions, writeEnd, STDERR_FILENO);
  if (!options.workingDir.empty())
    posix_spawn_file_actions_addchdir_np(&setup.actions, options.workingDir.c_str());
  SetDefaultSignals(setup.attributes);

  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(executable.c_str()));
  for (const std::string &argument : arguments)
    argv.push_back(const_cast<char *>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned = posix_spawn(&child, executable.c_str(), &setup.actions, &setup.attributes,
                                  argv.data(), environ);
  close(writeEnd);
  if (spawned != 0) {
    close(readEnd);
    result.startError = spawned;
    return result;
  }
  result.pid = child;

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  Clock::time_point termSent{};
  ChildEnd stopReason = ChildEnd::Exited; // Exited: not stopped by us
  bool killSent = false;
  bool reaped = false;
  bool lost = false;
  int status = 0;
  char buffer[65536];
  while (!reaped) {
    if (stopReason == ChildEnd::Exited) {
      if (options.cancelled && options.cancelled())
        stopReason = ChildEnd::Cancelled;
      else if (options.deadline.count() > 0 && Clock::now() - start >= options.deadline)
        stopReason = ChildEnd::TimedOut;
      if (stopReason != ChildEnd::Exited) {
        termSent = Clock::now();
        killSent = options.termGrace.count() <= 0;
        kill(child, killSent ? SIGKILL : SIGTERM);
      }
    } else if (!killSent && Clock::now() - termSent >= options.termGrace) {
      killSent = true;
      kill(child, SIGKILL);
    }

    // Read while the child runs: a pipe holds only a little, and a child that
    // fills it would otherwise wait for us forever.
    if (readEnd >= 0) {
      pollfd watch{readEnd, POLLIN, 0};
      const int ready = poll(&watch, 1, kPollMs);
      if (ready > 0) {
        const ssize_t count = read(readEnd, buffer, sizeof buffer);
        if (count > 0) {
          result.output.append(buffer, static_cast<std::size_t>(count));
          continue;
        }
        if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
          close(readEnd); // every writer has closed the pipe
          readEnd = -1;
        }
      } else if (ready < 0 && errno != EINTR) {
        close(readEnd);
        readEnd = -1;
      }
    } else {
      usleep(kPollMs * 1000);
    }

    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) {
      reaped = true;
    } else if (done < 0 && errno != EINTR) {
      // ECHILD: reaped elsewhere. It is no child of ours any more.
      reaped = lost = true;
    }
  }
  if (readEnd >= 0) {
    // What it wrote last; something it started may still hold the pipe, so
    // take only what is there.
    fcntl(readEnd, F_SETFL, fcntl(readEnd, F_GETFL) | O_NONBLOCK);
    ssize_t count;
    while ((count = read(readEnd, buffer, sizeof buffer)) > 0)
      result.output.append(buffer, static_cast<std::size_t>(count));
    close(readEnd);
  }

  if (WIFSIGNALED(status) && !lost)
    result.signal = WTERMSIG(status);
  if (stopReason != ChildEnd::Exited)
    result.end = stopReason;
  else if (lost)
    result.end = ChildEnd::Lost;
  else if (WIFEXITED(status)) {
    result.end = ChildEnd::Exited;
    result.exitStatus = WEXITSTATUS(status);
  } else {
    result.end = ChildEnd::Crashed;
  }
  return result;
}
