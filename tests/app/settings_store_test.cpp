#include "app/settings_store.h"
#include "tests/support/kill_at_syscall.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

TEST(SettingsStore, MissingFileGivesDefaultsAndIsLookedForAgain) {
  TempDir dir;
  SettingsStore store(dir.File("runeforge.cfg"));
  std::string value = "preset";
  EXPECT_EQ(store.GetSetting("sample_path", value), -1);
  EXPECT_EQ(value, "preset");
  EXPECT_EQ(store.GetSettingInt("thpos", 150), 150);

  dir.Write("runeforge.cfg", R"({"thpos": "77"})");
  EXPECT_EQ(store.GetSettingInt("thpos", 150), 77);
}

struct ConversionCase {
  const char *json;
  const char *key;
  int found; // 0 or -1
  const char *text;
  int asInt;
};

class SettingsConversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(SettingsConversion, MemberBecomesText) {
  const ConversionCase &c = GetParam();
  TempDir dir;
  dir.Write("runeforge.cfg", c.json);
  SettingsStore store(dir.File("runeforge.cfg"));
  std::string text = "unchanged";
  EXPECT_EQ(store.GetSetting(c.key, text), c.found);
  EXPECT_EQ(text, c.text);
  EXPECT_EQ(store.GetSettingInt(c.key, -7), c.asInt);
}

INSTANTIATE_TEST_SUITE_P(
    JsonTypes, SettingsConversion,
    ::testing::Values(ConversionCase{R"({"psm": 7})", "psm", 0, "7", 7},
                      ConversionCase{R"({"thpos": 200})", "thpos", 0, "200", 200},
                      ConversionCase{R"({"thpos": -3})", "thpos", 0, "-3", -3},
                      ConversionCase{R"({"thpos": 1.5})", "thpos", 0, "1.500000", 1},
                      ConversionCase{R"({"sample_path": ["a", "b"]})", "sample_path", 0, "a,b", 0},
                      ConversionCase{R"({"sample_path": []})", "sample_path", 0, "", 0},
                      ConversionCase{R"({"sample_path": ["a", {"x": 1}, 2]})", "sample_path", 0,
                                     "a,,", 0},
                      ConversionCase{R"({"engine": true})", "engine", 0, "1", 1},
                      ConversionCase{R"({"engine": false})", "engine", 0, "0", 0},
                      ConversionCase{R"({"split_row": "12abc"})", "split_row", 0, "12abc", 12},
                      ConversionCase{R"({"psm": 3000000000})", "psm", -1, "unchanged", -7},
                      ConversionCase{R"({"psm": -5000000000})", "psm", -1, "unchanged", -7},
                      ConversionCase{R"({"psm": null})", "psm", -1, "unchanged", -7},
                      ConversionCase{R"({"psm": {"a": 1}})", "psm", -1, "unchanged", -7},
                      // Not an object, or not JSON at all: nothing is loaded.
                      ConversionCase{R"([{"psm": 7}])", "psm", -1, "unchanged", -7},
                      ConversionCase{R"("psm")", "psm", -1, "unchanged", -7},
                      ConversionCase{"{\"psm\": ", "psm", -1, "unchanged", -7},
                      ConversionCase{"\x89PNG\x01\xff\xfe", "psm", -1, "unchanged", -7}),
    [](const ::testing::TestParamInfo<ConversionCase> &info) {
      return "case" + std::to_string(info.index) + "_" + info.param.key;
    });

// Found by fuzzing: jsoncpp throws past 1000 nested values, and the throw
// ended the program at start-up.
TEST(SettingsStore, NestingDeeperThanTheParserTakesIsUnparsable) {
  TempDir dir;
  dir.Write("runeforge.cfg",
            "{\"psm\": 7, \"deep\": " + std::string(1100, '[') + std::string(1100, ']') + "}");
  SettingsStore store(dir.File("runeforge.cfg"));
  EXPECT_EQ(store.GetSettingInt("psm", 6), 6);
  store.SetSettingInt("psm", 4);
  EXPECT_EQ(store.GetSettingInt("psm", 6), 4);
}

TEST(SettingsStore, FirstSetRewritesWhatWasReadPlusTheNewKey) {
  TempDir dir;
  dir.Write("runeforge.cfg", R"({"psm": 7})");
  SettingsStore store(dir.File("runeforge.cfg"));
  EXPECT_EQ(store.GetSettingInt("engine", 3), 3);
  store.SetSettingInt("engine", -1);
  EXPECT_EQ(dir.Read("runeforge.cfg"), "{\n   \"engine\" : \"-1\",\n   \"psm\" : \"7\"\n}\n");
}

TEST(SettingsStore, SetWithoutEarlierReadDoesNotLoadTheFile) {
  TempDir dir;
  dir.Write("runeforge.cfg", R"({"psm": "7"})");
  SettingsStore store(dir.File("runeforge.cfg"));
  store.SetSetting("engine", "2");
  EXPECT_EQ(dir.Read("runeforge.cfg"), "{\n   \"engine\" : \"2\"\n}\n");
}

TEST(SettingsStore, WholeFileAfterAllKeysIsByteExact) {
  TempDir dir;
  SettingsStore store(dir.File("runeforge.cfg"));
  store.SetSetting("sample_path", "D:\\ocr\\samples.txt");
  store.SetSetting("dict_path", "D:\\ocr\\out.traineddata");
  for (auto [key, value] : {std::pair{"split_row", 1}, {"split_col", 1}, {"binary_type", 6},
                            {"psm", 6}, {"train_psm", 8}, {"thpos", 150}, {"thmax", 255},
                            {"splittype", 3}, {"ocrcmd", 0}, {"engine", 3}})
    store.SetSettingInt(key, value);
  EXPECT_EQ(dir.Read("runeforge.cfg"), "{\n"
                                       "   \"binary_type\" : \"6\",\n"
                                       "   \"dict_path\" : \"D:\\\\ocr\\\\out.traineddata\",\n"
                                       "   \"engine\" : \"3\",\n"
                                       "   \"ocrcmd\" : \"0\",\n"
                                       "   \"psm\" : \"6\",\n"
                                       "   \"sample_path\" : \"D:\\\\ocr\\\\samples.txt\",\n"
                                       "   \"split_col\" : \"1\",\n"
                                       "   \"split_row\" : \"1\",\n"
                                       "   \"splittype\" : \"3\",\n"
                                       "   \"thmax\" : \"255\",\n"
                                       "   \"thpos\" : \"150\",\n"
                                       "   \"train_psm\" : \"8\"\n"
                                       "}\n");
}

TEST(SettingsStore, SystemCodePagePathSurvivesARestart) {
  TempDir dir;
  // "D:\样本\集.txt" in GB18030: raw bytes above 127 must be written unchanged.
  const std::string path = "D:\\\xD1\xF9\xB1\xBE\\\xBC\xAF.txt";
  {
    SettingsStore store(dir.File("runeforge.cfg"));
    store.SetSetting("sample_path", path);
  }
  EXPECT_NE(dir.Read("runeforge.cfg").find("\xD1\xF9\xB1\xBE"), std::string::npos);
  SettingsStore again(dir.File("runeforge.cfg"));
  std::string read;
  ASSERT_EQ(again.GetSetting("sample_path", read), 0);
  EXPECT_EQ(read, path);
}

TEST(SettingsStore, UnwritableFileKeepsTheValueInMemory) {
  TempDir dir;
  SettingsStore store(dir.File("no-such-dir/runeforge.cfg"));
  store.SetSettingInt("psm", 4);
  EXPECT_EQ(store.GetSettingInt("psm", 6), 4);
}


TEST(SettingsStore, AWriteKilledAtAnyStepLeavesTheOldOrTheNewFileWhole) {
  if (kill_at::kArch == 0)
    GTEST_SKIP() << "no seccomp architecture code for this machine";
  const std::string before = "{\n   \"dict_path\" : \"/home/u/out.traineddata\",\n"
                             "   \"sample_path\" : \"/home/u/samples.txt\",\n"
                             "   \"thpos\" : \"150\"\n}\n";
  const std::string after = "{\n   \"dict_path\" : \"/home/u/out.traineddata\",\n"
                            "   \"sample_path\" : \"/home/u/samples.txt\",\n"
                            "   \"thpos\" : \"200\"\n}\n";
  const struct {
    const char *step;
    int nr;
    int flagsArg;
    unsigned flags;
    const std::string &expected;
    bool oneOfSeveral = false; // the libc renames by one of these calls
  } cases[] = {
      // Before the new file is in place the old one is untouched; a write in
      // place would be empty or half written here.
      {"write", SYS_write, -1, 0, before},
      {"fsync", SYS_fsync, -1, 0, before},
      {"close", SYS_close, -1, 0, before},
      {"renameat2", SYS_renameat2, -1, 0, before, true},
#ifdef SYS_rename
      {"rename", SYS_rename, -1, 0, before, true},
#endif
      {"renameat", SYS_renameat, -1, 0, before, true},
      // Once renamed the new file is whole, whatever ends the process.
      {"exit", SYS_exit_group, -1, 0, after},
  };
  int renamesKilled = 0;
  for (const auto &c : cases) {
    TempDir dir;
    dir.Write("runeforge.cfg", before);
    const int status = kill_at::RunInChild([&] {
      SettingsStore store(dir.File("runeforge.cfg"));
      std::string thpos;
      store.GetSetting("thpos", thpos); // loads the file, as the window does first
      if (!kill_at::KillAtSyscall(c.nr, c.flagsArg, c.flags))
        _exit(3);
      store.SetSetting("thpos", "200");
    });
    ASSERT_NE(status, -1) << c.step;
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << "seccomp refused";
    if (!WIFSIGNALED(status)) {
      EXPECT_TRUE(c.oneOfSeveral) << c.step << " was never reached";
      EXPECT_EQ(dir.Read("runeforge.cfg"), after) << c.step;
      continue;
    }
    renamesKilled += c.oneOfSeveral;
    EXPECT_EQ(WTERMSIG(status), SIGSYS) << c.step;
    EXPECT_EQ(dir.Read("runeforge.cfg"), c.expected) << "killed at " << c.step;
    // A later start reads whichever file is there as usual.
    SettingsStore again(dir.File("runeforge.cfg"));
    EXPECT_EQ(again.GetSettingInt("thpos", 0), c.expected == before ? 150 : 200) << c.step;
  }
  EXPECT_EQ(renamesKilled, 1);
}

TEST(SettingsStore, AWriteReachesTheFileOnlyByRenamingAWholeOne) {
  TempDir dir;
  dir.Write("runeforge.cfg", "{\"psm\": \"7\"}");
  chmod(dir.File("runeforge.cfg").c_str(), 0640);
  struct stat old {};
  ASSERT_EQ(stat(dir.File("runeforge.cfg").c_str(), &old), 0);
  SettingsStore store(dir.File("runeforge.cfg"));
  EXPECT_EQ(store.GetSettingInt("psm", 6), 7);
  store.SetSettingInt("psm", 4);
  struct stat now {};
  ASSERT_EQ(stat(dir.File("runeforge.cfg").c_str(), &now), 0);
  EXPECT_NE(now.st_ino, old.st_ino) << "a new file renamed into place, not the old one rewritten";
  EXPECT_EQ(now.st_mode & 0777, 0640u) << "the user's permission bits stay";
  EXPECT_EQ(dir.Read("runeforge.cfg"), "{\n   \"psm\" : \"4\"\n}\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("runeforge.cfg.tmp")));
}

// Something other than a regular file under the settings name: the window
// writes every setting as it closes, and must neither block nor write there.
TEST(SettingsStore, NoRegularFileNoWriteNoHang) {
  const struct {
    const char *what;
    bool fifo, readerWaiting;
  } cases[] = {
      {"a FIFO nobody reads", true, false},
      {"a FIFO with a reader waiting", true, true},
      {"a directory", false, false},
  };
  for (const auto &c : cases) {
    TempDir dir;
    const std::string path = dir.File("runeforge.cfg");
    if (c.fifo)
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    else
      std::filesystem::create_directory(path);
    const int reader = c.readerWaiting ? open(path.c_str(), O_RDONLY | O_NONBLOCK) : -1;

    const int status = kill_at::RunInChild(
        [&] {
          SettingsStore store(path);
          if (store.GetSettingInt("psm", 6) != 6)
            _exit(5);
          for (const char *key : {"psm", "engine", "thpos"}) // the close sequence, shortened
            store.SetSettingInt(key, 1);
          _exit(store.GetSettingInt("psm", 6) == 1 ? 0 : 4);
        },
        10);
    EXPECT_NE(status, -1) << c.what << ": the write blocked";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.what;
    if (reader >= 0) {
      char byte = 0;
      EXPECT_LE(read(reader, &byte, 1), 0) << c.what << ": nothing may be written into it";
      close(reader);
    }
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_EQ(c.fifo ? S_ISFIFO(info.st_mode) : S_ISDIR(info.st_mode), true) << c.what;
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.Dir()))
      names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"runeforge.cfg"}) << c.what << ": no file beside it";
    if (!c.fifo) {
      EXPECT_TRUE(std::filesystem::is_empty(path)) << c.what;
    }
  }
}

} // namespace
