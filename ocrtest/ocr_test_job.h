#pragma once
// One OCR test: the job the test button snapshots from the window, and the
// run on the worker thread that recognises its mask with the chosen
// dictionary.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The result goes back to whoever runs the job, so the job names no window.
struct OcrTestJob {
  std::int32_t command = 0;     // 0 ocrTextEx (plain text), 1 ocrTextExJ (elements with positions)
  std::int32_t resultLevel = 0; // PageIteratorLevel for command 1
  std::int32_t engineMode = 0;  // OcrEngineMode
  std::int32_t pageSegMode = 0; // PageSegMode
  std::string dictionaryPath;   // the .traineddata file, system code page
  std::string whitelist;        // system code page; empty = every character
  std::vector<std::uint8_t> mask; // width x height bytes, 255 white, 0 black
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Why a test gave no text, for the ones the user can do something about.
enum class OcrTestFailure {
  None,                 // also: a command other than 0 or 1, or a recognition without text
  EmptyRange,           // the test range holds no workspace pixel
  DictionaryUnreadable, // the dictionary file is missing or cannot be read
  CopyFailed,           // the copy into the data directory could not be written
  RecognizerFailed,     // the engine refused the dictionary (damaged, or not for this engine mode)
  CheckerUnavailable,   // the program that tries a dictionary first could not be run
  CheckTimedOut,        // the dictionary did not load within the check's time
  Cancelled,            // the window closed during the test
};

struct OcrTestOutcome {
  bool hasText = false;
  std::string text; // system code page
  OcrTestFailure failure = OcrTestFailure::None;
};

// Where a test works. File-system paths (UTF-8).
struct OcrTestPlaces {
  std::string tessdataDir; // the test's own folder for the dictionary copy is made here,
  std::string tempDir;     // or here when tessdata/ is no plain directory (a link, say)
  std::string checker;     // the program that tries a dictionary in a process of its own
  std::chrono::milliseconds checkTimeout{60000}; // a dictionary that loads no faster is refused
};

// The places of the program directory that holds `tessdataDir`: its tmp/ and
// the checker beside the executable.
OcrTestPlaces OcrTestPlacesBeside(const std::string &tessdataDir);

// The test itself, on the worker thread; it owns the job and destroys it.
//
// Tesseract finds a language only as <data directory>/<language>.traineddata,
// so the dictionary is copied under its language's name
// (num.font.traineddata becomes num.traineddata, opened as "num") into a
// folder made for this test, and the folder goes afterwards; no other file
// is touched. The copy is loaded first by the checker, in a process of its
// own, and only when that succeeds by the engine here.
//
// The engine hands the data directory and the language straight to the file
// system, so they go to createOcr as file-system text; the whitelist goes as
// UTF-8, as the engine's setOcrWhitelist takes it. The text comes back in
// the system code page.
// Setting `cancel` stops a running check at once; the test then ends with
// Cancelled.
OcrTestOutcome RunOcrTest(std::unique_ptr<OcrTestJob> job, const OcrTestPlaces &places,
                          const std::atomic<bool> *cancel = nullptr);
