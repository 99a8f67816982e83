#include "training/train_inputs.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string_view>

#include "app/text_codec.h"
#include "engine/morvexa.h"
#include "training/glyph_placement.h"
#include "training/label_text.h"
#include "training/train_paths.h"
#include "workspace/dot_matrix.h"

namespace {

// Tesseract reads box lines into a buffer of this size, terminator included.
constexpr std::size_t kBoxLineLimit = 1023;

bool HasWhiteSpace(const std::string &label) {
  // Only ASCII white space splits a box line; GB18030 never uses these bytes
  // inside a multibyte character. A zero byte would end the line early.
  static constexpr std::string_view kBreakers(" \t\n\v\f\r\0", 7);
  return label.find_first_of(kBreakers) != std::string::npos;
}

std::string BoxLine(const std::string &label, int left, int bottom, int right, int top, int page) {
  char numbers[72];
  std::snprintf(numbers, sizeof numbers, " %d %d %d %d %d", left, bottom, right, top, page);
  return label + numbers;
}

} // namespace

const char kFontProperties[] = "normal 0 0 0 0 0";

std::vector<TrainGlyph> DecodeGlyphs(const SampleMap &samples, std::string &log) {
  std::vector<TrainGlyph> glyphs;
  glyphs.reserve(samples.size());
  for (const auto &[data, label] : samples) {
    std::optional<DotMatrix> matrix = DecodeDotMatrix(data);
    if (!matrix)
      continue;
    // The label is the first field of its box line: a blank label or one with
    // white space would shift the numbers, and the tools would read the
    // wrong box or stop. Such a sample is left out, and the user is told.
    const char *problem = nullptr;
    if (label.empty())
      problem = "标签为空";
    else if (HasWhiteSpace(label))
      problem = "标签含有空白字符";
    else if (!LabelDecodes(label))
      problem = "标签含有系统代码页（GB18030）无法解码的字节";
    else if (label.size() * 3 / 2 + 64 > kBoxLineLimit && // UTF-8 is at most 1.5 times longer
             SystemToUtf8(BoxLine(label, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX)).size() >
                 kBoxLineLimit)
      problem = "标签过长";
    if (problem) {
      log += Utf8ToSystem(std::string("已跳过样本「")) + ShownLabel(label) +
             Utf8ToSystem(std::string("」：") + problem + "，框文件无法记录。\n");
      continue;
    }
    TrainGlyph glyph;
    glyph.label = label;
    glyph.width = matrix->cols;
    glyph.height = matrix->rows;
    glyph.pixels = std::move(matrix->cells);
    glyphs.push_back(std::move(glyph));
  }
  return glyphs;
}

std::vector<GlyphRow> LayoutRows(const std::vector<TrainGlyph> &glyphs) {
  std::vector<GlyphRow> rows;
  GlyphRow row;
  row.endX = kGlyphGap;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const TrainGlyph &glyph = glyphs[i];
    // Too wide even for a row of its own: leave it out before it can close
    // the current row, so the glyphs after it are placed as if it were absent.
    if (std::int64_t(kGlyphGap) + glyph.width + kGlyphGap >= kMaxImageWidth)
      continue;
    if (row.endX + glyph.width + kGlyphGap >= kMaxImageWidth) {
      rows.push_back(std::move(row));
      row = GlyphRow{};
      row.endX = kGlyphGap;
    }
    row.glyphs.push_back(i);
    row.endX += glyph.width + kGlyphGap;
  }
  if (!row.glyphs.empty())
    rows.push_back(std::move(row));
  // One line geometry for all pages: from the highest top to the lowest
  // bottom of any placed glyph.
  std::int64_t above = 0, below = 0;
  for (const GlyphRow &placed : rows)
    for (std::size_t i : placed.glyphs) {
      above = std::max(above, std::int64_t(glyphs[i].bottom) + glyphs[i].height);
      below = std::max(below, -std::int64_t(glyphs[i].bottom));
    }
  if (above + below > INT_MAX / 2)
    return {};
  for (GlyphRow &placed : rows) {
    placed.height = int(above + below);
    placed.baseline = int(above);
  }
  return rows;
}

ImageSize TrainingPageSize(const GlyphRow &row) {
  const std::int64_t width = std::int64_t(row.endX) + kGlyphGap;
  const std::int64_t height = kGlyphGap + std::int64_t(row.height) + kGlyphGap;
  if (row.glyphs.empty() || width * height > INT_MAX)
    return {};
  return {int(width), int(height)};
}

TrainingImage ComposeTrainingImage(const std::vector<TrainGlyph> &glyphs,
                                   const std::vector<GlyphRow> &rows) {
  TrainingImage image;
  image.pages.reserve(rows.size());
  // Lines are gathered in the system code page and converted once: the
  // conversion is stateless and line ends are ASCII, so this is the same as
  // line by line, at a fraction of the cost.
  std::string lines;
  for (const GlyphRow &row : rows) {
    const ImageSize size = TrainingPageSize(row);
    if (size.width == 0)
      return {};
    const int pageIndex = int(image.pages.size());
    TrainingPage &page = image.pages.emplace_back();
    page.width = size.width;
    page.height = size.height;
    page.pixels.assign(std::size_t(size.width) * std::size_t(size.height), 255);
    page.glyphs.reserve(row.glyphs.size());
    int x = kGlyphGap;
    for (std::size_t index : row.glyphs) {
      const TrainGlyph &glyph = glyphs[index];
      const int y = kGlyphGap + row.baseline - glyph.bottom - glyph.height;
      for (int r = 0; r < glyph.height; ++r) {
        const std::uint8_t *cells = &glyph.pixels[std::size_t(r) * std::size_t(glyph.width)];
        std::uint8_t *line = &page.pixels[std::size_t(y + r) * std::size_t(page.width) + x];
        // Cells are 0 or 1: 1 - 1 clears the pixel to ink, 0 - 1 keeps it.
        // Branch-free, so the compiler vectorises it.
        for (int c = 0; c < glyph.width; ++c)
          line[c] &= std::uint8_t(cells[c] - 1);
      }
      const int bottom = page.height - y - glyph.height;
      lines += BoxLine(glyph.label, x, bottom, x + glyph.width, page.height - y, pageIndex);
      lines += '\n';
      page.glyphs.push_back({glyph.label, x, x + glyph.width, glyph.bottom, glyph.height, y});
      x += glyph.width + kGlyphGap;
    }
  }
  image.boxText = SystemToUtf8(lines);
  return image;
}

bool WriteWholeFile(const std::string &path, const std::string &bytes) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool SaveTrainingPages(const std::string &path, const std::vector<TrainingPage> &pages) {
  std::vector<const unsigned char *> pixels;
  std::vector<int> widths, heights;
  for (const TrainingPage &page : pages) {
    pixels.push_back(page.pixels.data());
    widths.push_back(page.width);
    heights.push_back(page.height);
  }
  return !pages.empty() && saveMatPages(path.c_str(), pixels.data(), widths.data(), heights.data(),
                                        int(pixels.size()));
}

int PrepareTrainingInputs(const SampleMap &samples, std::string &log,
                          const std::function<void(int)> &progress,
                          std::vector<TrainingPage> *pages) {
  std::vector<TrainGlyph> glyphs = DecodeGlyphs(samples, log);
  progress(20);
  PlaceGlyphs(glyphs);
  const std::vector<GlyphRow> rows = LayoutRows(glyphs);
  progress(30);
  if (rows.empty())
    return 1;
  TrainingImage image = ComposeTrainingImage(glyphs, rows);
  glyphs.clear();
  // A box file that is not complete would teach the tools wrong boxes, so a
  // failed write counts like a failed creation.
  if (!WriteWholeFile(TmpFilePath("tmp.font.exp0.box"), image.boxText))
    return 7;
  // The legacy tools complain without it, but only the legacy tools need it.
  WriteWholeFile(TmpFilePath("font_properties"), kFontProperties);
  const bool saved = SaveTrainingPages(TmpFilePath("tmp.font.exp0.tif"), image.pages);
  progress(60);
  if (pages)
    *pages = std::move(image.pages);
  return saved ? 0 : 2;
}
