#include "app/settings_store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

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

} // namespace
