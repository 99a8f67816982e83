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

class LearnedGlyphs {
public:
  // The labels of every placed glyph (system code page), in page order.
  explicit LearnedGlyphs(const std::vector<TrainingPage> &pages);

  // tesseract box.train: every "FAILURE!" box line takes one sample of its
  // label away.
  void ReadBoxTrainOutput(std::string_view output);
  // mftraining: "no protos/configs for <label>" means the label is not learned.
  void ReadMftrainingOutput(std::string_view output);
  // An empty or missing .tr file: nothing reached the model.
  void NothingTrained();

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
    int samples = 0;   // placed on the pages
    int unmatched = 0; // boxes tesseract failed to match
    bool noProtos = false;
  };
  bool Learned(const Label &label) const;

  std::map<std::string, Label> labels_;
  std::vector<std::string> order_;
  bool nothing_ = false;
};
