#pragma once
// Where each glyph sits on the line. A sample holds only a glyph's ink, so
// the job decides its height above the baseline from what the label says it
// is: the font's x-height, cap height and descender depth are estimated from
// the labelled samples, and every glyph is set on one common baseline by the
// class of its character. The same placement gives each character's vertical
// range in the model's character set.
#include <cstddef>
#include <string>
#include <vector>

#include "training/train_inputs.h"

// How a class of characters sits on the line.
enum class GlyphSeat {
  OnBaseline,    // bottom on the baseline: capitals, digits, x-height letters
  TopAtCap,      // top on the cap line, a tail may hang below: Q J
  TopAtXHeight,  // top on the x-height, hanging below: g p q y
  Descending,    // bottom at the descender depth: j
  HangFromCap,   // top on the cap line: ' " ` ^ *
  DotOnBaseline, // . :
  TailBelow,     // , ; top where the dot of . or : would be
  XHeightMiddle, // centred on half the x-height: - + = ~ < >
  BracketMiddle, // centred between the descender and the cap line
  BelowBaseline, // _
  EmCentre,      // CJK: centred in an em box
  CapMiddle,     // anything else: centred on half the cap height
};

// The seat of a label (system code page). Labels of more than one character
// not in the table take the default.
GlyphSeat SeatOf(const std::string &label);

// Pixels. Estimated from the samples; a missing class is derived from the others.
struct FontMetrics {
  int xHeight = 0;
  int capHeight = 0;
  int descender = 0;
  int dotHeight = 0;   // of '.', for the comma
  int colonHeight = 0; // of ':', for the semicolon
};
FontMetrics EstimateFontMetrics(const std::vector<TrainGlyph> &glyphs);

// The row of the glyph's lowest ink above the baseline (negative below).
int GlyphBottom(const TrainGlyph &glyph, const FontMetrics &metrics);

// Sets every glyph's `bottom` and puts the glyphs in a fixed mixed order, so
// that every row holds glyphs of many classes and the tools find the same
// baseline and x-height on every page.
void PlaceGlyphs(std::vector<TrainGlyph> &glyphs);
