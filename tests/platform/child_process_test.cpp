#include "platform/child_process.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

ChildResult Shell(const std::string &script, const ChildOptions &options = {}) {
  return RunChild("/bin/sh", {"-c", script}, options);
}

TEST(RunChild, EndsAndOutputsAreToldApart) {
  const ChildResult exited = Shell("echo out; echo err >&2; exit 3");
  EXPECT_EQ(exited.end, ChildEnd::Exited);
  EXPECT_EQ(exited.exitStatus, 3);
  EXPECT_EQ(exited.output, "out\nerr\n");
  EXPECT_GT(exited.pid, 0);

  const ChildResult crashed = Shell("kill -SEGV $$");
  EXPECT_EQ(crashed.end, ChildEnd::Crashed);
  EXPECT_EQ(crashed.signal, SIGSEGV);

  const ChildResult missing = RunChild("/no/such/program", {});
  EXPECT_EQ(missing.end, ChildEnd::NotStarted);
  EXPECT_EQ(missing.startError, ENOENT);

  // Standard input is /dev/null: a reader ends at once.
  const ChildResult reader = RunChild("/bin/cat", {});
  EXPECT_EQ(reader.end, ChildEnd::Exited);
  EXPECT_EQ(reader.output, "");

  // Output far larger than a pipe holds.
  const ChildResult large = Shell("head -c 1000000 /dev/zero");
  EXPECT_EQ(large.end, ChildEnd::Exited);
  EXPECT_EQ(large.output.size(), 1000000u);
}

TEST(RunChild, StartsWithDefaultSignalsWhateverWeIgnoreOrBlock) {
  const auto oldTerm = std::signal(SIGTERM, SIG_IGN);
  sigset_t blocked, old;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  pthread_sigmask(SIG_BLOCK, &blocked, &old);
  const ChildResult term = Shell("kill -TERM $$; echo survived");
  const ChildResult interrupt = Shell("kill -INT $$; echo survived");
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  std::signal(SIGTERM, oldTerm);
  EXPECT_EQ(term.end, ChildEnd::Crashed);
  EXPECT_EQ(term.signal, SIGTERM);
  EXPECT_EQ(interrupt.end, ChildEnd::Crashed);
  EXPECT_EQ(interrupt.signal, SIGINT);
}

TEST(RunChild, ADeadlineOrACancelStopsEvenAChildThatIgnoresSigterm) {
  ChildOptions options;
  options.deadline = 200ms;
  options.termGrace = 200ms;
  Clock::time_point start = Clock::now();
  const ChildResult stubborn = Shell("trap '' TERM; while :; do sleep 0.05; done", options);
  EXPECT_EQ(stubborn.end, ChildEnd::TimedOut);
  EXPECT_EQ(stubborn.signal, SIGKILL);
  EXPECT_LT(Clock::now() - start, 5s);

  std::atomic<bool> cancel{false};
  ChildOptions cancellable;
  cancellable.cancelled = [&] { return cancel.load(); };
  cancellable.termGrace = 0ms;
  std::thread canceller([&] {
    std::this_thread::sleep_for(100ms);
    cancel = true;
  });
  start = Clock::now();
  const ChildResult endless = Shell("exec sleep 1000", cancellable);
  canceller.join();
  EXPECT_EQ(endless.end, ChildEnd::Cancelled);
  EXPECT_EQ(endless.signal, SIGKILL);
  EXPECT_LT(Clock::now() - start, 5s);

  // A child that ends while a process it started still holds the pipe.
  start = Clock::now();
  const ChildResult parent = Shell("sleep 3 & echo gone");
  EXPECT_EQ(parent.end, ChildEnd::Exited);
  EXPECT_EQ(parent.output, "gone\n");
  EXPECT_LT(Clock::now() - start, 2s);
}

// With SIGCHLD ignored the kernel reaps children itself: the pid is no child
// of ours any more and may belong to another process, so it is not waited on
// until the deadline nor signalled.
TEST(RunChild, AChildReapedElsewhereIsLostNotKilled) {
  const auto old = std::signal(SIGCHLD, SIG_IGN);
  ChildOptions options;
  options.deadline = 10s;
  const Clock::time_point start = Clock::now();
  const ChildResult run = Shell("exit 0", options);
  std::signal(SIGCHLD, old);
  EXPECT_EQ(run.end, ChildEnd::Lost);
  EXPECT_EQ(run.signal, 0);
  EXPECT_LT(Clock::now() - start, 5s);
}

} // namespace
