#pragma once
// jsoncpp's styled layout (three-space indent, "name" : value, arrays folded
// at a right margin of 74 columns, a final line feed), with one difference
// that matters to us: bytes 128..255 inside strings are written raw, so text
// in the system code page survives. jsoncpp's own StyledWriter escapes them.
#include <json/value.h>
#include <string>
#include <string_view>

std::string WriteStyledJson(const Json::Value &root);

// Appends `text` quoted the same way: only the quote, the backslash and
// control bytes are escaped (\u00XX upper case), everything else goes out as
// it is. Writers of large files append into one buffer with it.
void AppendJsonQuoted(std::string &out, std::string_view text);
