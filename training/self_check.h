#pragma once
// The check after a job: the new model reads each page of its own training
// image (one line per page), and every glyph's reading is compared with its
// label. This is the accuracy figure a user would otherwise find only by
// testing. The model is read in the checker program's process, through the
// tool runner: a model on which Tesseract aborts ends that process only, and
// a cancelled job stops it like any tool.
#include <string>
#include <vector>

#include "training/tool_runner.h"
#include "training/train_inputs.h"

struct SelfCheckMismatch {
  std::string label; // system code page
  std::string read;  // system code page; empty when nothing was read there
  // Several glyphs read together as fewer characters that are no label: the
  // engine's own table replaced an unlikely run of letters. Such a run counts
  // neither for nor against its glyphs and is told apart from misreadings.
  bool replaced = false;
};

enum class SelfCheckStatus {
  Ran,
  Refused,   // the engine would not load the model
  Crashed,   // the checker ended by a signal (Tesseract aborted)
  NotRun,    // the checker could not be started, or its files not exchanged
  Cancelled, // the job was cancelled
};

struct SelfCheckResult {
  SelfCheckStatus status = SelfCheckStatus::NotRun;
  // Distinct labels, and those whose every sample was read right: the unit
  // of the learned line.
  int correct = 0;
  int total = 0;
  std::vector<SelfCheckMismatch> mismatches; // per sample, in page order
};

// Where the checker runs and what it loads: <tessdataDir>/<language>.traineddata
// with engine mode `engineMode`; the exchanged files are written to
// tessdataDir too.
struct SelfCheckModel {
  std::string checker;
  std::string tessdataDir;
  std::string language;
  int engineMode = 0;
};

// A symbol the engine read on a page: UTF-8, its first and last column.
struct ReadSymbol {
  std::string text;
  int left = 0;
  int right = 0;
};

// Glyphs first..last of a page (one glyph, or several read as one symbol)
// and what was read there, UTF-8.
struct GlyphReading {
  std::size_t first = 0;
  std::size_t last = 0;
  std::string text;
};

// What was read at each glyph, in page order: a symbol belongs to the glyph
// whose columns hold its centre (or the nearest glyph); a symbol whose box
// spans the centres of several glyphs is one reading of all of them.
std::vector<GlyphReading> ReadingsOfGlyphs(const std::vector<PageGlyph> &glyphs,
                                           const std::vector<ReadSymbol> &symbols);

// Reads the pages with the model and compares each reading (as
// ReadingsOfGlyphs assigns them) with its labels, so a glyph read as two
// symbols, or as none, is a mismatch. `run` gives the cancel flag; the
// checker's output is not added to any log.
SelfCheckResult CheckTrainedModel(const SelfCheckModel &model,
                                  const std::vector<TrainingPage> &pages,
                                  const ToolRunOptions &run = {});

// The checker beside the program (GetWorkPaths().ProgramDir).
std::string SelfCheckerPath();

// "自检：N 个字符中 M 个识别正确" and the mismatches (「label」读成「read」,
// the first 50 and a count), UTF-8; or why the check could not run.
std::string SelfCheckLine(const SelfCheckResult &result);

// The self-check line when it ends the job log (system code page in and
// out), for the completion message; empty otherwise.
std::string SelfCheckNote(const std::string &jobLog);
