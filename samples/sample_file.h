#pragma once
// The sample file: a JSON array of {"desc": data string, "name": label}
// objects in the system code page, written in jsoncpp's styled layout with
// raw high bytes. Nothing here shows anything: callers decide what to tell
// the user.
#include "samples/sample_store.h"

#include <cstddef>
#include <string>
#include <string_view>

// The longest label and data string read from a sample file, in bytes as
// they stand there (escapes included). Anything longer makes its element one
// that is skipped: no label needs more (the label edit takes far fewer
// characters), and the longest data string is that of a 4096 x 4096 box,
// the largest box the program decodes.
inline constexpr size_t kMaxLabelInFile = 4096;
inline constexpr size_t kMaxDataStringInFile = 2 * (4096 * 4096 / 8) + 256;

struct SampleParseResult {
  // The text is a sample file: JSON whose top-level value is an array or
  // null. Broken JSON, an object, a number, a string or a boolean is not.
  bool valid = false;
  // Elements that are not objects with string members "desc" and "name",
  // or whose label or data string is longer than the limits above; they add
  // nothing.
  int skipped = 0;
};

// Adds the samples of a sample-file text to `store` (insert or replace, a
// later element wins over an earlier one with the same "desc"). Never empties
// the store; what was added before a failure stays. Strings are cut at a NUL
// they may carry through a \u0000 escape.
SampleParseResult ParseSampleText(std::string_view text, SampleStore &store);

// The bytes of the sample file for `store`: "null" and LF when it is empty,
// otherwise one object per sample in key order, "desc" before "name".
std::string FormatSampleFile(const SampleStore &store);

// Writes the whole store to `path` (a file-system path) so that the file
// holds either its old bytes or the complete new ones, never a part. False
// when the file could not be written; the old file is then untouched.
bool WriteSampleFile(const std::string &path, const SampleStore &store);

struct SampleFileLoad {
  // The file gave a non-empty text: the store was cleared and holds what it
  // parsed. Otherwise (no file, unreadable, empty) the store is unchanged.
  bool loaded = false;
  SampleParseResult parse;
  // Rewriting the file from the store would drop bytes it holds now: it is
  // not a valid sample file, has skipped elements, could not be read, or
  // has bytes after a NUL. Keep a copy before the first write.
  bool rewriteLosesData = false;
};

// Reads the sample file at `path` into `store` as the sample list reloads it.
SampleFileLoad LoadSampleFile(const std::string &path, SampleStore &store);
