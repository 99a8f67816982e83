// Tesseract reads its data files with the C numeric conventions. Switching
// the calling thread's locale (uselocale) instead of the process's
// (setlocale) leaves the other threads of the program alone.
#pragma once

#include <clocale>
#include <locale.h>

namespace morvexa {

class ScopedCLocale {
public:
  ScopedCLocale();
  ~ScopedCLocale();
  ScopedCLocale(const ScopedCLocale &) = delete;
  ScopedCLocale &operator=(const ScopedCLocale &) = delete;

private:
  locale_t previous_ = nullptr;
};

} // namespace morvexa
