#pragma once
// The main window's training commands: button 6 chooses the output file,
// button 5 starts a job; and the window's handling of the job's reports.
// Works on the widgets it is given, so the window only routes to it.
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include "training/train_inputs.h"

class QComboBox;
class QEvent;
class QLineEdit;
class QObject;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;
class TrainWorker;

class TrainCommands {
public:
  struct Widgets {
    QWidget *owner = nullptr;           // parent of dialogs and message boxes
    QLineEdit *dataPath = nullptr;      // 1006, the output file
    QPushButton *startButton = nullptr; // 5 "开始训练样本"
    QPlainTextEdit *log = nullptr;      // 1035
    QProgressBar *progress = nullptr;   // 1007
    QComboBox *mode = nullptr;          // 1030
    QComboBox *baseLanguage = nullptr;  // 1031
    QComboBox *trainPsm = nullptr;      // 1034
  };
  // The sample store's entries at the moment of the command: data string ->
  // label, both system code page.
  using SampleSource = std::function<SampleMap()>;
  // Asks for the output file; an empty result means the user cancelled.
  using SaveFileDialog = std::function<QString(QWidget *owner)>;
  using WarningBox = std::function<void(QWidget *owner, const QString &text)>;

  // The job's reports go to `receiver` (normally the window, which passes
  // them to HandleTrainEvent); nullptr sends them to widgets.owner.
  TrainCommands(const Widgets &widgets, SampleSource samples, QObject *receiver = nullptr);
  // Stops a running job (its tool is ended, tmp/ emptied) and waits for it.
  ~TrainCommands();
  TrainCommands(const TrainCommands &) = delete;
  TrainCommands &operator=(const TrainCommands &) = delete;

  // Button 6: a save dialog for "*.traineddata"; the chosen path, with
  // ".traineddata" appended unless it ends so already, goes into edit 1006.
  void OnChooseDataFile();
  // Button 5: checks, snapshot, button disabled, job started.
  void OnStartTraining();
  // WM_TRAIN_PROGRESS, WM_TRAIN_LOG, WM_TRAIN_DONE: progress bar, log edit,
  // button enabled again and the result shown. False for any other event.
  bool HandleTrainEvent(QEvent *event);

  bool IsTraining() const;
  // For the window's close: stops a running job (its tool is ended, tmp/
  // emptied), waits for it and drops its remaining reports. The destructor
  // does the same.
  void StopTraining();

  // Replaceable for tests.
  void SetSaveFileDialog(SaveFileDialog dialog) { saveFileDialog_ = std::move(dialog); }
  void SetWarningBox(WarningBox box) { warningBox_ = std::move(box); }
  void SetSettleWait(std::chrono::milliseconds wait) { settleWait_ = wait; }

  // The path as edit 1006 takes it.
  static QString WithTrainedDataSuffix(const QString &path);

private:
  // Button 5 off while a job runs and on again after, the focus staying
  // where it was.
  void DisableStartButton();
  void EnableStartButton();

  Widgets widgets_;
  SampleSource samples_;
  SaveFileDialog saveFileDialog_;
  WarningBox warningBox_;
  std::chrono::milliseconds settleWait_{500};
  std::unique_ptr<TrainWorker> worker_;
  // The button had the focus when the job started; the window holds it.
  bool focusParked_ = false;
};
