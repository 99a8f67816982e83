#pragma once
// Writing files so that a crash, a full disk or an I/O error never leaves a
// half-written file behind, and keeping copies of files we are about to
// replace.
#include <optional>
#include <string>
#include <string_view>

// Replaces the content of `path` with `bytes`: they go to `path` + ".tmp"
// beside it, are flushed to disk and then renamed over the old file. A
// symbolic link is followed, so the file it points to is the one replaced;
// an existing file keeps its permission bits. False on any failure; the old
// file is then as it was and the temporary file is removed.
bool ReplaceFileContent(const std::string &path, std::string_view bytes);

// The temporary file ReplaceFileContent writes first.
std::string TempPathFor(const std::string &path);

// Copies `path` byte for byte to the first free name of `path` + ".bak",
// ".bak.1", ".bak.2", ... so an earlier copy is never overwritten. The name
// of the copy, or nothing when the file could not be read or copied.
std::optional<std::string> BackUpFile(const std::string &path);

// The name BackUpFile would use now.
std::string NextBackupPath(const std::string &path);
