#include "app/leading_number.h"

#include <climits>
#include <cstdint>

int ParseLeadingInt(std::string_view text) {
  std::size_t i = 0;
  auto isSpace = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  };
  while (i < text.size() && isSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate in 64 bits and stop growing once past the int range, so any
  // number of digits is read without overflow.
  const std::int64_t limit = std::int64_t{INT_MAX} + 1;
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < limit)
      value = value * 10 + (text[i] - '0');
  }
  if (negative)
    return value >= limit ? INT_MIN : static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}
