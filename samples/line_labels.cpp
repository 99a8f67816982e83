#include "samples/line_labels.h"

namespace {

bool IsSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// Marks drawn onto the character before them rather than beside it.
bool JoinsPrevious(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) ||
         (c >= 0xE0100 && c <= 0xE01EF);
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

std::vector<std::u16string> SplitLineLabels(std::u16string_view text) {
  std::vector<std::u16string> labels;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    char32_t c = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      length = 2;
      c = 0x10000 + ((char32_t(text[i]) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
    }
    const std::u16string_view unit = text.substr(i, length);
    i += length;
    if (IsSpace(c))
      continue;
    if (JoinsPrevious(c) && !labels.empty())
      labels.back().append(unit);
    else
      labels.emplace_back(unit);
  }
  return labels;
}
