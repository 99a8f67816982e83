#include "samples/sample_file.h"

#include "app/styled_json.h"

#include "app/file_text.h"
#include "samples/safe_file.h"

#include <exception>
#include <json/reader.h>
#include <json/value.h>
#include <optional>
#include <sys/stat.h>

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

std::string FormatSampleFile(const SampleStore &store) {
  if (store.empty())
    return "null\n";
  size_t size = 4;
  for (const auto &[desc, name] : store)
    size += desc.size() + name.size() + 48;
  std::string out;
  out.reserve(size);
  out += "[\n";
  size_t left = store.size();
  for (const auto &[desc, name] : store) {
    out += "   {\n      \"desc\" : ";
    AppendJsonQuoted(out, desc);
    out += ",\n      \"name\" : ";
    AppendJsonQuoted(out, name);
    out += --left > 0 ? "\n   },\n" : "\n   }\n";
  }
  out += "]\n";
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
