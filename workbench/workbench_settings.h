#pragma once
// The main window's settings as one value: read and made usable when the
// window opens, written back key by key when it closes.
#include <string>
#include <string_view>

#include "app/leading_number.h" // the edits hold numbers as typed

class SettingsStore;

struct WorkbenchSettings {
  int rows = 1;           // "split_row"
  int columns = 1;        // "split_col"
  int method = 6;         // "binary_type", index into the threshold type table
  std::string samplePath; // "sample_path", system code page; empty = not chosen
  std::string dataPath;   // "dict_path", system code page; empty = not chosen
  int threshold = 150;    // "thpos"
  int maximum = 255;      // "thmax"
  int testPsm = 6;        // "psm"
  int trainPsm = 8;       // "train_psm"
  int splitType = 3;      // "splittype", RIL_WORD
  int ocrCommand = 0;     // "ocrcmd"; -1 = no selection
  int engine = 3;         // "engine", OEM_DEFAULT
};

// Every key with its default when absent, and stored values brought into the
// range their control accepts. "ocrcmd" is passed through unchecked: its list
// then shows no selection, and -1 is written back.
WorkbenchSettings ReadWorkbenchSettings(SettingsStore &store);

// Writes every key in a fixed order, one store write each. Empty paths are not
// written, so a path chosen in an earlier session survives.
void WriteWorkbenchSettings(SettingsStore &store, const WorkbenchSettings &settings);

