#include "samples/sample_file.h"

#include "app/file_text.h"
#include "platform/file_replace.h"

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

// The length of `text` as the writer quotes it, quotes left out: the
// quote, the backslash and \b \f \n \r \t take two bytes, other control
// bytes six (\u00XX).
std::size_t WrittenLength(std::string_view text) {
  std::size_t length = text.size();
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\' || byte == '\b' || byte == '\f' || byte == '\n' ||
        byte == '\r' || byte == '\t')
      length += 1;
    else if (byte < 0x20)
      length += 5;
  }
  return length;
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
      // The reader takes raw control bytes that the writer escapes, six
      // bytes for one: an element whose written form would pass the limit
      // would be lost at the next reload, so it is skipped now, where the
      // load keeps a copy of the file.
      if (!desc || !name || WrittenLength(*name) > kMaxLabelInFile ||
          WrittenLength(*desc) > kMaxDataStringInFile) {
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
// Sixteen bytes a step (the last step overlapping the one before): data
// strings never hold one, labels rarely.
std::size_t FindEscaped(std::string_view text, std::size_t from) {
  const std::size_t size = text.size();
#if defined(__SSE2__)
  if (size >= 16) {
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    // Bit i set when byte i of the 16 at `at` needs an escape. Unsigned:
    // min(byte, 0x1F) == byte for 0..0x1F only, so 128..255 pass.
    auto special = [&](std::size_t at) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text.data() + at));
      return unsigned(_mm_movemask_epi8(_mm_or_si128(
          _mm_cmpeq_epi8(_mm_min_epu8(bytes, lastControl), bytes),
          _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)))));
    };
    std::size_t i = from;
    for (; i + 16 <= size; i += 16)
      if (const unsigned found = special(i))
        return i + std::size_t(std::countr_zero(found));
    if (i < size) {
      // The last 16 bytes, of which those before `i` were seen already.
      const unsigned found = special(size - 16) >> (16 - (size - i));
      if (found != 0)
        return i + std::size_t(std::countr_zero(found));
    }
    return size;
  }
#endif
  for (std::size_t i = from; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == '"' || byte == '\\')
      return i;
  }
  return size;
}

// Writes `text` as a JSON string the way the styled writer quotes it (the
// quote, the backslash and control bytes escaped, \u00XX upper case; every
// other byte, 128..255 included, as it is) and returns the end. Room for
// 2 + 6 x text.size() bytes must be there.
char *WriteQuoted(char *out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  *out++ = '"';
  std::size_t plain = 0;
  for (std::size_t at = FindEscaped(text, 0); at < text.size(); at = FindEscaped(text, plain)) {
    std::memcpy(out, text.data() + plain, at - plain);
    out += at - plain;
    plain = at + 1;
    const auto byte = static_cast<unsigned char>(text[at]);
    char escaped = 0;
    switch (byte) {
    case '"': escaped = '"'; break;
    case '\\': escaped = '\\'; break;
    case '\b': escaped = 'b'; break;
    case '\f': escaped = 'f'; break;
    case '\n': escaped = 'n'; break;
    case '\r': escaped = 'r'; break;
    case '\t': escaped = 't'; break;
    default: break;
    }
    if (escaped != 0) {
      *out++ = '\\';
      *out++ = escaped;
    } else {
      const char unicode[] = {'\\', 'u', '0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
      std::memcpy(out, unicode, sizeof unicode);
      out += sizeof unicode;
    }
  }
  std::memcpy(out, text.data() + plain, text.size() - plain);
  out += text.size() - plain;
  *out++ = '"';
  return out;
}

template <std::size_t N> char *WriteLiteral(char *out, const char (&text)[N]) {
  std::memcpy(out, text, N - 1);
  return out + N - 1;
}

// Writes the file's bytes for `store` into `buffer` from its start and
// returns how many there are. The buffer only grows: its size is room, not
// content, so a buffer kept from an earlier write is reused as it is.
std::size_t WriteSampleFileBytes(std::string &buffer, const SampleStore &store) {
  constexpr char kNull[] = "null\n";
  constexpr char kOpen[] = "   {\n      \"desc\" : ";
  constexpr char kMiddle[] = ",\n      \"name\" : ";
  constexpr char kClose[] = "\n   },\n";
  constexpr std::size_t kLayout = sizeof kOpen + sizeof kMiddle + sizeof kClose + 4;
  std::size_t used = 0;
  auto room = [&](std::size_t bytes) {
    if (buffer.size() - used < bytes)
      buffer.resize(std::max(buffer.size() * 2, used + bytes));
    return buffer.data() + used;
  };
  if (store.empty()) {
    WriteLiteral(room(sizeof kNull), kNull);
    return sizeof kNull - 1;
  }
  char *out = WriteLiteral(room(2), "[\n");
  used = 2;
  for (const auto &[desc, name] : store) {
    // Every byte may become six (\u00XX).
    out = room(kLayout + 6 * (desc.size() + name.size()));
    out = WriteLiteral(out, kOpen);
    out = WriteQuoted(out, desc);
    out = WriteLiteral(out, kMiddle);
    out = WriteQuoted(out, name);
    out = WriteLiteral(out, kClose);
    used = std::size_t(out - buffer.data());
  }
  // The last object has no comma after it.
  out = room(2) - 2;
  out = WriteLiteral(out, "\n]\n");
  return std::size_t(out - buffer.data());
}

} // namespace

std::string FormatSampleFile(const SampleStore &store) {
  // One walk, into room guessed from a typical entry (a 24 x 24 glyph's
  // string, a short label and the layout).
  std::string out(store.size() * 220 + 8, '\0');
  out.resize(WriteSampleFileBytes(out, store));
  return out;
}

bool WriteSampleFile(const std::string &path, const SampleStore &store) {
  // Every add rewrites the whole file: the text is made in the buffer of
  // the previous write, which already has its size, so no fresh memory is
  // touched page by page each time.
  thread_local std::string buffer;
  const std::size_t size = WriteSampleFileBytes(buffer, store);
  const bool written = ReplaceFileContent(path, std::string_view(buffer.data(), size));
  if (buffer.size() > 2 * size + 65536)
    std::string().swap(buffer); // the library shrank a lot: give the memory back
  return written;
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
