#include "samples/sample_file.h"

#include "app/file_text.h"
#include "samples/safe_file.h"

#include <bit>
#include <exception>
#include <json/reader.h>
#include <json/value.h>
#include <optional>
#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The text of a string member, cut at a NUL (keys and labels never hold
// one). Nothing when the member is missing or not a string.
std::optional<std::string> StringMember(const Json::Value &element, const char *name) {
  const Json::Value *member = element.find(name, name + std::char_traits<char>::length(name));
  if (member == nullptr || !member->isString())
    return std::nullopt;
  const char *begin = nullptr;
  const char *end = nullptr;
  member->getString(&begin, &end);
  std::string text(begin, end);
  const size_t zero = text.find('\0');
  if (zero != std::string::npos)
    text.resize(zero);
  return text;
}

// Skips the white space and comments the JSON reader skips; returns where
// the next token starts (or the end).
size_t SkipSpaceAndComments(std::string_view text, size_t at) {
  while (at < text.size()) {
    const char c = text[at];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++at;
    } else if (c == '/' && at + 1 < text.size() && text[at + 1] == '/') {
      const size_t end = text.find('\n', at + 2);
      at = end == std::string_view::npos ? text.size() : end + 1;
    } else if (c == '/' && at + 1 < text.size() && text[at + 1] == '*') {
      const size_t end = text.find("*/", at + 2);
      at = end == std::string_view::npos ? text.size() : end + 2;
    } else {
      break;
    }
  }
  return at;
}

// Where the string literal opening at `quote` ends (one past its closing
// quote), read as the JSON reader reads it: a backslash takes the next byte
// with it. Nothing for a literal that is never closed.
std::optional<size_t> StringLiteralEnd(std::string_view text, size_t quote) {
  size_t at = quote + 1;
  while (at < text.size()) {
    const char c = text[at++];
    if (c == '\\')
      ++at;
    else if (c == '"')
      return at;
  }
  return std::nullopt;
}

// The text with every over-long string literal replaced before the JSON
// reader sees it: a value by null, which makes its element one that is
// skipped, and a member name by "", which keeps the file valid. The text
// itself when nothing is too long, which is the usual case.
std::string_view BoundStringLiterals(std::string_view text, std::string &storage) {
  storage.clear();
  size_t copiedUpTo = 0;
  size_t at = 0;
  bool afterName = false; // just read the member name "name" and its ':'
  std::string_view lastString;
  bool lastWasString = false;
  while ((at = SkipSpaceAndComments(text, at)) < text.size()) {
    const char c = text[at];
    if (c != '"') {
      afterName = c == ':' && lastWasString && lastString == "name";
      lastWasString = false;
      ++at;
      continue;
    }
    const std::optional<size_t> closed = StringLiteralEnd(text, at);
    // Unclosed: the text is broken JSON as it stands, and must stay so.
    if (!closed)
      break;
    const size_t end = *closed;
    const size_t length = end - at;
    const size_t limit = afterName ? kMaxLabelInFile : kMaxDataStringInFile;
    // Quotes included in `length`, not in the limit.
    if (length > limit + 2) {
      const size_t next = SkipSpaceAndComments(text, end);
      const bool isMemberName = next < text.size() && text[next] == ':';
      storage.append(text.substr(copiedUpTo, at - copiedUpTo));
      storage.append(isMemberName ? "\"\"" : "null");
      copiedUpTo = end;
      lastString = {};
    } else {
      lastString = length >= 2 ? text.substr(at + 1, length - 2) : std::string_view();
    }
    lastWasString = true;
    afterName = false;
    at = end;
  }
  if (copiedUpTo == 0)
    return text;
  storage.append(text.substr(copiedUpTo));
  return storage;
}

} // namespace

SampleParseResult ParseSampleText(std::string_view fileText, SampleStore &store) {
  SampleParseResult result;
  try {
    // One label of 64 MB would take the JSON reader seconds and the list
    // far longer: over-long strings are never read.
    std::string bounded;
    const std::string_view text = BoundStringLiterals(fileText, bounded);
    Json::Value root;
    Json::Reader reader;
    if (!reader.parse(text.data(), text.data() + text.size(), root, false))
      return result;
    if (root.isNull()) {
      result.valid = true;
      return result;
    }
    if (!root.isArray())
      return result;
    result.valid = true;
    for (const Json::Value &element : root) {
      std::optional<std::string> desc;
      std::optional<std::string> name;
      if (element.isObject()) {
        desc = StringMember(element, "desc");
        name = StringMember(element, "name");
      }
      if (!desc || !name || name->size() > kMaxLabelInFile) {
        ++result.skipped;
        continue;
      }
      // Files come in key order: hinting the end makes each insert constant time.
      store.insert_or_assign(store.end(), std::move(*desc), std::move(*name));
    }
  } catch (const std::exception &) {
    // jsoncpp throws on nesting deeper than its stack limit; memory may run
    // out. Either way this is no sample file, and what was added stays.
    result.valid = false;
  }
  return result;
}

namespace {

// The position of the first byte at or after `from` that a JSON string
// cannot hold as it is (a control byte, '"' or '\\'), or text.size().
// Sixteen bytes a step: data strings never hold one, labels rarely.
std::size_t FindEscaped(std::string_view text, std::size_t from) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i lastControl = _mm_set1_epi8(0x1F);
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + i));
    // Unsigned: min(byte, 0x1F) == byte for 0..0x1F only, so 128..255 pass.
    const __m128i special =
        _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(bytes, lastControl), bytes),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)));
    const int found = _mm_movemask_epi8(special);
    if (found != 0)
      return i + std::size_t(std::countr_zero(unsigned(found)));
  }
#endif
  for (; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == '"' || byte == '\\')
      return i;
  }
  return text.size();
}

// `text` as a JSON string the way the styled writer quotes it: the quote,
// the backslash and control bytes escaped (\u00XX upper case), every other
// byte, 128..255 included, as it is.
void AppendQuoted(std::string &out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '"';
  std::size_t plain = 0;
  for (std::size_t at = FindEscaped(text, 0); at < text.size(); at = FindEscaped(text, plain)) {
    out.append(text.data() + plain, at - plain);
    plain = at + 1;
    const auto byte = static_cast<unsigned char>(text[at]);
    switch (byte) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\b': out += "\\b"; break;
    case '\f': out += "\\f"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default: {
      const char escape[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
      out.append(escape, sizeof escape);
    }
    }
  }
  out.append(text.data() + plain, text.size() - plain);
  out += '"';
}

} // namespace

std::string FormatSampleFile(const SampleStore &store) {
  if (store.empty())
    return "null\n";
  // One walk: the text grows as it goes, from a guess near a typical entry
  // (a 24 x 24 glyph's string, a short label and the layout's 38 bytes).
  std::string out;
  out.reserve(store.size() * 208 + 4);
  out += "[\n";
  for (const auto &[desc, name] : store) {
    out += "   {\n      \"desc\" : ";
    AppendQuoted(out, desc);
    out += ",\n      \"name\" : ";
    AppendQuoted(out, name);
    out += "\n   },\n";
  }
  // The last object has no comma after it.
  out.resize(out.size() - 2);
  out += "\n]\n";
  return out;
}

bool WriteSampleFile(const std::string &path, const SampleStore &store) {
  return ReplaceFileContent(path, FormatSampleFile(store));
}

SampleFileLoad LoadSampleFile(const std::string &path, SampleStore &store) {
  SampleFileLoad load;
  const std::string text = ReadFileText(path);
  struct stat info {};
  const bool regularFile = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  const auto fileSize = regularFile ? static_cast<unsigned long long>(info.st_size) : 0ULL;
  // ReadFileText stops at a NUL and gives nothing for an unreadable file:
  // whatever it did not return would be gone after a rewrite.
  load.rewriteLosesData = fileSize != text.size();
  if (text.empty())
    return load;
  load.loaded = true;
  store.clear();
  load.parse = ParseSampleText(text, store);
  if (!load.parse.valid || load.parse.skipped > 0)
    load.rewriteLosesData = true;
  return load;
}
