#include "app/work_paths.h"

#include <climits>
#include <mutex>
#include <unistd.h>

namespace {
std::mutex pathsLock;
WorkPaths processPaths;
} // namespace

WorkPaths DeriveWorkPaths(const std::string &programDir) {
  WorkPaths paths;
  if (programDir.empty())
    return paths;
  paths.ProgramDir = programDir.back() == '/' ? programDir : programDir + '/';
  paths.SettingsFile = paths.ProgramDir + "runeforge.cfg";
  paths.TempDir = paths.ProgramDir + "tmp";
  paths.TessdataDir = paths.ProgramDir + "tessdata";
  return paths;
}

std::string ExecutableDirectory() {
  char buffer[PATH_MAX + 1];
  ssize_t length = readlink("/proc/self/exe", buffer, PATH_MAX);
  if (length <= 0 || length >= PATH_MAX)
    return {};
  std::string path(buffer, static_cast<size_t>(length));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void SetWorkPaths(const WorkPaths &paths) {
  std::lock_guard<std::mutex> guard(pathsLock);
  processPaths = paths;
}

WorkPaths GetWorkPaths() {
  std::lock_guard<std::mutex> guard(pathsLock);
  return processPaths;
}

std::string ToolDir() { return GetWorkPaths().ProgramDir + "bin"; }

std::string BaseDataDir() { return ToolDir() + "/tessdata"; }
