#pragma once
// Removing directory trees without ever following a link out of them.
#include <string>

// Removes everything inside the directory open as `dirFd`, depth first. Works
// relative to open directories, so a name swapped for a link between the look
// and the removal cannot lead outside. Links are removed, never followed; an
// entry that cannot be removed stays. `dirFd` stays open.
void RemoveDirectoryEntries(int dirFd);

// Removes everything inside `dir`, then `dir` itself; true when `dir` is gone.
// A link given as `dir` is removed itself. A missing `dir` gives false.
bool ClearDirectory(const std::string &dir);

// Empties `dir` by ClearDirectory and creates it again; true when it exists
// afterwards.
bool ResetDirectory(const std::string &dir);
