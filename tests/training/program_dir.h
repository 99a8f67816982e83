#pragma once
// A program directory of its own for each training test: bin/ with links to
// the real Tesseract tools and tessdata, laid out under a path with a space
// in it, made the process's work environment the way start-up does it. Any
// tool can be swapped for a small script to make a step fail for real.
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/work_environment.h"
#include "app/work_paths.h"
#include "tests/support/temp_dir.h"
#include "training/train_reporter.h"

namespace training_test {

inline const std::vector<std::string> kTools = {"tesseract",        "unicharset_extractor",
                                                "mftraining",       "cntraining",
                                                "combine_tessdata", "lstmtraining"};

class ProgramDir {
public:
  ProgramDir() : root_(temp_.Dir() + "program dir/") {
    namespace fs = std::filesystem;
    savedCwd_ = fs::current_path();
    fs::create_directories(root_ + "bin/tessdata");
    const std::string built = GLYPHWRIGHT_PROGRAM_DIR "/bin/";
    for (const std::string &tool : kTools)
      fs::create_symlink(fs::canonical(built + tool), root_ + "bin/" + tool);
    for (const char *item : {"eng.traineddata", "chi_sim.traineddata", "configs", "tessconfigs"})
      fs::create_symlink(fs::canonical(built + "tessdata/" + item), root_ + "bin/tessdata/" + item);
    // The dictionary checker an OCR test runs lies beside the executable.
    fs::create_symlink(GLYPHWRIGHT_PROGRAM_DIR "/glyphwright-dictcheck", root_ + "glyphwright-dictcheck");
    PrepareWorkEnvironmentAt(root_);
  }
  ~ProgramDir() { std::filesystem::current_path(savedCwd_); }
  ProgramDir(const ProgramDir &) = delete;
  ProgramDir &operator=(const ProgramDir &) = delete;

  // ProgramDir, with its trailing '/'.
  const std::string &Root() const { return root_; }
  std::string Tmp() const { return root_ + "tmp"; }
  // A directory outside the program directory for the test's own files.
  std::string Scratch() const { return temp_.Dir(); }

  // Replaces bin/<tool> with a shell script.
  void ReplaceTool(const std::string &tool, const std::string &script) const {
    const std::string path = root_ + "bin/" + tool;
    std::filesystem::remove(path);
    std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
    chmod(path.c_str(), 0755);
  }

  std::vector<std::string> TmpEntries() const {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(Tmp()))
      names.push_back(entry.path().filename().string());
    return names;
  }

private:
  TempDir temp_;
  std::string root_;
  std::filesystem::path savedCwd_;
};

// Remembers everything a job reports; `onProgress` runs on the job's thread
// right when it reports, so a test can change the world at that step.
class RecordingReporter : public TrainReporter {
public:
  void Progress(int percent) override {
    progress.push_back(percent);
    if (onProgress)
      onProgress(percent);
  }
  void Log(const std::string &wholeLog) override { logs.push_back(wholeLog); }
  void Done(int code, const std::string &log) override {
    ++doneCount;
    doneCode = code;
    doneLog = log;
  }

  std::vector<int> progress;
  std::vector<std::string> logs;
  int doneCount = 0;
  int doneCode = 12345;
  std::string doneLog;
  std::function<void(int)> onProgress;
};

inline std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace training_test
