// Composing the training inputs of 5,000 samples (decode, layout, image, box
// file, TIFF) beside writing the same number of bytes to the same files.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/text_codec.h"
#include "app/work_paths.h"
#include "training/train_inputs.h"
#include "training/train_paths.h"
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

} // namespace
