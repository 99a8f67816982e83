#pragma once
// Trying a dictionary in a process of its own before the window loads it.
// Tesseract aborts (or crashes) on some damaged .traineddata files instead of
// reporting an error, so no check inside the window's process can catch
// them. A small program beside the executable loads the file the way a test
// will and exits; only when it has loaded it does the window load it too.
#include <chrono>
#include <functional>
#include <string>

// The checker's file name in the program directory.
inline constexpr char kDictionaryCheckerName[] = "glyphwright-dictcheck";

// The checker's exit statuses.
inline constexpr int kDictionaryLoaded = 0;
inline constexpr int kDictionaryRefused = 1;
inline constexpr int kDictionaryCheckUsage = 2;

enum class DictionaryCheck {
  Loaded,      // the engine took it: loading it in the window is safe
  Refused,     // the engine refused it, or the checker crashed on it
  TimedOut,    // still loading when the time was up: stopped
  Cancelled,   // the caller gave up waiting (the window is closing): stopped
  Unavailable, // the checker could not be started
};

// Runs `checker` on <dataDir>/<language>.traineddata with the test's modes and
// waits for it, at most `timeout`, and no longer than `cancelled` (asked now
// and then) stays false; the checker is killed then. File-system paths.
DictionaryCheck CheckDictionary(const std::string &checker, const std::string &dataDir,
                                const std::string &language, int pageSegMode, int engineMode,
                                std::chrono::milliseconds timeout,
                                const std::function<bool()> &cancelled = {});
