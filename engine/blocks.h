// Blocks returned through the C interface: malloc'd, so that ocFree can
// release every one of them the same way, and sized with overflow checks.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace morvexa {

// width * height for a mask; nothing for sizes of 0 or less or a product
// that does not fit.
std::optional<std::size_t> maskBytes(int width, int height);

// A block of at least one byte, so an empty result is still a block; NULL
// when memory runs out.
void *allocateBlock(std::size_t bytes);

// A NUL-terminated malloc'd copy of text; NULL when memory runs out.
char *copyText(std::string_view text);

} // namespace morvexa
