#include "workbench/workbench_settings.h"

#include "app/settings_store.h"
#include "workbench/combo_contents.h"

#include <algorithm>
#include <climits>

namespace {

int InRangeOr(int value, int low, int high, int fallback) {
  return value < low || value > high ? fallback : value;
}

} // namespace

WorkbenchSettings ReadWorkbenchSettings(SettingsStore &store) {
  WorkbenchSettings s;
  s.rows = std::max(store.GetSettingInt("split_row", 1), 1);
  s.columns = std::max(store.GetSettingInt("split_col", 1), 1);
  // Only the eight listed methods mean anything; anything else is treated like
  // the other lists treat a stray value, as the default.
  s.method = InRangeOr(store.GetSettingInt("binary_type", kDefaultMethod), 0,
                       static_cast<int>(kThresholdTypes.size()) - 1, kDefaultMethod);
  store.GetSetting("sample_path", s.samplePath);
  store.GetSetting("dict_path", s.dataPath);
  s.threshold = InRangeOr(store.GetSettingInt("thpos", 150), 0, 255, 150);
  s.maximum = InRangeOr(store.GetSettingInt("thmax", 255), 0, 255, 255);
  // An absent "psm" gives 6, a stray one 3: both are what users of earlier
  // versions have seen.
  s.testPsm = InRangeOr(store.GetSettingInt("psm", 6), 0, 12, 3);
  s.trainPsm = InRangeOr(store.GetSettingInt("train_psm", 8), 0, 12, 8);
  s.splitType = InRangeOr(store.GetSettingInt("splittype", 3), 0, 4, 3);
  s.ocrCommand = store.GetSettingInt("ocrcmd", 0);
  s.engine = InRangeOr(store.GetSettingInt("engine", 3), 0, 3, 3);
  return s;
}

void WriteWorkbenchSettings(SettingsStore &store, const WorkbenchSettings &s) {
  if (!s.samplePath.empty())
    store.SetSetting("sample_path", s.samplePath);
  if (!s.dataPath.empty())
    store.SetSetting("dict_path", s.dataPath);
  store.SetSettingInt("split_row", s.rows);
  store.SetSettingInt("split_col", s.columns);
  store.SetSettingInt("binary_type", s.method);
  store.SetSettingInt("psm", s.testPsm);
  store.SetSettingInt("train_psm", s.trainPsm);
  store.SetSettingInt("thpos", s.threshold);
  store.SetSettingInt("thmax", s.maximum);
  store.SetSettingInt("splittype", s.splitType);
  store.SetSettingInt("ocrcmd", s.ocrCommand);
  store.SetSettingInt("engine", s.engine);
}
