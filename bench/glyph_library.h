#pragma once
// A library as the sample benchmarks use it: random 24 x 24 glyphs, about
// 40 % of their pixels set, labelled with two-byte characters of the system
// code page, as a Chinese library would be.
#include "samples/sample_store.h"
#include "workspace/dot_matrix.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

inline constexpr int kGlyphSize = 24;

inline SampleStore GlyphLibrary(int count, unsigned seed = 7) {
  SampleStore store;
  std::mt19937 random(seed);
  std::vector<std::uint8_t> mask(kGlyphSize * kGlyphSize);
  const PixelRect glyph{0, 0, kGlyphSize - 1, kGlyphSize - 1};
  while (static_cast<int>(store.size()) < count) {
    for (std::uint8_t &pixel : mask)
      pixel = random() % 10 < 4;
    std::string label = {static_cast<char>(0xB0 + random() % 0x40),
                         static_cast<char>(0xA1 + random() % 0x5E)};
    store.insert_or_assign(EncodeDotMatrix(glyph, mask.data(), kGlyphSize, kGlyphSize),
                           std::move(label));
  }
  return store;
}
