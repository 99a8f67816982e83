#pragma once
// The pixel views of a glyph that the retry copies and the frame check
// share: ink at a cell, its 8-connected pieces of ink, and the background
// reached from outside its box.
#include <cstdint>
#include <vector>

#include "training/train_inputs.h"

// Ink at (x, y); cells outside the glyph are background.
bool HasInk(const TrainGlyph &glyph, int x, int y);

// Pieces of ink, 8-connected (or 4-connected: cells touching only at a
// corner apart): a piece number from 1 for every ink cell, 0 for
// background; `count` gets the number of pieces.
std::vector<int> InkPieces(const TrainGlyph &glyph, int &count, bool cornersJoin = true);

// 1 for background cells reached from outside the box through background,
// 4-connected; the rest of the background lies in holes.
std::vector<std::uint8_t> OutsideBackground(const TrainGlyph &glyph);
