#pragma once
// Levenshtein distance between two strings of any character type: the
// errors of a reading against its truth.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace training_test {

template <typename Char>
std::size_t EditDistance(const std::basic_string<Char> &a, const std::basic_string<Char> &b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

} // namespace training_test
