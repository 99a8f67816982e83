#pragma once
// The two tool sequences of a job. Both start after the inputs are in tmp/,
// run the tools one after another with the program directory as working
// directory, judge each step by the file it must leave, and end with a result
// code of train_job.h (0 when the result reached the output path).
#include <string>
#include <vector>

#include "training/tool_runner.h"
#include "training/train_inputs.h"

struct TrainJob;

// Argument vectors of the steps that take the job's choices.
// `base`: the page file without ".tif", also the base name of the .tr file.
std::vector<std::string> BoxTrainArguments(int psm, const std::string &base = "tmp/tmp.font.exp0");
std::vector<std::string> LstmTrainArguments(const std::string &language, int psm);
std::vector<std::string> ExtractBaseModelArguments(const std::string &language);
std::vector<std::string> LstmTrainingArguments(const std::string &language);
std::vector<std::string> StopTrainingArguments(const std::string &language);

// Legacy training: tesseract box.train, unicharset_extractor, mftraining,
// cntraining, combine_tessdata. With the pages of the training image, glyphs
// whose boxes box.train failed get one more box.train run on pages of
// thicker and thinner copies, whose .tr file joins the first for mftraining
// and cntraining; the log ends with how many labels the model learned and
// which it did not (a job that learned none ends with kTrainNothingLearned
// and writes nothing), and a model that was made reads its pages back (the
// self-check line).
int RunLegacySequence(const TrainJob &job, std::string &jobLog, const ToolRunOptions &run,
                      const std::vector<TrainingPage> *pages = nullptr);

// LSTM fine-tuning of the base language's model: tesseract lstm.train,
// combine_tessdata -e, lstmtraining, lstmtraining --stop_training. With the
// pages, the model reads them back (the self-check line, LSTM engine).
int RunLstmSequence(const TrainJob &job, std::string &jobLog, const ToolRunOptions &run,
                    const std::vector<TrainingPage> *pages = nullptr);

// Training PSM values that drop glyphs even with one row per page; for them
// the log says at the start which values learn every glyph (UTF-8, empty for
// a value that needs no advice).
std::string TrainPsmAdvice(int psm);

// Our own line after lstmtraining's when the base model is an integer
// ("fast") model, which cannot be trained further (system code page).
std::string IntegerModelAdvice(const std::string &language);

// Our own lines in the job log (UTF-8; the log gets them in the system code
// page): a tool that could not be started, with its errno, and a result that
// could not be written to the output path, with the errno of the failed step.
std::string ToolStartFailureText(const std::string &tool, int error);
std::string DeliveryFailureText(const std::string &outputPath, int error);
