#include "training/glyph_placement.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <string_view>

namespace {

// The class of each character and how it sits. Capitals and digits fix the
// cap height, the x-height letters the x-height, g p q y the descender.
struct SeatRule {
  std::string_view members;
  GlyphSeat seat;
};
constexpr std::string_view kCapitals = "ABCDEFGHIKLMNOPRSTUVWXYZ0123456789";
constexpr std::string_view kXHeightLetters = "acemnorsuvwxz";
constexpr std::string_view kHangingLetters = "gpqy";
constexpr SeatRule kSeatRules[] = {
    {"ABCDEFGHIKLMNOPRSTUVWXYZ0123456789", GlyphSeat::OnBaseline},
    {"QJ", GlyphSeat::TopAtCap},
    {"abcdefhiklmnorstuvwxz", GlyphSeat::OnBaseline},
    {"!?#%&", GlyphSeat::OnBaseline},
    {"gpqy", GlyphSeat::TopAtXHeight},
    {"j", GlyphSeat::Descending},
    {"'\"`^*", GlyphSeat::HangFromCap},
    {".:", GlyphSeat::DotOnBaseline},
    {",;", GlyphSeat::TailBelow},
    {"-+=~<>", GlyphSeat::XHeightMiddle},
    {"()[]{}|/\\", GlyphSeat::BracketMiddle},
    {"_", GlyphSeat::BelowBaseline},
};

int Median(std::vector<int> values) {
  if (values.empty())
    return 0;
  auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

bool IsCjkLabel(const std::string &label) {
  // A lead byte of a double-byte GB18030 character starting a label of one
  // such character; all CJK text sits in an em box the same way.
  return label.size() == 2 && std::uint8_t(label[0]) >= 0x81 && std::uint8_t(label[1]) >= 0x40;
}

} // namespace

GlyphSeat SeatOf(const std::string &label) {
  if (label.size() == 1)
    for (const SeatRule &rule : kSeatRules)
      if (rule.members.find(label[0]) != std::string_view::npos)
        return rule.seat;
  if (IsCjkLabel(label))
    return GlyphSeat::EmCentre;
  return GlyphSeat::CapMiddle;
}

FontMetrics EstimateFontMetrics(const std::vector<TrainGlyph> &glyphs) {
  std::vector<int> caps, xs, hanging, dots, colons, all, cjk;
  for (const TrainGlyph &glyph : glyphs) {
    all.push_back(glyph.height);
    if (IsCjkLabel(glyph.label))
      cjk.push_back(glyph.height);
    if (glyph.label.size() != 1)
      continue;
    const char c = glyph.label[0];
    if (kCapitals.find(c) != std::string_view::npos)
      caps.push_back(glyph.height);
    else if (kXHeightLetters.find(c) != std::string_view::npos)
      xs.push_back(glyph.height);
    else if (kHangingLetters.find(c) != std::string_view::npos)
      hanging.push_back(glyph.height);
    else if (c == '.')
      dots.push_back(glyph.height);
    else if (c == ':')
      colons.push_back(glyph.height);
  }
  FontMetrics m;
  m.capHeight = Median(caps);
  m.xHeight = Median(xs);
  // Typical proportions fill in what the samples do not show.
  if (m.capHeight == 0)
    m.capHeight = m.xHeight > 0  ? (m.xHeight * 10 + 5) / 7
                  : !cjk.empty() ? (Median(cjk) * 4 + 2) / 5
                                 : Median(all);
  m.capHeight = std::max(m.capHeight, 1);
  if (m.xHeight == 0)
    m.xHeight = std::max(1, (m.capHeight * 7 + 5) / 10);
  if (!hanging.empty())
    m.descender = std::max(0, Median(hanging) - m.xHeight);
  else
    m.descender = (m.capHeight * 3 + 5) / 10;
  m.dotHeight = dots.empty() ? 0 : Median(dots);
  m.colonHeight = colons.empty() ? 0 : Median(colons);
  return m;
}

int GlyphBottom(const TrainGlyph &glyph, const FontMetrics &m) {
  const int h = glyph.height;
  switch (SeatOf(glyph.label)) {
  case GlyphSeat::OnBaseline:
  case GlyphSeat::DotOnBaseline:
    return 0;
  case GlyphSeat::TopAtCap:
    return m.capHeight - h;
  case GlyphSeat::TopAtXHeight:
    return m.xHeight - h;
  case GlyphSeat::Descending:
    return -m.descender;
  case GlyphSeat::HangFromCap:
    return m.capHeight - h;
  case GlyphSeat::TailBelow: {
    // The comma's head sits where the period is; without one, half of it
    // hangs below the baseline.
    const int head = glyph.label[0] == ',' ? m.dotHeight : m.colonHeight;
    return head > 0 && head < h ? head - h : -(h / 2);
  }
  case GlyphSeat::XHeightMiddle:
    return (m.xHeight - h) / 2;
  case GlyphSeat::BracketMiddle:
    return (m.capHeight - m.descender - h) / 2;
  case GlyphSeat::BelowBaseline:
    return -std::max(1, m.descender / 4) - h;
  case GlyphSeat::EmCentre:
    // An em box centres its glyph about half the cap height up.
    return (m.capHeight - h) / 2;
  case GlyphSeat::CapMiddle:
    break;
  }
  return (m.capHeight - h) / 2;
}

bool HasXHeightTop(const std::string &label) {
  const GlyphSeat seat = SeatOf(label);
  return seat == GlyphSeat::TopAtXHeight ||
         (seat == GlyphSeat::OnBaseline && label.size() == 1 &&
          kXHeightLetters.find(label[0]) != std::string_view::npos);
}

namespace {

// Adds `extra` copies of the glyphs at `sources` (in turn), spread evenly
// through the order so that every page gets its share.
void SpreadCopies(std::vector<TrainGlyph> &glyphs, const std::vector<std::size_t> &sources,
                  std::size_t extra) {
  std::vector<TrainGlyph> copies;
  copies.reserve(extra);
  for (std::size_t i = 0; i < extra; ++i)
    copies.push_back(glyphs[sources[i % sources.size()]]);
  std::vector<TrainGlyph> mixed;
  mixed.reserve(glyphs.size() + extra);
  const std::size_t total = glyphs.size() + extra;
  std::size_t added = 0, next = 0;
  for (std::size_t k = 0; k < total; ++k) {
    if (added < extra && (k + 1) * extra / total > added)
      mixed.push_back(std::move(copies[added++]));
    else
      mixed.push_back(std::move(glyphs[next++]));
  }
  glyphs = std::move(mixed);
}

} // namespace

void BalanceXHeightTops(std::vector<TrainGlyph> &glyphs) {
  std::vector<std::size_t> xTops;
  std::size_t capitals = 0;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const std::string &label = glyphs[i].label;
    if (HasXHeightTop(label))
      xTops.push_back(i);
    else if (label.size() == 1 && (std::isupper(static_cast<unsigned char>(label[0])) ||
                                   std::isdigit(static_cast<unsigned char>(label[0]))))
      ++capitals;
  }
  if (xTops.empty() || xTops.size() >= capitals)
    return;
  // A few x-height samples among thousands of digits would otherwise be
  // copied thousands of times; eight copies each already make the mode.
  SpreadCopies(glyphs, xTops, std::min(capitals - xTops.size(), xTops.size() * 8));
}

void BalanceCapitals(std::vector<TrainGlyph> &glyphs) {
  std::vector<std::size_t> capitals;
  std::size_t descending = 0;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const TrainGlyph &glyph = glyphs[i];
    // Chinese glyphs sit in an em box a pixel or two under the baseline
    // when they are taller than the capitals; measured on Latin only.
    if (glyph.bottom < 0 && SeatOf(glyph.label) != GlyphSeat::EmCentre)
      ++descending;
    else if (glyph.bottom == 0 && glyph.label.size() == 1 &&
             kCapitals.find(glyph.label[0]) != std::string_view::npos)
      capitals.push_back(i);
  }
  const std::size_t wanted = descending * kCapitalsPerDescender;
  if (capitals.empty() || capitals.size() >= wanted)
    return;
  SpreadCopies(glyphs, capitals, std::min(wanted - capitals.size(), capitals.size() * 8));
}

void PlaceGlyphs(std::vector<TrainGlyph> &glyphs) {
  const FontMetrics metrics = EstimateFontMetrics(glyphs);
  for (TrainGlyph &glyph : glyphs)
    glyph.bottom = GlyphBottom(glyph, metrics);
  // A fixed seed: the same library gives the same pages every time. The
  // shuffle is written out because std::shuffle's sequence is not fixed
  // across standard libraries.
  std::mt19937 random(20261210u);
  for (std::size_t i = glyphs.size(); i > 1; --i) {
    const std::size_t j = std::size_t(random() % i);
    std::swap(glyphs[i - 1], glyphs[j]);
  }
  if (metrics.xHeight < kSmallXHeight)
    BalanceCapitals(glyphs);
  else
    BalanceXHeightTops(glyphs);
}
