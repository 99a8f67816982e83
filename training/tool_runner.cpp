#include "training/tool_runner.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/text_codec.h"
#include "app/work_paths.h"
#include "training/job_cancel.h"
#include "training/train_reporter.h"

extern char **environ;

namespace {

constexpr char kTraceLine[] = "=====================================\n\n";
// How often a quiet tool is checked for cancellation and for its end.
constexpr int kPollMs = 50;
// A stopped tool gets this long to go after SIGTERM before SIGKILL.
constexpr auto kTermGrace = std::chrono::milliseconds(1000);

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

int ExitStatus(int status) {
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return -1;
}

void Append(std::string &raw, const char *bytes, ssize_t count) {
  // The log is C-string text further on; a zero byte would cut it short.
  for (ssize_t i = 0; i < count; ++i)
    if (bytes[i] != '\0')
      raw.push_back(bytes[i]);
}

} // namespace

std::string JoinArguments(const std::vector<std::string> &arguments) {
  std::string text;
  for (const std::string &argument : arguments) {
    if (!text.empty())
      text += ' ';
    text += argument;
  }
  return text;
}

pid_t RunTool(const std::string &executable, const std::vector<std::string> &arguments,
              std::string &jobLog, const ToolRunOptions &options) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    if (options.startError)
      *options.startError = errno;
    return 0;
  }
  const int readEnd = pipeEnds[0];
  const int writeEnd = pipeEnds[1];

  const std::string workingDir =
      options.workingDir.empty() ? GetWorkPaths().ProgramDir : options.workingDir;
  SpawnSetup setup;
  posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&setup.actions, writeEnd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&setup.actions, writeEnd, STDERR_FILENO);
  if (!workingDir.empty())
    posix_spawn_file_actions_addchdir_np(&setup.actions, workingDir.c_str());
  // The tool starts with default signal handling whatever this process
  // ignores or blocks (a GUI may ignore SIGPIPE).
  sigset_t defaults, emptyMask;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigemptyset(&emptyMask);
  posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
  posix_spawnattr_setsigmask(&setup.attributes, &emptyMask);
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  std::vector<char *> argv;
  argv.push_back(const_cast<char *>(executable.c_str()));
  for (const std::string &argument : arguments)
    argv.push_back(const_cast<char *>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned = posix_spawn(&child, executable.c_str(), &setup.actions, &setup.attributes,
                                  argv.data(), environ);
  close(writeEnd);
  if (options.startError)
    *options.startError = spawned;
  if (spawned != 0) {
    close(readEnd);
    return 0;
  }

  // Read while the tool runs: a pipe holds only a little, and a tool that
  // fills it would otherwise wait for us forever.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  Clock::time_point termSent{};
  bool stopped = false;
  bool reaped = false;
  int status = 0;
  std::string raw;
  char buffer[65536];
  for (;;) {
    const bool cancelled = options.cancel && options.cancel->IsCancelled();
    const bool overdue = options.waitLimitMs > 0 &&
                         Clock::now() - start >= std::chrono::milliseconds(options.waitLimitMs);
    if ((cancelled || overdue) && !reaped) {
      if (!stopped) {
        stopped = true;
        termSent = Clock::now();
        kill(child, SIGTERM);
      } else if (Clock::now() - termSent >= kTermGrace) {
        kill(child, SIGKILL);
      }
    }
    pollfd watch{readEnd, POLLIN, 0};
    const int ready = poll(&watch, 1, kPollMs);
    if (ready < 0 && errno != EINTR)
      break;
    if (ready > 0) {
      const ssize_t count = read(readEnd, buffer, sizeof buffer);
      if (count > 0) {
        Append(raw, buffer, count);
        continue;
      }
      if (count == 0 || (errno != EINTR && errno != EAGAIN))
        break; // every writer has closed the pipe
      continue;
    }
    // Quiet for a moment: a tool that has ended while something it started
    // still holds the pipe must not keep us here. Take what is there and go.
    if (!reaped && waitpid(child, &status, WNOHANG) == child) {
      reaped = true;
      fcntl(readEnd, F_SETFL, fcntl(readEnd, F_GETFL) | O_NONBLOCK);
      ssize_t count;
      while ((count = read(readEnd, buffer, sizeof buffer)) > 0)
        Append(raw, buffer, count);
      break;
    }
  }
  close(readEnd);
  if (!reaped) {
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (options.exitCode)
    *options.exitCode = ExitStatus(status);

  // Tools write UTF-8; the job log is system-code-page text like every string
  // the window receives.
  jobLog += Utf8ToSystem(raw);

  if (options.trace) {
    std::fputs(kTraceLine, options.trace);
    std::fprintf(options.trace, "%s\n", JoinArguments(arguments).c_str());
    std::fwrite(jobLog.data(), 1, jobLog.size(), options.trace);
    std::fputc('\n', options.trace);
    std::fputs(kTraceLine, options.trace);
    std::fflush(options.trace);
  }
  if (!jobLog.empty() && options.reporter)
    options.reporter->Log(jobLog);
  return stopped ? 0 : child;
}

bool FileExists(const std::string &path) {
  // Non-blocking, so that a FIFO in the way cannot hang the job.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat info;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  close(fd);
  return regular;
}
