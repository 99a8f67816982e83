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

// APPLY_BOXES: boxfile line 5/. ((88,22),(89,23)): FAILURE! Couldn't find a matching blob
struct FailedBox {
  std::size_t line = 0; // among its page's boxes, from 1
  std::string label;
};

std::vector<FailedBox> FailedBoxLines(std::string_view output) {
  static constexpr std::string_view kPrefix = "APPLY_BOXES: boxfile line ";
  std::vector<FailedBox> failed;
  ForEachLine(output, [&failed](std::string_view line) {
    if (line.substr(0, kPrefix.size()) != kPrefix)
      return;
    const std::size_t failure = line.find("): FAILURE!");
    const std::size_t slash = line.find('/', kPrefix.size());
    if (failure == std::string_view::npos || slash == std::string_view::npos || slash > failure)
      return;
    const std::size_t box = line.rfind(" ((", failure);
    if (box == std::string_view::npos || box < slash)
      return;
    FailedBox entry;
    // A number that cannot be read leaves line 0: the label still counts.
    for (const char c : line.substr(kPrefix.size(), slash - kPrefix.size())) {
      if (c < '0' || c > '9' || entry.line > 100000000) {
        entry.line = 0;
        break;
      }
      entry.line = entry.line * 10 + std::size_t(c - '0');
    }
    entry.label = std::string(line.substr(slash + 1, box - slash - 1));
    failed.push_back(std::move(entry));
  });
  return failed;
}

} // namespace

std::vector<GlyphPosition> FailedBoxes(const std::vector<TrainingPage> &pages,
                                       std::string_view output) {
  std::vector<GlyphPosition> positions;
  GlyphPosition last{0, 0};
  bool any = false;
  for (const FailedBox &box : FailedBoxLines(output)) {
    if (box.line == 0)
      continue;
    const std::size_t glyph = box.line - 1;
    // Within a page the lines only grow, so the same or an earlier line
    // starts the search on the next page.
    std::size_t page = any && glyph <= last.glyph ? last.page + 1 : last.page;
    while (page < pages.size() &&
           !(glyph < pages[page].glyphs.size() && pages[page].glyphs[glyph].label == box.label))
      ++page;
    if (page == pages.size())
      continue;
    last = {page, glyph};
    any = true;
    positions.push_back(last);
  }
  return positions;
}

LearnedGlyphs::LearnedGlyphs(const std::vector<TrainingPage> &pages) {
  for (const TrainingPage &page : pages)
    for (const PageGlyph &glyph : page.glyphs)
      if (labels_.emplace(glyph.label, Label{}).second)
        order_.push_back(glyph.label);
}

void LearnedGlyphs::ReadBoxTrainRun(const std::vector<TrainingPage> &pages, std::string_view output,
                                    bool trained) {
  if (!trained)
    return;
  // Counted by label, so a failure this reader cannot place on a page still
  // takes a sample of its label away.
  std::map<std::string, int> reached;
  for (const TrainingPage &page : pages)
    for (const PageGlyph &glyph : page.glyphs)
      ++reached[glyph.label];
  for (const FailedBox &box : FailedBoxLines(output)) {
    const auto found = reached.find(box.label);
    if (found != reached.end() && found->second > 0)
      --found->second;
  }
  for (const auto &[name, samples] : reached) {
    const auto label = labels_.find(name);
    if (label != labels_.end())
      label->second.trained += samples;
  }
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

bool LearnedGlyphs::Learned(const Label &label) {
  return label.trained > 0 && !label.noProtos;
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
