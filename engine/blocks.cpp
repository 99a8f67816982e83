#include "engine/blocks.h"

#include "engine/morvexa.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace morvexa {

std::optional<std::size_t> maskBytes(int width, int height) {
  if (width <= 0 || height <= 0)
    return std::nullopt;
  const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height);
  if (bytes > std::numeric_limits<std::size_t>::max() / 4) // room for int rows and labels
    return std::nullopt;
  return std::size_t(bytes);
}

void *allocateBlock(std::size_t bytes) {
  return std::malloc(bytes == 0 ? 1 : bytes);
}

char *copyText(std::string_view text) {
  char *block = static_cast<char *>(allocateBlock(text.size() + 1));
  if (block == nullptr)
    return nullptr;
  std::memcpy(block, text.data(), text.size());
  block[text.size()] = '\0';
  return block;
}

} // namespace morvexa

extern "C" void ocFree(void *pointerAddress) {
  if (pointerAddress == nullptr)
    return;
  // The variable may be an unsigned char *, int * or char *; copy its value
  // bytewise rather than reading it through a void * lvalue.
  void *block = nullptr;
  std::memcpy(&block, pointerAddress, sizeof block);
  std::free(block);
  block = nullptr;
  std::memcpy(pointerAddress, &block, sizeof block);
}
