#pragma once
// The pages of the second box.train run of a legacy job: for every glyph
// whose box failed, a copy one pixel thicker and, where its strokes allow, a
// copy one pixel thinner, laid out on the line geometry of the job's pages.
#include <cstddef>
#include <string>
#include <vector>

#include "training/learned_glyphs.h"
#include "training/train_inputs.h"

struct RetryPages {
  TrainingImage image;              // empty when there is nothing to retry
  std::vector<std::string> labels;  // distinct labels retried, in page order
  std::vector<std::string> thinned; // those among them with a thinner copy
  std::vector<std::string> opened;  // those among them with a copy whose frame is cut open
};

// Glyphs under three pixels wide are not retried: one pixel more would make
// them another shape.
RetryPages ComposeRetryPages(const std::vector<TrainingPage> &pages,
                             const std::vector<GlyphPosition> &failed);

// The distinct labels of `retry` with a copy whose box did not fail, when the
// run's .tr file holds something.
std::vector<std::string> RetriedLabelsTrained(const RetryPages &retry, std::string_view output,
                                              bool trained);

// One line for the job log (UTF-8): how many labels were retried, how many of
// them also thinner, and how many trained on the retry.
std::string RetryLine(const RetryPages &retry, std::size_t trainedCount);
