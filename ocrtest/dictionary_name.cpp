#include "ocrtest/dictionary_name.h"

std::string DictionaryFileName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DictionaryLanguage(std::string_view path) {
  std::string name = DictionaryFileName(path);
  const std::size_t dot = name.find('.');
  if (dot != std::string::npos && dot != 0)
    name.resize(dot);
  return name;
}
