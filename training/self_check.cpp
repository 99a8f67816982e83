#include "training/self_check.h"

#include <json/json.h>

#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "app/text_codec.h"
#include "app/work_paths.h"
#include "training/job_cancel.h"
#include "training/page_exchange.h"

namespace {

constexpr std::size_t kListed = 50;
constexpr char kPrefix[] = "自检：";
constexpr char kCheckerName[] = "glyphwright-dictcheck";

struct Symbol {
  std::string text; // UTF-8
  int left = 0;
  int right = 0; // inclusive
};

std::vector<Symbol> ParseSymbols(const std::string &text) {
  std::vector<Symbol> symbols;
  Json::Value root;
  std::string errors;
  const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
  if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isArray())
    return symbols;
  for (const Json::Value &element : root)
    if (element.isObject() && element["text"].isString() && element["left"].isInt() &&
        element["right"].isInt())
      symbols.push_back(
          {element["text"].asString(), element["left"].asInt(), element["right"].asInt()});
  return symbols;
}

// The glyph whose columns hold x, else the nearest one.
std::size_t GlyphAt(const std::vector<PageGlyph> &glyphs, int x) {
  std::size_t best = 0;
  long bestDistance = LONG_MAX;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const long distance = x < glyphs[i].left     ? long(glyphs[i].left) - x
                          : x >= glyphs[i].right ? long(x) - glyphs[i].right + 1
                                                 : 0;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

} // namespace

std::string SelfCheckerPath() {
  return GetWorkPaths().ProgramDir + kCheckerName;
}

SelfCheckResult CheckTrainedModel(const SelfCheckModel &model,
                                  const std::vector<TrainingPage> &pages,
                                  const ToolRunOptions &run) {
  SelfCheckResult result;
  std::vector<ExchangedPage> exchanged;
  std::vector<const TrainingPage *> read;
  for (const TrainingPage &page : pages)
    if (!page.glyphs.empty()) {
      exchanged.push_back({page.width, page.height, page.pixels});
      read.push_back(&page);
    }
  const std::string pagesFile = model.tessdataDir + "/selfcheck.pages";
  const std::string readingsFile = model.tessdataDir + "/selfcheck.readings";
  std::remove(readingsFile.c_str());
  if (!WritePagesFile(pagesFile, exchanged))
    return result;
  exchanged.clear();

  int exitCode = -1, startError = 0;
  ToolRunOptions options;
  options.workingDir = run.workingDir;
  options.cancel = run.cancel;
  options.exitCode = &exitCode;
  options.startError = &startError;
  options.trace = nullptr;
  std::string output; // Tesseract's chatter is not for the job log
  const pid_t pid = RunTool(model.checker,
                            {"--read-pages", model.tessdataDir, model.language,
                             std::to_string(model.engineMode), pagesFile, readingsFile},
                            output, options);
  std::remove(pagesFile.c_str());
  std::vector<std::string> readings;
  const bool haveReadings = ReadReadingsFile(readingsFile, readings);
  std::remove(readingsFile.c_str());
  if (run.cancel && run.cancel->IsCancelled()) {
    result.status = SelfCheckStatus::Cancelled;
    return result;
  }
  if (pid == 0 || startError != 0)
    return result;
  if (exitCode >= 128) {
    result.status = SelfCheckStatus::Crashed;
    return result;
  }
  if (exitCode == 1) {
    result.status = SelfCheckStatus::Refused;
    return result;
  }
  if (exitCode != 0 || !haveReadings || readings.size() != read.size())
    return result;

  result.status = SelfCheckStatus::Ran;
  std::map<std::string, bool> labelRight;
  for (std::size_t p = 0; p < read.size(); ++p) {
    const TrainingPage &page = *read[p];
    std::vector<std::string> texts(page.glyphs.size());
    for (const Symbol &symbol : ParseSymbols(readings[p]))
      texts[GlyphAt(page.glyphs, (symbol.left + symbol.right) / 2)] += symbol.text;
    for (std::size_t i = 0; i < page.glyphs.size(); ++i) {
      const std::string text = Utf8ToSystem(texts[i]);
      const bool right = text == page.glyphs[i].label;
      auto [entry, fresh] = labelRight.emplace(page.glyphs[i].label, right);
      if (!fresh)
        entry->second = entry->second && right;
      if (!right)
        result.mismatches.push_back({page.glyphs[i].label, text});
    }
  }
  result.total = int(labelRight.size());
  for (const auto &[label, right] : labelRight)
    result.correct += right;
  return result;
}

std::string SelfCheckLine(const SelfCheckResult &result) {
  switch (result.status) {
  case SelfCheckStatus::Ran:
    break;
  case SelfCheckStatus::Refused:
    return std::string(kPrefix) + "无法加载训练结果，未能自检。";
  case SelfCheckStatus::Crashed:
    return std::string(kPrefix) + "Tesseract 读取训练结果时异常退出，未能自检。";
  case SelfCheckStatus::Cancelled:
    return std::string(kPrefix) + "已取消。";
  case SelfCheckStatus::NotRun:
    return std::string(kPrefix) + "无法运行检查程序 " + kCheckerName + "，未能自检。";
  }
  std::string line = std::string(kPrefix) + std::to_string(result.total) + " 个字符中 " +
                     std::to_string(result.correct) + " 个识别正确";
  // A sample can stand on the pages more than once; the same misreading is
  // told once.
  std::vector<SelfCheckMismatch> mismatches;
  std::set<std::pair<std::string, std::string>> told;
  for (const SelfCheckMismatch &mismatch : result.mismatches)
    if (told.emplace(mismatch.label, mismatch.read).second)
      mismatches.push_back(mismatch);
  if (mismatches.empty())
    return line + "。";
  line += mismatches.size() > kListed ? "；识别错误 " + std::to_string(mismatches.size()) +
                                            " 处，前 " + std::to_string(kListed) + " 处："
                                      : "；识别错误：";
  for (std::size_t i = 0; i < mismatches.size() && i < kListed; ++i) {
    const SelfCheckMismatch &mismatch = mismatches[i];
    // Corner brackets keep a quote or a dot readable as what it is.
    line += (i ? " " : "") + std::string("「") + SystemToUtf8(mismatch.label) + "」" +
            (mismatch.read.empty() ? std::string("未识别出")
                                   : "读成「" + SystemToUtf8(mismatch.read) + "」");
  }
  return line + "。";
}

std::string SelfCheckNote(const std::string &jobLog) {
  std::string_view log = jobLog;
  while (!log.empty() && log.back() == '\n')
    log.remove_suffix(1);
  const std::size_t start = log.rfind('\n') == std::string_view::npos ? 0 : log.rfind('\n') + 1;
  const std::string_view last = log.substr(start);
  const std::string prefix = Utf8ToSystem(kPrefix);
  return last.substr(0, prefix.size()) == prefix ? std::string(last) : std::string();
}
