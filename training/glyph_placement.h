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

// Whether the glyph's top is on the x-height line: a c e m n o r s u v w x z
// and g p q y.
bool HasXHeightTop(const std::string &label);

// Tesseract takes a line's x-height from the most common height of its
// glyphs' tops that has a taller mode above it, and only from a mode at least
// two fifths as large as the largest. A page of printable ASCII holds three
// times as many capitals and digits as x-height letters, so the x-height
// found is the cap height, and every glyph is learned scaled 1.4 times too
// small against the lines it will read. Adds copies of the samples whose top
// is on the x-height, spread through the order, until they are as many as
// the capitals and digits (at most eight copies of each sample). A library
// without x-height letters is unchanged.
void BalanceXHeightTops(std::vector<TrainGlyph> &glyphs);

// Small text: Tesseract ignores heights under 10 px when it looks for a
// line's x-height (textord_min_xheight), so under about 11 px the x-height
// letters cannot make the mode, and it takes the cap height instead. It then
// keeps the cap height as the x-height when the line has a mode of
// descenders, and takes two thirds of it ("small caps") when not. A page
// with many g p q y, commas and brackets took the first way and the others
// the second, so the glyphs of one library were learned at two scales. For
// such fonts the x-height copies only add descenders; instead, copies of the
// capitals and digits keep the descending glyphs (bottom under the baseline)
// under a tenth of them, so that every page takes the second way (measured:
// at a fifth, pages of some fonts still took the first). Lines of text go
// either way with their content; one scale for all glyphs read best. A
// library without capitals or digits, or without Latin descenders, is
// unchanged.
inline constexpr int kSmallXHeight = 11;
inline constexpr std::size_t kCapitalsPerDescender = 10;
void BalanceCapitals(std::vector<TrainGlyph> &glyphs);

// Sets every glyph's `bottom` and puts the glyphs in a fixed mixed order, so
// that every row holds glyphs of many classes and the tools find the same
// baseline and x-height on every page; then balances the x-height tops, or
// for small text the capitals.
void PlaceGlyphs(std::vector<TrainGlyph> &glyphs);
