#include "engine/handle_table.h"

#include <atomic>

namespace morvexa {

std::intptr_t nextHandleNumber() {
  static std::atomic<std::intptr_t> counter{0};
  return ++counter;
}

} // namespace morvexa
