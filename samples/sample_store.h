#pragma once
// The sample library in memory: data string (the dot-matrix string of a box)
// to label, both in the system code page.
//
// Every reader of the store (the list, the sample file, the training
// snapshot) walks it in key order, and stored files depend on that order:
// bytes compare as unsigned values and a proper prefix sorts first. That is
// exactly how std::string compares (char_traits<char> orders as unsigned
// char), so a plain ordered map gives it. std::less<> lets callers look up
// with a string_view without building a string.
#include <map>
#include <string>

using SampleStore = std::map<std::string, std::string, std::less<>>;
