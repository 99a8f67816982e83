#include "engine/ocr_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace morvexa {
namespace {

// to_chars ignores the locale, so a decimal comma can never reach the JSON.
void appendNumber(std::string &out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void appendConfidence(std::string &out, float value) {
  if (!std::isfinite(value))
    value = 0.0f;
  value = std::clamp(value, 0.0f, 100.0f);
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  out.append(buffer, result.ptr);
}

} // namespace

void appendJsonString(std::string &out, std::string_view text) {
  static const char hex[] = "0123456789abcdef";
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\b':
      out += "\\b";
      break;
    case '\f':
      out += "\\f";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (byte < 0x20) {
        out += "\\u00";
        out += hex[byte >> 4];
        out += hex[byte & 0xF];
      } else {
        out += c;
      }
    }
  }
  out += '"';
}

std::string elementsToJson(const std::vector<TextElement> &elements) {
  if (elements.empty())
    return "[]\n";
  std::string out = "[\n";
  bool first = true;
  for (const TextElement &e : elements) {
    if (!first)
      out += ",\n";
    first = false;
    out += "{\"text\":";
    appendJsonString(out, e.text);
    out += ",\"left\":";
    appendNumber(out, e.left);
    out += ",\"top\":";
    appendNumber(out, e.top);
    out += ",\"right\":";
    appendNumber(out, e.right);
    out += ",\"bottom\":";
    appendNumber(out, e.bottom);
    out += ",\"confidence\":";
    appendConfidence(out, e.confidence);
    out += '}';
  }
  out += "\n]\n";
  return out;
}

} // namespace morvexa
