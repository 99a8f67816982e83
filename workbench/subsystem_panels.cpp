// The main window's wiring to the subsystems that own their work: the sample
// list, screen capture, training and the test area. The window only routes.
#include "capture/snap_cip_wnd.h"
#include "ocrtest/ocr_test_runner.h"
#include "samples/sample_list.h"
#include "training/train_commands.h"
#include "workbench/glyphwright_dlg.h"
#include "workbench/message_box.h"
#include "workspace/show_ctrl.h"

#include "app/work_paths.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

void CglyphwrightDlg::CreateSubsystemPanels() {
  MainWindowControls &c = controls_;
  const auto showMessage = [this](const QString &text) { ShowMessage(text); };

  sampleList_ = new CSampleList(c.sampleList, c.label, c.samplePath, this, sampleStore_, this);
  sampleList_->SetMessageSink(showMessage);
  connect(sampleList_, &CSampleList::PreviewChanged, c.previewView, &CShowCtrl::ShowBitmap);
  sampleList_->SetPreviewSize(c.previewView->PictureSize());

  training_ = std::make_unique<TrainCommands>(
      TrainCommands::Widgets{this, c.dataPath, c.startTrainingButton, c.trainLog, c.trainProgress,
                             c.trainMode, c.baseLanguage, c.trainPsm},
      [this] { return sampleStore_; }, this);
  training_->SetWarningBox([this](QWidget *, const QString &text) { ShowMessage(text); });

  ocrTest_ = new OcrTestRunner(this, c, GetWorkPaths().TessdataDir, showMessage, this);
  ocrTest_->SetRangeCaptureStarter([this](const QRect &screenLimit) {
    if (captureWindow_)
      captureWindow_->BeginCapture(screenLimit, CSnapCipWnd::RangeMode);
  });
}

void CglyphwrightDlg::ConnectSubsystemCommands() {
  MainWindowControls &c = controls_;
  connect(c.chooseSampleButton, &QPushButton::clicked, sampleList_,
          &CSampleList::OnChooseSampleFile);
  connect(c.addSampleButton, &QPushButton::clicked, this, [this] { AddCurrentSample(); });
  connect(sampleList_, &CSampleList::CurrentSourceChanged, this,
          [this] { OnCurrentSourceChanged(); });

  connect(c.chooseDataButton, &QPushButton::clicked, this,
          [this] { training_->OnChooseDataFile(); });
  connect(c.startTrainingButton, &QPushButton::clicked, this,
          [this] { training_->OnStartTraining(); });

  connect(c.captureButton, &QPushButton::clicked, this, [this] { OnCaptureScreen(); });
  connect(c.selectRangeButton, &QPushButton::clicked, ocrTest_, &OcrTestRunner::OnSelectTestRange);
  connect(c.startTestButton, &QPushButton::clicked, ocrTest_, &OcrTestRunner::OnStartTest);
  connect(c.ocrCommand, &QComboBox::currentIndexChanged, ocrTest_,
          &OcrTestRunner::UpdateScriptSnippet);
}

void CglyphwrightDlg::ReloadSampleList() {
  sampleList_->ReloadSampleList();
}

void CglyphwrightDlg::CreateCaptureWindow() {
  captureWindow_ = new CSnapCipWnd(this);
}

void CglyphwrightDlg::OnCaptureScreen() {
  if (QScreen *primary = QGuiApplication::primaryScreen())
    captureWindow_->BeginCapture(primary->geometry(), CSnapCipWnd::CaptureMode);
}

void CglyphwrightDlg::StopWorkers() {
  // Training stops its tool and empties tmp/; a test finishes its
  // recognition (so its dictionary copy is gone) and its result is dropped.
  if (training_)
    training_->StopTraining();
  if (ocrTest_)
    ocrTest_->Shutdown();
}
