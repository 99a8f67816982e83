#include "training/retry_pages.h"

#include <algorithm>
#include <set>

#include "training/glyph_retry_copies.h"

namespace {

// A pixel more on a glyph narrower than this makes another shape (a dot
// becomes a bar): the model would learn the copy and still not read the
// glyph, while the log called it learned.
constexpr int kNarrowestRetried = 3;

void AddOnce(std::vector<std::string> &labels, const std::string &label) {
  if (std::find(labels.begin(), labels.end(), label) == labels.end())
    labels.push_back(label);
}

} // namespace

RetryPages ComposeRetryPages(const std::vector<TrainingPage> &pages,
                             const std::vector<GlyphPosition> &failed) {
  RetryPages retry;
  std::vector<TrainGlyph> copies;
  // The tools must see the same baseline and line height as on the job's
  // pages, or the copies would teach other positions and sizes.
  int baseline = -1, height = 0;
  for (const GlyphPosition &at : failed) {
    if (at.page >= pages.size() || at.glyph >= pages[at.page].glyphs.size())
      continue;
    const TrainingPage &page = pages[at.page];
    const PageGlyph &placed = page.glyphs[at.glyph];
    baseline = placed.top + placed.height + placed.bottom - kGlyphGap;
    height = page.height - 2 * kGlyphGap;
    const TrainGlyph glyph = CutOutGlyph(page, placed);
    if (glyph.width < kNarrowestRetried || glyph.height == 0)
      continue;
    AddOnce(retry.labels, glyph.label);
    copies.push_back(ThickenedGlyph(glyph));
    if (std::optional<TrainGlyph> thin = ThinnedGlyph(glyph)) {
      AddOnce(retry.thinned, glyph.label);
      copies.push_back(std::move(*thin));
    }
    if (std::optional<TrainGlyph> opened = OpenedGlyph(glyph)) {
      AddOnce(retry.opened, glyph.label);
      copies.push_back(std::move(*opened));
    }
  }
  std::vector<GlyphRow> rows = LayoutRows(copies);
  for (GlyphRow &row : rows) {
    // Every copy lies within the lines of its original, so the job's
    // geometry holds them all.
    if (baseline < 0 || row.baseline > baseline || row.height - row.baseline > height - baseline)
      return {};
    row.height = height;
    row.baseline = baseline;
  }
  retry.image = ComposeTrainingImage(copies, rows);
  if (retry.image.pages.empty())
    return {};
  return retry;
}

std::vector<std::string> RetriedLabelsTrained(const RetryPages &retry, std::string_view output,
                                              bool trained) {
  std::vector<std::string> labels;
  if (!trained)
    return labels;
  const std::vector<GlyphPosition> failed = FailedBoxes(retry.image.pages, output);
  std::set<std::string> matched;
  for (std::size_t p = 0; p < retry.image.pages.size(); ++p)
    for (std::size_t g = 0; g < retry.image.pages[p].glyphs.size(); ++g)
      if (std::find(failed.begin(), failed.end(), GlyphPosition{p, g}) == failed.end())
        matched.insert(retry.image.pages[p].glyphs[g].label);
  for (const std::string &label : retry.labels)
    if (matched.count(label))
      labels.push_back(label);
  return labels;
}

std::string RetryLine(const RetryPages &retry, std::size_t trainedCount) {
  std::string line = "重试：训练工具未能匹配 " + std::to_string(retry.labels.size()) +
                     " 个字符的字形，已用加粗一像素的副本";
  std::string extras;
  if (!retry.thinned.empty())
    extras += std::to_string(retry.thinned.size()) + " 个另加变细一像素的副本";
  if (!retry.opened.empty())
    extras += (extras.empty() ? "" : "，") + std::to_string(retry.opened.size()) +
              " 个另加外框断开一处的副本";
  if (!extras.empty())
    line += "（其中 " + extras + "）";
  return line + "再训练一次，其中 " + std::to_string(trainedCount) + " 个训练成功。";
}
