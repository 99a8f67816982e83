#pragma once
// Start-up of the working environment, before any window or thread exists:
// the work paths, tmp/ and tessdata/, TESSDATA_PREFIX, the search path the
// training tools are found on, the current directory and the settings store.
#include <string>

// Prepares everything for the program directory of the running executable.
// False when that directory cannot be determined: the caller must not go on
// with empty paths.
bool PrepareWorkEnvironment();

// The same for a given program directory (tests and PrepareWorkEnvironment).
bool PrepareWorkEnvironmentAt(const std::string &programDir);

// Appends ":" + dir to PATH; an empty dir, or an empty or unset PATH, adds no
// empty entry (an empty entry would search the current directory). Returns
// setenv's success.
bool AppendToPath(const std::string &dir);
