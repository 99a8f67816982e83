// Running a tool: argument vectors, one pipe for both streams read while the
// tool runs, working directory and environment, the trace and the log report.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

#include "program_dir.h"
#include "training/job_cancel.h"
#include "training/tool_runner.h"

namespace {

using training_test::ProgramDir;
using training_test::ReadFile;
using training_test::RecordingReporter;

// A script in the program directory's bin/, as the sequences start them.
std::string Script(const ProgramDir &program, const std::string &name, const std::string &body) {
  program.ReplaceTool(name, body);
  return program.Root() + "bin/" + name;
}

// What a run wrote to its trace.
class Trace {
public:
  Trace() : file_(std::tmpfile()) {}
  ~Trace() { std::fclose(file_); }
  std::FILE *file() const { return file_; }
  std::string Text() const {
    std::fflush(file_);
    std::string text;
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;)
      text.push_back(char(c));
    return text;
  }

private:
  std::FILE *file_;
};

bool ProcessGone(pid_t pid) {
  return kill(pid, 0) != 0 && errno == ESRCH;
}

TEST(RunTool, CollectsBothStreamsInOrderAndReportsTheWholeLog) {
  ProgramDir program;
  const std::string tool = Script(program, "talker",
                                  "echo \"out $1\"\n"
                                  "echo \"err [$2]\" >&2\n"
                                  "sleep 0.1\n"
                                  "echo \"cwd $(pwd)\"\n"
                                  "echo \"data $TESSDATA_PREFIX\"\n"
                                  "exit 3");
  Trace trace;
  RecordingReporter reporter;
  std::string log = "earlier\n";
  int exitCode = -1;
  ToolRunOptions options;
  options.reporter = &reporter;
  options.trace = trace.file();
  options.exitCode = &exitCode;
  const pid_t pid = RunTool(tool, {"first", "a path/with spaces"}, log, options);

  EXPECT_GT(pid, 0);
  EXPECT_EQ(exitCode, 3); // fetched, but nothing judges a tool by it
  const std::string expected = "earlier\n"
                               "out first\n"
                               "err [a path/with spaces]\n"
                               "cwd " +
                               program.Root().substr(0, program.Root().size() - 1) +
                               "\n"
                               "data " +
                               program.Root() + "bin/tessdata\n";
  EXPECT_EQ(log, expected);
  EXPECT_EQ(reporter.logs, std::vector<std::string>{expected});
  const std::string line = "=====================================\n\n";
  EXPECT_EQ(trace.Text(), line + "first a path/with spaces\n" + expected + "\n" + line);
}

TEST(RunTool, ASilentFirstToolReportsNothingButIsTraced) {
  ProgramDir program;
  Trace trace;
  RecordingReporter reporter;
  std::string log;
  ToolRunOptions options;
  options.reporter = &reporter;
  options.trace = trace.file();
  EXPECT_GT(RunTool(Script(program, "silent", "exit 0"), {"x", "y"}, log, options), 0);
  EXPECT_EQ(log, "");
  EXPECT_TRUE(reporter.logs.empty());
  const std::string line = "=====================================\n\n";
  EXPECT_EQ(trace.Text(), line + "x y\n\n" + line);

  // After a silent tool the unchanged log is reported again.
  log = "so far";
  RunTool(program.Root() + "bin/silent", {}, log, options);
  EXPECT_EQ(reporter.logs, std::vector<std::string>{"so far"});
}

TEST(RunTool, AToolThatCannotStartLeavesEverythingAsItWas) {
  ProgramDir program;
  Trace trace;
  RecordingReporter reporter;
  std::string log = "kept";
  ToolRunOptions options;
  options.reporter = &reporter;
  options.trace = trace.file();
  const std::string notExecutable = program.Root() + "bin/plain";
  std::ofstream(notExecutable) << "echo hi\n";
  int startError = -1;
  options.startError = &startError;
  const std::pair<std::string, int> tools[] = {{program.Root() + "bin/missing", ENOENT},
                                               {notExecutable, EACCES}};
  for (const auto &[tool, error] : tools) {
    EXPECT_EQ(RunTool(tool, {"a"}, log, options), 0) << tool;
    EXPECT_EQ(log, "kept");
    // The caller can tell the user why.
    EXPECT_EQ(startError, error) << tool;
  }
  EXPECT_TRUE(reporter.logs.empty());
  EXPECT_EQ(trace.Text(), "");

  EXPECT_NE(RunTool(Script(program, "fine", "exit 3"), {}, log, options), 0);
  EXPECT_EQ(startError, 0);
}

TEST(RunTool, OutputFarBeyondThePipeBufferDoesNotBlockTheTool) {
  ProgramDir program;
  // 1 MiB on stdout and another on stderr, far more than a pipe holds, then
  // a line that proves the tool ran to its end.
  const std::string tool = Script(program, "flood",
                                  "head -c 1048576 /dev/zero | tr '\\0' 'o'\n"
                                  "head -c 1048576 /dev/zero | tr '\\0' 'e' >&2\n"
                                  "echo end");
  std::string log;
  ToolRunOptions options;
  options.trace = nullptr;
  EXPECT_GT(RunTool(tool, {}, log, options), 0);
  EXPECT_EQ(log.size(), 2u * 1048576 + 4);
  EXPECT_EQ(log.substr(log.size() - 5), "eend\n");
}

TEST(RunTool, ZeroBytesAndBadUtf8DoNotCutTheLog) {
  ProgramDir program;
  const std::string tool = Script(program, "binary", "printf 'a\\000b\\377c\\n'");
  std::string log;
  ToolRunOptions options;
  options.trace = nullptr;
  RunTool(tool, {}, log, options);
  EXPECT_EQ(log.substr(0, 2), "ab");
  EXPECT_EQ(log.substr(log.size() - 2), "c\n");
}

TEST(RunTool, CancellingStopsTheRunningTool) {
  ProgramDir program;
  const std::string pidFile = program.Scratch() + "pid";
  const std::string tool = Script(program, "sleeper", "echo $$ > '" + pidFile + "'\nexec sleep 60");
  JobCancel cancel;
  std::string log;
  ToolRunOptions options;
  options.cancel = &cancel;
  options.trace = nullptr;
  std::thread canceller([&] {
    while (!std::filesystem::exists(pidFile) || ReadFile(pidFile).empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    cancel.Cancel();
  });
  int exitCode = 0;
  options.exitCode = &exitCode;
  EXPECT_EQ(RunTool(tool, {}, log, options), 0);
  canceller.join();
  EXPECT_EQ(exitCode, 128 + SIGTERM);
  EXPECT_TRUE(ProcessGone(std::stoi(ReadFile(pidFile))));
}

TEST(RunTool, AWaitLimitStopsAToolThatRunsTooLong) {
  ProgramDir program;
  std::string log;
  ToolRunOptions options;
  options.waitLimitMs = 100;
  options.trace = nullptr;
  EXPECT_EQ(RunTool(Script(program, "slow", "echo started\nexec sleep 60"), {}, log, options), 0);
  EXPECT_EQ(log, "started\n");
}

TEST(FileExists, OnlyReadableRegularFilesCount) {
  ProgramDir program;
  const std::string dir = program.Scratch();
  std::ofstream(dir + "file") << "x";
  std::filesystem::create_symlink(dir + "file", dir + "link");
  std::filesystem::create_symlink(dir + "gone", dir + "dangling");
  mkfifo((dir + "fifo").c_str(), 0600);
  EXPECT_TRUE(FileExists(dir + "file"));
  EXPECT_TRUE(FileExists(dir + "link"));
  EXPECT_FALSE(FileExists(dir + "dangling"));
  EXPECT_FALSE(FileExists(dir + "gone"));
  EXPECT_FALSE(FileExists(dir + "fifo")); // and does not hang waiting for a writer
  EXPECT_FALSE(FileExists(program.Tmp()));
}

} // namespace
