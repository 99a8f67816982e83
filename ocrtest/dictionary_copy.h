#pragma once
// The dictionary where the engine can find it, for the length of one test.
//
// Tesseract finds a language only as <data directory>/<language>.traineddata.
// The copy goes into a folder made for this one test, so that a file the user
// keeps under that name, or one of another instance's test, is never
// replaced or deleted: the test removes exactly what it made.
#include <string>
#include <vector>

#include "ocrtest/ocr_test_job.h"

class DictionaryCopy {
public:
  // Copies `source` to <folder>/<language>.traineddata in a new folder
  // "ocrtest-..." below the first of `parents` that is a plain directory; a
  // parent that is a symbolic link is passed over, never followed. Folders
  // left there by a test that never ended (its process gone) are removed
  // first. File-system paths.
  DictionaryCopy(const std::string &source, const std::string &language,
                 const std::vector<std::string> &parents);
  // Removes the copy and its folder.
  ~DictionaryCopy();
  DictionaryCopy(const DictionaryCopy &) = delete;
  DictionaryCopy &operator=(const DictionaryCopy &) = delete;

  // DictionaryUnreadable, CopyFailed or None.
  OcrTestFailure failure() const { return failure_; }
  // The folder that holds the copy: the data directory for the engine.
  const std::string &dataDir() const { return dataDir_; }

private:
  bool MakeFolder(int parentFd, const std::string &parent);

  OcrTestFailure failure_ = OcrTestFailure::None;
  int parentFd_ = -1;
  int folderFd_ = -1; // locked while the test runs: the folder is in use
  std::string folderName_;
  std::string fileName_;
  bool copied_ = false;
  std::string dataDir_;
};

// The prefix of the folders DictionaryCopy makes.
inline constexpr char kTestFolderPrefix[] = "ocrtest-";
