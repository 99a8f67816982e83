#include "engine/c_locale.h"

namespace morvexa {
namespace {

// Made once and never freed: every thread may be using it.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  return locale;
}

} // namespace

ScopedCLocale::ScopedCLocale() {
  if (const locale_t c = cLocale())
    previous_ = uselocale(c);
}

ScopedCLocale::~ScopedCLocale() {
  if (previous_ != nullptr)
    uselocale(previous_);
}

} // namespace morvexa
