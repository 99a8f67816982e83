#pragma once
// Tesseract drops an outline it takes for a box drawn around something: one
// that fills nearly all of its bounding box (edges_boxarea, 0.875) and holds
// an outline that fills less than half of its own box (edges_childarea,
// 0.5). Chinese characters whose frame holds strokes of their own (国 四 图
// 因 团) are such outlines, and the legacy engine then reads them as 口. A
// model whose glyphs include such frames carries, in its config component, a
// threshold well under the sparsest part its own glyphs hold (and a higher
// limit on pieces, below), so Tesseract keeps them; the settings travel with
// the .traineddata file.
#include <optional>
#include <string>
#include <vector>

#include "training/train_inputs.h"

// A frame that holds many pieces is dropped as well: each outline inside
// counts one and ten times what it holds itself, and past 45
// (edges_children_count_limit) the engine takes the whole for a picture.
// 图 holds five pieces in its frame's hole.
struct FrameSettings {
  double childArea = 0.5; // edges_childarea
  int childrenLimit = 45; // edges_children_count_limit
};

// The settings under which the engine keeps the glyph whole, when its own
// would drop it (or nearly: the same glyph drawn a fraction of a pixel
// further may come out sparser); nothing when the engine keeps it as it is.
std::optional<FrameSettings> SettingsToKeep(const TrainGlyph &glyph);

struct KeptFrames {
  FrameSettings settings;          // what the model carries
  std::vector<std::string> labels; // the glyphs that need it, each once
};

// Over all glyphs; nothing when none needs another setting.
std::optional<KeptFrames> FramesToKeep(const std::vector<TrainGlyph> &glyphs);

// The config component's text: only the settings that differ from the
// engine's.
std::string KeptFramesConfig(const KeptFrames &frames);

// The line for the job log (UTF-8).
std::string KeptFramesLine(const KeptFrames &frames);
