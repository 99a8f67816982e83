#pragma once
// One binarization of the workspace: the engine thresholds its copy of the
// image and the display buffer shows the result, white (255, 255, 255) where
// the threshold lets a pixel pass inside the source rectangle (0, 0,
// sourceWidth, sourceHeight), black everywhere else. This runs on every
// slider tick, so on a 32-bit display the engine writes the pixels itself in
// one pass; other displays go through the engine's mask.
#include <cstdint>

#include "engine/morvexa.h"
#include "workspace/image_buffer.h"

// False, changing nothing, when the engine refuses the arguments (see
// thresoldImage) or the display holds no colour pixels. The fourth byte of a
// 32-bit display pixel ends up 0, as a new display has it.
bool BinarizeIntoDisplay(ImageBuffer &display, MatHandle mat, int type, int threshold, int maximum,
                         std::int32_t sourceWidth, std::int32_t sourceHeight);
