// Emptying tmp/ without following links out of it, and delivering the result
// so that a failure keeps the user's old file.
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

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

} // namespace
