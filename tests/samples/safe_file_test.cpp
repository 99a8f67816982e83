#include "samples/safe_file.h"

#include "samples/sample_file.h"
#include "tests/support/temp_dir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Limits the size of files this process may write, as a full disk would,
// until the end of the scope. Writing past the limit fails with EFBIG
// instead of raising SIGXFSZ while the signal is ignored.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

SampleStore ManySamples(int count) {
  SampleStore store;
  for (int i = 0; i < count; ++i)
    store["sample " + std::to_string(i)] = "label";
  return store;
}

TEST(ReplaceFileContent, CreatesAndReplacesKeepingModeAndLinks) {
  TempDir dir;
  const std::string path = dir.File("samples.txt");
  ASSERT_TRUE(ReplaceFileContent(path, "first"));
  EXPECT_EQ(dir.Read("samples.txt"), "first");

  fs::permissions(path, fs::perms(0640));
  fs::create_symlink(path, dir.File("link.txt"));
  ASSERT_TRUE(ReplaceFileContent(dir.File("link.txt"), "second"));
  EXPECT_EQ(dir.Read("samples.txt"), "second");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_FALSE(fs::exists(TempPathFor(path)));
}

TEST(ReplaceFileContent, FailureLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("samples.txt");
  const std::string old = FormatSampleFile({{"a", "A"}});
  dir.Write("samples.txt", old);

  // Something in the way of the temporary file.
  fs::create_directory(TempPathFor(path));
  EXPECT_FALSE(WriteSampleFile(path, ManySamples(3)));
  EXPECT_EQ(dir.Read("samples.txt"), old);
  fs::remove(TempPathFor(path));

  // The disk fills up halfway through the new content.
  {
    FileSizeLimit limit(4096);
    EXPECT_FALSE(WriteSampleFile(path, ManySamples(1000)));
  }
  EXPECT_EQ(dir.Read("samples.txt"), old);
  EXPECT_FALSE(fs::exists(TempPathFor(path)));

  // Neither a directory nor a file in a missing directory is written.
  fs::create_directory(dir.File("folder"));
  EXPECT_FALSE(ReplaceFileContent(dir.File("folder"), "x"));
  EXPECT_TRUE(fs::is_directory(dir.File("folder")));
  EXPECT_FALSE(ReplaceFileContent(dir.File("missing/samples.txt"), "x"));
}

TEST(BackUpFile, CopiesEveryByteAndNeverOverwritesACopy) {
  TempDir dir;
  const std::string path = dir.File("samples.txt");
  const std::string first = std::string("broken\0tail\xD6\xD0", 13);
  dir.Write("samples.txt", first);
  EXPECT_EQ(NextBackupPath(path), path + ".bak");
  EXPECT_EQ(BackUpFile(path), path + ".bak");

  dir.Write("samples.txt", "second");
  EXPECT_EQ(NextBackupPath(path), path + ".bak.1");
  EXPECT_EQ(BackUpFile(path), path + ".bak.1");
  EXPECT_EQ(dir.Read("samples.txt.bak"), first);
  EXPECT_EQ(dir.Read("samples.txt.bak.1"), "second");

  EXPECT_EQ(BackUpFile(dir.File("missing.txt")), std::nullopt);
  EXPECT_FALSE(fs::exists(dir.File("missing.txt.bak")));
  // A FIFO is no file to copy, and opening it must not wait for a writer.
  ASSERT_EQ(mkfifo(dir.File("fifo.txt").c_str(), 0600), 0);
  EXPECT_EQ(BackUpFile(dir.File("fifo.txt")), std::nullopt);
}

} // namespace
