// Two jobs in one program directory: the second one ends at once and leaves
// the first one's tmp/ and result alone, whether it runs in another process
// or beside the first in this one.
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/text_codec.h"
#include "digit_glyphs.h"
#include "program_dir.h"
#include "training/train_job.h"
#include "training/train_lock.h"

namespace {

namespace fs = std::filesystem;
using training_test::ProgramDir;
using training_test::ReadFile;
using training_test::RecordingReporter;

std::unique_ptr<TrainJob> Job(RecordingReporter &reporter, SampleMap samples,
                              const std::string &output) {
  auto job = std::make_unique<TrainJob>();
  job->reporter = &reporter;
  job->mode = 0;
  job->samples = std::move(samples);
  job->outputPath = output;
  job->settleWait = std::chrono::milliseconds(0);
  return job;
}

// The names in tmp/ and the box file's text: what the first job has written
// there by the time its first tool runs.
std::string TmpContents(const ProgramDir &program) {
  std::vector<std::string> names = program.TmpEntries();
  std::sort(names.begin(), names.end());
  std::string contents;
  for (const std::string &name : names)
    contents += name + "\n";
  return contents + ReadFile(program.Tmp() + "/tmp.font.exp0.box");
}

TEST(TrainAreaLock, OneHolderPerProgramDirectoryAtATime) {
  ProgramDir program;
  ProgramDir other;
  std::string root = program.Root();
  const std::string withoutSlash = root.substr(0, root.size() - 1);
  {
    const TrainAreaLock first(root);
    ASSERT_TRUE(first.Acquired());
    for (const std::string &same : {root, withoutSlash})
      EXPECT_FALSE(TrainAreaLock(same).Acquired()) << same;
    EXPECT_TRUE(TrainAreaLock(other.Root()).Acquired());
  }
  EXPECT_TRUE(TrainAreaLock(root).Acquired()); // released with its holder
}

TEST(TrainAreaLock, ASecondJobBesideARunningOneEndsAtOnceAndTouchesNothing) {
  ProgramDir program;
  const std::string marker = program.Scratch() + "first job is in its tool";
  const std::string release = program.Scratch() + "let the first job go on";
  const std::string realTesseract = fs::canonical(GLYPHWRIGHT_PROGRAM_DIR "/bin/tesseract");
  // The first run waits inside the tool until the test lets it go on; any
  // later run goes straight through.
  program.ReplaceTool("tesseract", "if [ ! -e '" + marker + "' ]; then\n  touch '" + marker +
                                       "'\n  while [ ! -e '" + release +
                                       "' ]; do sleep 0.05; done\nfi\nexec '" + realTesseract +
                                       "' \"$@\"");
  const SampleMap digits = training_test::FontSamples("0123456789", {40});
  const std::string firstOutput = program.Scratch() + "first.traineddata";
  const std::string secondOutput = program.Scratch() + "second.traineddata";

  // The first job in a process of its own, as a second program window would be.
  const pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    RecordingReporter reporter;
    RunTrainJob(Job(reporter, digits, firstOutput));
    _exit(reporter.doneCode == 0 ? 0 : 1);
  }
  int status = 0;
  while (!fs::exists(marker)) {
    ASSERT_EQ(waitpid(first, &status, WNOHANG), 0) << "the first job ended early";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const std::string firstInputs = TmpContents(program);
  ASSERT_NE(firstInputs.find("tmp.font.exp0.tif\n"), std::string::npos) << firstInputs;

  RecordingReporter second;
  RunTrainJob(Job(second, digits, secondOutput));
  EXPECT_EQ(second.doneCount, 1);
  EXPECT_EQ(second.doneCode, kTrainAreaBusy);
  EXPECT_EQ(SystemToUtf8(second.doneLog), kTrainAreaBusyText);
  EXPECT_EQ(second.progress, std::vector<int>{});
  EXPECT_EQ(second.logs, std::vector<std::string>{});
  EXPECT_EQ(TmpContents(program), firstInputs);
  EXPECT_FALSE(fs::exists(secondOutput));

  // The first job finishes undisturbed with its own model.
  std::ofstream(release).close();
  ASSERT_EQ(waitpid(first, &status, 0), first);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_GT(fs::file_size(firstOutput), 0u);
  EXPECT_FALSE(fs::exists(secondOutput));

  // With the first job gone, the directory is free for the next one.
  RecordingReporter third;
  RunTrainJob(Job(third, {{"nothing to decode", "x"}}, secondOutput));
  EXPECT_EQ(third.doneCode, kTrainNoGlyph);
  EXPECT_TRUE(fs::is_empty(program.Tmp()));
}

} // namespace
