#pragma once
// Settings of the legacy classifier that a model learned from one sample per
// glyph carries in its config component, so they travel with the
// .traineddata file to every program that reads it.
//
// The classifier matches a glyph's shape scaled to a standard size, then
// weighs in where the glyph sits and how wide it is against its class's
// sample. Tesseract's defaults suit many samples per class from many fonts.
// With one sample, on antialiased screen text (a glyph on a line is drawn at
// another fraction of a pixel than its sample), size-only pairs (c C, 0 O)
// and small marks (. ' ,) differ mostly in where they sit, so:
// - the position match falls off linearly, half at 8, instead of staying
//   flat and then dropping away (squared, half at 32), where a glyph a pixel
//   off its sample counted as far off as another class;
// - the class pruner, which keeps only the classes whose coarse shape votes
//   come near the best, weighs the position twice as much, so that a period
//   on the baseline is no longer pruned for an apostrophe before the matcher
//   can see where it sits.
// Measured on held-out lines of twenty Latin sets (16 to 40 px, six faces)
// and six Chinese ones: mean CER .079 -> .073 and .008 -> .005; text drawn
// one bit a pixel reads the same.
#include <string>

// The config component's lines ("name value\n").
std::string ClassifierSettingsConfig();
