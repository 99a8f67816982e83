#pragma once
// File operations of a training job: emptying tmp/ (ClearDirectory,
// ResetDirectory), moving the legacy tools' output, and delivering the result
// without risking the user's old file.
#include <string>

#include "platform/dir_tree.h"

// Renames `from` to `to` unless `to` exists already; true when moved.
bool MoveFileNoReplace(const std::string &from, const std::string &to);

// Puts a copy of `source` at `target` the way every file of the program is
// replaced (ReplaceWithCopyOf): a failure leaves the old file as it was, a
// link at `target` is followed and the file it names is replaced.
// Returns 0 when done, 9 when it failed; `error` then gets the errno of the
// step that failed (ENOSPC for a full disk).
int DeliverResult(const std::string &source, const std::string &target, int *error = nullptr);
