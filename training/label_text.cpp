#include "training/label_text.h"

#include <algorithm>
#include <cstdio>

#include "app/text_codec.h"

namespace {

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Decoding and encoding again gives the same bytes only when nothing was
// replaced on the way.
bool RoundTrips(std::string_view bytes) {
  return ToSystemCodePage(FromSystemCodePage(bytes)) == bytes;
}

// The length of the GB18030 character that would start at `at`: one byte,
// two (lead, trail) or four (lead, digit, lead, digit); whether it is one is
// for the converter to say.
std::size_t UnitLength(std::string_view bytes, std::size_t at) {
  const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x81 || lead == 0xFF || at + 1 >= bytes.size())
    return 1;
  const unsigned char second = byte(at + 1);
  if (second >= 0x30 && second <= 0x39)
    return at + 3 < bytes.size() ? 4 : 1;
  return 2;
}

} // namespace

bool LabelDecodes(std::string_view label) {
  return IsAscii(label) || RoundTrips(label);
}

std::string ShownLabel(std::string_view label) {
  if (LabelDecodes(label))
    return std::string(label);
  std::string shown;
  for (std::size_t at = 0; at < label.size();) {
    const std::size_t length = UnitLength(label, at);
    const std::string_view unit = label.substr(at, length);
    if (static_cast<unsigned char>(unit[0]) >= 0x80 && !RoundTrips(unit)) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(unit[0]));
      shown += escaped;
      at += 1;
      continue;
    }
    shown += unit;
    at += length;
  }
  return shown;
}
