// Emptying tmp/ without following links out of it, and delivering the result
// so that a failure keeps the user's old file and a killed delivery leaves
// nothing behind for long.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "program_dir.h"
#include "training/train_files.h"

namespace {

namespace fs = std::filesystem;
using training_test::ProgramDir;
using training_test::ReadFile;

TEST(ClearDirectory, RemovesNestedEntriesAndLinksButNeverWhatLinksPointTo) {
  ProgramDir program;
  const std::string outside = program.Scratch() + "outside/";
  fs::create_directories(outside + "keep");
  std::ofstream(outside + "precious") << "mine";
  std::ofstream(outside + "keep/inner") << "also mine";

  const std::string tmp = program.Tmp();
  fs::create_directories(tmp + "/deep/deeper");
  std::ofstream(tmp + "/a") << "1";
  std::ofstream(tmp + "/deep/deeper/b") << "2";
  fs::create_symlink(outside + "precious", tmp + "/file-link");
  fs::create_symlink(outside + "keep", tmp + "/dir-link");
  fs::create_symlink(outside + "keep", tmp + "/deep/dir-link");
  fs::create_symlink(tmp + "/nowhere", tmp + "/dangling");

  EXPECT_TRUE(ClearDirectory(tmp));
  EXPECT_FALSE(fs::exists(fs::symlink_status(tmp)));
  EXPECT_EQ(ReadFile(outside + "precious"), "mine");
  EXPECT_EQ(ReadFile(outside + "keep/inner"), "also mine");

  EXPECT_FALSE(ClearDirectory(tmp)); // gone: nothing to enumerate
  EXPECT_TRUE(ResetDirectory(tmp));
  EXPECT_TRUE(fs::is_directory(tmp));
  EXPECT_TRUE(fs::is_empty(tmp));
}

TEST(ClearDirectory, ALinkInPlaceOfTheDirectoryIsRemovedNotFollowed) {
  ProgramDir program;
  const std::string outside = program.Scratch() + "elsewhere";
  fs::create_directories(outside);
  std::ofstream(outside + "/precious") << "mine";
  fs::remove(program.Tmp());
  fs::create_directory_symlink(outside, program.Tmp());

  EXPECT_TRUE(ResetDirectory(program.Tmp()));
  EXPECT_FALSE(fs::is_symlink(program.Tmp()));
  EXPECT_TRUE(fs::is_empty(program.Tmp()));
  EXPECT_EQ(ReadFile(outside + "/precious"), "mine");
}

TEST(DeliverResult, ReplacesTheOldFileAndKeepsItsPermissions) {
  ProgramDir program;
  const std::string source = program.Scratch() + "new.traineddata";
  const std::string target = program.Scratch() + "my data/out.traineddata";
  fs::create_directories(program.Scratch() + "my data");
  std::ofstream(source) << "new contents";
  std::ofstream(target) << "old";
  chmod(target.c_str(), 0640);

  EXPECT_EQ(DeliverResult(source, target), 0);
  EXPECT_EQ(ReadFile(target), "new contents");
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // Nothing else is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(program.Scratch() + "my data"),
                          fs::directory_iterator{}),
            1);
}

TEST(DeliverResult, AFailedCopyKeepsTheOldFile) {
  ProgramDir program;
  const std::string source = program.Scratch() + "big.traineddata";
  const std::string target = program.Scratch() + "out.traineddata";
  std::ofstream(source) << std::string(256 * 1024, 'n');
  std::ofstream(target) << "old";

  // The disk runs out in the middle of the copy: a file size limit makes
  // every write past 64 KiB fail, even for root.
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  setrlimit(RLIMIT_FSIZE, &small);
  int error = 0;
  const int code = DeliverResult(source, target, &error);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_EQ(code, 9);
  EXPECT_EQ(error, EFBIG); // what the job log then names
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(program.Scratch()), fs::directory_iterator{}),
            3); // source, target and the program directory; no leftover part file

  EXPECT_EQ(DeliverResult(source, program.Scratch() + "no such dir/out.traineddata", &error), 9);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(DeliverResult(program.Scratch() + "missing", target), 9);
  EXPECT_EQ(ReadFile(target), "old");
  // A directory where the file should go is not replaced.
  fs::create_directories(program.Scratch() + "a dir/inside");
  EXPECT_EQ(DeliverResult(source, program.Scratch() + "a dir", &error), 9);
  EXPECT_EQ(error, EISDIR);
  EXPECT_TRUE(fs::is_directory(program.Scratch() + "a dir/inside"));
}

std::vector<std::string> Entries(const std::string &dir) {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DeliverResult, AJobKilledWhileCopyingLeavesNothingAfterTheNextDelivery) {
  ProgramDir program;
  const std::string out = program.Scratch() + "out/";
  fs::create_directories(out);
  const std::string target = out + "digits.traineddata";
  std::ofstream(target) << "old";
  // The result comes through a FIFO, so the copy stops in the middle for as
  // long as the test wants.
  const std::string source = program.Scratch() + "slow source";
  ASSERT_EQ(mkfifo(source.c_str(), 0600), 0);

  const pid_t copier = fork();
  ASSERT_GE(copier, 0);
  if (copier == 0)
    _exit(DeliverResult(source, target));
  const int feed = open(source.c_str(), O_WRONLY);
  ASSERT_GE(feed, 0);
  // More than a pipe holds: when this returns, the copier has read most of it
  // and is writing its copy.
  const std::string chunk(256 * 1024, 'n');
  ASSERT_EQ(write(feed, chunk.data(), chunk.size()), ssize_t(chunk.size()));
  kill(copier, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(copier, &status, 0), copier);
  ASSERT_TRUE(WIFSIGNALED(status));
  close(feed);
  EXPECT_EQ(ReadFile(target), "old");
  // Where the file system has unnamed files nothing at all is left; elsewhere
  // at most the dead job's hidden copy, which the next delivery removes.
  for (const std::string &name : Entries(out))
    EXPECT_TRUE(name == "digits.traineddata" || name.rfind(".digits.traineddata.part", 0) == 0)
        << name;

  const std::string result = program.Scratch() + "tmp.traineddata";
  std::ofstream(result) << "new";
  ASSERT_EQ(DeliverResult(result, target), 0);
  EXPECT_EQ(Entries(out), std::vector<std::string>{"digits.traineddata"});
  EXPECT_EQ(ReadFile(target), "new");
}

TEST(DeliverResult, RemovesOnlyTheCopiesDeadJobsLeftThere) {
  ProgramDir program;
  const std::string out = program.Scratch() + "out/";
  const std::string outside = program.Scratch() + "outside";
  fs::create_directories(out);
  std::ofstream(outside) << "not ours";
  enum Kind { File, Directory, Link };
  const struct {
    const char *name;
    Kind kind;
    bool removed;
  } entries[] = {
      {".digits.traineddata.part4242-0", File, true}, // a job killed before its rename
      {".other.traineddata.part77-12", File, true},   // another result in the same folder
      {".digits.traineddata.part99-1", File, false},  // still being written: locked
      {"digits.traineddata.part5-6", File, false},    // not hidden: the user's
      {".digits.traineddata.part", File, false},
      {".digits.traineddata.part5-", File, false},
      {".digits.traineddata.partx-1", File, false},
      {".part1-2", File, false},
      {".digits.traineddata.part3-4", Directory, false},
      {".link.traineddata.part3-4", Link, false},
  };
  for (const auto &entry : entries) {
    const std::string path = out + entry.name;
    if (entry.kind == File)
      std::ofstream(path) << "left over";
    else if (entry.kind == Directory)
      fs::create_directory(path);
    else
      fs::create_symlink(outside, path);
  }
  // A delivery in progress holds its copy locked.
  const int live = open((out + ".digits.traineddata.part99-1").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(live, LOCK_EX), 0);

  const std::string result = program.Scratch() + "tmp.traineddata";
  std::ofstream(result) << "new";
  ASSERT_EQ(DeliverResult(result, out + "digits.traineddata"), 0);
  close(live);

  for (const auto &entry : entries)
    EXPECT_EQ(!fs::exists(fs::symlink_status(out + entry.name)), entry.removed) << entry.name;
  EXPECT_EQ(ReadFile(outside), "not ours");
  EXPECT_EQ(ReadFile(out + "digits.traineddata"), "new");
}

} // namespace
