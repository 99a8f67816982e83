#pragma once
// Runs one Tesseract tool and collects what it writes. The job judges a run
// only by the files the tool leaves (FileExists), never by its exit code.
#include <cstdio>
#include <string>
#include <sys/types.h>
#include <vector>

class JobCancel;
class TrainReporter;

struct ToolRunOptions {
  // The tool's working directory; empty means the program directory, where
  // the sequences' relative paths resolve and the legacy tools leave files.
  std::string workingDir;
  // 0 waits as long as the tool runs; otherwise a tool still running after
  // this many milliseconds is stopped and the run counts as failed.
  unsigned waitLimitMs = 0;
  // Receives the tool's exit status (128 + signal number when a signal ended it).
  int *exitCode = nullptr;
  // Receives the errno of a start that failed (a missing or non-executable
  // tool), 0 otherwise.
  int *startError = nullptr;
  // Gets the whole job log after the run, when the log is not empty.
  TrainReporter *reporter = nullptr;
  // When set, the running tool is stopped and the run counts as failed.
  const JobCancel *cancel = nullptr;
  // Where the trace block goes; nullptr writes none.
  std::FILE *trace = stdout;
};

// Starts `executable` with `arguments` (an argument vector: no shell, no
// quoting, paths with spaces are fine), the process's environment, no
// standard input, and standard output and error in one pipe that is read
// while the tool runs, so output of any size cannot block it. Appends the
// output, converted from UTF-8 to the system code page, to `jobLog`, writes
// the trace block and reports the log.
// Returns the tool's process id when it ran to its end; 0 when it could not
// be started (nothing appended, traced or reported), or was stopped.
pid_t RunTool(const std::string &executable, const std::vector<std::string> &arguments,
              std::string &jobLog, const ToolRunOptions &options = {});

// The arguments joined by single spaces, as the trace shows them.
std::string JoinArguments(const std::vector<std::string> &arguments);

// True when `path` names a regular file (a link to one counts) that can be
// opened for reading. A directory, a missing file or a FIFO gives false.
bool FileExists(const std::string &path);
