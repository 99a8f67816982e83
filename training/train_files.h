#pragma once
// File operations of a training job: emptying tmp/, moving the legacy tools'
// output, and delivering the result without risking the user's old file.
#include <string>

// Removes everything inside `dir`, then `dir` itself; true when `dir` is gone.
// Symbolic links are removed, never followed, so nothing outside `dir` is
// touched (a link given as `dir` is removed as well). An entry that cannot be
// removed stays, and so does `dir`. A missing `dir` gives false.
bool ClearDirectory(const std::string &dir);

// Empties `dir` by ClearDirectory and creates it again; true when it exists
// afterwards.
bool ResetDirectory(const std::string &dir);

// Renames `from` to `to` unless `to` exists already; true when moved.
bool MoveFileNoReplace(const std::string &from, const std::string &to);

// Puts a copy of `source` at `target`: written in full to a new file beside
// the target, then renamed over it, so a failure leaves the old file as it
// was. A link at `target` is followed, the file it names is replaced.
// Returns 0 when done, 9 when it failed; `error` then gets the errno of the
// step that failed (ENOSPC for a full disk).
int DeliverResult(const std::string &source, const std::string &target, int *error = nullptr);
