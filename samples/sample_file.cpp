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

} // namespace

SampleParseResult ParseSampleText(std::string_view text, SampleStore &store) {
  SampleParseResult result;
  try {
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
      if (!desc || !name) {
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
