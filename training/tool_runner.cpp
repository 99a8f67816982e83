#include "training/tool_runner.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/text_codec.h"
#include "app/work_paths.h"
#include "platform/child_process.h"
#include "training/job_cancel.h"
#include "training/train_reporter.h"

namespace {

constexpr char kTraceLine[] = "=====================================\n\n";

// The log is C-string text further on; a zero byte would cut it short.
std::string WithoutZeros(std::string raw) {
  std::erase(raw, '\0');
  return raw;
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
  ChildOptions child;
  child.workingDir = options.workingDir.empty() ? GetWorkPaths().ProgramDir : options.workingDir;
  child.deadline = std::chrono::milliseconds(options.waitLimitMs);
  if (options.cancel)
    child.cancelled = [cancel = options.cancel] { return cancel->IsCancelled(); };
  const ChildResult run = RunChild(executable, arguments, child);
  if (options.startError)
    *options.startError = run.startError;
  if (run.end == ChildEnd::NotStarted)
    return 0;
  if (options.exitCode)
    *options.exitCode = run.signal != 0 ? 128 + run.signal : run.exitStatus;
  const std::string raw = WithoutZeros(run.output);

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
  const bool stopped = run.end == ChildEnd::TimedOut || run.end == ChildEnd::Cancelled;
  return stopped ? 0 : run.pid;
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
