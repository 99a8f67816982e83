#include "ocrtest/ocr_test_job.h"

#include "app/text_codec.h"
#include "engine/morvexa.h"
#include "ocrtest/dictionary_name.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool Readable(const fs::path &file) {
  std::error_code ec;
  return fs::is_regular_file(file, ec) && std::ifstream(file, std::ios::binary).is_open();
}

bool SameFile(const fs::path &a, const fs::path &b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

// The dictionary where the engine will look for it, for as long as the test
// runs. Deletes the copy it made, never a file it did not make.
class DictionaryCopy {
public:
  DictionaryCopy(const fs::path &source, fs::path target) : target_(std::move(target)) {
    if (!Readable(source)) {
      failure_ = OcrTestFailure::DictionaryUnreadable;
      return;
    }
    if (SameFile(source, target_))
      return; // already in place: nothing to copy, nothing to delete
    std::error_code ec;
    fs::remove(target_, ec);
    made_ = fs::copy_file(source, target_, fs::copy_options::none, ec) && !ec;
    if (!made_) {
      fs::remove(target_, ec); // a partial copy must not outlive the test either
      failure_ = OcrTestFailure::CopyFailed;
    }
  }
  ~DictionaryCopy() {
    if (made_) {
      std::error_code ec;
      fs::remove(target_, ec);
    }
  }
  DictionaryCopy(const DictionaryCopy &) = delete;
  DictionaryCopy &operator=(const DictionaryCopy &) = delete;

  OcrTestFailure failure() const { return failure_; }

private:
  fs::path target_;
  bool made_ = false;
  OcrTestFailure failure_ = OcrTestFailure::None;
};

class Recognizer {
public:
  Recognizer(const std::string &dataDir, const std::string &language, int pageSegMode,
             int engineMode)
      : handle_(createOcr(dataDir.c_str(), language.c_str(), pageSegMode, engineMode)) {}
  ~Recognizer() { releaseOcr(handle_); }
  Recognizer(const Recognizer &) = delete;
  Recognizer &operator=(const Recognizer &) = delete;

  OcrHandle handle() const { return handle_; }

private:
  OcrHandle handle_;
};

} // namespace

OcrTestOutcome RunOcrTest(std::unique_ptr<OcrTestJob> job, const std::string &tessdataDir) {
  OcrTestOutcome outcome;
  if (!job)
    return outcome;
  // The engine reads width x height bytes: a mask of another size (or none,
  // for a range wholly outside the workspace) is never handed over.
  if (job->width <= 0 || job->height <= 0 ||
      job->mask.size() != std::size_t(job->width) * std::size_t(job->height)) {
    outcome.failure = OcrTestFailure::EmptyRange;
    return outcome;
  }

  const std::string dictionary = SystemToUtf8(job->dictionaryPath);
  const std::string language = DictionaryLanguage(dictionary);
  const DictionaryCopy copy(fs::path(dictionary),
                            fs::path(tessdataDir) / (language + ".traineddata"));
  if (copy.failure() != OcrTestFailure::None) {
    outcome.failure = copy.failure();
    return outcome;
  }

  const Recognizer recognizer(tessdataDir, language, job->pageSegMode, job->engineMode);
  if (recognizer.handle() == 0) {
    outcome.failure = OcrTestFailure::RecognizerFailed;
    return outcome;
  }
  if (!job->whitelist.empty())
    setOcrWhitelist(recognizer.handle(), SystemToUtf8(job->whitelist).c_str());

  char *text = nullptr;
  if (job->command == 0)
    text = getTextExTest(recognizer.handle(), job->mask.data(), 0, 0, job->width, job->height);
  else if (job->command == 1)
    text = getTextWithPosTest(recognizer.handle(), job->mask.data(), job->resultLevel, 0, 0,
                              job->width, job->height);
  if (text != nullptr) {
    outcome.hasText = true;
    outcome.text = Utf8ToSystem(text);
    ocFree(&text);
  }
  return outcome;
}
