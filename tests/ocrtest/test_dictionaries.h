#pragma once
// Dictionaries for the OCR test's tests: where the checker is, and a damaged
// file on which Tesseract aborts inside its initialisation.
#include <filesystem>
#include <fstream>
#include <string>

namespace ocrtest_test {

inline std::string BuiltChecker() {
  return GLYPHWRIGHT_PROGRAM_DIR "/glyphwright-dictcheck";
}

// The system's legacy osd data with a cutoff table that names a class outside
// its character set: Tesseract asserts on it (Classify::ReadNewCutoffs) and
// aborts every time. Rebuilt with the real combine_tessdata. False when it
// could not be made.
inline bool MakeDictionaryWithForeignCutoff(const std::string &path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::copy_file(GLYPHWRIGHT_SYSTEM_TESSDATA_DIR "/osd.traineddata", path,
                fs::copy_options::overwrite_existing, ec);
  if (ec)
    return false;
  const std::string table = path + ".pffmtable";
  std::ofstream(table) << "no-such-class 20\n";
  const std::string command = "'" GLYPHWRIGHT_PROGRAM_DIR "/bin/combine_tessdata' -o '" + path +
                              "' '" + table + "' >/dev/null 2>&1";
  const bool made = std::system(command.c_str()) == 0;
  fs::remove(table, ec);
  return made;
}

} // namespace ocrtest_test
