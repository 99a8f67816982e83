// Helpers shared by the engine tests: RGBX images, owned result blocks and the
// rendered text line the OCR tests read.
#pragma once

#include "engine/morvexa.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace engine_test {

// Releases a returned block through ocFree, as the program does.
template <typename T> struct Block {
  T *p = nullptr;
  Block() = default;
  explicit Block(T *block) : p(block) {}
  Block(const Block &) = delete;
  Block &operator=(const Block &) = delete;
  ~Block() { ocFree(&p); }
};

struct Rgb {
  unsigned char r, g, b;
};

// A width x height image of 4-byte pixels R, G, B, X; bytesPerRow may add
// padding, which is filled with garbage so a reader that strays into it shows.
struct RgbxImage {
  int width, height, bytesPerRow;
  std::vector<unsigned char> bytes;
  RgbxImage(int w, int h, int padding = 0)
      : width(w), height(h), bytesPerRow(w * 4 + padding),
        bytes(std::size_t(bytesPerRow) * h, 0xA5) {}
  void set(int x, int y, Rgb c) {
    unsigned char *p = &bytes[std::size_t(y) * bytesPerRow + std::size_t(x) * 4];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = 0x5A; // the fourth byte has no meaning
  }
  MatHandle mat() { return newMat(bytes.data(), width, height, bytesPerRow, 4); }
};

// Where the build lays out Debian's language data.
inline std::string tessdataDir() {
  return GLYPHWRIGHT_TESSDATA_DIR;
}

// A line of black text on white, drawn large with OpenCV's Hershey font, as
// a mask (0 = black, 255 = white).
struct TextLine {
  int width = 0, height = 0;
  int inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0; // bounding box of the text, inclusive
  std::vector<unsigned char> mask;
};
TextLine renderTextLine(const std::string &text);

// A rectangle of findRect: left, top, right, bottom (inclusive).
using Rect = std::array<int, 4>;

// A mask drawn as text: '#' = white (255), '.' = black, a digit that byte.
struct Mask {
  int width = 0, height = 0;
  std::vector<unsigned char> bytes;
  Mask(std::initializer_list<std::string> rows) {
    height = int(rows.size());
    width = int(rows.begin()->size());
    for (const std::string &row : rows)
      for (char c : row)
        bytes.push_back(c == '.' ? 0 : c == '#' ? 255 : static_cast<unsigned char>(c - '0'));
  }
};

} // namespace engine_test
