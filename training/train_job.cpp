#include "training/train_job.h"

#include <thread>

#include "app/text_codec.h"
#include "app/work_paths.h"
#include "training/job_cancel.h"
#include "training/train_files.h"
#include "training/train_lock.h"
#include "training/train_reporter.h"
#include "training/train_sequences.h"

namespace {

// Stands in when a job has no reporter, so the job needs no checks.
class SilentReporter : public TrainReporter {
public:
  void Progress(int) override {}
  void Log(const std::string &) override {}
  void Done(int, const std::string &) override {}
};

} // namespace

std::string BaseLanguageForIndex(int index) {
  return index == 0 ? "eng" : "chi_sim";
}

int RunTrainJob(std::unique_ptr<TrainJob> job) {
  if (!job)
    return 0;
  SilentReporter silent;
  TrainReporter &reporter = job->reporter ? *job->reporter : silent;
  const std::string tempDir = GetWorkPaths().TempDir;
  // Held until the last report: another job's tmp/ is left as it is.
  const TrainAreaLock area(GetWorkPaths().ProgramDir);
  if (!area.Acquired()) {
    reporter.Done(kTrainAreaBusy, Utf8ToSystem(kTrainAreaBusyText));
    return 0;
  }
  const auto cancelled = [&job] { return job->cancel && job->cancel->IsCancelled(); };
  std::string log;

  reporter.Progress(10);
  // Files left by a job that never reached its end (a crash, a kill) would
  // pass this job's checks; start from an empty tmp/.
  ResetDirectory(tempDir);

  std::vector<TrainingPage> pages;
  int code = PrepareTrainingInputs(
      job->samples, log, [&reporter](int percent) { reporter.Progress(percent); }, &pages);
  if (code == kTrainOk && cancelled())
    code = kTrainCancelled;
  if (code == kTrainOk) {
    ToolRunOptions run;
    run.reporter = &reporter;
    run.cancel = job->cancel;
    code = job->mode == 0 ? RunLegacySequence(*job, log, run, &pages)
                          : RunLstmSequence(*job, log, run, &pages);
  }

  // The common end, whatever happened: tmp/ is left empty. A closing window
  // does not wait for the pauses.
  const auto pause = [&job, &cancelled] {
    if (cancelled() || job->settleWait.count() <= 0)
      return;
    if (job->cancel)
      job->cancel->SleepFor(job->settleWait);
    else
      std::this_thread::sleep_for(job->settleWait);
  };
  pause();
  ResetDirectory(tempDir);
  reporter.Progress(100);
  pause();
  reporter.Done(code, log);
  return 0;
}
