#pragma once
// Where the files of a training job live, below the program directory fixed at
// start-up. Results are file-system paths with '/' separators.
#include <string>

// TempDir + "/" + name: the job's own files.
std::string TmpFilePath(const std::string &name);
// ProgramDir + "bin/" + name: the Tesseract tools.
std::string BinFilePath(const std::string &name);
// ProgramDir + "bin/tessdata/" + language + ".traineddata": the base data.
std::string BaseDataPath(const std::string &language);
// ProgramDir + name: where the legacy tools leave their output.
std::string ProgramFilePath(const std::string &name);
