// The private messages of the other parts of the program, as the main window
// handles them before the normal dispatch.
#include "capture/capture_result.h"
#include "ocrtest/ocr_test_runner.h"
#include "samples/sample_list.h"
#include "training/train_commands.h"
#include "workbench/glyphwright_dlg.h"
#include "workbench/private_messages.h"
#include "workspace/box_selected_event.h"
#include "workspace/dot_matrix.h"
#include "workspace/seg_box.h"

bool CglyphwrightDlg::event(QEvent *event) {
  switch (static_cast<int>(event->type())) {
  case WM_BOX_SELECTED: {
    // The box lives in the view's list only while this runs: the list takes
    // a copy of its data string.
    const SegBox &box = static_cast<BoxSelectedEvent *>(event)->box();
    // Width and height count a pixel of margin on each side.
    if (std::int64_t{box.width} - 2 > kMaxDotMatrixSide ||
        std::int64_t{box.height} - 2 > kMaxDotMatrixSide) {
      ShowMessage(QStringLiteral("这个框有 %1 × %2 像素，样本最大 %3 × %3 像素，不能作为样本")
                      .arg(std::int64_t{box.width} - 2)
                      .arg(std::int64_t{box.height} - 2)
                      .arg(kMaxDotMatrixSide));
      return true;
    }
    sampleList_->OnBoxSelected(QString::fromLatin1(box.data));
    return true;
  }
  case WM_TRAIN_PROGRESS:
  case WM_TRAIN_DONE:
  case WM_TRAIN_LOG:
    training_->HandleTrainEvent(event);
    return true;
  case WM_CAPTURE_DONE: {
    const CaptureResult &capture = static_cast<PayloadEvent<CaptureResult> *>(event)->value();
    if (!capture.image.isNull())
      PutImageIntoWorkspace(capture.image);
    return true;
  }
  case WM_RANGE_SELECTED:
    ocrTest_->OnRangeSelected(static_cast<PayloadEvent<QRect> *>(event)->value());
    return true;
  case WM_TEST_DONE:
    ocrTest_->OnTestDone(static_cast<PayloadEvent<TestResult> *>(event)->value());
    return true;
  default:
    return QDialog::event(event);
  }
}
