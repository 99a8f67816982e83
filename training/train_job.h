#pragma once
// A training job: the snapshot of samples and choices the window hands to the
// worker thread, and the worker's entry point.
#include <chrono>
#include <memory>
#include <string>

#include "training/train_inputs.h"

class JobCancel;
class TrainReporter;

// Result codes of a job, as the window shows them (0 = success).
enum TrainResultCode : int {
  kTrainOk = 0,
  kTrainNoGlyph = 1,        // no sample could be placed in the training image
  kTrainImageNotSaved = 2,  // saveMat failed
  kTrainNoFirstOutput = 3,  // no .tr (legacy) or .lstmf (LSTM) after the first tesseract run
  kTrainNoUnicharset = 4,   // legacy: unicharset_extractor left no unicharset
  kTrainNoBoxFile = 7,      // the box file could not be written
  kTrainNotDelivered = 9,   // the result could not be copied to the output path
  kTrainNoTrainedData = 10, // no tmp.traineddata at the end of the sequence
  kTrainNoBaseModel = 11,   // LSTM: no tmp.lstm extracted from the base data
  kTrainNothingLearned = 12, // legacy: the tools learned none of the labelled glyphs
  kTrainNoCheckpoint = -1,  // LSTM: the training run left no model_checkpoint
  kTrainCancelled = -2,     // the window closed during the job; nobody is told
  kTrainAreaBusy = 13,      // another job was training in this program directory
};

struct TrainJob {
  // Receives progress, log and the result; may be null.
  TrainReporter *reporter = nullptr;
  // Where the .traineddata goes (a file-system path).
  std::string outputPath;
  // The page segmentation mode of the first tesseract run, 0..12.
  int trainPsm = 8;
  // "eng" or "chi_sim": the base data of LSTM fine-tuning.
  std::string baseLanguage = "chi_sim";
  // 0: legacy training; anything else: LSTM fine-tuning.
  int mode = 0;
  SampleMap samples;
  // The pause before emptying tmp/ and again before the result is reported,
  // giving the tools' files time to be released. Tests shorten it.
  std::chrono::milliseconds settleWait{500};
  // Set by the owner of the worker to stop the job early; may be null.
  const JobCancel *cancel = nullptr;
};

// "eng" for index 0 of the base language list, "chi_sim" for any other.
std::string BaseLanguageForIndex(int index);

// The worker: prepares the inputs in tmp/, runs the tool sequence of the
// job's mode, delivers the result, empties tmp/ and reports. Takes ownership
// of the job; returns 0. A null job returns at once and reports nothing.
int RunTrainJob(std::unique_ptr<TrainJob> job);
