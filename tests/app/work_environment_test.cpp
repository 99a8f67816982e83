#include "app/settings_store.h"
#include "app/work_environment.h"
#include "app/work_paths.h"
#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Saves and restores what start-up changes in the process.
class WorkEnvironment : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char *path = std::getenv("PATH"))
      savedPath_ = path;
    savedCwd_ = std::filesystem::current_path();
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    std::filesystem::current_path(savedCwd_);
  }

private:
  std::string savedPath_;
  std::filesystem::path savedCwd_;
};

TEST(WorkPaths, DerivedFromTheProgramDirectory) {
  const WorkPaths paths = DeriveWorkPaths("/opt/glyph wright");
  EXPECT_EQ(paths.ProgramDir, "/opt/glyph wright/");
  EXPECT_EQ(paths.SettingsFile, "/opt/glyph wright/runeforge.cfg");
  EXPECT_EQ(paths.TempDir, "/opt/glyph wright/tmp");
  EXPECT_EQ(paths.TessdataDir, "/opt/glyph wright/tessdata");
  EXPECT_EQ(DeriveWorkPaths("/opt/gw/").ProgramDir, "/opt/gw/");
  EXPECT_EQ(DeriveWorkPaths("/").SettingsFile, "/runeforge.cfg");
  EXPECT_EQ(DeriveWorkPaths("").ProgramDir, "");
}

TEST(WorkPaths, ExecutableDirectoryIsThisTestsDirectory) {
  const std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST_F(WorkEnvironment, AppendToPathNeverAddsAnEmptyEntry) {
  unsetenv("PATH");
  EXPECT_TRUE(AppendToPath("/a/bin"));
  EXPECT_STREQ(std::getenv("PATH"), "/a/bin");
  EXPECT_TRUE(AppendToPath(""));
  EXPECT_TRUE(AppendToPath("/a/"));
  EXPECT_STREQ(std::getenv("PATH"), "/a/bin:/a/");
  setenv("PATH", "", 1);
  AppendToPath("/b");
  EXPECT_STREQ(std::getenv("PATH"), "/b");
}

TEST_F(WorkEnvironment, PreparesDirectoriesEnvironmentAndSettingsTwiceInARow) {
  TempDir dir;
  setenv("PATH", "/usr/bin", 1);
  for (int start = 0; start < 2; ++start) {
    ASSERT_TRUE(PrepareWorkEnvironmentAt(dir.Dir()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("tmp")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("tessdata")));
  }
  EXPECT_EQ(GetWorkPaths().ProgramDir, dir.Dir());
  EXPECT_EQ(ToolDir(), dir.Dir() + "bin");
  EXPECT_STREQ(std::getenv("TESSDATA_PREFIX"), (dir.Dir() + "bin/tessdata").c_str());
  EXPECT_EQ(std::string(std::getenv("PATH")),
            "/usr/bin:" + dir.Dir() + "bin:" + dir.Dir() + ":" + dir.Dir() + "bin:" + dir.Dir());
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), dir.Dir()));
  Settings().SetSettingInt("psm", 5);
  EXPECT_EQ(dir.Read("runeforge.cfg"), "{\n   \"psm\" : \"5\"\n}\n");
}

TEST_F(WorkEnvironment, UndeterminableProgramDirectoryStopsStartUp) {
  EXPECT_FALSE(PrepareWorkEnvironmentAt(""));
}

} // namespace
