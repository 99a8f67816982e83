#include "training/unicharset_ranges.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "app/text_codec.h"
#include "training/train_inputs.h"

namespace {

// The engine scales a line so that its x-height is 128 units tall and puts
// the baseline at 64: the x-height line is at 192, capitals reach past 240.
constexpr int kBaseline = 64;
constexpr int kXHeightUnits = 128;

// Pixels above the baseline -> the engine's units, rounded outward.
int Scaled(int pixels, int xHeight, bool up) {
  const double value = kBaseline + double(pixels) * kXHeightUnits / double(xHeight);
  const int rounded = int(up ? std::ceil(value) : std::floor(value));
  return std::clamp(rounded, 0, 255);
}

bool Measured(GlyphSeat seat) {
  return seat != GlyphSeat::EmCentre && seat != GlyphSeat::CapMiddle;
}

} // namespace

std::map<std::string, VerticalRange> VerticalRanges(const std::vector<TrainGlyph> &placed) {
  const FontMetrics metrics = EstimateFontMetrics(placed);
  std::map<std::string, VerticalRange> ranges;
  std::map<std::string, bool> seen;
  for (const TrainGlyph &glyph : placed) {
    if (!Measured(SeatOf(glyph.label)))
      continue;
    const std::string key = SystemToUtf8(glyph.label);
    const int top = glyph.bottom + glyph.height;
    // One pixel of tolerance either way.
    VerticalRange range{Scaled(glyph.bottom - 1, metrics.xHeight, false),
                        Scaled(glyph.bottom + 1, metrics.xHeight, true),
                        Scaled(top - 1, metrics.xHeight, false),
                        Scaled(top + 1, metrics.xHeight, true)};
    auto [it, fresh] = seen.emplace(key, true);
    if (fresh) {
      ranges[key] = range;
      continue;
    }
    VerticalRange &known = ranges[key];
    known.minBottom = std::min(known.minBottom, range.minBottom);
    known.maxBottom = std::max(known.maxBottom, range.maxBottom);
    known.minTop = std::min(known.minTop, range.minTop);
    known.maxTop = std::max(known.maxTop, range.maxTop);
  }
  return ranges;
}

std::map<std::string, VerticalRange> VerticalRanges(const std::vector<TrainingPage> &pages) {
  std::vector<TrainGlyph> placed;
  for (const TrainingPage &page : pages)
    for (const PageGlyph &glyph : page.glyphs) {
      TrainGlyph shape;
      shape.label = glyph.label;
      shape.width = glyph.right - glyph.left;
      shape.height = glyph.height;
      shape.bottom = glyph.bottom;
      placed.push_back(std::move(shape));
    }
  return VerticalRanges(placed);
}

std::string WithVerticalRanges(const std::string &unicharset,
                               const std::map<std::string, VerticalRange> &ranges) {
  std::string result;
  result.reserve(unicharset.size());
  std::size_t start = 0;
  bool first = true;
  while (start < unicharset.size()) {
    std::size_t end = unicharset.find('\n', start);
    end = end == std::string::npos ? unicharset.size() : end + 1;
    std::string line = unicharset.substr(start, end - start);
    start = end;
    // The first line is the count.
    if (std::exchange(first, false)) {
      result += line;
      continue;
    }
    // "<char> <properties hex> <min_bottom>,<max_bottom>,<min_top>,<max_top>,..."
    const std::size_t charEnd = line.find(' ');
    const std::size_t propsEnd =
        charEnd == std::string::npos ? std::string::npos : line.find(' ', charEnd + 1);
    const auto range =
        charEnd == std::string::npos ? ranges.end() : ranges.find(line.substr(0, charEnd));
    if (range == ranges.end() || propsEnd == std::string::npos) {
      result += line;
      continue;
    }
    std::size_t field = propsEnd + 1;
    std::size_t comma = field;
    for (int i = 0; i < 4 && comma != std::string::npos; ++i)
      comma = line.find(',', comma + (i ? 1 : 0));
    const std::size_t fieldEnd = line.find_first_of(" \n", field);
    if (comma == std::string::npos || (fieldEnd != std::string::npos && comma > fieldEnd)) {
      result += line;
      continue;
    }
    const VerticalRange &r = range->second;
    result += line.substr(0, field) + std::to_string(r.minBottom) + ',' +
              std::to_string(r.maxBottom) + ',' + std::to_string(r.minTop) + ',' +
              std::to_string(r.maxTop) + line.substr(comma);
  }
  return result;
}

bool WriteVerticalRanges(const std::string &path,
                         const std::map<std::string, VerticalRange> &ranges) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad())
    return false;
  const std::string next = path + ".ranges";
  if (!WriteWholeFile(next, WithVerticalRanges(text.str(), ranges))) {
    std::remove(next.c_str());
    return false;
  }
  return std::rename(next.c_str(), path.c_str()) == 0;
}
