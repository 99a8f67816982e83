// Reading what the tools learned from their output, the self-check's line,
// and the advice on training PSM values.
#include <filesystem>
#include <gtest/gtest.h>

#include "app/text_codec.h"
#include "training/learned_glyphs.h"
#include "training/self_check.h"
#include "training/train_sequences.h"

namespace {

std::vector<TrainingPage> Pages(const std::vector<std::vector<std::string>> &labels) {
  std::vector<TrainingPage> pages;
  for (const auto &row : labels) {
    TrainingPage &page = pages.emplace_back();
    int x = 10;
    for (const std::string &label : row) {
      page.glyphs.push_back({label, x, x + 10});
      x += 20;
    }
  }
  return pages;
}

const std::string kZi = Utf8ToSystem("字");

TEST(LearnedGlyphs, ToolOutputTakesAwayWhatWasNotLearned) {
  struct Case {
    const char *what;
    std::string boxTrain, mftraining;
    bool nothingTrained;
    std::size_t learned;
    std::vector<std::string> unlearned;
  };
  const Case cases[] = {
      {"clean run: Tesseract's own entries are not labels",
       "APPLY_BOXES:\n   Found 5 good blobs.\n",
       "Warning: no protos/configs for Joined in CreateIntTemplates()\n"
       "Warning: no protos/configs for |Broken|0|1 in CreateIntTemplates()\n",
       false,
       4,
       {}},
      {"a failed box of a label with one sample",
       "FAIL!\nAPPLY_BOXES: boxfile line 1/. ((10,10),(11,11)): FAILURE! Couldn't find a "
       "matching blob\n",
       "",
       false,
       3,
       {"."}},
      {"one of two samples failed: the other still teaches the label",
       "APPLY_BOXES: boxfile line 2/A ((30,10),(40,20)): FAILURE! Couldn't find a matching "
       "blob\r\n",
       "",
       false,
       4,
       {}},
      {"both samples failed",
       "APPLY_BOXES: boxfile line 2/A ((30,10),(40,20)): FAILURE! Couldn't find a matching blob\n"
       "APPLY_BOXES: boxfile line 1/A ((10,10),(20,20)): FAILURE! Couldn't find a matching blob",
       "",
       false,
       3,
       {"A"}},
      {"a label in the system code page, named by mftraining",
       "",
       "Warning: no protos/configs for " + kZi + " in CreateIntTemplates()\n",
       false,
       3,
       {kZi}},
      {"a label that only looks like the message's pieces",
       "APPLY_BOXES: boxfile line 3/b/c ((50,10),(60,20)): FAILURE! box overlaps no blobs\n",
       "",
       false,
       3,
       {"b/c"}},
      {"an empty .tr teaches nothing", "", "", true, 0, {".", "A", "b/c", kZi}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<TrainingPage> pages = Pages({{".", "A", "A"}, {"b/c", kZi}});
    LearnedGlyphs learned(pages);
    learned.ReadBoxTrainRun(pages, c.boxTrain, !c.nothingTrained);
    learned.ReadMftrainingOutput(c.mftraining);
    EXPECT_EQ(learned.LabelCount(), 4u);
    EXPECT_EQ(learned.LearnedCount(), c.learned);
    EXPECT_EQ(learned.Unlearned(), c.unlearned);
  }
}

std::string Failure(int line, const std::string &label) {
  return "APPLY_BOXES: boxfile line " + std::to_string(line) + "/" + label +
         " ((10,10),(20,20)): FAILURE! Couldn't find a matching blob\n";
}

// Tesseract numbers a box by its line among its own page's boxes.
TEST(LearnedGlyphs, FailedBoxesAreFoundOnTheirPages) {
  const std::vector<TrainingPage> pages =
      Pages({{"A", "B", "C"}, {"A", "B", "C"}, {"D", "A"}, {"A", "E"}});
  EXPECT_EQ(FailedBoxes(pages, Failure(2, "B") + Failure(1, "A") + "FAIL!\n" + Failure(3, "C") +
                                   Failure(2, "A") + Failure(2, "E")),
            (std::vector<GlyphPosition>{{0, 1}, {1, 0}, {1, 2}, {2, 1}, {3, 1}}));
  // A page without failures in between: its line holds another label.
  EXPECT_EQ(FailedBoxes(pages, Failure(3, "C") + Failure(1, "D")),
            (std::vector<GlyphPosition>{{0, 2}, {2, 0}}));
  // Lines that fit no page, or whose number cannot be read, place nothing.
  EXPECT_EQ(FailedBoxes(pages, Failure(4, "A") + Failure(1, "Z") + Failure(0, "A") +
                                   "APPLY_BOXES: boxfile line x/A ((1,1),(2,2)): FAILURE!\n"),
            std::vector<GlyphPosition>{});
}

// A retry run on copies: a label is learned when any copy reached the model.
TEST(LearnedGlyphs, ARetryRunTeachesWhatTheFirstRunFailed) {
  const std::vector<TrainingPage> pages = Pages({{"A", kZi, "B"}});
  const std::string first = Failure(2, kZi) + Failure(3, "B");
  const std::vector<TrainingPage> retry = Pages({{kZi, kZi, "B"}});
  struct Case {
    const char *what;
    std::string retryOutput;
    bool retryTrained;
    std::vector<std::string> unlearned;
  };
  const Case cases[] = {
      {"both copies of 字 fail, B trains", Failure(1, kZi) + Failure(2, kZi), true, {kZi}},
      {"one copy of 字 trains, B fails", Failure(2, kZi) + Failure(3, "B"), true, {"B"}},
      {"the retry's .tr file holds nothing", "", false, {kZi, "B"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    LearnedGlyphs learned(pages);
    learned.ReadBoxTrainRun(pages, first, true);
    learned.ReadBoxTrainRun(retry, c.retryOutput, c.retryTrained);
    EXPECT_EQ(learned.LabelCount(), 3u);
    EXPECT_EQ(learned.Unlearned(), c.unlearned);
  }
}

TEST(LearnedGlyphs, TheLineNamesAllOrTheFirstFiftyAndACount) {
  const std::vector<TrainingPage> both = Pages({{"a", kZi}});
  LearnedGlyphs all(both);
  all.ReadBoxTrainRun(both, "", true);
  EXPECT_EQ(all.SummaryLine(), "训练结果：2 个字符中学会了 2 个。");
  all.ReadMftrainingOutput("no protos/configs for " + kZi + " in CreateIntTemplates()");
  EXPECT_EQ(all.SummaryLine(), "训练结果：2 个字符中学会了 1 个；未学会：字。");

  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i)
    many.push_back("g" + std::to_string(i));
  LearnedGlyphs none(Pages({many}));
  none.ReadBoxTrainRun(Pages({many}), "", false);
  const std::string line = none.SummaryLine();
  EXPECT_EQ(line.rfind("训练结果：60 个字符中学会了 0 个；未学会 60 个，前 50 个是：g0 g1 ", 0), 0u)
      << line;
  EXPECT_NE(line.find(" g49。"), std::string::npos) << line;
  EXPECT_EQ(line.find("g50"), std::string::npos) << line;
}

TEST(SelfCheck, LineCountsLabelsAndShowsMarksReadably) {
  SelfCheckResult result;
  result.status = SelfCheckStatus::Ran;
  result.correct = 3;
  result.total = 5;
  result.mismatches = {{"'", "\""}, {kZi, ""}, {"'", "\""}}; // the copy's misreading once
  EXPECT_EQ(SelfCheckLine(result),
            "自检：5 个字符中 3 个识别正确；识别错误：「'」读成「\"」 「字」未识别出。");
  const struct {
    SelfCheckStatus status;
    const char *line;
  } cases[] = {
      {SelfCheckStatus::Refused, "自检：无法加载训练结果，未能自检。"},
      {SelfCheckStatus::Crashed, "自检：Tesseract 读取训练结果时异常退出，未能自检。"},
      {SelfCheckStatus::NotRun, "自检：无法运行检查程序 glyphwright-dictcheck，未能自检。"},
      {SelfCheckStatus::Cancelled, "自检：已取消。"},
  };
  for (const auto &c : cases) {
    SelfCheckResult result;
    result.status = c.status;
    EXPECT_EQ(SelfCheckLine(result), c.line);
  }

  const std::string line = Utf8ToSystem("自检：5 个字符中 5 个识别正确。");
  EXPECT_EQ(SelfCheckNote("tool output\n" + line + "\n"), line);
  EXPECT_EQ(SelfCheckNote(line), line);
  EXPECT_EQ(SelfCheckNote(line + "\nDelivery failed\n"), "");
  EXPECT_EQ(SelfCheckNote(""), "");
}

// Glyphs at columns 10-19, 30-39, 50-59, 70-79, 90-99 (centres 14, 34, ...).
TEST(SelfCheck, ASymbolOverSeveralGlyphsIsOneReadingOfThemAll) {
  const std::vector<PageGlyph> glyphs = Pages({{"o", "W", "t", "h", "E"}})[0].glyphs;
  const struct {
    const char *name;
    std::vector<ReadSymbol> symbols;
    std::vector<GlyphReading> readings;
  } cases[] = {
      {"one symbol a glyph",
       {{"o", 10, 19}, {"W", 30, 39}, {"t", 50, 59}, {"h", 70, 79}, {"E", 90, 99}},
       {{0, 0, "o"}, {1, 1, "W"}, {2, 2, "t"}, {3, 3, "h"}, {4, 4, "E"}}},
      {"three glyphs replaced by two letters",
       {{"th", 10, 59}, {"h", 70, 79}, {"E", 90, 99}},
       {{0, 2, "th"}, {3, 3, "h"}, {4, 4, "E"}}},
      {"a glyph read as two symbols, one read as none",
       {{"o", 10, 19}, {"V", 30, 34}, {"V", 35, 39}, {"h", 70, 79}, {"E", 90, 99}},
       {{0, 0, "o"}, {1, 1, "VV"}, {2, 2, ""}, {3, 3, "h"}, {4, 4, "E"}}},
      {"a symbol between centres goes to the nearest glyph",
       {{"o", 10, 19}, {"W", 36, 44}, {"E", 90, 99}},
       {{0, 0, "o"}, {1, 1, "W"}, {2, 2, ""}, {3, 3, ""}, {4, 4, "E"}}},
      {"runs that overlap become one",
       {{"oW", 10, 39}, {"th", 30, 59}, {"E", 90, 99}},
       {{0, 2, "oWth"}, {3, 3, ""}, {4, 4, "E"}}},
  };
  for (const auto &c : cases) {
    const std::vector<GlyphReading> readings = ReadingsOfGlyphs(glyphs, c.symbols);
    ASSERT_EQ(readings.size(), c.readings.size()) << c.name;
    for (std::size_t i = 0; i < readings.size(); ++i) {
      EXPECT_EQ(readings[i].first, c.readings[i].first) << c.name << " " << i;
      EXPECT_EQ(readings[i].last, c.readings[i].last) << c.name << " " << i;
      EXPECT_EQ(readings[i].text, c.readings[i].text) << c.name << " " << i;
    }
  }
  EXPECT_TRUE(ReadingsOfGlyphs({}, {{"a", 0, 9}}).empty());

  SelfCheckResult result;
  result.status = SelfCheckStatus::Ran;
  result.total = 5;
  result.correct = 4;
  result.mismatches = {{"oWt", "th", true}, {"I", "l"}};
  EXPECT_EQ(SelfCheckLine(result),
            "自检：5 个字符中 4 个识别正确；识别错误：「I」读成「l」；另有 Tesseract "
            "自带的替换表把少见的字母组合换成了别的字母（任何程序读取都会这样，不计入识别错误）："
            "「oWt」读成「th」。");
}

TEST(SelfCheck, AModelThatCannotBeLoadedOrACheckerThatIsMissingIsSaid) {
  const std::string dir = std::filesystem::temp_directory_path().string();
  const std::string checker = GLYPHWRIGHT_PROGRAM_DIR "/glyphwright-dictcheck";
  ToolRunOptions run;
  run.workingDir = dir;
  SelfCheckResult result =
      CheckTrainedModel({checker, dir, "no-such-model", 0}, Pages({{"a"}}), run);
  EXPECT_EQ(result.status, SelfCheckStatus::Refused);
  EXPECT_EQ(result.total, 0);
  result = CheckTrainedModel({dir + "/no-such-checker", dir, "x", 0}, Pages({{"a"}}), run);
  EXPECT_EQ(result.status, SelfCheckStatus::NotRun);
}

TEST(TrainPsm, OnlyValuesThatLoseGlyphsGetAdvice) {
  for (int psm = -1; psm <= 13; ++psm) {
    const bool learnsAll = psm == 6 || psm == 7 || psm == 8 || psm == 13;
    EXPECT_EQ(TrainPsmAdvice(psm).empty(), learnsAll) << psm;
  }
  EXPECT_EQ(TrainPsmAdvice(3), "训练PSM 3 会漏学字符；要学会每个字符，请选 6、7 或 8（默认 8）。");
}

} // namespace
