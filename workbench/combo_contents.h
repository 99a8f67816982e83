#pragma once
// What the main window's eight drop-down lists hold, index by index. The index
// is what the program works with and what the settings store.
#include <array>
#include <string>
#include <vector>

// The items of drop-down list `comboId` in index order (UTF-8); empty for an
// ID that is not a drop-down list.
std::vector<std::string> ComboItems(int comboId);

// Threshold type handed to binarization for each entry of the method list.
inline constexpr std::array<int, 8> kThresholdTypes{0, 1, 2, 3, 4, 7, 8, 16};
inline constexpr int kDefaultMethod = 6; // THRESH_OTSU

// The threshold type of a method index; an index outside the list gives the
// default method's type, so no stored value can reach past the table.
int ThresholdTypeForMethod(int method);
