#pragma once
// Copies of a glyph whose box tesseract box.train could not match to its ink.
// At small sizes a glyph whose pieces lie one pixel apart (the inner part of
// 国 in its frame's hole) is not taken for the one blob its box covers; a
// copy one pixel wider joins the pieces, and a copy one pixel narrower parts
// strokes that run into each other.
#include <optional>

#include "training/train_inputs.h"

// The glyph as it was placed on its page, cut out again: label, bottom and
// ink.
TrainGlyph CutOutGlyph(const TrainingPage &page, const PageGlyph &glyph);

// A glyph whose outline encloses nearly its whole box (国 回 四) is taken
// by the tools for a frame drawn around something, and dropped when what it
// holds is not box-shaped itself. The copy has the frame cut open by one
// column of pixels through its bottom (or top) edge, as near the middle as
// the edge allows, so the tools keep the glyph. Nothing when the glyph is
// no such frame.
std::optional<TrainGlyph> OpenedGlyph(const TrainGlyph &glyph);

// One pixel wider: each ink pixel also inks the pixel to its right.
TrainGlyph ThickenedGlyph(const TrainGlyph &glyph);

// Strokes one pixel narrower: an ink pixel stays where the pixel to its right
// is ink too; the copy is cropped to its ink. Nothing when the glyph's strokes
// are mostly one pixel wide, or when thinning would empty it, erase one of its
// pieces or break one in two.
std::optional<TrainGlyph> ThinnedGlyph(const TrainGlyph &glyph);
