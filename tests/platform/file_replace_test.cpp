#include "platform/file_replace.h"

#include "samples/sample_file.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/kill_at_syscall.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace {

namespace fs = std::filesystem;

SampleStore ManySamples(int count) {
  SampleStore store;
  for (int i = 0; i < count; ++i)
    store["sample " + std::to_string(i)] = "label";
  return store;
}

std::vector<std::string> Names(const TempDir &dir) {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(dir.Dir()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Every test runs on both ways to a temporary file: the unnamed one, and the
// named one of file systems without O_TMPFILE.
class FileReplace : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { UseNamedTemporaryFilesOnly(GetParam()); }
  void TearDown() override { UseNamedTemporaryFilesOnly(false); }
};

INSTANTIATE_TEST_SUITE_P(TemporaryFiles, FileReplace, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Named" : "Unnamed"; });

TEST_P(FileReplace, CreatesAndReplacesKeepingModeAndLinks) {
  TempDir dir;
  const std::string path = dir.File("samples.txt");
  ASSERT_TRUE(ReplaceFileContent(path, "first"));
  EXPECT_EQ(dir.Read("samples.txt"), "first");

  fs::permissions(path, fs::perms(0640));
  fs::create_symlink(path, dir.File("link.txt"));
  fs::create_symlink("link.txt", dir.File("chain.txt"));
  ASSERT_TRUE(ReplaceFileContent(dir.File("chain.txt"), "second"));
  EXPECT_EQ(dir.Read("samples.txt"), "second");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
  EXPECT_TRUE(fs::is_symlink(dir.File("chain.txt")));
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0640));

  // A dangling link makes the file it names; the link stays.
  fs::create_symlink("later.txt", dir.File("dangling.txt"));
  ASSERT_TRUE(ReplaceFileContent(dir.File("dangling.txt"), "third"));
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.txt")));
  EXPECT_EQ(dir.Read("later.txt"), "third");
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"chain.txt", "dangling.txt", "later.txt",
                                                  "link.txt", "samples.txt"}));

  // A delivered copy follows the same rules.
  dir.Write("result.bin", std::string("\0\x01tail", 6));
  ASSERT_TRUE(ReplaceWithCopyOf(dir.File("result.bin"), dir.File("link.txt")));
  EXPECT_EQ(dir.Read("samples.txt"), std::string("\0\x01tail", 6));
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0640));
}

TEST_P(FileReplace, FailureLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const std::string path = dir.File("samples.txt");
  const std::string old = FormatSampleFile({{"a", "A"}});
  dir.Write("samples.txt", old);

  // The disk fills up halfway through the new content.
  {
    FileSizeLimit limit(4096);
    int error = 0;
    EXPECT_FALSE(ReplaceFileContent(path, FormatSampleFile(ManySamples(1000)), &error));
    EXPECT_EQ(error, EFBIG);
  }
  EXPECT_EQ(dir.Read("samples.txt"), old);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"samples.txt"});

  // Neither a directory, a FIFO, nor a file in a missing directory is written.
  fs::create_directory(dir.File("folder"));
  EXPECT_FALSE(ReplaceFileContent(dir.File("folder"), "x"));
  EXPECT_TRUE(fs::is_directory(dir.File("folder")));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReplaceFileContent(dir.File("fifo"), "x"));
  EXPECT_FALSE(ReplaceFileContent(dir.File("missing/samples.txt"), "x"));
  EXPECT_FALSE(ReplaceWithCopyOf(dir.File("missing.bin"), path));
  EXPECT_EQ(dir.Read("samples.txt"), old);
}

TEST_P(FileReplace, ADeadWritersTemporaryGoesLiveOnesStay) {
  TempDir dir;
  dir.Write(".samples.txt.part4242-0", "dead writer");
  dir.Write(".other.txt.part77-12", "dead writer of another file");
  dir.Write("samples.txt.part5-6", "the user's: not hidden");
  dir.Write(".samples.txt.partx-1", "no writer's name");
  // A writer still at work holds its lock.
  dir.Write(".samples.txt.part99-1", "live writer");
  const int live = open(dir.File(".samples.txt.part99-1").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(live, LOCK_EX), 0);

  ASSERT_TRUE(ReplaceFileContent(dir.File("samples.txt"), "new"));
  EXPECT_EQ(Names(dir), (std::vector<std::string>{".samples.txt.part99-1", ".samples.txt.partx-1",
                                                  "samples.txt", "samples.txt.part5-6"}));
  close(live);
}

// Two processes saving one file at the same moment, as two users of a shared
// install closing their windows together.
TEST_P(FileReplace, TwoWritersAtOnceBothSucceedAndOneWholeContentStays) {
  TempDir dir;
  const std::string path = dir.File("runeforge.cfg");
  const std::string contents[2] = {std::string(200000, 'a'), std::string(300000, 'b')};
  pid_t children[2];
  for (int i = 0; i < 2; ++i) {
    children[i] = fork();
    if (children[i] == 0) {
      int failures = 0;
      for (int n = 0; n < 100; ++n)
        failures += !ReplaceFileContent(path, contents[i]);
      _exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write reported failure";
  }
  const std::string now = dir.Read("runeforge.cfg");
  EXPECT_TRUE(now == contents[0] || now == contents[1]);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"runeforge.cfg"});
}

TEST_P(FileReplace, AWriterKilledAtAnyStepLeavesTheOldOrTheNewFileWhole) {
  if (kill_at::kArch == 0)
    GTEST_SKIP() << "no seccomp architecture code for this machine";
  const std::string before(5000, 'o');
  const std::string after(7000, 'n');
  const struct {
    const char *step;
    int nr;
    bool newFile;
  } cases[] = {
      {"write", SYS_write, false},       {"fsync", SYS_fsync, false},
      {"flock", SYS_flock, false},       {"linkat", SYS_linkat, false}, // the unnamed file's name
      {"renameat", SYS_renameat, false}, {"renameat2", SYS_renameat2, false},
      {"exit", SYS_exit_group, true},
  };
  for (const auto &c : cases) {
    TempDir dir;
    dir.Write("samples.txt", before);
    const int status = kill_at::RunInChild([&] {
      if (!kill_at::KillAtSyscall(c.nr))
        _exit(3);
      _exit(ReplaceFileContent(dir.File("samples.txt"), after) ? 0 : 4);
    });
    ASSERT_NE(status, -1) << c.step;
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << "seccomp refused";
    if (WIFEXITED(status)) {
      // The step is not on this path (linkat without O_TMPFILE, say).
      EXPECT_EQ(WEXITSTATUS(status), 0) << c.step;
      EXPECT_EQ(dir.Read("samples.txt"), after) << c.step;
      continue;
    }
    EXPECT_EQ(dir.Read("samples.txt"), c.newFile ? after : before) << "killed at " << c.step;
    // The next write clears whatever the killed one left.
    ASSERT_TRUE(ReplaceFileContent(dir.File("samples.txt"), "next")) << c.step;
    EXPECT_EQ(Names(dir), std::vector<std::string>{"samples.txt"}) << c.step;
  }
}

TEST(BackUpFile, CopiesEveryByteAndNeverOverwritesACopy) {
  TempDir dir;
  const std::string path = dir.File("samples.txt");
  const std::string first = std::string("broken\0tail\xD6\xD0", 13);
  dir.Write("samples.txt", first);
  fs::permissions(path, fs::perms(0640));
  EXPECT_EQ(NextBackupPath(path), path + ".bak");
  EXPECT_EQ(BackUpFile(path), path + ".bak");

  dir.Write("samples.txt", "second");
  EXPECT_EQ(NextBackupPath(path), path + ".bak.1");
  EXPECT_EQ(BackUpFile(path), path + ".bak.1");
  EXPECT_EQ(dir.Read("samples.txt.bak"), first);
  EXPECT_EQ(dir.Read("samples.txt.bak.1"), "second");

  // A name taken by anything, even a dangling link, is passed over.
  fs::create_symlink("nowhere", dir.File("samples.txt.bak.2"));
  EXPECT_EQ(BackUpFile(path), path + ".bak.3");
  EXPECT_FALSE(fs::exists(dir.File("nowhere")));

  EXPECT_EQ(BackUpFile(dir.File("missing.txt")), std::nullopt);
  EXPECT_FALSE(fs::exists(dir.File("missing.txt.bak")));
  // A FIFO is no file to copy, and opening it must not wait for a writer.
  ASSERT_EQ(mkfifo(dir.File("fifo.txt").c_str(), 0600), 0);
  EXPECT_EQ(BackUpFile(dir.File("fifo.txt")), std::nullopt);
}

} // namespace
