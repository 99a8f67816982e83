#pragma once
// Replacing a file, the one way every saver of the program does it: the
// sample file, the settings file, backups, the delivered .traineddata.
//
// The new content goes to a temporary file of its own beside the target (an
// unnamed O_TMPFILE file where the file system has them, else a file created
// exclusively under a unique hidden name ".<name>.part<pid>-<n>"), is written
// in full, gets the old file's permission bits (a failure to set them fails
// the write), is flushed to disk and locked, is given its hidden name and is
// renamed over the target; then the directory is flushed. A failure at any
// step leaves the old file as it was and no temporary file behind. A process
// killed at any step leaves the old file or the new one whole; a temporary
// file it left under its hidden name is removed by the next replacement in
// that directory, since its lock ended with the process. Two processes
// replacing one file at the same moment both succeed, and the file then holds
// the whole content of one of them.
//
// Links: a symbolic link at the target is followed, through a chain of
// links, and the file it names is replaced, so the link stays a link; a link
// naming a missing file creates that file. A target that is neither missing
// nor a regular file (a directory, a FIFO, a device) is refused with EISDIR
// or EINVAL and left alone.
#include <optional>
#include <string>
#include <string_view>

// Replaces the content of `path` with `bytes`. True when done; otherwise
// `error` (if given) gets the errno of the failed step (ENOSPC for a full
// disk).
bool ReplaceFileContent(const std::string &path, std::string_view bytes, int *error = nullptr);

// Replaces the content of `path` with a copy of the file `source`, read as it
// is written, so a large file is never held in memory.
bool ReplaceWithCopyOf(const std::string &source, const std::string &path, int *error = nullptr);

// Copies `path` byte for byte to the first free name of `path` + ".bak",
// ".bak.1", ".bak.2", ... through the same steps, except that an existing
// copy is never replaced, not even one made meanwhile. The name of the copy,
// or nothing when the file could not be read or copied.
std::optional<std::string> BackUpFile(const std::string &path);

// The name BackUpFile would use now.
std::string NextBackupPath(const std::string &path);

// For tests: with true, temporary files are created under their hidden name
// from the start, as on file systems without O_TMPFILE.
void UseNamedTemporaryFilesOnly(bool named);
