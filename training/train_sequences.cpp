#include "training/train_sequences.h"

#include <cstdint>
#include <cstdio>
#include <sys/stat.h>
#include <system_error>

#include "app/text_codec.h"
#include "app/work_paths.h"
#include "training/classifier_settings.h"
#include "training/glyph_retry_copies.h"
#include "training/job_cancel.h"
#include "training/kept_frames.h"
#include "training/learned_glyphs.h"
#include "training/retry_pages.h"
#include "training/self_check.h"
#include "training/train_files.h"
#include "training/train_job.h"
#include "training/train_paths.h"
#include "training/train_reporter.h"
#include "training/unicharset_ranges.h"

namespace {

// lstmtraining's own words for a base model it cannot train.
constexpr char kIntegerModelMessage[] = "is an integer (fast) model";

bool Cancelled(const ToolRunOptions &run) {
  return run.cancel && run.cancel->IsCancelled();
}

// Adds a line of our own (UTF-8 text) to the job log, on a line of its own.
void AppendLogLine(std::string &jobLog, const std::string &utf8Line) {
  if (!jobLog.empty() && jobLog.back() != '\n')
    jobLog += '\n';
  jobLog += Utf8ToSystem(utf8Line);
  jobLog += '\n';
}

// Our lines after the last tool's output reach the window too.
void AppendAndReport(std::string &jobLog, const std::string &utf8Line, const ToolRunOptions &run) {
  AppendLogLine(jobLog, utf8Line);
  if (run.reporter)
    run.reporter->Log(jobLog);
}

void AdviseOnTrainPsm(int psm, std::string &jobLog) {
  const std::string advice = TrainPsmAdvice(psm);
  if (!advice.empty())
    AppendLogLine(jobLog, advice);
}

std::string ErrorText(int error) {
  return std::error_code(error, std::generic_category()).message();
}

// Returns where the tool's output starts in the job log.
std::size_t Run(const char *tool, const std::vector<std::string> &arguments, std::string &jobLog,
                const ToolRunOptions &run) {
  const std::size_t start = jobLog.size();
  int startError = 0;
  ToolRunOptions options = run;
  options.startError = &startError;
  RunTool(BinFilePath(tool), arguments, jobLog, options);
  // The job goes on and fails on the missing output; without this line the
  // log would not say why.
  if (startError != 0)
    AppendLogLine(jobLog, ToolStartFailureText(tool, startError));
  return start;
}

std::int64_t FileSize(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? std::int64_t(info.st_size) : -1;
}

constexpr int kLegacyEngine = 0; // OcrEngineMode OEM_TESSERACT_ONLY
constexpr int kLstmEngine = 1;   // OcrEngineMode OEM_LSTM_ONLY

SelfCheckResult SelfCheck(const std::vector<TrainingPage> &pages, int engineMode,
                          const ToolRunOptions &run) {
  return CheckTrainedModel({SelfCheckerPath(), GetWorkPaths().TempDir, "tmp", engineMode}, pages,
                           run);
}

int Deliver(const TrainJob &job, std::string &jobLog) {
  int error = 0;
  const int code = DeliverResult(TmpFilePath("tmp.traineddata"), job.outputPath, &error);
  // The tools' last words are "created successfully"; the user must learn
  // that the file did not reach the chosen path.
  if (code != kTrainOk)
    AppendLogLine(jobLog, DeliveryFailureText(job.outputPath, error));
  return code;
}

// The second box.train run, on copies of the glyphs whose boxes failed: one
// pixel thicker joins pieces a pixel apart, one thinner parts strokes that
// touch. Adds its .tr file to `trFiles` when it holds something and returns
// the line for the log, empty when nothing failed.
std::string RetryFailedBoxes(const std::vector<TrainingPage> &pages, std::string_view firstOutput,
                             int psm, LearnedGlyphs &learned, std::vector<std::string> &trFiles,
                             std::string &jobLog, const ToolRunOptions &run) {
  const RetryPages retry = ComposeRetryPages(pages, FailedBoxes(pages, firstOutput));
  if (retry.labels.empty())
    return {};
  if (!WriteWholeFile(TmpFilePath("tmp.font.exp1.box"), retry.image.boxText) ||
      !SaveTrainingPages(TmpFilePath("tmp.font.exp1.tif"), retry.image.pages))
    return "重试：无法写入副本的训练图像，未能重试 " + std::to_string(retry.labels.size()) +
           " 个未匹配的字符。";
  const std::size_t output =
      Run("tesseract", BoxTrainArguments(psm, "tmp/tmp.font.exp1"), jobLog, run);
  const bool trained = FileSize(TmpFilePath("tmp.font.exp1.tr")) > 0;
  const std::string_view retryOutput = std::string_view(jobLog).substr(output);
  learned.ReadBoxTrainRun(retry.image.pages, retryOutput, trained);
  if (trained)
    trFiles.push_back("tmp/tmp.font.exp1.tr");
  return RetryLine(retry, RetriedLabelsTrained(retry, retryOutput, trained).size());
}

// The glyphs as the pages show them.
std::vector<TrainGlyph> PlacedGlyphs(const std::vector<TrainingPage> &pages) {
  std::vector<TrainGlyph> glyphs;
  for (const TrainingPage &page : pages)
    for (const PageGlyph &placed : page.glyphs)
      glyphs.push_back(CutOutGlyph(page, placed));
  return glyphs;
}

} // namespace

std::string ToolStartFailureText(const std::string &tool, int error) {
  return "无法启动训练工具 bin/" + tool + "（" + ErrorText(error) +
         "），请检查程序目录下的 bin 文件夹。";
}

std::string DeliveryFailureText(const std::string &outputPath, int error) {
  return "训练结果没有保存：无法写入“" + outputPath + "”（" + ErrorText(error) +
         "）。该位置原有的文件保持不变。";
}

std::string TrainPsmAdvice(int psm) {
  if (psm == 6 || psm == 7 || psm == 8 || psm == 13)
    return {};
  return "训练PSM " + std::to_string(psm) +
         " 会漏学字符；要学会每个字符，请选 6、7 或 8（默认 8）。";
}

std::vector<std::string> BoxTrainArguments(int psm, const std::string &base) {
  return {base + ".tif", base, "--psm", std::to_string(psm), "nobatch", "box.train"};
}

std::vector<std::string> LstmTrainArguments(const std::string &language, int psm) {
  return {"tmp/tmp.font.exp0.tif", "tmp/tmp.font.exp0", "-l", language, "--psm",
          std::to_string(psm),     "lstm.train"};
}

std::vector<std::string> ExtractBaseModelArguments(const std::string &language) {
  return {"-e", BaseDataPath(language), "tmp/tmp.lstm"};
}

std::vector<std::string> LstmTrainingArguments(const std::string &language) {
  return {"--traineddata=" + BaseDataPath(language),
          "--debug_interval",
          "-1",
          "--max_iterations",
          "100",
          "--continue_from=" + TmpFilePath("tmp.lstm"),
          "--model_output=" + TmpFilePath("model"),
          "--train_listfile=" + TmpFilePath("tmp.training_files.txt")};
}

std::vector<std::string> StopTrainingArguments(const std::string &language) {
  return {"--stop_training", "--continue_from=" + TmpFilePath("model_checkpoint"),
          "--traineddata=" + BaseDataPath(language),
          "--model_output=" + TmpFilePath("tmp.traineddata")};
}

std::string IntegerModelAdvice(const std::string &language) {
  return Utf8ToSystem("bin/tessdata/" + language +
                      ".traineddata 是整数（fast）模型，不能用于深度训练：请把同名的浮点（best）"
                      "模型放入 bin/tessdata 后再训练。");
}

int RunLegacySequence(const TrainJob &job, std::string &jobLog, const ToolRunOptions &run,
                      const std::vector<TrainingPage> *pages) {
  // Output of an earlier job left in the program directory would pass the
  // checks below even when this job's tools fail.
  for (const char *name : {"unicharset", "inttemp", "pffmtable", "shapetable", "normproto"})
    std::remove(ProgramFilePath(name).c_str());
  AdviseOnTrainPsm(job.trainPsm, jobLog);
  LearnedGlyphs learned(pages ? *pages : std::vector<TrainingPage>{});
  // A model that learned nothing would read nothing; it must not take the
  // place of the user's file as if the job had worked.
  const auto learnedNothing = [&] {
    return pages && learned.LabelCount() > 0 && learned.LearnedCount() == 0;
  };
  // What the retry did stands right above the count it changed.
  std::string retryLine;
  const auto summary = [&] {
    return (retryLine.empty() ? "" : retryLine + "\n") + learned.SummaryLine();
  };

  std::size_t output = Run("tesseract", BoxTrainArguments(job.trainPsm), jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  if (!FileExists(TmpFilePath("tmp.font.exp0.tr")))
    return kTrainNoFirstOutput;
  std::vector<std::string> trFiles = {"tmp/tmp.font.exp0.tr"};
  if (pages) {
    // Read before the retry's output lands behind it in the log.
    const std::string firstOutput = jobLog.substr(output);
    learned.ReadBoxTrainRun(*pages, firstOutput, FileSize(TmpFilePath("tmp.font.exp0.tr")) > 0);
    retryLine = RetryFailedBoxes(*pages, firstOutput, job.trainPsm, learned, trFiles, jobLog, run);
    if (Cancelled(run))
      return kTrainCancelled;
  }
  if (learnedNothing()) {
    AppendAndReport(jobLog, summary(), run);
    return kTrainNothingLearned;
  }

  Run("unicharset_extractor", {"tmp/tmp.font.exp0.box"}, jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  if (!FileExists(ProgramFilePath("unicharset")))
    return kTrainNoUnicharset;

  std::vector<std::string> mftraining = {"-F", "tmp/font_properties", "-U", "unicharset",
                                         "-O", "tmp/tmp.unicharset"};
  mftraining.insert(mftraining.end(), trFiles.begin(), trFiles.end());
  output = Run("mftraining", mftraining, jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  learned.ReadMftrainingOutput(std::string_view(jobLog).substr(output));
  if (learnedNothing()) {
    AppendAndReport(jobLog, summary(), run);
    return kTrainNothingLearned;
  }
  // A component that is missing or cannot be moved shows up as a missing
  // tmp.traineddata below.
  for (const char *name : {"inttemp", "pffmtable", "shapetable"})
    if (FileExists(ProgramFilePath(name)))
      MoveFileNoReplace(ProgramFilePath(name), TmpFilePath(std::string("tmp.") + name));

  // The vertical range of every character its placement taught, so the
  // classifier can tell o from O and l from I by size and position.
  if (pages && FileExists(TmpFilePath("tmp.unicharset")) &&
      !WriteVerticalRanges(TmpFilePath("tmp.unicharset"), VerticalRanges(*pages)))
    AppendLogLine(jobLog, "无法写入字符的高度范围；模型仍可使用，但大小写相近的字符可能混淆。");

  // The classifier's settings for one sample per glyph, and for glyphs
  // Tesseract would drop as frames (国 四 图) the setting that keeps them;
  // combine_tessdata takes tmp.config with the rest.
  std::string config = ClassifierSettingsConfig();
  std::optional<KeptFrames> frames;
  if (pages)
    frames = FramesToKeep(PlacedGlyphs(*pages));
  if (frames)
    config += KeptFramesConfig(*frames);
  std::string configLine;
  if (!WriteWholeFile(TmpFilePath("tmp.config"), config))
    configLine = frames ? "无法写入识别设置；国、四 这类带外框的字可能被读成「口」。"
                        : "无法写入识别设置；模型仍可使用，但只差位置的字符（. 与 '）可能混淆。";
  else if (frames)
    configLine = KeptFramesLine(*frames);

  Run("cntraining", trFiles, jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  if (FileExists(ProgramFilePath("normproto"))) {
    MoveFileNoReplace(ProgramFilePath("normproto"), TmpFilePath("tmp.normproto"));
    Run("combine_tessdata", {"tmp/tmp."}, jobLog, run);
    if (Cancelled(run))
      return kTrainCancelled;
  }
  if (!FileExists(TmpFilePath("tmp.traineddata")))
    return kTrainNoTrainedData;
  if (pages) {
    AppendLogLine(jobLog, summary());
    if (!configLine.empty())
      AppendLogLine(jobLog, configLine);
    AppendAndReport(jobLog, SelfCheckLine(SelfCheck(*pages, kLegacyEngine, run)), run);
    if (Cancelled(run))
      return kTrainCancelled;
  }
  return Deliver(job, jobLog);
}

int RunLstmSequence(const TrainJob &job, std::string &jobLog, const ToolRunOptions &run,
                    const std::vector<TrainingPage> *pages) {
  AdviseOnTrainPsm(job.trainPsm, jobLog);
  Run("tesseract", LstmTrainArguments(job.baseLanguage, job.trainPsm), jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  if (!FileExists(TmpFilePath("tmp.font.exp0.lstmf")))
    return kTrainNoFirstOutput;

  Run("combine_tessdata", ExtractBaseModelArguments(job.baseLanguage), jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  if (!FileExists(TmpFilePath("tmp.lstm")))
    return kTrainNoBaseModel;

  // Without the list file lstmtraining finds nothing to train on and says so.
  WriteWholeFile(TmpFilePath("tmp.training_files.txt"), TmpFilePath("tmp.font.exp0.lstmf"));

  const std::size_t logBefore = jobLog.size();
  Run("lstmtraining", LstmTrainingArguments(job.baseLanguage), jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  if (!FileExists(TmpFilePath("model_checkpoint"))) {
    // Debian ships integer models; lstmtraining names the cause in English,
    // we add what to do about it.
    if (jobLog.find(kIntegerModelMessage, logBefore) != std::string::npos) {
      if (!jobLog.empty() && jobLog.back() != '\n')
        jobLog += '\n';
      jobLog += IntegerModelAdvice(job.baseLanguage);
      jobLog += '\n';
    }
    return kTrainNoCheckpoint;
  }

  Run("lstmtraining", StopTrainingArguments(job.baseLanguage), jobLog, run);
  if (Cancelled(run))
    return kTrainCancelled;
  if (!FileExists(TmpFilePath("tmp.traineddata")))
    return kTrainNoTrainedData;
  if (pages) {
    AppendAndReport(jobLog, SelfCheckLine(SelfCheck(*pages, kLstmEngine, run)), run);
    if (Cancelled(run))
      return kTrainCancelled;
  }
  return Deliver(job, jobLog);
}
