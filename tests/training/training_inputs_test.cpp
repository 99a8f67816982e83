// Composing the training inputs: image layout, box lines, font properties and
// the TIFF the tools read.
#include <allheaders.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "app/text_codec.h"
#include "program_dir.h"
#include "training/train_inputs.h"
#include "training/train_paths.h"
#include "workspace/dot_matrix.h"

namespace {

using training_test::ProgramDir;
using training_test::ReadFile;

// A width x height glyph whose outline is ink, as its dot-matrix string; the
// ink in the bottom row keeps the full height when it is decoded.
std::string Frame(int width, int height) {
  std::vector<std::uint8_t> mask(std::size_t(width) * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1)
        mask[std::size_t(y) * width + x] = 1;
  return EncodeDotMatrix(PixelRect{0, 0, width - 1, height - 1}, mask.data(), width, height);
}

TrainGlyph Blank(int width, int height) {
  return TrainGlyph{"x", width, height, std::vector<std::uint8_t>(std::size_t(width) * height)};
}

int Prepare(const SampleMap &samples, std::string &log, std::vector<int> *progress = nullptr) {
  return PrepareTrainingInputs(samples, log, [progress](int percent) {
    if (progress)
      progress->push_back(percent);
  });
}

struct BoxLine {
  std::string label;
  int left = 0, bottom = 0, right = 0, top = 0, page = -1;
};

std::vector<BoxLine> ParseBoxFile(const std::string &text) {
  std::vector<BoxLine> lines;
  std::istringstream in(text);
  BoxLine line;
  while (in >> line.label >> line.left >> line.bottom >> line.right >> line.top >> line.page)
    lines.push_back(line);
  return lines;
}

int TiffPages(const std::string &path) {
  FILE *file = fopen(path.c_str(), "rb");
  l_int32 count = -1;
  if (file) {
    tiffGetCount(file, &count);
    fclose(file);
  }
  return count;
}

TEST(TrainingInputs, OneSampleGivesAFiftyByFiftyImageAndItsBoxLine) {
  ProgramDir program;
  std::string log;
  std::vector<int> progress;
  ASSERT_EQ(Prepare({{Frame(20, 30), "A"}}, log, &progress), 0);
  EXPECT_EQ(progress, (std::vector<int>{20, 30, 60}));
  EXPECT_EQ(log, "");
  EXPECT_EQ(ReadFile(TmpFilePath("tmp.font.exp0.box")), "A 10 10 30 40 0\n");
  EXPECT_EQ(ReadFile(TmpFilePath("font_properties")), "normal 0 0 0 0 0");

  // The TIFF as the tools read it: 8-bit grey, the glyph's corner at (10, 10).
  PIX *pix = pixRead(TmpFilePath("tmp.font.exp0.tif").c_str());
  ASSERT_NE(pix, nullptr);
  EXPECT_EQ(pixGetWidth(pix), 50);
  EXPECT_EQ(pixGetHeight(pix), 50);
  EXPECT_EQ(pixGetDepth(pix), 8);
  const auto grey = [pix](int x, int y) {
    l_uint32 value = 0;
    pixGetPixel(pix, x, y, &value);
    return value;
  };
  EXPECT_EQ(grey(10, 10), 0u);
  EXPECT_EQ(grey(29, 39), 0u);
  EXPECT_EQ(grey(9, 10), 255u);
  EXPECT_EQ(grey(10, 9), 255u);
  EXPECT_EQ(grey(20, 20), 255u); // inside the outline
  EXPECT_EQ(grey(30, 40), 255u);
  pixDestroy(&pix);
  EXPECT_EQ(TiffPages(TmpFilePath("tmp.font.exp0.tif")), 1); // one row, one page
}

TEST(TrainingInputs, RowsBreakBeforeTheGapWouldReach1280) {
  struct Case {
    std::vector<int> widths;
    std::vector<std::size_t> rowSizes;
    std::vector<int> pageWidths; // each row's end plus a margin
  };
  const Case cases[] = {
      {{600, 640}, {2}, {1280}},              // 10+600+10+640+10 = 1270: still one row
      {{600, 650}, {1, 1}, {630, 680}},       // the gap after 650 would reach 1280
      {{600, 600}, {2}, {1240}},              // one row: its end plus a margin
      {{1259}, {1}, {1289}},                  // the widest glyph that fits; a 20 right margin
      {{1260}, {}, {}},                       // too wide for any row
      {{100, 1260, 100}, {2}, {240}},         // left out without breaking the row
      {{30, 1300, 1240}, {1, 1}, {60, 1270}}, // then the next one starts a row as usual
  };
  for (const Case &c : cases) {
    std::vector<TrainGlyph> glyphs;
    for (int width : c.widths)
      glyphs.push_back(Blank(width, 5));
    const std::vector<GlyphRow> rows = LayoutRows(glyphs);
    std::vector<std::size_t> rowSizes;
    std::vector<int> pageWidths;
    for (const GlyphRow &row : rows) {
      rowSizes.push_back(row.glyphs.size());
      pageWidths.push_back(TrainingPageSize(row).width);
      EXPECT_EQ(TrainingPageSize(row).height, 25);
    }
    EXPECT_EQ(rowSizes, c.rowSizes) << "widths starting " << c.widths.front();
    EXPECT_EQ(pageWidths, c.pageWidths) << "widths starting " << c.widths.front();
  }
}

TEST(TrainingInputs, EveryPageHasTheSameHeightAndBaseline) {
  // The 1250-wide glyph takes a row of its own; the other two share the next.
  std::vector<TrainGlyph> glyphs = {Blank(1250, 40), Blank(10, 20), Blank(10, 30)};
  glyphs[1].bottom = -5; // hangs 5 below the baseline
  glyphs[2].bottom = 2;
  glyphs[1].pixels.back() = 1; // bottom-right cell of the 10 x 20 glyph
  const std::vector<GlyphRow> rows = LayoutRows(glyphs);
  ASSERT_EQ(rows.size(), 2u);
  for (const GlyphRow &row : rows) {
    EXPECT_EQ(row.height, 40 + 5); // highest top to lowest bottom of all rows
    EXPECT_EQ(row.baseline, 40);
  }
  const TrainingImage image = ComposeTrainingImage(glyphs, rows);
  ASSERT_EQ(image.pages.size(), 2u);
  EXPECT_EQ(image.pages[0].width, 1280);
  EXPECT_EQ(image.pages[0].height, 10 + 45 + 10);
  EXPECT_EQ(image.pages[1].width, 60);
  EXPECT_EQ(image.pages[1].height, 10 + 45 + 10);
  // Baseline at row 50: the hanging glyph's last row is 5 below it.
  EXPECT_EQ(image.pages[1].pixels[std::size_t(50 + 4) * 60 + 10 + 9], 0);
  EXPECT_EQ(std::count(image.pages[1].pixels.begin(), image.pages[1].pixels.end(), 0), 1);
  // Coordinates are the page's; the last field is the page.
  EXPECT_EQ(image.boxText, "x 10 15 1260 55 0\n"
                           "x 10 10 20 30 1\n"
                           "x 30 17 40 47 1\n");
  ASSERT_EQ(image.pages[0].glyphs.size(), 1u);
  EXPECT_EQ(image.pages[0].glyphs[0].left, 10);
  EXPECT_EQ(image.pages[0].glyphs[0].right, 1260);
  EXPECT_EQ(image.pages[1].glyphs[0].bottom, -5);
  EXPECT_EQ(image.pages[1].glyphs[1].height, 30);
}

// Frames of sizes that tell them apart, over several rows: every box line's
// page index names the page whose pixels hold exactly that frame, and each
// page holds nothing else.
TEST(TrainingInputs, EveryBoxLineNamesThePageThatHoldsItsGlyph) {
  ProgramDir program;
  SampleMap samples;
  std::map<std::string, std::pair<int, int>> sizes;
  for (int i = 0; i < 40; ++i) {
    const int width = 60 + i, height = 12 + i % 9;
    const std::string label = "g" + std::to_string(i);
    samples[Frame(width, height)] = label;
    sizes[label] = {width, height};
  }
  std::string log;
  std::vector<TrainingPage> kept;
  ASSERT_EQ(PrepareTrainingInputs(
                samples, log, [](int) {}, &kept),
            0);
  const std::string tif = TmpFilePath("tmp.font.exp0.tif");
  const int pageCount = TiffPages(tif);
  ASSERT_GE(pageCount, 3);
  EXPECT_EQ(std::size_t(pageCount), kept.size());

  const std::vector<BoxLine> boxes = ParseBoxFile(ReadFile(TmpFilePath("tmp.font.exp0.box")));
  ASSERT_EQ(boxes.size(), 40u);
  std::vector<long> framedInk(std::size_t(pageCount), 0);
  std::vector<std::size_t> keptIndex(std::size_t(pageCount), 0);
  for (const BoxLine &box : boxes) {
    SCOPED_TRACE(box.label);
    ASSERT_GE(box.page, 0);
    ASSERT_LT(box.page, pageCount);
    const auto [width, height] = sizes.at(box.label);
    ASSERT_EQ(box.right - box.left, width);
    ASSERT_EQ(box.top - box.bottom, height);
    const PageGlyph &glyph =
        kept[std::size_t(box.page)].glyphs.at(keptIndex[std::size_t(box.page)]++);
    EXPECT_EQ(glyph.label, box.label);
    EXPECT_EQ(glyph.left, box.left);
    EXPECT_EQ(glyph.right, box.right);
    PIX *pix = pixReadTiff(tif.c_str(), box.page);
    ASSERT_NE(pix, nullptr);
    const int pageHeight = pixGetHeight(pix);
    const auto ink = [pix](int x, int y) {
      l_uint32 value = 255;
      pixGetPixel(pix, x, y, &value);
      return value == 0;
    };
    const int top = pageHeight - box.top, left = box.left; // image rows run downwards
    EXPECT_TRUE(ink(left, top));
    EXPECT_TRUE(ink(box.right - 1, pageHeight - box.bottom - 1));
    EXPECT_FALSE(ink(left - 1, top));
    EXPECT_FALSE(ink(left, top - 1));
    EXPECT_FALSE(ink(left + 1, top + 1)); // inside the frame
    EXPECT_FALSE(ink(box.right, pageHeight - box.bottom - 1));
    framedInk[std::size_t(box.page)] += 2L * width + 2L * (height - 2);
    pixDestroy(&pix);
  }
  for (int page = 0; page < pageCount; ++page) {
    PIX *pix = pixReadTiff(tif.c_str(), page);
    ASSERT_NE(pix, nullptr);
    l_int32 black = 0;
    PIX *binary = pixThresholdToBinary(pix, 128);
    pixCountPixels(binary, &black, nullptr);
    EXPECT_EQ(black, framedInk[std::size_t(page)]) << "page " << page;
    EXPECT_EQ(keptIndex[std::size_t(page)], kept[std::size_t(page)].glyphs.size());
    pixDestroy(&binary);
    pixDestroy(&pix);
  }
}

TEST(TrainingInputs, ChineseLabelsGoToTheBoxFileInUtf8) {
  ProgramDir program;
  std::string log;
  const std::string label = Utf8ToSystem("中文");
  ASSERT_NE(label, "中文"); // system code page bytes, not UTF-8
  ASSERT_EQ(Prepare({{Frame(20, 30), label}}, log), 0);
  EXPECT_EQ(ReadFile(TmpFilePath("tmp.font.exp0.box")), "中文 10 10 30 40 0\n");
}

TEST(TrainingInputs, UndecodableSamplesAreDroppedWithoutAWord) {
  ProgramDir program;
  std::string log;
  ASSERT_EQ(Prepare({{"zz$1$0.0.0$3", "B"}, {"not a sample", "C"}, {Frame(20, 30), "A"}}, log), 0);
  EXPECT_EQ(log, "");
  EXPECT_EQ(ReadFile(TmpFilePath("tmp.font.exp0.box")), "A 10 10 30 40 0\n");
}

TEST(TrainingInputs, LabelsTheBoxFileCannotCarryAreLeftOutAndNamedInTheLog) {
  ProgramDir program;
  std::string log;
  const SampleMap samples = {{Frame(20, 30), "A"},
                             {Frame(21, 30), "a b"},
                             {Frame(22, 30), "tab\t"},
                             {Frame(23, 30), ""},
                             {Frame(24, 30), std::string(1100, 'w')}};
  ASSERT_EQ(Prepare(samples, log), 0);
  EXPECT_EQ(ReadFile(TmpFilePath("tmp.font.exp0.box")), "A 10 10 30 40 0\n");
  const std::u16string text = FromSystemCodePage(log);
  EXPECT_NE(text.find(u"「a b」：标签含有空白字符"), std::u16string::npos) << SystemToUtf8(log);
  EXPECT_NE(text.find(u"「tab\t」：标签含有空白字符"), std::u16string::npos);
  EXPECT_NE(text.find(u"「」：标签为空"), std::u16string::npos);
  EXPECT_NE(text.find(u"标签过长"), std::u16string::npos);
}

} // namespace
