// Sample library: reading and writing a library of 10,000 samples of 24 x 24
// glyphs, each beside a baseline of the same text or bytes measured in the
// same run (jsoncpp parsing alone; a plain fwrite, with and without fsync),
// and adding one sample, which rewrites the whole file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <json/reader.h>
#include <json/value.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "glyph_library.h"
#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "same_run_ratio.h"
#include "samples/sample_file.h"

namespace {

constexpr int kSamples = 10000;

const SampleStore &Library() {
  static const SampleStore library = GlyphLibrary(kSamples);
  return library;
}

const std::string &LibraryText() {
  static const std::string text = FormatSampleFile(Library());
  return text;
}

// A file in a fresh directory of the system's temporary directory, removed
// with it at the end of the benchmark.
class ScratchFile {
public:
  ScratchFile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "glyphwright-bench-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    path_ = dir_ + "/samples.txt";
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string &path() const { return path_; }

private:
  std::string dir_;
  std::string path_;
};

void SetBytes(benchmark::State &state) {
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(LibraryText().size()));
}

void BM_JsoncppParseBaseline(benchmark::State &state) {
  const std::string &text = LibraryText();
  for (auto _ : state) {
    Json::Value root;
    Json::Reader reader;
    benchmark::DoNotOptimize(reader.parse(text.data(), text.data() + text.size(), root, false));
  }
  SetBytes(state);
}
BENCHMARK(BM_JsoncppParseBaseline)->Unit(benchmark::kMillisecond);

void BM_ParseSampleText(benchmark::State &state) {
  const std::string &text = LibraryText();
  for (auto _ : state) {
    SampleStore store;
    benchmark::DoNotOptimize(ParseSampleText(text, store));
    if (store.size() != kSamples)
      state.SkipWithError("samples lost");
  }
  SetBytes(state);
}
BENCHMARK(BM_ParseSampleText)->Unit(benchmark::kMillisecond);

void BM_FormatSampleFile(benchmark::State &state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(FormatSampleFile(Library()));
  SetBytes(state);
}
BENCHMARK(BM_FormatSampleFile)->Unit(benchmark::kMillisecond);

// The same bytes written the plain way: truncate, fwrite, close. `sync`
// adds the fsync a safe replacement needs before its rename.
void PlainWrite(benchmark::State &state, bool sync) {
  ScratchFile file;
  const std::string &text = LibraryText();
  for (auto _ : state) {
    FILE *out = std::fopen(file.path().c_str(), "wb");
    if (out == nullptr) {
      state.SkipWithError("cannot open");
      break;
    }
    std::fwrite(text.data(), 1, text.size(), out);
    if (sync) {
      std::fflush(out);
      fsync(fileno(out));
    }
    std::fclose(out);
  }
  SetBytes(state);
}
void BM_FwriteBaseline(benchmark::State &state) {
  PlainWrite(state, false);
}
BENCHMARK(BM_FwriteBaseline)->Unit(benchmark::kMillisecond);
void BM_FwriteFsyncBaseline(benchmark::State &state) {
  PlainWrite(state, true);
}
BENCHMARK(BM_FwriteFsyncBaseline)->Unit(benchmark::kMillisecond);

void BM_WriteSampleFile(benchmark::State &state) {
  ScratchFile file;
  for (auto _ : state)
    if (!WriteSampleFile(file.path(), Library()))
      state.SkipWithError("write failed");
  SetBytes(state);
}
BENCHMARK(BM_WriteSampleFile)->Unit(benchmark::kMillisecond);

// What one press of the add button costs the core: a new key into a library
// of 10,000 and the whole file written again. The key is taken out again
// (a map erase) so every round adds to the same library.
void BM_AddOneSampleTo10000(benchmark::State &state) {
  ScratchFile file;
  SampleStore store = Library();
  const SampleStore extra = GlyphLibrary(64, 99);
  auto next = extra.begin();
  for (auto _ : state) {
    auto added = store.insert_or_assign(next->first, next->second).first;
    if (!WriteSampleFile(file.path(), store))
      state.SkipWithError("write failed");
    store.erase(added);
    if (++next == extra.end())
      next = extra.begin();
  }
  SetBytes(state);
}
BENCHMARK(BM_AddOneSampleTo10000)->Unit(benchmark::kMillisecond);

// The rows of the performance table, each one ratio: the safe replacement of
// the whole file against a plain write + fsync of the same bytes into a file
// of its own in the same directory.

bool PlainWriteAndSync(const std::string &path, const std::string &text) {
  FILE *out = std::fopen(path.c_str(), "wb");
  if (out == nullptr)
    return false;
  std::fwrite(text.data(), 1, text.size(), out);
  std::fflush(out);
  fsync(fileno(out));
  return std::fclose(out) == 0;
}

void BM_WriteSampleFileRatio(benchmark::State &state) {
  ScratchFile file;
  const std::string plain = file.path() + ".plain";
  MeasureRatio(
      state,
      [&] {
        if (!PlainWriteAndSync(plain, LibraryText()))
          state.SkipWithError("cannot write");
      },
      [&] {
        if (!WriteSampleFile(file.path(), Library()))
          state.SkipWithError("write failed");
      });
}
BENCHMARK(BM_WriteSampleFileRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

// The file-system part alone: the same bytes through the safe replacement
// (temporary file, fsync, rename, fsync of the directory).
void BM_SafeReplacementRatio(benchmark::State &state) {
  ScratchFile file;
  const std::string plain = file.path() + ".plain";
  MeasureRatio(
      state,
      [&] {
        if (!PlainWriteAndSync(plain, LibraryText()))
          state.SkipWithError("cannot write");
      },
      [&] {
        if (!ReplaceFileContent(file.path(), LibraryText()))
          state.SkipWithError("write failed");
      });
}
BENCHMARK(BM_SafeReplacementRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

// One press of the add button (a new key, the whole file written again)
// against a plain write + fsync of a file of the same size.
void BM_AddOneSampleTo10000Ratio(benchmark::State &state) {
  ScratchFile file;
  const std::string plain = file.path() + ".plain";
  SampleStore store = Library();
  const SampleStore extra = GlyphLibrary(64, 99);
  auto next = extra.begin();
  MeasureRatio(
      state,
      [&] {
        if (!PlainWriteAndSync(plain, LibraryText()))
          state.SkipWithError("cannot write");
      },
      [&] {
        auto added = store.insert_or_assign(next->first, next->second).first;
        if (!WriteSampleFile(file.path(), store))
          state.SkipWithError("write failed");
        store.erase(added);
        if (++next == extra.end())
          next = extra.begin();
      });
}
BENCHMARK(BM_AddOneSampleTo10000Ratio)->UseManualTime()->Unit(benchmark::kMillisecond);

// Formatting alone against copying the same bytes.
void BM_FormatSampleFileRatio(benchmark::State &state) {
  std::string copy;
  MeasureRatio(
      state,
      [&] {
        copy = std::string(LibraryText().data(), LibraryText().size());
        benchmark::DoNotOptimize(copy.data());
      },
      [&] { benchmark::DoNotOptimize(FormatSampleFile(Library())); });
}
BENCHMARK(BM_FormatSampleFileRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

// The durable floor of a replacement: the same bytes into a temporary file,
// fsync, rename over the target, fsync of the directory, with nothing else.
bool DurableFloor(const std::string &path, const std::string &text) {
  const std::string temp = path + ".floor";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0)
    return false;
  bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size()) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok && ::rename(temp.c_str(), path.c_str()) == 0;
  const int dir = ::open(ParentDirectory(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ok = dir >= 0 && ::fsync(dir) == 0 && ok;
  if (dir >= 0)
    ::close(dir);
  return ok;
}

// Writing the 10,000-sample file (formatting included) against that floor.
void BM_WriteSampleFileDurableRatio(benchmark::State &state) {
  ScratchFile file;
  const std::string floor = file.path() + ".plain";
  MeasureRatio(
      state,
      [&] {
        if (!DurableFloor(floor, LibraryText()))
          state.SkipWithError("cannot write");
      },
      [&] {
        if (!WriteSampleFile(file.path(), Library()))
          state.SkipWithError("write failed");
      });
}
BENCHMARK(BM_WriteSampleFileDurableRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
