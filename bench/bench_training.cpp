// Composing the training inputs of 5,000 samples (decode, layout, pages, box
// file, TIFF) beside writing the same number of bytes to the same files and
// beside the former layout of all rows in one image; and the self-check of a
// 200-glyph legacy job beside the job's own tool sequence.
#include <benchmark/benchmark.h>
#include <leptonica/allheaders.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/text_codec.h"
#include "app/work_environment.h"
#include "app/work_paths.h"
#include "engine/morvexa.h"
#include "training/self_check.h"
#include "training/glyph_placement.h"
#include "training/train_inputs.h"
#include "training/train_job.h"
#include "training/train_paths.h"
#include "training/train_sequences.h"
#include "workspace/dot_matrix.h"

namespace {

constexpr int kSamples = 5000;

// A program directory under /tmp whose tmp/ receives the files.
void UseScratchProgramDir() {
  static const bool ready = [] {
    char pattern[] = "/tmp/glyphwright-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    SetWorkPaths(DeriveWorkPaths(dir));
    mkdir(GetWorkPaths().TempDir.c_str(), 0777);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(GetWorkPaths().ProgramDir, ignored);
    });
    return true;
  }();
  (void)ready;
}

// Screen-text-like samples: 8 to 24 pixels wide, 10 to 30 high, about 40 %
// ink, labelled with a letter or a Chinese character.
SampleMap MakeSamples() {
  std::mt19937 random(7);
  const std::string labels[] = {"A", "b", "7", Utf8ToSystem("字"), Utf8ToSystem("库")};
  SampleMap samples;
  while (samples.size() < kSamples) {
    const int width = 8 + int(random() % 17);
    const int height = 10 + int(random() % 21);
    std::vector<std::uint8_t> mask(std::size_t(width) * height);
    for (std::uint8_t &cell : mask)
      cell = random() % 10 < 4;
    mask.back() = 1; // keep the full height
    samples[EncodeDotMatrix(PixelRect{0, 0, width - 1, height - 1}, mask.data(), width, height)] =
        labels[random() % 5];
  }
  return samples;
}

const SampleMap &Samples() {
  static const SampleMap samples = MakeSamples();
  return samples;
}

std::int64_t FileSize(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_size : 0;
}

void BM_ComposeTrainingInputs(benchmark::State &state) {
  UseScratchProgramDir();
  const SampleMap &samples = Samples();
  for (auto _ : state) {
    std::string log;
    if (PrepareTrainingInputs(samples, log, [](int) {}) != 0)
      state.SkipWithError("composing failed");
  }
  const std::int64_t bytes = FileSize(TmpFilePath("tmp.font.exp0.tif")) +
                             FileSize(TmpFilePath("tmp.font.exp0.box")) +
                             FileSize(TmpFilePath("font_properties"));
  state.counters["file_bytes"] = double(bytes);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes);
}
BENCHMARK(BM_ComposeTrainingInputs)->Unit(benchmark::kMillisecond);

// The baseline: the three files of the composed inputs, written again with
// their sizes as they came out of the run above.
void BM_WriteSameBytesBaseline(benchmark::State &state) {
  UseScratchProgramDir();
  std::string log;
  PrepareTrainingInputs(Samples(), log, [](int) {});
  const std::string image(std::size_t(FileSize(TmpFilePath("tmp.font.exp0.tif"))), '\x5a');
  const std::string box(std::size_t(FileSize(TmpFilePath("tmp.font.exp0.box"))), 'b');
  for (auto _ : state) {
    WriteWholeFile(TmpFilePath("baseline.tif"), image);
    WriteWholeFile(TmpFilePath("baseline.box"), box);
    WriteWholeFile(TmpFilePath("baseline_properties"), kFontProperties);
  }
  const std::int64_t bytes = std::int64_t(image.size() + box.size()) + 16;
  state.counters["file_bytes"] = double(bytes);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * bytes);
}
BENCHMARK(BM_WriteSameBytesBaseline)->Unit(benchmark::kMillisecond);

// The former layout, kept here as the baseline: all rows in one image 1280
// pixels wide (a single row: its end plus a margin), page 0 in every box line.
int ComposeOneImage(const SampleMap &samples) {
  std::string log;
  std::vector<TrainGlyph> glyphs = DecodeGlyphs(samples, log);
  PlaceGlyphs(glyphs);
  const std::vector<GlyphRow> rows = LayoutRows(glyphs);
  if (rows.empty())
    return 1;
  int height = kGlyphGap;
  for (const GlyphRow &row : rows)
    height += row.height + kGlyphGap;
  const int width = rows.size() >= 2 ? kMaxImageWidth : rows.front().endX + kGlyphGap;
  std::vector<std::uint8_t> image(std::size_t(width) * std::size_t(height), 255);
  std::string lines;
  int y = kGlyphGap;
  for (const GlyphRow &row : rows) {
    int x = kGlyphGap;
    for (std::size_t index : row.glyphs) {
      const TrainGlyph &glyph = glyphs[index];
      for (int r = 0; r < glyph.height; ++r) {
        const std::uint8_t *cells = &glyph.pixels[std::size_t(r) * std::size_t(glyph.width)];
        std::uint8_t *line = &image[std::size_t(y + r) * std::size_t(width) + x];
        for (int c = 0; c < glyph.width; ++c)
          line[c] &= std::uint8_t(cells[c] - 1);
      }
      char numbers[64];
      std::snprintf(numbers, sizeof numbers, " %d %d %d %d 0", x, height - y - glyph.height,
                    x + glyph.width, height - y);
      lines += glyph.label + numbers + "\n";
      x += glyph.width + kGlyphGap;
    }
    y += row.height + kGlyphGap;
  }
  if (!WriteWholeFile(TmpFilePath("tmp.font.exp0.box"), SystemToUtf8(lines)))
    return 7;
  WriteWholeFile(TmpFilePath("font_properties"), kFontProperties);
  return saveMat(TmpFilePath("tmp.font.exp0.tif").c_str(), image.data(), width, height) ? 0 : 2;
}

void BM_ComposeOneImageBaseline(benchmark::State &state) {
  UseScratchProgramDir();
  const SampleMap &samples = Samples();
  for (auto _ : state)
    if (ComposeOneImage(samples) != 0)
      state.SkipWithError("composing failed");
}
BENCHMARK(BM_ComposeOneImageBaseline)->Unit(benchmark::kMillisecond);

// A program directory with the build's Tesseract tools and base data, for
// the benchmarks that run real training.
void UseToolProgramDir() {
  static const bool ready = [] {
    char pattern[] = "/tmp/glyphwright-bench-tools-XXXXXX";
    const std::string dir = std::string(mkdtemp(pattern)) + "/";
    namespace fs = std::filesystem;
    fs::create_directories(dir + "bin");
    for (const auto &entry : fs::directory_iterator(GLYPHWRIGHT_PROGRAM_DIR "/bin"))
      fs::create_symlink(fs::canonical(entry.path()),
                         dir + "bin/" + entry.path().filename().string());
    PrepareWorkEnvironmentAt(dir);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(GetWorkPaths().ProgramDir, ignored);
    });
    return true;
  }();
  (void)ready;
}

// 200 glyphs as a user labels a screenshot: the printable ASCII characters
// of Leptonica's bitmap font at 14, 20 and 10 pixels, cut to their ink.
SampleMap FontGlyphs200() {
  SampleMap samples;
  for (const int size : {14, 20, 10}) {
    L_BMF *font = bmfCreate(nullptr, size);
    for (char c = '!'; c <= '~' && samples.size() < 200; ++c) {
      if (c == '/' && size == 20)
        continue; // a 2-pixel-wide slash may match the "l" of the other size
      PIX *glyph = bmfGetPix(font, c);
      PIX *ink = nullptr;
      if (glyph && pixClipToForeground(glyph, &ink, nullptr) == 0 && ink) {
        const int width = pixGetWidth(ink), height = pixGetHeight(ink);
        std::vector<std::uint8_t> mask(std::size_t(width) * std::size_t(height));
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x) {
            l_uint32 bit = 0;
            pixGetPixel(ink, x, y, &bit);
            mask[std::size_t(y) * std::size_t(width) + std::size_t(x)] = bit != 0;
          }
        samples[EncodeDotMatrix(PixelRect{0, 0, width - 1, height - 1}, mask.data(), width,
                                height)] = std::string(1, c);
      }
      pixDestroy(&ink);
      pixDestroy(&glyph);
    }
    bmfDestroy(&font);
  }
  return samples;
}

// The inputs and the legacy tool sequence of a 200-glyph job, as it ran
// before the self-check (the job's two fixed pauses left out).
int LegacyJob200(std::vector<TrainingPage> &pages, const std::string &output) {
  static const SampleMap samples = FontGlyphs200();
  TrainJob job;
  job.outputPath = output;
  std::string log;
  if (PrepareTrainingInputs(
          samples, log, [](int) {}, &pages) != 0)
    return -100;
  ToolRunOptions run;
  run.trace = nullptr;
  return RunLegacySequence(job, log, run);
}

void BM_LegacyJobOf200GlyphsBaseline(benchmark::State &state) {
  UseToolProgramDir();
  std::vector<TrainingPage> pages;
  const std::string output = GetWorkPaths().ProgramDir + "bench.traineddata";
  for (auto _ : state)
    if (LegacyJob200(pages, output) != 0)
      state.SkipWithError("the legacy job failed");
}
BENCHMARK(BM_LegacyJobOf200GlyphsBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

// Loading the new model and reading every page of its training image.
void BM_SelfCheckOf200Glyphs(benchmark::State &state) {
  UseToolProgramDir();
  std::vector<TrainingPage> pages;
  const std::string models = GetWorkPaths().ProgramDir + "models";
  std::filesystem::create_directories(models);
  if (LegacyJob200(pages, models + "/bench.traineddata") != 0) {
    state.SkipWithError("the legacy job failed");
    return;
  }
  SelfCheckResult result;
  for (auto _ : state)
    result = CheckTrainedModel({SelfCheckerPath(), models, "bench", 0}, pages);
  state.counters["glyphs"] = result.total;
  state.counters["correct"] = result.correct;
}
BENCHMARK(BM_SelfCheckOf200Glyphs)->Unit(benchmark::kMillisecond);

} // namespace
