#include "training/self_check.h"

#include <json/json.h>

#include <algorithm>
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

std::vector<ReadSymbol> ParseReadSymbols(const std::string &text) {
  std::vector<ReadSymbol> symbols;
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

// Tesseract's own table of unlikely letter triples puts two letters in place
// of three glyphs; telling that as one glyph read as both letters and two not
// read at all would point the user at the wrong glyphs.
std::vector<GlyphReading> ReadingsOfGlyphs(const std::vector<PageGlyph> &glyphs,
                                           const std::vector<ReadSymbol> &symbols) {
  if (glyphs.empty())
    return {};
  std::vector<GlyphReading> readings(glyphs.size());
  std::vector<std::size_t> runOf(glyphs.size());
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    readings[i].first = readings[i].last = i;
    runOf[i] = i;
  }
  for (const ReadSymbol &symbol : symbols) {
    std::size_t first = glyphs.size(), last = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
      const int centre = (glyphs[i].left + glyphs[i].right - 1) / 2;
      if (centre >= symbol.left && centre <= symbol.right) {
        first = std::min(first, i);
        last = std::max(last, i);
      }
    }
    if (first < last) {
      first = runOf[first];
      last = std::max(last, readings[runOf[last]].last);
      for (std::size_t i = first + 1; i <= last; ++i)
        if (runOf[i] == i) { // a glyph or run joined to this run keeps what it read
          readings[first].text += readings[i].text;
          readings[i].text.clear();
        }
      for (std::size_t i = first; i <= last; ++i)
        runOf[i] = first;
      readings[first].last = last;
    } else {
      first = runOf[GlyphAt(glyphs, (symbol.left + symbol.right) / 2)];
    }
    readings[first].text += symbol.text;
  }
  std::vector<GlyphReading> result;
  for (std::size_t i = 0; i < glyphs.size(); i = readings[i].last + 1)
    result.push_back(readings[i]);
  return result;
}

namespace {

// Two or more glyphs read as fewer characters that are no label of the
// library. The model only knows the labels, so such a reading is an ngram of
// the engine's own table of unlikely letter runs (any program reading with
// the legacy engine gets the same), not a glyph the model took for another.
bool IsReplacedRun(const GlyphReading &reading, const std::string &text,
                   const std::set<std::string> &labels) {
  const auto characters = std::count_if(reading.text.begin(), reading.text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80; // UTF-8 lead bytes
  });
  const std::size_t glyphs = reading.last - reading.first + 1;
  return glyphs > 1 && characters > 0 && std::size_t(characters) < glyphs &&
         labels.count(text) == 0;
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
  std::set<std::string> labels;
  for (const TrainingPage *page : read)
    for (const PageGlyph &glyph : page->glyphs)
      labels.insert(glyph.label);
  for (std::size_t p = 0; p < read.size(); ++p) {
    const TrainingPage &page = *read[p];
    for (const GlyphReading &reading :
         ReadingsOfGlyphs(page.glyphs, ParseReadSymbols(readings[p]))) {
      std::string label;
      for (std::size_t i = reading.first; i <= reading.last; ++i)
        label += page.glyphs[i].label;
      const std::string text = Utf8ToSystem(reading.text);
      const bool right = text == label;
      // A run the engine's table replaced says nothing about its glyphs.
      const bool replaced = !right && IsReplacedRun(reading, text, labels);
      for (std::size_t i = reading.first; i <= reading.last; ++i) {
        auto [entry, fresh] = labelRight.emplace(page.glyphs[i].label, right || replaced);
        if (!fresh && !replaced)
          entry->second = entry->second && right;
      }
      if (!right)
        result.mismatches.push_back({label, text, replaced});
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
  std::vector<SelfCheckMismatch> misread, replaced;
  std::set<std::pair<std::string, std::string>> told;
  for (const SelfCheckMismatch &mismatch : result.mismatches)
    if (told.emplace(mismatch.label, mismatch.read).second)
      (mismatch.replaced ? replaced : misread).push_back(mismatch);
  const auto list = [](const std::vector<SelfCheckMismatch> &mismatches, const std::string &what) {
    if (mismatches.empty())
      return std::string();
    std::string text = "；" + what;
    text += mismatches.size() > kListed ? " " + std::to_string(mismatches.size()) + " 处，前 " +
                                              std::to_string(kListed) + " 处："
                                        : "：";
    for (std::size_t i = 0; i < mismatches.size() && i < kListed; ++i) {
      const SelfCheckMismatch &mismatch = mismatches[i];
      // Corner brackets keep a quote or a dot readable as what it is.
      text += (i ? " " : "") + std::string("「") + SystemToUtf8(mismatch.label) + "」" +
              (mismatch.read.empty() ? std::string("未识别出")
                                     : "读成「" + SystemToUtf8(mismatch.read) + "」");
    }
    return text;
  };
  line += list(misread, "识别错误");
  line +=
      list(replaced, "另有 Tesseract 自带的替换表把少见的字母组合换成了别的字母（任何程序读取都会"
                     "这样，不计入识别错误）");
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
