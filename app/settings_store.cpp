#include "app/settings_store.h"

#include "app/file_text.h"
#include "app/styled_json.h"
#include "platform/file_replace.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <json/reader.h>
#include <memory>

namespace {

std::string Format(const char *format, auto value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// The text a member's value is kept as, or false when the member is skipped.
bool MemberText(const Json::Value &value, std::string &text) {
  switch (value.type()) {
  case Json::stringValue: {
    const char *begin = nullptr;
    const char *end = nullptr;
    value.getString(&begin, &end);
    text.assign(begin ? begin : "", begin ? end - begin : 0);
    return true;
  }
  case Json::intValue:
    if (!value.isInt())
      return false; // a 64-bit integer fits no setting
    text = Format("%d", value.asInt());
    return true;
  case Json::realValue:
    text = Format("%f", static_cast<double>(static_cast<float>(value.asDouble())));
    return true;
  case Json::booleanValue:
    text = value.asBool() ? "1" : "0";
    return true;
  case Json::arrayValue:
    text.clear();
    for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
      if (i > 0)
        text += ',';
      // Elements that are not strings add nothing of their own; asString()
      // would throw on an object.
      if (value[i].isString())
        text += value[i].asString();
    }
    return true;
  default: // unsigned above the signed range, null, object
    return false;
  }
}

} // namespace

SettingsStore::SettingsStore(std::string settingsFile) : settingsFile_(std::move(settingsFile)) {}

int SettingsStore::GetSetting(const std::string &key, std::string &value) {
  std::lock_guard<std::mutex> guard(lock_);
  if (entries_.empty())
    LoadSettingsFile(); // a missing file is looked for again on the next read
  auto found = entries_.find(key);
  if (found == entries_.end())
    return -1;
  value = found->second;
  return 0;
}

int SettingsStore::GetSettingInt(const std::string &key, int defaultValue) {
  std::string text;
  if (GetSetting(key, text) != 0)
    return defaultValue;
  return std::atoi(text.c_str());
}

void SettingsStore::SetSetting(const std::string &key, const std::string &value) {
  std::lock_guard<std::mutex> guard(lock_);
  entries_[key] = value;
  SaveSettingsFile();
}

void SettingsStore::SetSettingInt(const std::string &key, int value) {
  SetSetting(key, Format("%d", value));
}

int SettingsStore::LoadSettingsFile() {
  const std::string text = ReadFileText(settingsFile_);
  if (text.empty())
    return static_cast<int>(entries_.size());
  Json::Value root;
  Json::Reader reader;
  // Only an object holds settings; any other document is ignored as unparsable.
  // jsoncpp throws on nesting deeper than its limit: unparsable too, not a
  // reason to stop the program at every start.
  try {
    if (!reader.parse(text, root, false) || !root.isObject())
      return static_cast<int>(entries_.size());
  } catch (const std::exception &) {
    return static_cast<int>(entries_.size());
  }
  for (const std::string &name : root.getMemberNames()) {
    std::string value;
    if (MemberText(root[name], value))
      entries_.emplace(name, value); // an existing entry is kept
  }
  return static_cast<int>(entries_.size());
}

void SettingsStore::SaveSettingsFile() {
  Json::Value root(Json::objectValue);
  for (const auto &[key, value] : entries_)
    root[key] = value;
  // Written beside and renamed over the old file, never truncated in place:
  // the window writes every key as it closes, and a crash then must leave
  // the old settings, not an empty file. Anything but a regular file (a FIFO
  // would block the open for good) is left alone. A failure stays silent.
  ReplaceFileContent(settingsFile_, WriteStyledJson(root));
}

namespace {
std::unique_ptr<SettingsStore> &ProcessStore() {
  static std::unique_ptr<SettingsStore> store;
  return store;
}
} // namespace

void InitSettingsStore(const std::string &settingsFile) {
  ProcessStore() = std::make_unique<SettingsStore>(settingsFile);
}

SettingsStore &Settings() {
  if (!ProcessStore()) {
    std::fputs("glyphwright: settings used before start-up\n", stderr);
    std::abort();
  }
  return *ProcessStore();
}
