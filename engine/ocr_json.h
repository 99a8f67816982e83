// The layout of getTextWithPosTest's result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvexa {

struct TextElement {
  std::string text;
  std::int64_t left = 0, top = 0, right = 0, bottom = 0; // right and bottom inclusive
  float confidence = 0.0f;
};

// "[\n", one object per line joined by ",\n", "\n]\n"; "[]\n" when empty.
std::string elementsToJson(const std::vector<TextElement> &elements);

// JSON string contents: quote, backslash and control bytes escaped, every
// other byte (UTF-8 included) copied.
void appendJsonString(std::string &out, std::string_view text);

} // namespace morvexa
