#include "training/learned_glyphs.h"

#include "app/text_codec.h"

namespace {

constexpr std::size_t kListedLabels = 50;

// Calls `line` for each line of `text`, without its line end.
template <typename Function> void ForEachLine(std::string_view text, Function line) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view current = text.substr(0, end);
    if (!current.empty() && current.back() == '\r')
      current.remove_suffix(1);
    line(current);
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 1);
  }
}

} // namespace

LearnedGlyphs::LearnedGlyphs(const std::vector<TrainingPage> &pages) {
  for (const TrainingPage &page : pages)
    for (const PageGlyph &glyph : page.glyphs) {
      Label &label = labels_[glyph.label];
      if (label.samples++ == 0)
        order_.push_back(glyph.label);
    }
}

void LearnedGlyphs::ReadBoxTrainOutput(std::string_view output) {
  // APPLY_BOXES: boxfile line 5/. ((88,22),(89,23)): FAILURE! Couldn't find a matching blob
  static constexpr std::string_view kPrefix = "APPLY_BOXES: boxfile line ";
  ForEachLine(output, [this](std::string_view line) {
    if (line.substr(0, kPrefix.size()) != kPrefix)
      return;
    const std::size_t failure = line.find("): FAILURE!");
    const std::size_t slash = line.find('/', kPrefix.size());
    if (failure == std::string_view::npos || slash == std::string_view::npos || slash > failure)
      return;
    const std::size_t box = line.rfind(" ((", failure);
    if (box == std::string_view::npos || box < slash)
      return;
    const auto found = labels_.find(std::string(line.substr(slash + 1, box - slash - 1)));
    if (found != labels_.end())
      ++found->second.unmatched;
  });
}

void LearnedGlyphs::ReadMftrainingOutput(std::string_view output) {
  // Warning: no protos/configs for <label> in CreateIntTemplates()
  static constexpr std::string_view kPrefix = "no protos/configs for ";
  static constexpr std::string_view kSuffix = " in CreateIntTemplates()";
  ForEachLine(output, [this](std::string_view line) {
    const std::size_t start = line.find(kPrefix);
    if (start == std::string_view::npos)
      return;
    std::string_view label = line.substr(start + kPrefix.size());
    const std::size_t end = label.rfind(kSuffix);
    if (end != std::string_view::npos)
      label = label.substr(0, end);
    // Tesseract's own entries ("Joined", "|Broken|0|1") are not labels of the job.
    const auto found = labels_.find(std::string(label));
    if (found != labels_.end())
      found->second.noProtos = true;
  });
}

void LearnedGlyphs::NothingTrained() {
  nothing_ = true;
}

bool LearnedGlyphs::Learned(const Label &label) const {
  return !nothing_ && !label.noProtos && label.unmatched < label.samples;
}

std::size_t LearnedGlyphs::LearnedCount() const {
  std::size_t count = 0;
  for (const auto &[name, label] : labels_)
    count += Learned(label);
  return count;
}

std::vector<std::string> LearnedGlyphs::Unlearned() const {
  std::vector<std::string> names;
  for (const std::string &name : order_)
    if (!Learned(labels_.at(name)))
      names.push_back(name);
  return names;
}

std::string LearnedGlyphs::SummaryLine() const {
  const std::vector<std::string> missing = Unlearned();
  std::string line = "训练结果：" + std::to_string(LabelCount()) + " 个字符中学会了 " +
                     std::to_string(LabelCount() - missing.size()) + " 个";
  if (missing.empty())
    return line + "。";
  line += missing.size() > kListedLabels
              ? "；未学会 " + std::to_string(missing.size()) + " 个，前 " +
                    std::to_string(kListedLabels) + " 个是："
              : "；未学会：";
  // Labels hold no white space, so a space parts them unmistakably.
  for (std::size_t i = 0; i < missing.size() && i < kListedLabels; ++i)
    line += (i ? " " : "") + SystemToUtf8(missing[i]);
  return line + "。";
}
