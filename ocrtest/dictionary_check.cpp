#include "ocrtest/dictionary_check.h"

#include "platform/child_process.h"

DictionaryCheck CheckDictionary(const std::string &checker, const std::string &dataDir,
                                const std::string &language, int pageSegMode, int engineMode,
                                std::chrono::milliseconds timeout,
                                const std::function<bool()> &cancelled) {
  ChildOptions options;
  options.deadline = timeout;
  options.cancelled = cancelled;
  // The checker holds nothing worth a clean exit: a stop is a kill at once.
  options.termGrace = std::chrono::milliseconds(0);
  const ChildResult run = RunChild(
      checker, {dataDir, language, std::to_string(pageSegMode), std::to_string(engineMode)},
      options);
  switch (run.end) {
  case ChildEnd::NotStarted:
    return DictionaryCheck::Unavailable;
  case ChildEnd::TimedOut:
    return DictionaryCheck::TimedOut;
  case ChildEnd::Cancelled:
    return DictionaryCheck::Cancelled;
  case ChildEnd::Exited:
    if (run.exitStatus == kDictionaryLoaded)
      return DictionaryCheck::Loaded;
    if (run.exitStatus == kDictionaryCheckUsage)
      return DictionaryCheck::Unavailable; // not our checker, or another version of it
    return DictionaryCheck::Refused;
  case ChildEnd::Crashed:
  case ChildEnd::Lost:
    break;
  }
  return DictionaryCheck::Refused;
}
