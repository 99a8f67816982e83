// The sample list's commands on a library of 10,000 samples, timed on the
// real widgets (offscreen): typing into the find box, a header sort, a
// delete of many rows and its undo, an import and an add. Each beside a
// baseline timed in the same run: filling the same table with 10,000 rows
// the plain way for the commands that only show, and the sample file's own
// write (to a RAM disk) for the commands that write, so that
// step_us - baseline_us is the command's work apart from the write.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "app/text_codec.h"
#include "glyph_library.h"
#include "same_run_ratio.h"
#include "samples/sample_file.h"
#include "samples/sample_list.h"

namespace {

constexpr int kSamples = 10000;

QApplication &App() {
  static int argc = 1;
  static char name[] = "bench_library";
  static char *argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// The main window's list, label and path edits with the sample list over
// them, on a library of 10,000 samples in a RAM-disk file.
class Workbench {
public:
  Workbench() {
    std::string pattern = "/dev/shm/glyphwright-bench-XXXXXX";
    if (::access("/dev/shm", W_OK) != 0)
      pattern = (std::filesystem::temp_directory_path() / "glyphwright-bench-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    owner_.resize(320, 420);
    list_ = new QTableWidget(0, 2, &owner_);
    list_->setGeometry(0, 0, 313, 400);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    label_ = new QLineEdit(&owner_);
    path_ = new QLineEdit(&owner_);
    samples_ = std::make_unique<CSampleList>(list_, label_, path_, &owner_, store_);
    samples_->SetMessageSink([this](const QString &) { ++messages_; });
    samples_->SetChangeSink(
        [this](StoreChange change, const QString &) { lastChange_ = std::move(change); });
    owner_.show();
    library_ = GlyphLibrary(kSamples, 7);
    Reload();
  }
  ~Workbench() {
    samples_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  void Reload() {
    WriteSampleFile(File("samples.txt"), library_);
    path_->setText(QString::fromStdString(File("samples.txt")));
    samples_->ReloadSampleList();
  }
  std::string File(const std::string &name) const { return dir_ + "/" + name; }

  const SampleStore &library() const { return library_; }
  SampleStore &store() { return store_; }
  CSampleList &samples() { return *samples_; }
  QTableWidget &list() { return *list_; }
  QLineEdit &label() { return *label_; }
  const StoreChange &lastChange() const { return lastChange_; }
  int messages() const { return messages_; }

private:
  QApplication &app_ = App(); // before any widget
  std::string dir_;
  SampleStore library_;
  SampleStore store_;
  QWidget owner_;
  QTableWidget *list_ = nullptr;
  QLineEdit *label_ = nullptr;
  QLineEdit *path_ = nullptr;
  std::unique_ptr<CSampleList> samples_;
  StoreChange lastChange_;
  int messages_ = 0;
};

Workbench &Bench() {
  static Workbench bench;
  return bench;
}

// The baseline of the commands that only show: 10,000 rows of the same
// texts into a table of the same size, item by item.
class PlainTable {
public:
  PlainTable() : table_(0, 2) {
    table_.resize(313, 400);
    for (const auto &[key, label] : Bench().library()) {
      labels_.push_back(QString::fromStdU16String(FromSystemCodePage(label)));
      data_.push_back(QString::fromLatin1(key.substr(0, 1024)));
    }
  }
  void Fill() {
    table_.setRowCount(0);
    table_.setRowCount(int(labels_.size()));
    for (int row = 0; row < int(labels_.size()); ++row) {
      table_.setItem(row, 0, new QTableWidgetItem(labels_[std::size_t(row)]));
      table_.setItem(row, 1, new QTableWidgetItem(data_[std::size_t(row)]));
    }
  }

private:
  QTableWidget table_;
  std::vector<QString> labels_;
  std::vector<QString> data_;
};

void CheckQuiet(benchmark::State &state) {
  if (Bench().messages() != 0)
    state.SkipWithError("the list told the user something");
}

// Times `step` against `baseline` each iteration, with `setup` before the
// step left out of both.
template <typename Baseline, typename Setup, typename Step>
void MeasureAfterSetup(benchmark::State &state, Baseline &&baseline, Setup &&setup, Step &&step) {
  using Clock = std::chrono::steady_clock;
  double baselineSeconds = 0;
  double stepSeconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    baseline();
    const auto middle = Clock::now();
    setup();
    const auto stepStart = Clock::now();
    step();
    const auto end = Clock::now();
    baselineSeconds += std::chrono::duration<double>(middle - start).count();
    const double seconds = std::chrono::duration<double>(end - stepStart).count();
    stepSeconds += seconds;
    state.SetIterationTime(seconds);
  }
  if (baselineSeconds > 0)
    state.counters["ratio"] = stepSeconds / baselineSeconds;
  const double runs = double(state.iterations());
  state.counters["baseline_us"] = runs > 0 ? 1e6 * baselineSeconds / runs : 0.0;
  state.counters["step_us"] = runs > 0 ? 1e6 * stepSeconds / runs : 0.0;
}

// One Chinese character typed into the find box: the few rows of its label
// remain.
void BM_FindOneCharacter(benchmark::State &state) {
  Workbench &bench = Bench();
  PlainTable plain;
  const QString character = bench.list().item(0, 0)->text();
  MeasureAfterSetup(
      state, [&] { plain.Fill(); }, [&] { bench.samples().SetFilter(QString()); },
      [&] { bench.samples().SetFilter(character); });
  if (bench.list().rowCount() == 0 || bench.list().rowCount() > kSamples / 10)
    state.SkipWithError("the filter found the wrong rows");
  bench.samples().SetFilter(QString());
  CheckQuiet(state);
}
BENCHMARK(BM_FindOneCharacter)->UseManualTime()->Unit(benchmark::kMillisecond);

// Esc after a search: all 10,000 rows again.
void BM_EndFindShowsAll(benchmark::State &state) {
  Workbench &bench = Bench();
  PlainTable plain;
  const QString character = bench.list().item(0, 0)->text();
  MeasureAfterSetup(
      state, [&] { plain.Fill(); }, [&] { bench.samples().SetFilter(character); },
      [&] { bench.samples().SetFilter(QString()); });
  if (bench.list().rowCount() != kSamples)
    state.SkipWithError("rows lost");
  CheckQuiet(state);
}
BENCHMARK(BM_EndFindShowsAll)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_HeaderSortByLabel(benchmark::State &state) {
  // Three clicks: ascending, descending, and back to the own order.
  Workbench &bench = Bench();
  PlainTable plain;
  MeasureRatio(
      state, [&] { plain.Fill(); }, [&] { bench.samples().OnHeaderClicked(0); }, 3);
  if (!bench.samples().View().ShowsAllInOrder())
    state.SkipWithError("the clicks did not come round");
  CheckQuiet(state);
}
BENCHMARK(BM_HeaderSortByLabel)->UseManualTime()->Unit(benchmark::kMillisecond);

// The file writes alone, as the commands below make them: two writes of
// the library, one for the command and one for its undo.
void WriteLibraryTwice(benchmark::State &state) {
  for (int i = 0; i < 2; ++i)
    if (!WriteSampleFile(Bench().File("baseline.txt"), Bench().library()))
      state.SkipWithError("cannot write");
}

// Delete with a range of state.range(0) rows selected, then its undo: two
// writes, beside two writes of the same library.
void BM_DeleteRowsAndUndo(benchmark::State &state) {
  Workbench &bench = Bench();
  const int rows = int(state.range(0));
  MeasureRatio(
      state, [&] { WriteLibraryTwice(state); },
      [&] {
        QTableWidget &list = bench.list();
        list.setRangeSelected(QTableWidgetSelectionRange(100, 0, 100 + rows - 1, 1), true);
        bench.samples().OnDeleteSample();
        if (int(bench.store().size()) != kSamples - rows)
          state.SkipWithError("wrong rows deleted");
        bench.samples().ApplyChange(bench.lastChange(), false);
      });
  if (bench.store() != bench.library())
    state.SkipWithError("the undo did not give the library back");
  CheckQuiet(state);
}
BENCHMARK(BM_DeleteRowsAndUndo)
    ->Arg(1)
    ->Arg(1000)
    ->Arg(kSamples - 100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// An import of 5,000 samples, half of them new and half relabelling, then
// its undo: two writes, beside two writes of the same library.
void BM_Import5000AndUndo(benchmark::State &state) {
  Workbench &bench = Bench();
  SampleStore incoming = GlyphLibrary(2500, 99);
  int taken = 0;
  for (const auto &[key, label] : bench.library()) {
    if (taken++ % 4 != 0)
      continue;
    incoming[key] = "x";
    if (incoming.size() == 5000)
      break;
  }
  MeasureRatio(
      state, [&] { WriteLibraryTwice(state); },
      [&] {
        if (!bench.samples().ImportSamples(incoming))
          state.SkipWithError("import failed");
        bench.samples().ApplyChange(bench.lastChange(), false);
      });
  if (bench.store() != bench.library())
    state.SkipWithError("the undo did not give the library back");
  CheckQuiet(state);
}
BENCHMARK(BM_Import5000AndUndo)->UseManualTime()->Unit(benchmark::kMillisecond);

// One add to the library of 10,000 and its undo, beside two writes.
void BM_AddOneAndUndo(benchmark::State &state) {
  Workbench &bench = Bench();
  const SampleStore extra = GlyphLibrary(1, 5);
  const QString data = QString::fromLatin1(extra.begin()->first);
  MeasureRatio(
      state, [&] { WriteLibraryTwice(state); },
      [&] {
        bench.samples().OnBoxSelected(data);
        bench.label().setText(QStringLiteral("新"));
        if (!bench.samples().OnAddSample())
          state.SkipWithError("add failed");
        bench.samples().ApplyChange(bench.lastChange(), false);
      });
  CheckQuiet(state);
}
BENCHMARK(BM_AddOneAndUndo)->UseManualTime()->Unit(benchmark::kMillisecond);

// "新建样本库…" over a library of 10,000: the list emptied and an empty
// library written, beside the write of the library it leaves. Reading the
// library back in between is left out.
void BM_NewLibrary(benchmark::State &state) {
  Workbench &bench = Bench();
  const std::string fresh = bench.File("new.txt");
  bench.samples().SetNewLibraryChooser([&] { return QString::fromStdString(fresh); });
  MeasureAfterSetup(
      state,
      [&] {
        if (!WriteSampleFile(bench.File("baseline.txt"), bench.library()))
          state.SkipWithError("cannot write");
      },
      [&] {
        std::filesystem::remove(fresh);
        bench.Reload();
      },
      [&] {
        if (!bench.samples().OnNewLibrary() || !bench.store().empty())
          state.SkipWithError("no new library");
      });
  bench.Reload();
  CheckQuiet(state);
}
BENCHMARK(BM_NewLibrary)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
