// Puts arbitrary bytes into the settings file and lets the store read it, as
// start-up does with whatever runeforge.cfg holds. Then a setting is saved,
// which rewrites the file, and a fresh store must read back every value the
// first one had: nothing read may be lost or changed by our writer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <json/reader.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "app/settings_store.h"

namespace {

std::string g_directory;
std::string g_file;

void RemoveFiles() {
  std::remove(g_file.c_str());
  ::rmdir(g_directory.c_str());
}

void Check(bool condition) {
  if (!condition)
    std::abort();
}

// The member names of the document, as far as jsoncpp reads it: the keys the
// store can hold. Nothing for a document that is no object.
std::vector<std::string> MemberNames(const std::string &text) {
  try {
    Json::Value root;
    Json::Reader reader;
    if (reader.parse(text, root, false) && root.isObject())
      return root.getMemberNames();
  } catch (const std::exception &) {
  }
  return {};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  const char *tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/glyphwright-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  g_directory = pattern;
  g_file = g_directory + "/runeforge.cfg";
  std::atexit(RemoveFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FILE *file = std::fopen(g_file.c_str(), "wb");
  Check(file != nullptr);
  Check(std::fwrite(data, 1, size, file) == size);
  std::fclose(file);

  SettingsStore first(g_file);
  // The store reads the file up to its first zero byte.
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  const std::string text(bytes.substr(0, bytes.find('\0')));
  const std::vector<std::string> names = MemberNames(text);
  std::vector<std::pair<int, std::string>> values;
  for (const std::string &name : names) {
    std::string value;
    const int found = first.GetSetting(name, value);
    values.emplace_back(found, value);
  }
  first.GetSettingInt("threshold", 128);

  const std::string marker = "\xD7\xD6\x01\"\\ value";
  first.SetSetting("glyphwright.fuzz", marker);

  SettingsStore second(g_file);
  std::string value;
  Check(second.GetSetting("glyphwright.fuzz", value) == 0 && value == marker);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == "glyphwright.fuzz")
      continue;
    std::string reread;
    const int found = second.GetSetting(names[i], reread);
    Check(found == values[i].first);
    Check(found != 0 || reread == values[i].second);
  }
  return 0;
}
