#pragma once
// The vertical range of each character in the model's character set. The
// tools leave every range open (0 to 255), which turns off the classifier's
// case and x-height checks; the job writes the ranges its placement taught,
// in the units the engine normalises to: baseline at 64, the x-height
// 128 units above it.
#include <map>
#include <string>
#include <vector>

#include "training/glyph_placement.h"
#include "training/train_inputs.h"

struct VerticalRange {
  int minBottom = 0;
  int maxBottom = 255;
  int minTop = 0;
  int maxTop = 255;
};

// UTF-8 label -> its range, over all its samples, with one pixel of
// tolerance. Characters whose height on a line the placement only guesses
// (CJK, unknown classes) keep the open range and are not in the map.
std::map<std::string, VerticalRange> VerticalRanges(const std::vector<TrainGlyph> &placed);
// The same from the glyphs of the composed pages.
std::map<std::string, VerticalRange> VerticalRanges(const std::vector<TrainingPage> &pages);

// The character set text with the ranges written into each listed
// character's line; other lines, and lines it cannot read, stay as they are.
std::string WithVerticalRanges(const std::string &unicharset,
                               const std::map<std::string, VerticalRange> &ranges);

// Rewrites the file in place (through a new file and a rename); false when
// it could not be read or written, and then the file is unchanged.
bool WriteVerticalRanges(const std::string &path,
                         const std::map<std::string, VerticalRange> &ranges);
