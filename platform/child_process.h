#pragma once
// Running another program, the one way the program does it: the training
// tools, the dictionary checker.
//
// The child starts from an argument vector (no shell), with default signal
// dispositions and an empty signal mask whatever this process ignores or
// blocks, standard input from /dev/null, and standard output and error in one
// pipe that is read while it runs, so output of any size cannot block it.
// A deadline or a cancel request stops it: SIGTERM, then SIGKILL after the
// grace time (at once with no grace). The child is reaped exactly once and
// never signalled after that, so a pid the system may have given to another
// process is never hit.
#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

enum class ChildEnd {
  Exited,     // it ended by itself with an exit status
  Crashed,    // a signal we did not send ended it
  TimedOut,   // still running at the deadline: stopped
  Cancelled,  // the caller asked to stop it: stopped
  NotStarted, // it could not be started (startError says why)
  Lost,       // someone else reaped it (SIGCHLD ignored, say): its end is unknown
};

struct ChildOptions {
  // The child's working directory; empty keeps ours.
  std::string workingDir;
  // Zero: no deadline.
  std::chrono::milliseconds deadline{0};
  // Asked now and then while the child runs; true stops it.
  std::function<bool()> cancelled;
  // Between SIGTERM and SIGKILL; zero sends SIGKILL at once.
  std::chrono::milliseconds termGrace{1000};
};

struct ChildResult {
  ChildEnd end = ChildEnd::NotStarted;
  pid_t pid = 0;
  int exitStatus = -1; // Exited: the status it gave
  int signal = 0;      // Crashed, and a stopped child: the signal that ended it
  int startError = 0;  // NotStarted: the errno of the failed start
  std::string output;  // standard output and error as they came, bytes
};

ChildResult RunChild(const std::string &executable, const std::vector<std::string> &arguments,
                     const ChildOptions &options = {});
