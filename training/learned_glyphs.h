#pragma once
// What a legacy job taught its model, read from the tools' own words as each
// tool ends: a box tesseract could not match to ink teaches nothing, and a
// character mftraining made no prototypes for is missing from the model.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "training/train_inputs.h"

// A glyph on the pages of a box.train run: its page and its place there.
struct GlyphPosition {
  std::size_t page = 0;
  std::size_t glyph = 0;
  bool operator==(const GlyphPosition &) const = default;
};

// The glyphs whose boxes box.train reported as FAILURE, in page order.
// Tesseract numbers a box by its line among its own page's boxes and does
// not name the page; it reads the pages in order, so a failure belongs to the
// first page from the last one found on that holds its label at that line.
std::vector<GlyphPosition> FailedBoxes(const std::vector<TrainingPage> &pages,
                                       std::string_view output);

class LearnedGlyphs {
public:
  // The labels of every placed glyph (system code page), in page order.
  explicit LearnedGlyphs(const std::vector<TrainingPage> &pages);

  // One tesseract box.train run over `pages` (the job's, or more pages of
  // the same labels): every glyph on them teaches its label unless its box
  // failed, or the run's .tr file holds nothing (`trained` false).
  void ReadBoxTrainRun(const std::vector<TrainingPage> &pages, std::string_view output,
                       bool trained);
  // mftraining: "no protos/configs for <label>" means the label is not learned.
  void ReadMftrainingOutput(std::string_view output);

  // Distinct labels of the job, and how many of them the model learned.
  std::size_t LabelCount() const { return order_.size(); }
  std::size_t LearnedCount() const;
  // The labels not learned, in the order they first appear on the pages.
  std::vector<std::string> Unlearned() const;

  // One line for the job log (UTF-8): how many labels were learned and which
  // were not, all of them or the first 50 and a count.
  std::string SummaryLine() const;

private:
  struct Label {
    int trained = 0; // samples that reached a .tr file
    bool noProtos = false;
  };
  static bool Learned(const Label &label);

  std::map<std::string, Label> labels_;
  std::vector<std::string> order_;
};
