#pragma once
// The script snippet of the test area: the same recognition as a few lines of
// the automation product's Lua, for the user to copy.
#include <string>

#include "workspace/pixel_rect.h"

struct ScriptSnippetValues {
  // From list 1027 now: 0 gives ocrTextEx, anything else ocrTextExJ.
  int command = 0;
  // From the last test.
  std::string dictionaryPath; // system code page
  int pageSegMode = 0;
  int engineMode = 0;
  int resultLevel = 0;
  // From the window now.
  PixelRect range; // the test range; all zero for the whole workspace
  int method = 0;  // position in the binarization method list, not the threshold type
  int threshold = 0;
  int maximum = 0;
};

// The snippet in the system code page: every line ends with CR LF, the last
// one too, and is indented with tabs.
std::string FormatScriptSnippet(const ScriptSnippetValues &values);
