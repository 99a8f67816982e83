#pragma once
// The key/value settings map mirrored in runeforge.cfg. Filled from the file
// on a read while empty; the whole file is rewritten on every set.
// Keys are ASCII, values system-code-page text.
#include <map>
#include <mutex>
#include <string>

class SettingsStore {
public:
  explicit SettingsStore(std::string settingsFile);

  // 0 and the stored text in `value` when found; -1 and `value` untouched when absent.
  int GetSetting(const std::string &key, std::string &value);
  // atoi of the stored text, or `defaultValue` when absent.
  int GetSettingInt(const std::string &key, int defaultValue);
  void SetSetting(const std::string &key, const std::string &value);
  void SetSettingInt(const std::string &key, int value);

  const std::string &SettingsFile() const { return settingsFile_; }

private:
  int LoadSettingsFile();  // lock held
  void SaveSettingsFile(); // lock held

  const std::string settingsFile_;
  std::mutex lock_;
  std::map<std::string, std::string> entries_; // std::string compares bytes as unsigned
};

// The process-wide store, bound to the settings file beside the executable by
// start-up. Calling it before start-up is a programming error (it aborts).
void InitSettingsStore(const std::string &settingsFile);
SettingsStore &Settings();
