// Labels the system code page cannot decode: found, shown byte by byte where
// they go wrong, and left out of a real job with a line in its log.
#include <gtest/gtest.h>

#include "app/text_codec.h"
#include "digit_glyphs.h"
#include "program_dir.h"
#include "samples/sample_file.h"
#include "training/label_text.h"
#include "training/train_job.h"
#include "training/train_paths.h"

namespace {

using training_test::ProgramDir;
using training_test::ReadFile;
using training_test::RecordingReporter;

// Full-width digits as a UTF-8 editor saves them: GB18030 reads EF BC as one
// character and is left with a lead byte that nothing follows.
const std::string kFullWidthOne = "\xEF\xBC\x91";
const std::string kFullWidthTwo = "\xEF\xBC\x92";

TEST(LabelText, OnlyBytesOfNoCharacterAreShownAsHex) {
  const struct {
    std::string label;
    bool decodes;
    std::string shown;
  } cases[] = {
      {"A", true, "A"},
      {Utf8ToSystem("中文"), true, Utf8ToSystem("中文")},
      {Utf8ToSystem("\xF0\x9F\x98\x80"), true, Utf8ToSystem("\xF0\x9F\x98\x80")}, // four bytes
      {Utf8ToSystem("\xEF\xBF\xBD"), true, Utf8ToSystem("\xEF\xBF\xBD")}, // a real U+FFFD
      {"\x80", false, "\\x80"},
      {"\xFF" "1", false, "\\xFF1"},
      {"a\x81", false, "a\\x81"},
      {"\x81\x30", false, "\\x810"}, // a four-byte character cut short
      {kFullWidthOne, false, "\xEF\xBC\\x91"},
      {Utf8ToSystem("字") + "\xFF" + Utf8ToSystem("库"), false,
       Utf8ToSystem("字") + "\\xFF" + Utf8ToSystem("库")},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(LabelDecodes(c.label), c.decodes) << c.shown;
    EXPECT_EQ(ShownLabel(c.label), c.shown);
  }
}

TEST(LabelText, ASampleFileInAnotherEncodingLosesOnlyThoseLabelsAndSaysWhich) {
  ProgramDir program;
  // A sample file whose labels for 1 and 2 were typed in a UTF-8 editor.
  SampleStore written = training_test::FontSamples("0123456789", {40});
  for (auto &[data, label] : written) {
    if (label == "1")
      label = kFullWidthOne;
    else if (label == "2")
      label = kFullWidthTwo;
  }
  const std::string file = program.Scratch() + "samples.json";
  ASSERT_TRUE(WriteSampleFile(file, written));
  SampleStore samples;
  ASSERT_TRUE(LoadSampleFile(file, samples).loaded);
  ASSERT_EQ(samples.size(), 10u);

  // The box file has the eight others and nothing in place of the two.
  std::string log;
  ASSERT_EQ(PrepareTrainingInputs(samples, log, [](int) {}), 0);
  const std::string box = ReadFile(TmpFilePath("tmp.font.exp0.box"));
  EXPECT_EQ(std::count(box.begin(), box.end(), '\n'), 8);
  EXPECT_EQ(box.find("\xEF\xBF\xBD"), std::string::npos) << box;

  RecordingReporter reporter;
  auto job = std::make_unique<TrainJob>();
  job->reporter = &reporter;
  job->samples = samples;
  job->outputPath = program.Scratch() + "digits.traineddata";
  job->settleWait = std::chrono::milliseconds(0);
  RunTrainJob(std::move(job));
  EXPECT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
  for (const char *shown : {"\xEF\xBC\\x91", "\xEF\xBC\\x92"}) {
    const std::string line = Utf8ToSystem("已跳过样本「") + shown +
                             Utf8ToSystem("」：标签含有系统代码页（GB18030）无法解码的字节");
    EXPECT_NE(reporter.doneLog.find(line), std::string::npos) << SystemToUtf8(reporter.doneLog);
  }
}

} // namespace
