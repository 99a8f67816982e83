#include "training/self_check.h"

#include <json/json.h>

#include <climits>
#include <memory>

#include "app/text_codec.h"
#include "engine/morvexa.h"

namespace {

constexpr int kSingleLine = 7;   // PageSegMode PSM_SINGLE_LINE
constexpr int kLegacyEngine = 0; // OcrEngineMode OEM_TESSERACT_ONLY
constexpr int kSymbolLevel = 4;  // RIL_SYMBOL
constexpr std::size_t kListed = 50;
constexpr char kPrefix[] = "自检：";

struct Symbol {
  std::string text; // UTF-8
  int left = 0;
  int right = 0; // inclusive
};

std::vector<Symbol> ReadSymbols(OcrHandle ocr, const TrainingPage &page) {
  std::vector<Symbol> symbols;
  char *json =
      getTextWithPosTest(ocr, page.pixels.data(), kSymbolLevel, 0, 0, page.width, page.height);
  if (!json)
    return symbols;
  const std::string text = json;
  ocFree(&json);
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

SelfCheckResult CheckTrainedModel(const std::string &tessdataDir, const std::string &language,
                                  const std::vector<TrainingPage> &pages) {
  SelfCheckResult result;
  const OcrHandle ocr =
      createOcr(tessdataDir.c_str(), language.c_str(), kSingleLine, kLegacyEngine);
  if (!ocr)
    return result;
  result.ran = true;
  for (const TrainingPage &page : pages) {
    if (page.glyphs.empty())
      continue;
    std::vector<std::string> read(page.glyphs.size());
    for (const Symbol &symbol : ReadSymbols(ocr, page))
      read[GlyphAt(page.glyphs, (symbol.left + symbol.right) / 2)] += symbol.text;
    for (std::size_t i = 0; i < page.glyphs.size(); ++i) {
      ++result.total;
      const std::string text = Utf8ToSystem(read[i]);
      if (text == page.glyphs[i].label)
        ++result.correct;
      else
        result.mismatches.push_back({page.glyphs[i].label, text});
    }
  }
  releaseOcr(ocr);
  return result;
}

std::string SelfCheckLine(const SelfCheckResult &result) {
  if (!result.ran)
    return std::string(kPrefix) + "无法加载训练结果，未能自检。";
  std::string line = std::string(kPrefix) + std::to_string(result.correct) + "/" +
                     std::to_string(result.total) + " 个字符识别正确";
  if (result.mismatches.empty())
    return line + "。";
  line += result.mismatches.size() > kListed
              ? "；识别错误 " + std::to_string(result.mismatches.size()) + " 个，前 " +
                    std::to_string(kListed) + " 个："
              : "；识别错误：";
  for (std::size_t i = 0; i < result.mismatches.size() && i < kListed; ++i) {
    const SelfCheckMismatch &mismatch = result.mismatches[i];
    line += (i ? " " : "") + SystemToUtf8(mismatch.label) + "→" +
            (mismatch.read.empty() ? std::string("（无）") : SystemToUtf8(mismatch.read));
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
