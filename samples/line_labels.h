#pragma once
// The text a user types for a whole line of boxes, cut into one label per
// box: one character each, in the order typed.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One label per character of `text` (UTF-16). White space of any kind is
// left out (the ideographic space a Chinese input method types included), so
// the user may separate words as they appear. A character outside the basic
// plane stays whole, and combining marks and variation selectors stay with
// the character before them: each label is what the user sees as one
// character.
std::vector<std::u16string> SplitLineLabels(std::u16string_view text);

// How typed labels and boxes pair up: label i goes to box i, as far as both
// go.
struct LinePairing {
  std::size_t labels = 0;
  std::size_t boxes = 0;
  std::size_t pairs() const { return labels < boxes ? labels : boxes; }
  bool matches() const { return labels == boxes; }
};
