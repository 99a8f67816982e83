#include "training/train_commands.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

#include "app/qt_text.h"
#include "app/text_codec.h"
#include "training/self_check.h"
#include "training/train_job.h"
#include "training/train_worker.h"
#include "workbench/private_messages.h"

namespace {

const char kSuffix[] = ".traineddata";

QString AskForDataFile(QWidget *owner) {
  return QFileDialog::getSaveFileName(owner, QString(), QString(),
                                      QStringLiteral("字库文件 (*.traineddata)"));
}

void ShowWarning(QWidget *owner, const QString &text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("glyphwright"), text, QMessageBox::Ok,
                  owner);
  box.exec();
}

} // namespace

TrainCommands::TrainCommands(const Widgets &widgets, SampleSource samples, QObject *receiver)
    : widgets_(widgets), samples_(std::move(samples)), saveFileDialog_(AskForDataFile),
      warningBox_(ShowWarning),
      worker_(std::make_unique<TrainWorker>(receiver ? receiver : widgets.owner)) {}

TrainCommands::~TrainCommands() = default;

bool TrainCommands::IsTraining() const {
  return worker_->IsRunning();
}

void TrainCommands::StopTraining() {
  worker_->Stop();
}

QString TrainCommands::WithTrainedDataSuffix(const QString &path) {
  // Byte comparison of the system-code-page form, case-sensitive: "X.TRAINEDDATA"
  // gets the suffix as well.
  const std::string bytes = ToSystemCodePage(path.toStdU16String());
  const std::size_t length = sizeof kSuffix - 1;
  if (bytes.size() >= length && bytes.compare(bytes.size() - length, length, kSuffix) == 0)
    return path;
  return path + QLatin1String(kSuffix);
}

void TrainCommands::OnChooseDataFile() {
  const QString chosen = saveFileDialog_(widgets_.owner);
  if (chosen.isEmpty())
    return;
  widgets_.dataPath->setText(WithTrainedDataSuffix(chosen));
}

void TrainCommands::OnStartTraining() {
  widgets_.log->setPlainText(QString());
  SampleMap samples = samples_ ? samples_() : SampleMap{};
  if (samples.empty()) {
    warningBox_(widgets_.owner, QStringLiteral("请先分割出样本"));
    return;
  }
  const QString outputPath = widgets_.dataPath->text();
  if (outputPath.isEmpty()) {
    warningBox_(widgets_.owner, QStringLiteral("请设置需要导出的字库的路径"));
    return;
  }
  if (worker_->IsRunning())
    return; // the button is disabled while a job runs; a stray call starts nothing
  DisableStartButton();

  auto job = std::make_unique<TrainJob>();
  job->outputPath = QFile::encodeName(outputPath).toStdString();
  job->trainPsm = widgets_.trainPsm->currentIndex();
  job->baseLanguage = BaseLanguageForIndex(widgets_.baseLanguage->currentIndex());
  job->mode = widgets_.mode->currentIndex();
  job->samples = std::move(samples);
  job->settleWait = settleWait_;
  if (!worker_->Start(std::move(job)))
    EnableStartButton();
}

void TrainCommands::DisableStartButton() {
  // A disabled button cannot keep the focus, and Qt would hand it on down the
  // tab order, to the read-only sample path edit with its text selected.
  // The window holds it instead while the job runs.
  QPushButton *button = widgets_.startButton;
  QWidget *window = button->window();
  focusParked_ = window->focusWidget() == button;
  if (focusParked_)
    window->setFocus(Qt::OtherFocusReason);
  button->setEnabled(false);
}

void TrainCommands::EnableStartButton() {
  QPushButton *button = widgets_.startButton;
  button->setEnabled(true);
  // Back to the button, unless the user has put the focus elsewhere meanwhile.
  QWidget *window = button->window();
  if (focusParked_ && window->focusWidget() == window)
    button->setFocus(Qt::OtherFocusReason);
  focusParked_ = false;
}

bool TrainCommands::HandleTrainEvent(QEvent *event) {
  switch (int(event->type())) {
  case WM_TRAIN_PROGRESS:
    widgets_.progress->setValue(static_cast<PayloadEvent<int> *>(event)->value());
    return true;
  case WM_TRAIN_LOG: {
    const std::string &log = static_cast<PayloadEvent<std::string> *>(event)->value();
    // Each report is the whole log so far, and each is appended as it comes:
    // the log shows the job step by step.
    QPlainTextEdit *edit = widgets_.log;
    QTextCursor end = edit->textCursor();
    end.movePosition(QTextCursor::End);
    edit->setTextCursor(end);
    edit->insertPlainText(FromSystem(log) + QStringLiteral("\n"));
    // Scrolled after the insert, so the newest lines are the ones in view.
    edit->ensureCursorVisible();
    edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
    return true;
  }
  case WM_TRAIN_DONE: {
    const TrainResult &result = static_cast<PayloadEvent<TrainResult> *>(event)->value();
    EnableStartButton();
    // A legacy job's self-check goes with the good news.
    const std::string note = result.code == 0 ? SelfCheckNote(result.log) : std::string();
    warningBox_(widgets_.owner,
                result.code != 0 ? FromSystem(result.log)
                : note.empty()   ? QStringLiteral("训练完成")
                                 : QStringLiteral("训练完成\n") + FromSystem(note));
    return true;
  }
  default:
    return false;
  }
}
