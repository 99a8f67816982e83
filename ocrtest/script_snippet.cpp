#include "ocrtest/script_snippet.h"

#include "app/text_codec.h"
#include "ocrtest/dictionary_name.h"

#include <cstdio>
#include <vector>

namespace {

// The automation product's scripts are Windows text: CR LF and tabs, byte
// for byte as users paste them.
constexpr char kOcrTextEx[] = "local handle = createOcr(\"%s\",%d,%d)\r\n"
                              "if handle ~= 0 then\r\n"
                              "\tlocal text = ocrTextEx(handle,%d,%d,%d,%d,%d,%d,%d)\r\n"
                              "\tif text ~= nil then\r\n"
                              "\t\tprint(\"ret=>\"..text)\r\n"
                              "\tend\r\n"
                              "\treleaseOcr(handle)\r\n"
                              "end\r\n";

constexpr char kOcrTextExJ[] = "local handle = createOcr(\"%s\",%d,%d)\r\n"
                               "if handle ~= 0 then\r\n"
                               "\tlocal text = ocrTextExJ(handle,%d,%d,%d,%d,%d,%d,%d,%d)\r\n"
                               "\tif text ~= nil then\r\n"
                               "\t\tprint(\"ret=>\"..text)\r\n"
                               "\tend\r\n"
                               "\treleaseOcr(handle)\r\n"
                               "end\r\n";

template <typename... Values> std::string Format(const char *format, Values... values) {
  const int length = std::snprintf(nullptr, 0, format, values...);
  if (length <= 0)
    return {};
  std::vector<char> text(std::size_t(length) + 1);
  std::snprintf(text.data(), text.size(), format, values...);
  return std::string(text.data(), std::size_t(length));
}

} // namespace

std::string FormatScriptSnippet(const ScriptSnippetValues &v) {
  // The language is cut from the name in UTF-8, where no '.', '\' or '/' byte
  // can sit inside a character, and goes back to the system code page.
  const std::string language = Utf8ToSystem(DictionaryLanguage(SystemToUtf8(v.dictionaryPath)));
  const PixelRect &r = v.range;
  if (v.command == 0)
    return Format(kOcrTextEx, language.c_str(), v.pageSegMode, v.engineMode, r.left, r.top, r.right,
                  r.bottom, v.method, v.threshold, v.maximum);
  return Format(kOcrTextExJ, language.c_str(), v.pageSegMode, v.engineMode, r.left, r.top, r.right,
                r.bottom, v.resultLevel, v.method, v.threshold, v.maximum);
}
