#include "training/train_paths.h"

#include "app/work_paths.h"

// The work paths are already file-system bytes on Linux, so nothing is
// converted: a program directory with non-ASCII characters still works.
std::string TmpFilePath(const std::string &name) {
  return GetWorkPaths().TempDir + "/" + name;
}

std::string BinFilePath(const std::string &name) {
  return GetWorkPaths().ProgramDir + "bin/" + name;
}

std::string BaseDataPath(const std::string &language) {
  return GetWorkPaths().ProgramDir + "bin/tessdata/" + language + ".traineddata";
}

std::string ProgramFilePath(const std::string &name) {
  return GetWorkPaths().ProgramDir + name;
}
