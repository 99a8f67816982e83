#pragma once
// The training inputs of a job: every usable sample once in an 8-bit training
// image of one page per row, the box file that says where each lies and what it shows, and the
// font properties file, all in tmp/.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "samples/sample_store.h"

// Sample data string -> label, both system-code-page text, in key order: the
// sample store itself, so a job snapshots it by copy.
using SampleMap = SampleStore;

// One decoded sample: width x height cells, row after row, top row first,
// 1 = ink, 0 = background.
struct TrainGlyph {
  std::string label; // system code page
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  int bottom = 0; // its lowest row, in pixels above the baseline (below: negative)
};

// One row of the training image: indices of its glyphs in placement order, its
// height and where the cursor stood after the last glyph. Every row has the
// same height and baseline (pixels below the row's top), those of all glyphs
// together, so every page shows the same line geometry.
struct GlyphRow {
  int height = 0;
  int baseline = 0;
  int endX = 0;
  std::vector<std::size_t> glyphs;
};

inline constexpr int kMaxImageWidth = 1280;
// Left, top and bottom margin, and the gap between glyphs and between rows.
inline constexpr int kGlyphGap = 10;

// Decodes every sample in key order. A data string that does not decode is
// dropped without a word. A label the box file cannot carry (empty, holding
// white space, not decodable in the system code page, or making a line longer
// than the tools read) is dropped with a line in `log` saying which and why.
std::vector<TrainGlyph> DecodeGlyphs(const SampleMap &samples, std::string &log);

// Places the glyphs left to right in rows of at most kMaxImageWidth pixels,
// each followed by a gap; a glyph too wide for any row is left out and
// changes nothing.
std::vector<GlyphRow> LayoutRows(const std::vector<TrainGlyph> &glyphs);

// One page of the training image: one row of glyphs with a margin around it,
// as wide as the row needs. Tesseract fits one baseline and x-height to a
// page read as a line or word; rows on one page would teach every glyph a
// position and size that depend on its row, and glyphs stacked in the same
// columns of different rows would break the tools' box matching.
// pixels: 255 = white, 0 = ink; glyphs: left to right.
struct PageGlyph {
  std::string label; // system code page
  int left = 0;      // first column
  int right = 0;     // one past the last column
  int bottom = 0;    // its lowest row above the baseline, as placed
  int height = 0;
  int top = 0; // its first row on the page
};
struct TrainingPage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::vector<PageGlyph> glyphs;
};

// The pages, one per row, and the box file's text: UTF-8, one
// "label left bottom right top page" line per placed glyph, origin at the
// bottom-left corner of its page, each line ending with "\n".
struct TrainingImage {
  std::vector<TrainingPage> pages;
  std::string boxText;
};

// The page of one row: the row's end plus a margin wide, a margin above and
// below the row; 0 x 0 when it would not fit the int sizes of the image
// writer.
struct ImageSize {
  int width = 0;
  int height = 0;
};
ImageSize TrainingPageSize(const GlyphRow &row);

// Empty without rows, or when a page would not fit.
TrainingImage ComposeTrainingImage(const std::vector<TrainGlyph> &glyphs,
                                   const std::vector<GlyphRow> &rows);

// The 16 bytes "normal 0 0 0 0 0", no line end.
extern const char kFontProperties[];

// Writes `bytes` to `path` ("wb"); false when it cannot be created or written.
bool WriteWholeFile(const std::string &path, const std::string &bytes);

// Saves the pages as one multi-page TIFF at `path`; false without pages or
// when it could not be saved.
bool SaveTrainingPages(const std::string &path, const std::vector<TrainingPage> &pages);

// Steps of the job from the samples to the written inputs in tmp/:
// decode (then progress 20), sort and lay out (progress 30), compose, write
// tmp.font.exp0.box, font_properties and tmp.font.exp0.tif, one page per row
// (progress 60 after the image, saved or not). Returns 0, or the job's result
// code: 1 no glyph placed, 7 box file not written, 2 image not saved.
// `pages`, when given, receives the composed pages.
int PrepareTrainingInputs(const SampleMap &samples, std::string &log,
                          const std::function<void(int)> &progress,
                          std::vector<TrainingPage> *pages = nullptr);
