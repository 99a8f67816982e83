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
    LearnedGlyphs learned(Pages({{".", "A", "A"}, {"b/c", kZi}}));
    learned.ReadBoxTrainOutput(c.boxTrain);
    learned.ReadMftrainingOutput(c.mftraining);
    if (c.nothingTrained)
      learned.NothingTrained();
    EXPECT_EQ(learned.LabelCount(), 4u);
    EXPECT_EQ(learned.LearnedCount(), c.learned);
    EXPECT_EQ(learned.Unlearned(), c.unlearned);
  }
}

TEST(LearnedGlyphs, TheLineNamesAllOrTheFirstFiftyAndACount) {
  LearnedGlyphs all(Pages({{"a", kZi}}));
  EXPECT_EQ(all.SummaryLine(), "训练结果：2 个字符中学会了 2 个。");
  all.ReadMftrainingOutput("no protos/configs for " + kZi + " in CreateIntTemplates()");
  EXPECT_EQ(all.SummaryLine(), "训练结果：2 个字符中学会了 1 个；未学会：字。");

  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i)
    many.push_back("g" + std::to_string(i));
  LearnedGlyphs none(Pages({many}));
  none.NothingTrained();
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
  result.mismatches = {{"'", "\""}, {kZi, ""}};
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
  for (const auto &c : cases)
    EXPECT_EQ(SelfCheckLine(SelfCheckResult{c.status}), c.line);

  const std::string line = Utf8ToSystem("自检：5 个字符中 5 个识别正确。");
  EXPECT_EQ(SelfCheckNote("tool output\n" + line + "\n"), line);
  EXPECT_EQ(SelfCheckNote(line), line);
  EXPECT_EQ(SelfCheckNote(line + "\nDelivery failed\n"), "");
  EXPECT_EQ(SelfCheckNote(""), "");
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
