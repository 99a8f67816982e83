#pragma once
#include <string>

// The whole file as bytes, up to its first zero byte; empty when the file
// cannot be opened or read completely. `path` is a file-system path (UTF-8 on
// Linux).
std::string ReadFileText(const std::string &path);
