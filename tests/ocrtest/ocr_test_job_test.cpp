// RunOcrTest with Debian's eng data: the dictionary copied under its
// language's name and gone afterwards, both commands, the whitelist, and the
// failures that leave no text.
#include "app/text_codec.h"
#include "engine_test_support.h"
#include "ocrtest/ocr_test_job.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class RunOcrTestFixture : public testing::Test {
protected:
  static void SetUpTestSuite() {
    digits_ = new engine_test::TextLine(engine_test::renderTextLine("4096 735"));
    letters_ = new engine_test::TextLine(engine_test::renderTextLine("HELLO"));
  }
  static void TearDownTestSuite() {
    delete digits_;
    delete letters_;
  }
  void SetUp() override {
    fs::create_directory(tessdata());
    fs::create_directory(home_.File("data"));
    // eng's data under a name with a further dot: it loads as language "num"
    fs::copy_file(engine_test::tessdataDir() + "/eng.traineddata", dictionary());
  }

  std::string tessdata() const { return home_.File("tessdata"); }
  std::string dictionary() const { return home_.File("data/num.font.traineddata"); }
  std::vector<std::string> tessdataFiles() const {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(tessdata()))
      names.push_back(entry.path().filename().string());
    return names;
  }

  // A single-line job over a rendered line, as the test button makes it.
  static std::unique_ptr<OcrTestJob> Job(const std::string &path, int command,
                                         const engine_test::TextLine &line = *digits_) {
    auto job = std::make_unique<OcrTestJob>();
    job->command = command;
    job->resultLevel = 3; // words
    job->engineMode = 3;
    job->pageSegMode = 7;
    job->dictionaryPath = ToSystemCodePage(fs::path(path).u16string());
    job->mask = line.mask;
    job->width = line.width;
    job->height = line.height;
    return job;
  }

  static bool HasLetter(const std::string &s) {
    return std::any_of(s.begin(), s.end(), [](unsigned char c) { return std::isalpha(c); });
  }

  TempDir home_;
  static engine_test::TextLine *digits_, *letters_;
};
engine_test::TextLine *RunOcrTestFixture::digits_ = nullptr;
engine_test::TextLine *RunOcrTestFixture::letters_ = nullptr;

TEST_F(RunOcrTestFixture, BothCommandsReadTheDigitsAndLeaveNoCopy) {
  const struct {
    int command;
    const char *expected;
  } cases[] = {{0, "4096 735\n"}, {1, "{\"text\":\"4096\""}};
  for (const auto &c : cases) {
    const OcrTestOutcome outcome = RunOcrTest(Job(dictionary(), c.command), tessdata());
    EXPECT_EQ(outcome.failure, OcrTestFailure::None);
    ASSERT_TRUE(outcome.hasText) << "command " << c.command;
    EXPECT_NE(outcome.text.find(c.expected), std::string::npos) << outcome.text;
    EXPECT_TRUE(tessdataFiles().empty()) << "the copy num.traineddata is deleted";
    EXPECT_TRUE(fs::exists(dictionary()));
  }
}

TEST_F(RunOcrTestFixture, AChineseDictionaryNameLoads) {
  const std::string path = home_.File("data/\xE6\x95\xB0\xE5\xAD\x97.font.traineddata"); // 数字
  fs::rename(dictionary(), path);
  const OcrTestOutcome outcome = RunOcrTest(Job(path, 0), tessdata());
  ASSERT_TRUE(outcome.hasText) << static_cast<int>(outcome.failure);
  EXPECT_EQ(outcome.text, "4096 735\n");
  EXPECT_TRUE(tessdataFiles().empty());
}

TEST_F(RunOcrTestFixture, ADictionaryAlreadyInPlaceIsUsedAndSurvives) {
  const std::string inPlace = tessdata() + "/num.traineddata";
  fs::rename(dictionary(), inPlace);
  const OcrTestOutcome outcome = RunOcrTest(Job(inPlace, 0), tessdata());
  EXPECT_TRUE(outcome.hasText);
  EXPECT_TRUE(fs::exists(inPlace));
  EXPECT_EQ(fs::file_size(inPlace), fs::file_size(engine_test::tessdataDir() + "/eng.traineddata"));
}

TEST_F(RunOcrTestFixture, ALeftoverUnderTheLanguagesNameIsReplacedAndRemoved) {
  home_.Write("tessdata/num.traineddata", "left over from a test that never ended");
  const OcrTestOutcome outcome = RunOcrTest(Job(dictionary(), 0), tessdata());
  EXPECT_TRUE(outcome.hasText) << "the dictionary was tested, not the leftover";
  EXPECT_TRUE(tessdataFiles().empty());
}

TEST_F(RunOcrTestFixture, TheWhitelistRestrictsWhatIsRead) {
  auto digits = Job(dictionary(), 0);
  digits->whitelist = "0123456789";
  EXPECT_EQ(RunOcrTest(std::move(digits), tessdata()).text, "4096 735\n");

  auto letters = Job(dictionary(), 0, *letters_);
  letters->whitelist = "0123456789";
  const OcrTestOutcome restricted = RunOcrTest(std::move(letters), tessdata());
  EXPECT_FALSE(HasLetter(restricted.text)) << restricted.text;
  EXPECT_NE(RunOcrTest(Job(dictionary(), 0, *letters_), tessdata()).text.find("HELLO"),
            std::string::npos)
      << "without the whitelist the letters are read";
}

TEST_F(RunOcrTestFixture, FailuresGiveNoTextAndLeaveNoCopy) {
  home_.Write("data/broken.traineddata", std::string(4096, 'x'));
  struct Case {
    const char *what;
    std::unique_ptr<OcrTestJob> job;
    std::string dataDir;
    OcrTestFailure failure;
  };
  auto with = [&](std::unique_ptr<OcrTestJob> job, auto change) {
    change(*job);
    return job;
  };
  Case cases[] = {
      {"missing dictionary", Job(home_.File("data/none.traineddata"), 0), tessdata(),
       OcrTestFailure::DictionaryUnreadable},
      {"a folder as dictionary", Job(home_.File("data"), 0), tessdata(),
       OcrTestFailure::DictionaryUnreadable},
      {"broken dictionary", Job(home_.File("data/broken.traineddata"), 0), tessdata(),
       OcrTestFailure::RecognizerFailed},
      {"legacy engine of an LSTM-only dictionary",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.engineMode = 0; }), tessdata(),
       OcrTestFailure::RecognizerFailed},
      {"no engine mode chosen",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.engineMode = -1; }), tessdata(),
       OcrTestFailure::RecognizerFailed},
      {"no data directory", Job(dictionary(), 0), home_.File("missing"),
       OcrTestFailure::CopyFailed},
      {"command -1", Job(dictionary(), -1), tessdata(), OcrTestFailure::None},
      {"command 2", Job(dictionary(), 2), tessdata(), OcrTestFailure::None},
      {"level -1 with ocrTextExJ",
       with(Job(dictionary(), 1), [](OcrTestJob &j) { j.resultLevel = -1; }), tessdata(),
       OcrTestFailure::None},
      {"a range with no pixels",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.mask.clear(), j.width = j.height = 0; }),
       tessdata(), OcrTestFailure::EmptyRange},
      {"a mask shorter than its size",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.mask.resize(j.mask.size() / 2); }),
       tessdata(), OcrTestFailure::EmptyRange},
  };
  for (Case &c : cases) {
    const OcrTestOutcome outcome = RunOcrTest(std::move(c.job), c.dataDir);
    EXPECT_FALSE(outcome.hasText) << c.what;
    EXPECT_EQ(outcome.failure, c.failure) << c.what;
    EXPECT_TRUE(tessdataFiles().empty()) << c.what;
  }
}

} // namespace
