#pragma once
// How a dictionary path names its language: the file name up to its first
// ".", the way Tesseract is asked for it and the script snippet names it.
// Works on UTF-8 (file-system) text: the system code page may hide a '\' or
// '/' byte inside a two-byte character, UTF-8 never does.
#include <string>
#include <string_view>

// The last component of a path: the text after its last '\' or '/'.
std::string DictionaryFileName(std::string_view path);

// The file name of `path` up to, not including, its first "."; the whole
// file name when it has no "." or starts with one ("num.font.traineddata"
// gives "num", ".traineddata" stays ".traineddata").
std::string DictionaryLanguage(std::string_view path);
