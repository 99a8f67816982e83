#include "ocrtest/ocr_test_job.h"

#include "app/text_codec.h"
#include "engine/morvexa.h"
#include "ocrtest/dictionary_check.h"
#include "ocrtest/dictionary_copy.h"
#include "ocrtest/dictionary_name.h"

#include <filesystem>

namespace {

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

OcrTestPlaces OcrTestPlacesBeside(const std::string &tessdataDir) {
  std::string dir = tessdataDir;
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  const std::filesystem::path programDir = std::filesystem::path(dir).parent_path();
  OcrTestPlaces places;
  places.tessdataDir = tessdataDir;
  places.tempDir = (programDir / "tmp").string();
  places.checker = (programDir / kDictionaryCheckerName).string();
  return places;
}

OcrTestOutcome RunOcrTest(std::unique_ptr<OcrTestJob> job, const OcrTestPlaces &places,
                          const std::atomic<bool> *cancel) {
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
  const DictionaryCopy copy(dictionary, language, {places.tessdataDir, places.tempDir});
  if (copy.failure() != OcrTestFailure::None) {
    outcome.failure = copy.failure();
    return outcome;
  }

  // The copy is tried in a process of its own first: a file on which
  // Tesseract aborts must end that process, not the window.
  switch (CheckDictionary(places.checker, copy.dataDir(), language, job->pageSegMode,
                          job->engineMode, places.checkTimeout,
                          [cancel] { return cancel && cancel->load(); })) {
  case DictionaryCheck::Loaded:
    break;
  case DictionaryCheck::Refused:
    outcome.failure = OcrTestFailure::RecognizerFailed;
    return outcome;
  case DictionaryCheck::TimedOut:
    outcome.failure = OcrTestFailure::CheckTimedOut;
    return outcome;
  case DictionaryCheck::Cancelled:
    outcome.failure = OcrTestFailure::Cancelled;
    return outcome;
  case DictionaryCheck::Unavailable:
    outcome.failure = OcrTestFailure::CheckerUnavailable;
    return outcome;
  }

  const Recognizer recognizer(copy.dataDir(), language, job->pageSegMode, job->engineMode);
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
