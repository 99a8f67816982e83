// RunOcrTest with Debian's eng data: the dictionary copied under its
// language's name into a folder of the test's own and gone afterwards, the
// user's files left alone, a damaged dictionary tried in the checker first,
// both commands, the whitelist, and the failures that leave no text.
#include "app/text_codec.h"
#include "engine_test_support.h"
#include "ocrtest/ocr_test_job.h"
#include "ocrtest/dictionary_copy.h"
#include "support/temp_dir.h"
#include "test_dictionaries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    fs::create_directory(tmp());
    fs::create_directory(home_.File("data"));
    // eng's data under a name with a further dot: it loads as language "num"
    fs::copy_file(engine_test::tessdataDir() + "/eng.traineddata", dictionary());
  }

  std::string tessdata() const { return home_.File("tessdata"); }
  std::string tmp() const { return home_.File("tmp"); }
  std::string dictionary() const { return home_.File("data/num.font.traineddata"); }
  OcrTestPlaces places() const {
    return {tessdata(), tmp(), ocrtest_test::BuiltChecker(), std::chrono::seconds(60)};
  }
  std::vector<std::string> tessdataFiles() const { return Files(tessdata()); }
  // Every name below `dir` with its bytes, so that any change shows.
  static std::map<std::string, std::string> Tree(const std::string &dir) {
    std::map<std::string, std::string> tree;
    for (const auto &entry : fs::recursive_directory_iterator(dir)) {
      const std::string name = fs::relative(entry.path(), dir).string();
      tree[name] = entry.is_regular_file() ? ReadAll(entry.path()) : "<folder>";
    }
    return tree;
  }
  static std::vector<std::string> Files(const std::string &dir) {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string ReadAll(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
    const OcrTestOutcome outcome = RunOcrTest(Job(dictionary(), c.command), places());
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
  const OcrTestOutcome outcome = RunOcrTest(Job(path, 0), places());
  ASSERT_TRUE(outcome.hasText) << static_cast<int>(outcome.failure);
  EXPECT_EQ(outcome.text, "4096 735\n");
  EXPECT_TRUE(tessdataFiles().empty());
}

// A test removes only what it made: the user's dictionaries in tessdata/,
// under the language's name or as the dictionary itself, stay byte for byte,
// and the dictionary chosen is the one read.
TEST_F(RunOcrTestFixture, TheUsersFilesInTessdataStay) {
  const std::string kept = "the user's own num data, not a dictionary";
  const struct {
    const char *what;
    std::string dictionary;      // the file the test is asked to use
    std::string tessdataName;    // where the chosen dictionary lies in tessdata/, if there
    bool keepNum;                // tessdata/num.traineddata is a file of the user's
  } cases[] = {
      {"a kept num.traineddata while num.font.traineddata is tested", dictionary(), "", true},
      {"the dictionary itself in tessdata/", tessdata() + "/num.traineddata", "num.traineddata",
       false},
      {"num.font.traineddata in tessdata/ beside a kept num.traineddata",
       tessdata() + "/num.font.traineddata", "num.font.traineddata", true},
  };
  for (const auto &c : cases) {
    fs::remove_all(tessdata());
    fs::create_directory(tessdata());
    if (!c.tessdataName.empty())
      fs::copy_file(dictionary(), tessdata() + "/" + c.tessdataName);
    if (c.keepNum)
      home_.Write("tessdata/num.traineddata", kept);
    const auto before = Tree(tessdata());

    const OcrTestOutcome outcome = RunOcrTest(Job(c.dictionary, 0), places());
    EXPECT_EQ(outcome.failure, OcrTestFailure::None) << c.what;
    EXPECT_EQ(outcome.text, "4096 735\n") << c.what << ": the chosen dictionary is read";
    EXPECT_EQ(Tree(tessdata()), before) << c.what;
    EXPECT_TRUE(Files(tmp()).empty()) << c.what;
  }
}

// tessdata/ may be a link to a folder of other data: the test's folder is
// then made in tmp/, never through the link, and with tmp/ a link as well
// there is no place for it and nothing is touched.
TEST_F(RunOcrTestFixture, LinkedDataFoldersAreNeverFollowed) {
  const std::string other = home_.File("other data");
  const std::string otherTmp = home_.File("other tmp");
  fs::create_directory(other);
  fs::create_directory(otherTmp);
  home_.Write("other data/num.traineddata", "someone else's num data");
  home_.Write("other data/eng.traineddata", "someone else's eng data");
  fs::remove(tessdata());
  fs::create_directory_symlink(other, tessdata());
  const auto before = Tree(other);

  const struct {
    const char *what;
    bool tmpIsLink;
    OcrTestFailure failure;
  } cases[] = {
      {"tessdata/ a link, tmp/ a folder", false, OcrTestFailure::None},
      {"both links", true, OcrTestFailure::CopyFailed},
  };
  for (const auto &c : cases) {
    if (c.tmpIsLink) {
      fs::remove(tmp());
      fs::create_directory_symlink(otherTmp, tmp());
    }
    const OcrTestOutcome outcome = RunOcrTest(Job(dictionary(), 0), places());
    EXPECT_EQ(outcome.failure, c.failure) << c.what;
    EXPECT_EQ(outcome.hasText, c.failure == OcrTestFailure::None) << c.what;
    EXPECT_EQ(Tree(other), before) << c.what;
    EXPECT_TRUE(Files(otherTmp).empty()) << c.what;
    EXPECT_TRUE(Files(tmp()).empty()) << c.what;
    EXPECT_TRUE(fs::is_symlink(tessdata())) << c.what;
  }
}

// A file on which Tesseract aborts inside its initialisation: the checker
// dies of it, the test reports the dictionary as unusable, and this process
// (the window's) goes on and can test a sound dictionary next.
TEST_F(RunOcrTestFixture, ADictionaryThatAbortsTheEngineEndsOnlyTheChecker) {
  const std::string damaged = home_.File("data/damaged.traineddata");
  ASSERT_TRUE(ocrtest_test::MakeDictionaryWithForeignCutoff(damaged));

  // The fixture really kills whoever loads it.
  fs::create_directory(home_.File("probe"));
  fs::copy_file(damaged, home_.File("probe/damaged.traineddata"));
  const pid_t pid = fork();
  if (pid == 0) {
    execl(ocrtest_test::BuiltChecker().c_str(), "glyphwright-dictcheck",
          home_.File("probe").c_str(), "damaged", "7", "3", static_cast<char *>(nullptr));
    _exit(99);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status)) << "status " << status;

  for (int engineMode : {0, 3}) {
    const OcrTestOutcome outcome =
        RunOcrTest([&] {
          auto job = Job(damaged, 0);
          job->engineMode = engineMode;
          return job;
        }(),
                   places());
    EXPECT_EQ(outcome.failure, OcrTestFailure::RecognizerFailed) << "engine mode " << engineMode;
    EXPECT_FALSE(outcome.hasText);
    EXPECT_TRUE(tessdataFiles().empty()) << "no copy left behind";
  }
  EXPECT_EQ(RunOcrTest(Job(dictionary(), 0), places()).text, "4096 735\n");
}

// A test killed mid-way leaves its folder; the next test removes it, and
// leaves the folder of a test still running, and anything not ours.
TEST_F(RunOcrTestFixture, FoldersOfTestsThatNeverEndedAreRemovedNextTime) {
  for (const char *folder : {"ocrtest-dead", "ocrtest-running", "ocrtest-notes"})
    fs::create_directory(tessdata() + "/" + folder);
  home_.Write("tessdata/ocrtest-dead/num.traineddata", "left by a killed test");
  home_.Write("tessdata/ocrtest-running/eng.traineddata", "in use");
  home_.Write("tessdata/ocrtest-notes/notes.txt", "the user's");
  home_.Write("tessdata/ocrtest-notes/num.traineddata", "left by a killed test");
  home_.Write("tessdata/ocrtest-file", "not a folder");
  // A running test holds its folder locked.
  const int running = open((tessdata() + "/ocrtest-running").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(running, 0);
  ASSERT_EQ(flock(running, LOCK_EX), 0);

  const OcrTestOutcome outcome = RunOcrTest(Job(dictionary(), 0), places());
  close(running);
  EXPECT_TRUE(outcome.hasText);
  EXPECT_EQ(tessdataFiles(),
            (std::vector<std::string>{"ocrtest-file", "ocrtest-notes", "ocrtest-running"}));
  EXPECT_EQ(Files(tessdata() + "/ocrtest-notes"), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(Files(tessdata() + "/ocrtest-running"), std::vector<std::string>{"eng.traineddata"});
}

TEST_F(RunOcrTestFixture, TheWhitelistRestrictsWhatIsRead) {
  auto digits = Job(dictionary(), 0);
  digits->whitelist = "0123456789";
  EXPECT_EQ(RunOcrTest(std::move(digits), places()).text, "4096 735\n");

  auto letters = Job(dictionary(), 0, *letters_);
  letters->whitelist = "0123456789";
  const OcrTestOutcome restricted = RunOcrTest(std::move(letters), places());
  EXPECT_FALSE(HasLetter(restricted.text)) << restricted.text;
  EXPECT_NE(RunOcrTest(Job(dictionary(), 0, *letters_), places()).text.find("HELLO"),
            std::string::npos)
      << "without the whitelist the letters are read";
}

TEST_F(RunOcrTestFixture, FailuresGiveNoTextAndLeaveNoCopy) {
  home_.Write("data/broken.traineddata", std::string(4096, 'x'));
  ASSERT_EQ(mkfifo(home_.File("data/fifo.traineddata").c_str(), 0600), 0);
  home_.Write("hanging checker", "#!/bin/sh\nexec sleep 60\n");
  fs::permissions(home_.File("hanging checker"), fs::perms::owner_all);
  struct Case {
    const char *what;
    std::unique_ptr<OcrTestJob> job;
    OcrTestPlaces places;
    OcrTestFailure failure;
  };
  auto placesWith = [&](auto change) {
    OcrTestPlaces p = places();
    change(p);
    return p;
  };
  const OcrTestPlaces noDataDirectory =
      placesWith([&](OcrTestPlaces &p) { p.tessdataDir = p.tempDir = home_.File("missing"); });
  const OcrTestPlaces noChecker =
      placesWith([&](OcrTestPlaces &p) { p.checker = home_.File("missing"); });
  const OcrTestPlaces hangingChecker = placesWith([&](OcrTestPlaces &p) {
    p.checker = home_.File("hanging checker");
    p.checkTimeout = std::chrono::milliseconds(300);
  });
  auto with = [&](std::unique_ptr<OcrTestJob> job, auto change) {
    change(*job);
    return job;
  };
  Case cases[] = {
      {"missing dictionary", Job(home_.File("data/none.traineddata"), 0), places(),
       OcrTestFailure::DictionaryUnreadable},
      {"a folder as dictionary", Job(home_.File("data"), 0), places(),
       OcrTestFailure::DictionaryUnreadable},
      {"a FIFO as dictionary (no writer: must not block)",
       Job(home_.File("data/fifo.traineddata"), 0), places(),
       OcrTestFailure::DictionaryUnreadable},
      {"broken dictionary", Job(home_.File("data/broken.traineddata"), 0), places(),
       OcrTestFailure::RecognizerFailed},
      {"legacy engine of an LSTM-only dictionary",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.engineMode = 0; }), places(),
       OcrTestFailure::RecognizerFailed},
      {"no engine mode chosen",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.engineMode = -1; }), places(),
       OcrTestFailure::RecognizerFailed},
      {"no data directory", Job(dictionary(), 0), noDataDirectory, OcrTestFailure::CopyFailed},
      {"no checker", Job(dictionary(), 0), noChecker, OcrTestFailure::CheckerUnavailable},
      {"a checker that never ends", Job(dictionary(), 0), hangingChecker,
       OcrTestFailure::CheckTimedOut},
      {"command -1", Job(dictionary(), -1), places(), OcrTestFailure::None},
      {"command 2", Job(dictionary(), 2), places(), OcrTestFailure::None},
      {"level -1 with ocrTextExJ",
       with(Job(dictionary(), 1), [](OcrTestJob &j) { j.resultLevel = -1; }), places(),
       OcrTestFailure::None},
      {"a range with no pixels",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.mask.clear(), j.width = j.height = 0; }),
       places(), OcrTestFailure::EmptyRange},
      {"a mask shorter than its size",
       with(Job(dictionary(), 0), [](OcrTestJob &j) { j.mask.resize(j.mask.size() / 2); }),
       places(), OcrTestFailure::EmptyRange},
  };
  for (Case &c : cases) {
    const OcrTestOutcome outcome = RunOcrTest(std::move(c.job), c.places);
    EXPECT_FALSE(outcome.hasText) << c.what;
    EXPECT_EQ(outcome.failure, c.failure) << c.what;
    EXPECT_TRUE(tessdataFiles().empty()) << c.what;
    EXPECT_TRUE(Files(tmp()).empty()) << c.what;
  }
}

} // namespace
