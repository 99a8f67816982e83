#pragma once
// One OCR test: the job the test button snapshots from the window, and the
// run on the worker thread that recognises its mask with the chosen
// dictionary.
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
};

struct OcrTestOutcome {
  bool hasText = false;
  std::string text; // system code page
  OcrTestFailure failure = OcrTestFailure::None;
};

// The test itself, on the worker thread; it owns the job and destroys it.
//
// Tesseract finds a language only as <data directory>/<language>.traineddata,
// so the dictionary is copied there under its language's name
// (num.font.traineddata becomes num.traineddata, opened as "num") and the
// copy is deleted afterwards. A file already there under that name is a
// leftover of an earlier test and is replaced, unless it is the dictionary
// itself: that one is used in place and left alone.
//
// `tessdataDir` is a file-system path (UTF-8). The engine hands the data
// directory and the language straight to the file system, so they go to
// createOcr as file-system text too; the whitelist goes as UTF-8, as the
// engine's setOcrWhitelist takes it. The text comes back in the system code
// page.
OcrTestOutcome RunOcrTest(std::unique_ptr<OcrTestJob> job, const std::string &tessdataDir);
