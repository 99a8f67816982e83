// Whole jobs with the real Tesseract tools: legacy training whose result reads
// the digits it was trained on, LSTM fine-tuning of a float model the test
// makes itself, and every failure provoked for real.
#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <iostream>
#include <regex>
#include <set>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <thread>

#include "app/text_codec.h"
#include "digit_glyphs.h"
#include "edit_distance.h"
#include "engine/morvexa.h"
#include "program_dir.h"
#include "training/glyph_placement.h"
#include "training/job_cancel.h"
#include "training/self_check.h"
#include "training/train_files.h"
#include "training/train_inputs.h"
#include "training/train_job.h"
#include "training/train_paths.h"
#include "training/train_sequences.h"
#include "workspace/dot_matrix.h"

namespace {

namespace fs = std::filesystem;
using training_test::EditDistance;
using training_test::FontSamples;
using training_test::ProgramDir;
using training_test::ReadFile;
using training_test::RecordingReporter;
using training_test::RenderLine;

const std::vector<int> kFull = {10, 20, 30, 60, 100};

class TrainJobTest : public ::testing::Test {
protected:
  std::unique_ptr<TrainJob> Job(int mode, SampleMap samples) {
    auto job = std::make_unique<TrainJob>();
    job->reporter = &reporter;
    job->mode = mode;
    job->baseLanguage = "eng";
    job->samples = std::move(samples);
    job->outputPath = OutputDir() + "digits.traineddata";
    job->settleWait = std::chrono::milliseconds(0);
    return job;
  }
  std::string OutputDir() const { return program.Scratch() + "out put/"; }

  // Runs the job and checks what every job must leave: one result, tmp/
  // there and empty.
  void Run(std::unique_ptr<TrainJob> job) {
    fs::create_directories(OutputDir());
    EXPECT_EQ(RunTrainJob(std::move(job)), 0);
    EXPECT_EQ(reporter.doneCount, 1);
    EXPECT_TRUE(fs::is_directory(program.Tmp()));
    EXPECT_EQ(program.TmpEntries(), std::vector<std::string>{});
  }

  // What the engine reads in a line of `text` with the data in OutputDir().
  std::string Recognise(const std::string &text, int pixelSize, int engineMode,
                        const char *fontFile = training_test::kDejaVuSans,
                        bool antialiased = false) {
    const OcrHandle ocr = createOcr(OutputDir().c_str(), "digits", 7, engineMode);
    if (!ocr)
      return "<createOcr failed>";
    const training_test::TextMask line = RenderLine(text, pixelSize, fontFile, antialiased);
    char *result = getTextExTest(ocr, line.pixels.data(), 0, 0, line.width, line.height);
    std::string read = result ? result : "<no text>";
    ocFree(&result);
    releaseOcr(ocr);
    while (!read.empty() && std::isspace(static_cast<unsigned char>(read.back())))
      read.pop_back();
    return read;
  }

  ProgramDir program;
  RecordingReporter reporter;
};

TEST_F(TrainJobTest, LegacyTrainingReadsTheDigitsItWasTrainedOn) {
  Run(Job(0, FontSamples("0123456789", {36, 40, 44})));
  ASSERT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
  EXPECT_EQ(reporter.progress, kFull);
  // One report per tool and one for our closing lines, each the whole log so
  // far; the last one is the result's log.
  ASSERT_EQ(reporter.logs.size(), 6u);
  for (std::size_t i = 1; i < reporter.logs.size(); ++i)
    EXPECT_EQ(reporter.logs[i].rfind(reporter.logs[i - 1], 0), 0u);
  EXPECT_EQ(reporter.doneLog, reporter.logs.back());
  const std::u16string log = FromSystemCodePage(reporter.doneLog);
  EXPECT_NE(log.find(u"\n训练结果：10 个字符中学会了 10 个。\n自检："), std::u16string::npos)
      << SystemToUtf8(reporter.doneLog);
  // 30 samples of 10 characters, read back by the model on their own pages.
  EXPECT_EQ(SystemToUtf8(SelfCheckNote(reporter.doneLog)), "自检：10 个字符中 10 个识别正确。");

  EXPECT_EQ(Recognise("7394051826", 40, 0), "7394051826");
  EXPECT_EQ(Recognise("2051", 44, 0), "2051");
}

// More glyphs than one row holds, one sample each, at the default training
// PSM: every glyph is learned, and the model reads held-out lines of the same
// characters in another order with few errors. The lines hold every character
// once and no run of three letters that Tesseract's built-in replacement table
// turns into two (it reads "uIo" as "qu" and "kJh" as "th" whatever the model
// classified), so what they measure is the model.
TEST_F(TrainJobTest, LegacyTrainingOfSeveralRowsReadsHeldOutLines) {
  const std::string characters = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  const std::string heldOut[] = {"KFiP8p52Olk9tQScVTnas", "YdAwE3q4mRJhBG7ve1yWU",
                                 "bZoCDIL6rgujfz0XMHNx"};
  const struct {
    int pixelSize;
    double maxErrorRate;
  } cases[] = {{24, 0.05}, {32, 0.05}}; // measured: one error (l read as I) at each size
  for (const auto &c : cases) {
    SCOPED_TRACE(c.pixelSize);
    reporter = RecordingReporter{};
    const SampleMap samples = FontSamples(characters, {c.pixelSize});
    std::string ignored;
    std::vector<TrainGlyph> glyphs = DecodeGlyphs(samples, ignored);
    PlaceGlyphs(glyphs);
    ASSERT_GE(LayoutRows(glyphs).size(), 2u);
    std::set<std::string> labels;
    for (const auto &[data, label] : samples)
      labels.insert(label);

    auto job = Job(0, samples);
    ASSERT_EQ(job->trainPsm, 8);
    Run(std::move(job));
    ASSERT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
    const std::string log = SystemToUtf8(reporter.doneLog);
    const std::string count = std::to_string(labels.size());
    EXPECT_NE(log.find("训练结果：" + count + " 个字符中学会了 " + count + " 个。"),
              std::string::npos)
        << log;
    // The pages are long runs of letters, so the engine's replacement table
    // hits several triples on them; those count against no glyph.
    const std::string note = SystemToUtf8(SelfCheckNote(reporter.doneLog));
    EXPECT_EQ(note.rfind("自检：", 0), 0u) << log;
    std::smatch counts;
    ASSERT_TRUE(std::regex_search(note, counts, std::regex("^自检：(\\d+) 个字符中 (\\d+) 个")))
        << note;
    EXPECT_GE(std::stoi(counts[2]), std::stoi(counts[1]) - 3) << note;

    std::size_t errors = 0, total = 0;
    for (const std::string &line : heldOut) {
      std::string read = Recognise(line, c.pixelSize, 0);
      read.erase(std::remove(read.begin(), read.end(), ' '), read.end());
      errors += EditDistance(line, read);
      total += line.size();
      std::cout << line << " -> " << read << "\n";
    }
    const double errorRate = double(errors) / double(total);
    std::cout << c.pixelSize << " px: " << note << "; held-out CER " << errorRate << "\n";
    EXPECT_LE(errorRate, c.maxErrorRate);
  }
}

std::string CaseFolded(std::string text) {
  for (char &c : text)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// One sample of each letter in both cases: set on a common baseline, with
// each character's vertical range in the model, the case of every pair comes
// out right, also where the two differ only in size (o O, s S, x X...). The
// errors that remain are other ones: a case error makes the distance to the
// truth larger than the distance with case folded away.
TEST_F(TrainJobTest, LegacyTrainingTellsTheCasesOfEveryPairApart) {
  const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string line;
  for (int i = 0; i < 26; ++i)
    line += std::string(i ? " " : "") + letters[i] + letters[i + 26];
  Run(Job(0, FontSamples(letters, {24})));
  ASSERT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
  std::string read = Recognise(line, 24, 0);
  read.erase(std::remove(read.begin(), read.end(), ' '), read.end());
  std::string truth = line;
  truth.erase(std::remove(truth.begin(), truth.end(), ' '), truth.end());
  EXPECT_EQ(EditDistance(truth, read), EditDistance(CaseFolded(truth), CaseFolded(read)))
      << truth << " -> " << read;
}

// Antialiased text thresholded at half coverage: a glyph on a line is drawn
// at another fraction of a pixel than its sample, so small marks that differ
// only in where they sit (. ' ,) come out alike in shape, and only their
// position tells them apart. With Tesseract's default classifier settings the
// period was pruned for an apostrophe before its position was weighed.
TEST_F(TrainJobTest, AntialiasedMarksAreReadWhereTheySit) {
  const char *kLiberationSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
  std::string printable;
  for (char c = '!'; c <= '~'; ++c)
    printable += c;
  Run(Job(0, FontSamples(printable, {24}, kLiberationSans, true)));
  ASSERT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
  const auto marks = [](const std::string &text) {
    std::string kept;
    for (char c : text)
      if (c == '.' || c == ',' || c == '\'')
        kept += c;
    return kept;
  };
  for (const char *line : {"u Dl cj.d B?h Z,OKm", "mT Vx. Pq'b 7e,w", "Ra.n kQ'y s,Ev o.Gz"}) {
    const std::string read = Recognise(line, 24, 0, kLiberationSans, true);
    EXPECT_EQ(marks(read), marks(line)) << line << " -> " << read;
  }
}

// Tesseract learns every glyph scaled by the x-height it finds on the
// training page's line. With printable ASCII's many capitals and digits it
// found the cap height; with the x-height letters made as many, it finds the
// font's own x-height on every page (Tesseract's layout analysis is the same
// for the training tool and for reading). Under about 11 px it cannot see
// the x-height letters and derives the x-height from the cap height: two
// thirds of it, unless the page has a mode of descenders, when it kept the
// cap height on some pages (12.5 px against 9) and learned their glyphs at
// another scale than the rest.
TEST(TrainingPages, TheToolsFindTheFontsXHeightOnEveryPage) {
  std::string printable;
  for (char c = '!'; c <= '~'; ++c)
    printable += c;
  const struct {
    int pixelSize;
    const char *font;
    bool antialiased;
    double tolerance;
  } cases[] = {
      {24, training_test::kDejaVuSans, false, 1.0},
      {28, "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", false, 1.0},
      // derived from the cap height: a pixel or so under the letters' own
      {16, "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", true, 1.5},
      {18, "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", true, 1.5}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.font);
    std::string ignored;
    std::vector<TrainGlyph> glyphs =
        DecodeGlyphs(FontSamples(printable, {c.pixelSize}, c.font, c.antialiased), ignored);
    int xHeight = 0;
    for (const TrainGlyph &glyph : glyphs)
      if (glyph.label == "x")
        xHeight = glyph.height;
    PlaceGlyphs(glyphs);
    const TrainingImage image = ComposeTrainingImage(glyphs, LayoutRows(glyphs));
    ASSERT_GE(image.pages.size(), 2u);
    tesseract::TessBaseAPI api;
    ASSERT_EQ(api.Init(GLYPHWRIGHT_PROGRAM_DIR "/bin/tessdata", "eng"), 0);
    api.SetPageSegMode(tesseract::PSM_SINGLE_WORD); // the job's training mode
    for (const TrainingPage &page : image.pages) {
      api.SetImage(page.pixels.data(), page.width, page.height, 1, page.width);
      ASSERT_EQ(api.Recognize(nullptr), 0);
      std::unique_ptr<tesseract::ResultIterator> row(api.GetIterator());
      ASSERT_TRUE(row);
      float rowHeight = 0, descenders = 0, ascenders = 0;
      row->RowAttributes(&rowHeight, &descenders, &ascenders);
      EXPECT_NEAR(rowHeight - ascenders + descenders, xHeight, c.tolerance)
          << "x is " << xHeight;
    }
  }
}

// A dot-matrix sample of `width` x `height` pixels, all ink.
std::string Dot(int width, int height) {
  const std::vector<std::uint8_t> ink(std::size_t(width) * height, 1);
  return EncodeDotMatrix(PixelRect{0, 0, width - 1, height - 1}, ink.data(), width, height);
}

// A speck the tools take for noise is named in the log; the rest is learned.
TEST_F(TrainJobTest, GlyphsTheToolsCannotLearnAreNamed) {
  SampleMap samples = FontSamples("0123456789", {40});
  samples[Dot(1, 1)] = ".";
  Run(Job(0, samples));
  ASSERT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
  EXPECT_NE(SystemToUtf8(reporter.doneLog).find("训练结果：11 个字符中学会了 10 个；未学会：.。"),
            std::string::npos)
      << SystemToUtf8(reporter.doneLog);
}

// 国 of WenQuanYi Micro Hei: the tools take its outline for a frame drawn
// around its inner part and drop it, so box.train finds no blob for its box
// (at 14 px the inner part also lies one pixel from the frame). The job
// retries it with copies, one pixel thicker and with the frame cut open once,
// and the model then reads it. A library of 国 alone learns nothing without
// the retry.
TEST_F(TrainJobTest, AGlyphWhoseBoxFailsIsLearnedFromItsCopies) {
  const char *kWenQuanYi = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
  const struct {
    const char *characters;
    int pixelSize;
    const char *learned;
    const char *selfCheck;
  } cases[] = {
      {"国日田", 14, "训练结果：3 个字符中学会了 3 个。", "自检：3 个字符中 3 个识别正确。"},
      {"国", 14, "训练结果：1 个字符中学会了 1 个。", "自检：1 个字符中 1 个识别正确。"},
      // Here the thicker copy fails as well; the opened one trains.
      {"国日田", 24, "训练结果：3 个字符中学会了 3 个。", "自检：3 个字符中 3 个识别正确。"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.characters) + " " + std::to_string(c.pixelSize));
    reporter = RecordingReporter{};
    Run(Job(0, FontSamples(c.characters, {c.pixelSize}, kWenQuanYi)));
    const std::string log = SystemToUtf8(reporter.doneLog);
    ASSERT_EQ(reporter.doneCode, 0) << log;
    // The first run fails the box; the second run's .tr file goes to
    // mftraining and cntraining with the first.
    const std::size_t failure = log.find("/国 ((");
    ASSERT_NE(failure, std::string::npos) << log;
    EXPECT_NE(log.substr(failure, log.find('\n', failure) - failure).find("FAILURE!"),
              std::string::npos)
        << log;
    const std::string bothRead =
        "Reading tmp/tmp.font.exp0.tr ...\nReading tmp/tmp.font.exp1.tr ...\n";
    const std::size_t mftraining = log.find(bothRead);
    ASSERT_NE(mftraining, std::string::npos) << log;
    EXPECT_NE(log.find(bothRead, mftraining + 1), std::string::npos) << log;
    EXPECT_NE(log.find("重试：训练工具未能匹配 1 个字符的字形，已用加粗一像素的副本"
                       "（其中 1 个另加外框断开一处的副本）再训练一次，其中 1 个训练成功。\n" +
                       std::string(c.learned)),
              std::string::npos)
        << log;
    EXPECT_EQ(SystemToUtf8(SelfCheckNote(reporter.doneLog)), c.selfCheck) << log;
  }
}

// 国 图 因 团 in WenQuanYi at 24 px: the engine's own settings drop their
// frames (one holds strokes that fill little of their box, 图 holds too
// many pieces) and read 口. The model carries the settings that keep them,
// says so, and reads them on a line it never saw.
TEST_F(TrainJobTest, FramedCharactersAreReadWithTheSettingsTheModelCarries) {
  const char *kWenQuanYi = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
  Run(Job(0, FontSamples("国图因团日中", {24}, kWenQuanYi)));
  const std::string log = SystemToUtf8(reporter.doneLog);
  ASSERT_EQ(reporter.doneCode, 0) << log;
  const std::size_t line = log.find("识别设置：");
  ASSERT_NE(line, std::string::npos) << log;
  const std::string settings = log.substr(line, log.find('\n', line) - line);
  for (const char *framed : {"国", "图", "因", "团"})
    EXPECT_NE(settings.find(framed), std::string::npos) << settings;
  EXPECT_EQ(settings.find("日"), std::string::npos) << settings;
  EXPECT_NE(settings.find("edges_childarea 0."), std::string::npos) << settings;
  EXPECT_NE(settings.find("edges_children_count_limit "), std::string::npos) << settings;
  EXPECT_EQ(Recognise("中国图日因团", 24, 0, kWenQuanYi), "中国图日因团");
}

// A retry whose page cannot be written leaves the glyph unlearned and says
// so; 国 alone then learns nothing, and the user's older file stays.
TEST_F(TrainJobTest, ARetryThatCannotRunLeavesTheGlyphNamedUnlearned) {
  const char *kWenQuanYi = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
  const std::string output = OutputDir() + "digits.traineddata";
  const std::string tmp = program.Tmp();
  const struct {
    const char *characters;
    int code;
    const char *learned;
  } cases[] = {{"国日田", kTrainOk, "训练结果：3 个字符中学会了 2 个；未学会：国。"},
               {"国", kTrainNothingLearned, "训练结果：1 个字符中学会了 0 个；未学会：国。"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.characters);
    reporter = RecordingReporter{};
    // The inputs are written by now; the retry's box file cannot be.
    reporter.onProgress = [&tmp](int percent) {
      if (percent == 60)
        fs::create_directory(tmp + "/tmp.font.exp1.box");
    };
    fs::create_directories(OutputDir());
    std::ofstream(output) << "older result";
    Run(Job(0, FontSamples(c.characters, {14}, kWenQuanYi)));
    const std::string log = SystemToUtf8(reporter.doneLog);
    EXPECT_EQ(reporter.doneCode, c.code) << log;
    EXPECT_NE(log.find("重试：无法写入副本的训练图像，未能重试 1 个未匹配的字符。\n" +
                       std::string(c.learned)),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("tmp.font.exp1.tr"), std::string::npos) << log;
    EXPECT_EQ(ReadFile(output) == "older result", c.code != kTrainOk);
  }
}

// Nothing learnable: the job fails with the learned line in its log and
// leaves the user's older file alone.
TEST_F(TrainJobTest, ALibraryWithNothingLearnableFails) {
  const std::string output = OutputDir() + "digits.traineddata";
  fs::create_directories(OutputDir());
  std::ofstream(output) << "older result";
  Run(Job(0, {{Dot(1, 1), "a"}, {Dot(2, 1), "b"}, {Dot(1, 2), "c"}}));
  EXPECT_EQ(reporter.doneCode, kTrainNothingLearned) << SystemToUtf8(reporter.doneLog);
  EXPECT_NE(SystemToUtf8(reporter.doneLog).find("3 个字符中学会了 0 个；未学会："),
            std::string::npos)
      << SystemToUtf8(reporter.doneLog);
  EXPECT_EQ(ReadFile(output), "older result");
}

// A float LSTM model for the digits, small enough to make in seconds:
// unicharset, a starter traineddata, a few iterations of a tiny network.
void MakeFloatBaseModel(const ProgramDir &program, const SampleMap &samples) {
  const std::string base = program.Scratch() + "base/";
  fs::create_directories(base);
  std::string log;
  ASSERT_EQ(PrepareTrainingInputs(samples, log, [](int) {}), 0);
  fs::copy_file(TmpFilePath("tmp.font.exp0.tif"), base + "digits.tif");
  fs::copy_file(TmpFilePath("tmp.font.exp0.box"), base + "digits.box");
  std::ofstream(base + "radical-stroke.txt") << "#\n"; // no Han characters here
  std::ofstream(base + "list.txt") << base + "digits.lstmf";
  ToolRunOptions run;
  run.trace = nullptr;
  const auto tool = [&program](const char *name) { return program.Root() + "bin/" + name; };
  RunTool(tool("tesseract"), {base + "digits.tif", base + "digits", "--psm", "7", "lstm.train"},
          log, run);
  RunTool(tool("unicharset_extractor"),
          {"--output_unicharset", base + "unicharset", base + "digits.box"}, log, run);
  RunTool(GLYPHWRIGHT_COMBINE_LANG_MODEL,
          {"--input_unicharset", base + "unicharset", "--script_dir", base, "--output_dir", base,
           "--lang", "starter"},
          log, run);
  RunTool(tool("lstmtraining"),
          {"--traineddata", base + "starter/starter.traineddata", "--net_spec",
           "[1,36,0,1 Ct3,3,8 Mp3,3 Lfys16 Lbx32 O1c1]", "--model_output", base + "float",
           "--train_listfile", base + "list.txt", "--max_iterations", "10", "--debug_interval",
           "-1"},
          log, run);
  RunTool(tool("lstmtraining"),
          {"--stop_training", "--continue_from", base + "float_checkpoint", "--traineddata",
           base + "starter/starter.traineddata", "--model_output", base + "eng.traineddata"},
          log, run);
  ASSERT_TRUE(fs::exists(base + "eng.traineddata")) << log;
  const std::string eng = program.Root() + "bin/tessdata/eng.traineddata";
  fs::remove(eng);
  fs::copy_file(base + "eng.traineddata", eng);
  ResetDirectory(program.Tmp());
}

TEST_F(TrainJobTest, LstmFineTuningOfAFloatModelGivesDataTheEngineLoads) {
  const SampleMap samples = FontSamples("0123456789", {40});
  MakeFloatBaseModel(program, samples);
  Run(Job(1, samples));
  ASSERT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
  EXPECT_EQ(reporter.progress, kFull);
  // Read back with the LSTM engine, counted in characters.
  EXPECT_EQ(SystemToUtf8(SelfCheckNote(reporter.doneLog)).rfind("自检：10 个字符中 ", 0), 0u)
      << SystemToUtf8(reporter.doneLog);
  const OcrHandle ocr = createOcr(OutputDir().c_str(), "digits", 7, 1);
  EXPECT_NE(ocr, 0);
  releaseOcr(ocr);
}

TEST_F(TrainJobTest, LstmFineTuningOfAnIntegerModelSaysWhatToDo) {
  // Debian's eng is an integer ("fast") model.
  Run(Job(1, FontSamples("0123456789", {40})));
  EXPECT_EQ(reporter.doneCode, -1);
  EXPECT_NE(reporter.doneLog.find("is an integer (fast) model"), std::string::npos);
  EXPECT_NE(reporter.doneLog.find(IntegerModelAdvice("eng")), std::string::npos);
  EXPECT_NE(FromSystemCodePage(reporter.doneLog).find(u"浮点（best）模型放入 bin/tessdata"),
            std::u16string::npos);
  EXPECT_FALSE(fs::exists(OutputDir() + "digits.traineddata"));
}

// One failure provoked for real per result code.
struct Failure {
  const char *name;
  int mode;
  const char *tool; // replaced by `script` when not null
  const char *script;
  const char *plantAt30; // a directory put in tmp/ in the way of this file
  bool decodable;
  bool outputDirExists;
  int code;
  std::vector<int> progress;
};

class TrainJobFailure : public TrainJobTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(TrainJobFailure, EndsWithItsCodeAndAnEmptyTmp) {
  const Failure &failure = GetParam();
  if (failure.tool)
    program.ReplaceTool(failure.tool, failure.script);
  const std::string tmp = program.Tmp();
  if (failure.plantAt30)
    reporter.onProgress = [&](int percent) {
      if (percent == 30)
        fs::create_directory(tmp + "/" + failure.plantAt30);
    };
  auto job = Job(failure.mode, failure.decodable ? FontSamples("0123456789", {40})
                                                 : SampleMap{{"nothing to decode", "x"}});
  if (!failure.outputDirExists)
    job->outputPath = program.Scratch() + "missing dir/digits.traineddata";
  const std::string output = job->outputPath;
  Run(std::move(job));
  EXPECT_EQ(reporter.doneCode, failure.code) << SystemToUtf8(reporter.doneLog);
  EXPECT_EQ(reporter.progress, failure.progress);
  EXPECT_FALSE(fs::exists(output));
  if (failure.progress.size() < kFull.size() || failure.code == 2) {
    EXPECT_EQ(reporter.doneLog, ""); // no tool ran
  }
  // The tools end with "created successfully": the last line must say that
  // the result never reached the chosen path, and why.
  const std::u16string log = FromSystemCodePage(reporter.doneLog);
  const std::u16string lastLine = log.substr(log.rfind(u'\n', log.size() - 2) + 1);
  const bool saysNotSaved =
      lastLine.find(u"训练结果没有保存") != std::u16string::npos &&
      lastLine.find(FromSystemCodePage(Utf8ToSystem(output))) != std::u16string::npos;
  EXPECT_EQ(saysNotSaved, failure.code == kTrainNotDelivered) << SystemToUtf8(reporter.doneLog);
}

const std::vector<int> kBeforeTools = {10, 20, 30, 100};

INSTANTIATE_TEST_SUITE_P(
    EveryCode, TrainJobFailure,
    ::testing::Values(
        Failure{"NoSampleDecodes", 0, nullptr, nullptr, nullptr, false, true, 1, kBeforeTools},
        Failure{"ImageCannotBeSaved",
                0,
                nullptr,
                nullptr,
                "tmp.font.exp0.tif",
                true,
                true,
                2,
                {10, 20, 30, 60, 100}},
        Failure{"BoxFileCannotBeCreated", 0, nullptr, nullptr, "tmp.font.exp0.box", true, true, 7,
                kBeforeTools},
        Failure{"RecognitionWritesNothing", 0, "tesseract", "exit 0", nullptr, true, true, 3,
                kFull},
        Failure{"NoUnicharset", 0, "unicharset_extractor", "echo extracting; exit 1", nullptr, true,
                true, 4, kFull},
        Failure{"NoNormproto", 0, "cntraining", "exit 0", nullptr, true, true, 10, kFull},
        Failure{"OutputDirectoryMissing", 0, nullptr, nullptr, nullptr, true, false, 9, kFull},
        Failure{"NoBaseModelExtracted", -1, "combine_tessdata", "exit 0", nullptr, true, true, 11,
                kFull}),
    [](const ::testing::TestParamInfo<Failure> &info) { return std::string(info.param.name); });

// A training PSM that loses glyphs is named before the first tool's output,
// in both modes; the values that learn every glyph pass without a word.
TEST_F(TrainJobTest, ATrainPsmThatLosesGlyphsGetsAdviceFirst) {
  program.ReplaceTool("tesseract", "echo recognising");
  for (const int mode : {0, 1})
    for (const int psm : {3, 8}) {
      SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(psm));
      reporter = RecordingReporter{};
      auto job = Job(mode, FontSamples("01", {40}));
      job->trainPsm = psm;
      Run(std::move(job));
      EXPECT_EQ(reporter.doneCode, kTrainNoFirstOutput);
      const std::string advice = psm == 3 ? Utf8ToSystem(TrainPsmAdvice(3)) + "\n" : "";
      EXPECT_EQ(reporter.doneLog, advice + "recognising\n");
    }
}

// A tool missing from bin/ (a link removed, or one pointing nowhere): the job
// fails on the missing output as before, and its log says which tool could
// not be started instead of ending silently.
TEST_F(TrainJobTest, AMissingToolIsNamedInTheLog) {
  const struct {
    const char *tool;
    int code;
  } cases[] = {{"tesseract", kTrainNoFirstOutput}, {"mftraining", kTrainNoTrainedData}};
  const std::string output = program.Scratch() + "digits.traineddata";
  std::ofstream(output) << "older result";
  for (const auto &[tool, code] : cases) {
    const std::string link = program.Root() + "bin/" + tool;
    const fs::path installed = fs::read_symlink(link);
    fs::remove(link);
    fs::create_symlink(program.Scratch() + "uninstalled", link);
    RecordingReporter seen;
    auto job = Job(0, FontSamples("0123", {40}));
    job->reporter = &seen;
    job->outputPath = output;
    EXPECT_EQ(RunTrainJob(std::move(job)), 0);
    fs::remove(link);
    fs::create_symlink(installed, link);

    EXPECT_EQ(seen.doneCode, code) << tool;
    const std::string named = Utf8ToSystem("无法启动训练工具 bin/" + std::string(tool));
    EXPECT_NE(seen.doneLog.find(named), std::string::npos) << SystemToUtf8(seen.doneLog);
    EXPECT_EQ(ReadFile(output), "older result");
  }
}

// A model on which Tesseract aborts (a cutoff table naming a class outside
// its character set, put in by the real combine_tessdata after the real
// combine): the self-check ends the checker, not this process, and says so.
TEST_F(TrainJobTest, TheSelfCheckSurvivesAModelThatAbortsTesseract) {
  const std::string real = fs::canonical(GLYPHWRIGHT_PROGRAM_DIR "/bin/combine_tessdata").string();
  program.ReplaceTool("combine_tessdata",
                      "'" + real +
                          "' \"$@\" || exit $?\n"
                          "printf 'no-such-class 20\\n' > tmp/tmp.bad.pffmtable\n"
                          "exec '" +
                          real +
                          "' -o tmp/tmp.traineddata "
                          "tmp/tmp.bad.pffmtable");
  Run(Job(0, FontSamples("0123", {40})));
  EXPECT_EQ(reporter.doneCode, 0) << SystemToUtf8(reporter.doneLog);
  EXPECT_EQ(SystemToUtf8(SelfCheckNote(reporter.doneLog)),
            "自检：Tesseract 读取训练结果时异常退出，未能自检。")
      << SystemToUtf8(reporter.doneLog);
}

TEST_F(TrainJobTest, ClosingTheWindowStopsTheRunningToolAndEmptiesTmp) {
  const std::string pidFile = program.Scratch() + "pid";
  program.ReplaceTool("tesseract", "echo $$ > '" + pidFile + "'\nexec sleep 60");
  JobCancel cancel;
  auto job = Job(0, FontSamples("0123456789", {40}));
  job->cancel = &cancel;
  job->settleWait = std::chrono::milliseconds(60000); // skipped once cancelled
  std::thread worker([this, &job] { Run(std::move(job)); });
  while (!fs::exists(pidFile) || ReadFile(pidFile).empty())
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  cancel.Cancel();
  worker.join();
  EXPECT_EQ(reporter.doneCode, kTrainCancelled);
  EXPECT_NE(kill(std::stoi(ReadFile(pidFile)), 0), 0);
}

TEST(TrainSequences, ArgumentTextsCarryTheJobsChoices) {
  ProgramDir program;
  const std::string data = program.Root() + "bin/tessdata/eng.traineddata";
  const std::string tmp = program.Tmp() + "/";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {BoxTrainArguments(8), "tmp/tmp.font.exp0.tif tmp/tmp.font.exp0 --psm 8 nobatch box.train"},
      {BoxTrainArguments(0), "tmp/tmp.font.exp0.tif tmp/tmp.font.exp0 --psm 0 nobatch box.train"},
      {LstmTrainArguments("eng", 6),
       "tmp/tmp.font.exp0.tif tmp/tmp.font.exp0 -l eng --psm 6 lstm.train"},
      {ExtractBaseModelArguments("eng"), "-e " + data + " tmp/tmp.lstm"},
      {LstmTrainingArguments("eng"),
       "--traineddata=" + data + " --debug_interval -1 --max_iterations 100 --continue_from=" +
           tmp + "tmp.lstm --model_output=" + tmp + "model --train_listfile=" + tmp +
           "tmp.training_files.txt"},
      {StopTrainingArguments("eng"), "--stop_training --continue_from=" + tmp +
                                         "model_checkpoint --traineddata=" + data +
                                         " --model_output=" + tmp + "tmp.traineddata"},
  };
  for (const auto &[arguments, text] : cases)
    EXPECT_EQ(JoinArguments(arguments), text);
  EXPECT_EQ(BaseLanguageForIndex(0), "eng");
  EXPECT_EQ(BaseLanguageForIndex(1), "chi_sim");
  EXPECT_EQ(BaseLanguageForIndex(-1), "chi_sim");
}

} // namespace
