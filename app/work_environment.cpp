#include "app/work_environment.h"

#include "app/settings_store.h"
#include "app/work_paths.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

bool AppendToPath(const std::string &dir) {
  if (dir.empty())
    return true;
  const char *current = std::getenv("PATH");
  std::string value = current ? current : "";
  if (!value.empty())
    value += ':';
  value += dir;
  return setenv("PATH", value.c_str(), 1) == 0;
}

bool PrepareWorkEnvironmentAt(const std::string &programDir) {
  const WorkPaths paths = DeriveWorkPaths(programDir);
  if (paths.ProgramDir.empty())
    return false;
  SetWorkPaths(paths);
  // Results are ignored on purpose: an existing directory is the normal case,
  // and whatever cannot be prepared shows up where it is used.
  mkdir(paths.TempDir.c_str(), 0777);
  mkdir(paths.TessdataDir.c_str(), 0777);
  setenv("TESSDATA_PREFIX", BaseDataDir().c_str(), 1);
  AppendToPath(ToolDir());
  AppendToPath(paths.ProgramDir);
  // The tool command lines name files relative to the program directory.
  [[maybe_unused]] int changed = chdir(paths.ProgramDir.c_str());
  InitSettingsStore(paths.SettingsFile);
  return true;
}

bool PrepareWorkEnvironment() { return PrepareWorkEnvironmentAt(ExecutableDirectory()); }
