#pragma once
// The check after a legacy job: the new model reads each page of its own
// training image (legacy engine, one line per page), and every glyph's
// reading is compared with its label. This is the accuracy figure a user
// would otherwise find only by testing.
#include <string>
#include <vector>

#include "training/train_inputs.h"

struct SelfCheckMismatch {
  std::string label; // system code page
  std::string read;  // system code page; empty when nothing was read there
};

struct SelfCheckResult {
  bool ran = false; // false when the model could not be loaded
  int correct = 0;
  int total = 0;
  std::vector<SelfCheckMismatch> mismatches; // in page order
};

// Reads the pages with <tessdataDir>/<language>.traineddata. Each symbol the
// engine reports belongs to the glyph whose columns hold its centre (or the
// nearest glyph), so a glyph read as two symbols, or as none, is a mismatch.
SelfCheckResult CheckTrainedModel(const std::string &tessdataDir, const std::string &language,
                                  const std::vector<TrainingPage> &pages);

// "自检：N/M 个字符识别正确" and the mismatches (label -> what was read, the
// first 50 and a count), UTF-8; or that the check could not run.
std::string SelfCheckLine(const SelfCheckResult &result);

// The self-check line when it ends the job log (system code page in and
// out), for the completion message; empty otherwise.
std::string SelfCheckNote(const std::string &jobLog);
