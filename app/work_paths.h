#pragma once
// Directories and files derived once from the executable's location and
// read-only afterwards. Paths are file-system paths (UTF-8 on Linux).
#include <string>

struct WorkPaths {
  std::string ProgramDir;   // the executable's absolute directory, ending with '/'
  std::string SettingsFile; // ProgramDir + "runeforge.cfg"
  std::string TempDir;      // ProgramDir + "tmp", no trailing '/'
  std::string TessdataDir;  // ProgramDir + "tessdata", no trailing '/'
};

// The paths for a program directory given with or without its trailing '/'.
// Empty in, all empty out.
WorkPaths DeriveWorkPaths(const std::string &programDir);

// The directory of the running executable (from /proc/self/exe), without a
// trailing '/'; empty when it cannot be determined.
std::string ExecutableDirectory();

// The paths fixed at start-up (a copy). Empty before start-up.
WorkPaths GetWorkPaths();
// Fixes the process's paths; start-up calls it once.
void SetWorkPaths(const WorkPaths &paths);
// Where the Tesseract tools and their base data live below ProgramDir.
std::string ToolDir();     // ProgramDir + "bin"
std::string BaseDataDir(); // ProgramDir + "bin/tessdata"
