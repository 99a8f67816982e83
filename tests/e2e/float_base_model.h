#pragma once
// Debian's language data is integer-only, which LSTM fine-tuning refuses; a
// user would download a float ("best") model. The test makes a small one
// from the very samples it labelled: unicharset, a starter traineddata, a
// few iterations of a tiny network, then --stop_training.
#include <string>

#include "training/train_inputs.h"

namespace e2e {

// Puts a float model for the samples' characters into bin/tessdata of the
// current program directory as <language>.traineddata, replacing what is
// there. `scratch` is a directory for the work files. Empty on success,
// otherwise the tools' log.
std::string MakeFloatBaseModel(const SampleMap &samples, const std::string &language,
                               const std::string &scratch);

} // namespace e2e
