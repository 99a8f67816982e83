// The window's training commands on widgets of their own: the output file's
// suffix, the two refusals, whole jobs reported back through events, and a
// window closed in the middle of a job.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

#include "app/text_codec.h"
#include "digit_glyphs.h"
#include "program_dir.h"
#include "training/train_commands.h"
#include "training/train_lock.h"
#include "workbench/private_messages.h"
#include "workspace/dot_matrix.h"

namespace {

namespace fs = std::filesystem;
using training_test::ProgramDir;
using training_test::ReadFile;

// A 3 x 3 sample with its label.
SampleMap OneSample() {
  const std::uint8_t ink[9] = {1, 1, 1, 1, 0, 1, 1, 1, 1};
  return {{EncodeDotMatrix(PixelRect{0, 0, 2, 2}, ink, 3, 3), "o"}};
}

// The part of the main window the commands work on; events reach the
// commands the way the window's event() passes them on.
class Window : public QWidget {
public:
  explicit Window(SampleMap samples = {}) : samples_(std::move(samples)) {
    dataPath = new QLineEdit(this);
    startButton = new QPushButton(this);
    // Next in the tab order, as the sample path edit is in the window.
    samplePath = new QLineEdit(QStringLiteral("/data/samples.json"), this);
    samplePath->setReadOnly(true);
    log = new QPlainTextEdit(this);
    progress = new QProgressBar(this);
    progress->setRange(0, 100);
    mode = new QComboBox(this);
    mode->addItems({QStringLiteral("普通训练"), QStringLiteral("深度训练")});
    baseLanguage = new QComboBox(this);
    baseLanguage->addItems({QStringLiteral("英语模板"), QStringLiteral("中文模板")});
    baseLanguage->setCurrentIndex(1);
    trainPsm = new QComboBox(this);
    for (int psm = 0; psm <= 12; ++psm)
      trainPsm->addItem(QString::number(psm));
    trainPsm->setCurrentIndex(8);
    commands = std::make_unique<TrainCommands>(TrainCommands::Widgets{this, dataPath, startButton,
                                                                      log, progress, mode,
                                                                      baseLanguage, trainPsm},
                                               [this] { return samples_; });
    commands->SetWarningBox([this](QWidget *, const QString &text) { messages << text; });
    commands->SetSettleWait(std::chrono::milliseconds(0));
  }

  bool event(QEvent *e) override {
    if (commands && commands->HandleTrainEvent(e))
      return true;
    return QWidget::event(e);
  }

  // Lets events through until the job has reported its end.
  bool WaitForResult() {
    QElapsedTimer clock;
    clock.start();
    while (!startButton->isEnabled() && clock.elapsed() < 60000)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    return startButton->isEnabled();
  }

  SampleMap samples_;
  QLineEdit *dataPath;
  QPushButton *startButton;
  QLineEdit *samplePath;
  QPlainTextEdit *log;
  QProgressBar *progress;
  QComboBox *mode, *baseLanguage, *trainPsm;
  QStringList messages;
  std::unique_ptr<TrainCommands> commands;
};

TEST(TrainCommands, TheChosenFileEndsInTraineddataExactlyOnce) {
  Window window;
  const std::pair<QString, QString> cases[] = {
      {QStringLiteral("/data/digits"), QStringLiteral("/data/digits.traineddata")},
      {QStringLiteral("/data/digits.traineddata"), QStringLiteral("/data/digits.traineddata")},
      {QStringLiteral("/data/DIGITS.TRAINEDDATA"),
       QStringLiteral("/data/DIGITS.TRAINEDDATA.traineddata")},
      {QStringLiteral("/数据/字库.traineddata"), QStringLiteral("/数据/字库.traineddata")},
      {QStringLiteral("a"), QStringLiteral("a.traineddata")},
      {QStringLiteral("traineddata"), QStringLiteral("traineddata.traineddata")},
  };
  for (const auto &[chosen, expected] : cases) {
    window.commands->SetSaveFileDialog([&chosen](QWidget *) { return chosen; });
    window.commands->OnChooseDataFile();
    EXPECT_EQ(window.dataPath->text(), expected) << chosen.toStdString();
  }
  window.commands->SetSaveFileDialog([](QWidget *) { return QString(); }); // cancelled
  window.commands->OnChooseDataFile();
  EXPECT_EQ(window.dataPath->text(), QStringLiteral("traineddata.traineddata"));
}

TEST(TrainCommands, WithoutSamplesOrOutputPathNoJobStarts) {
  Window empty;
  empty.log->setPlainText(QStringLiteral("old log"));
  empty.commands->OnStartTraining();
  EXPECT_EQ(empty.messages, QStringList{QStringLiteral("请先分割出样本")}); // only this one
  EXPECT_EQ(empty.log->toPlainText(), QString());
  EXPECT_TRUE(empty.startButton->isEnabled());

  Window noPath(OneSample());
  noPath.log->setPlainText(QStringLiteral("old log"));
  noPath.commands->OnStartTraining();
  EXPECT_EQ(noPath.messages, QStringList{QStringLiteral("请设置需要导出的字库的路径")});
  EXPECT_EQ(noPath.log->toPlainText(), QString());
  EXPECT_TRUE(noPath.startButton->isEnabled());
  EXPECT_FALSE(noPath.commands->IsTraining());
}

TEST(TrainCommands, AJobRunsWithTheChosenSettingsAndReportsBack) {
  ProgramDir program;
  // The recognition step shows what it was given, then the job fails at its
  // first check: enough to see the choices and the whole round trip.
  program.ReplaceTool("tesseract", "echo \"tesseract $*\"");
  Window window(OneSample());
  window.dataPath->setText(QString::fromStdString(program.Scratch()) +
                           QStringLiteral("字库.traineddata"));
  window.mode->setCurrentIndex(1);
  window.baseLanguage->setCurrentIndex(0);
  window.trainPsm->setCurrentIndex(6);
  window.progress->setValue(42);
  window.commands->OnStartTraining();
  EXPECT_FALSE(window.startButton->isEnabled());
  EXPECT_TRUE(window.commands->IsTraining());
  window.commands->OnStartTraining(); // a second press cannot start a second job

  ASSERT_TRUE(window.WaitForResult());
  const QString toolLine = QStringLiteral(
      "tesseract tmp/tmp.font.exp0.tif tmp/tmp.font.exp0 -l eng --psm 6 lstm.train\n");
  ASSERT_EQ(window.messages, QStringList{toolLine}); // result 3: the job log is the message
  EXPECT_EQ(window.progress->value(), 100);
  EXPECT_EQ(window.log->toPlainText(), toolLine + "\n");
  EXPECT_TRUE(fs::is_empty(program.Tmp()));
}

TEST(TrainCommands, ARealLegacyJobEndsWithTrainingComplete) {
  ProgramDir program;
  Window window(training_test::FontSamples("0123456789", {40}));
  const std::string output = program.Scratch() + "out.traineddata";
  std::ofstream(output) << "previous";
  window.dataPath->setText(QString::fromStdString(output));
  window.commands->OnStartTraining();
  ASSERT_TRUE(window.WaitForResult());
  // The self-check's figure goes with the good news.
  EXPECT_EQ(window.messages,
            QStringList{QStringLiteral("训练完成\n自检：10 个字符中 10 个识别正确。")});
  EXPECT_NE(ReadFile(output), "previous");
  EXPECT_EQ(window.progress->value(), 100);
  // Five tools and the closing lines, six reports, each the whole log so far.
  EXPECT_EQ(window.log->toPlainText().count(QStringLiteral("Extracting unicharset")), 5);
  EXPECT_TRUE(fs::is_empty(program.Tmp()));
}

TEST(TrainCommands, ClosingTheWindowDuringAJobStopsItsToolAndLeavesTmpEmpty) {
  // Either the window is destroyed with the job running, or it stops the job
  // when it closes and lives on for a moment.
  for (const bool destroy : {true, false}) {
    ProgramDir program;
    const std::string pidFile = program.Scratch() + "pid";
    program.ReplaceTool("tesseract", "echo started\necho $$ > '" + pidFile + "'\nexec sleep 60");
    auto window = std::make_unique<Window>(OneSample());
    window->dataPath->setText(QString::fromStdString(program.Scratch() + "out.traineddata"));
    window->commands->SetSettleWait(std::chrono::milliseconds(500));
    window->commands->OnStartTraining();
    while (!fs::exists(pidFile) || ReadFile(pidFile).empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    QApplication::processEvents(); // some reports have already arrived

    if (destroy)
      window.reset(); // its commands stop the job before anything is destroyed
    else
      window->commands->StopTraining();
    QApplication::processEvents();
    QApplication::sendPostedEvents();
    EXPECT_NE(kill(std::stoi(ReadFile(pidFile)), 0), 0) << destroy;
    EXPECT_TRUE(fs::is_empty(program.Tmp())) << destroy;
    if (window) {
      EXPECT_EQ(window->messages, QStringList{}); // no result box pops up while closing
      EXPECT_FALSE(window->commands->IsTraining());
    }
  }
}

TEST(TrainCommands, ReportsForAReceiverThatIsGoneAreDropped) {
  ProgramDir program;
  program.ReplaceTool("tesseract", "echo working");
  auto *receiver = new QObject;
  Window window(OneSample());
  TrainCommands commands(
      TrainCommands::Widgets{&window, window.dataPath, window.startButton, window.log,
                             window.progress, window.mode, window.baseLanguage, window.trainPsm},
      [&window] { return window.samples_; }, receiver);
  commands.SetSettleWait(std::chrono::milliseconds(0));
  window.dataPath->setText(QString::fromStdString(program.Scratch() + "out.traineddata"));
  commands.OnStartTraining();
  delete receiver;
  while (commands.IsTraining())
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  QApplication::processEvents(); // the job's reports meet no receiver
  QApplication::sendPostedEvents();
  EXPECT_FALSE(window.startButton->isEnabled()); // nothing reached the window either
  EXPECT_TRUE(fs::is_empty(program.Tmp()));
}

TEST(TrainCommands, AnotherJobInTheProgramDirectoryIsNamedAndItsFilesKept) {
  ProgramDir program;
  std::ofstream(program.Tmp() + "/tmp.font.exp0.box") << "the other job's boxes";
  const TrainAreaLock other(program.Root()); // held as the other job holds it
  ASSERT_TRUE(other.Acquired());
  Window window(OneSample());
  const std::string output = program.Scratch() + "out.traineddata";
  window.dataPath->setText(QString::fromStdString(output));
  window.commands->OnStartTraining();
  ASSERT_TRUE(window.WaitForResult());
  EXPECT_EQ(window.messages,
            QStringList{QStringLiteral("另一个 glyphwright 正在使用此程序目录训练，请等它结束后再试。")});
  EXPECT_EQ(ReadFile(program.Tmp() + "/tmp.font.exp0.box"), "the other job's boxes");
  EXPECT_FALSE(fs::exists(output));
}

TEST(TrainCommands, EachLogReportIsAppendedWithItsEndInView) {
  Window window;
  window.resize(300, 300);
  window.log->setGeometry(0, 0, 300, 60); // room for a few lines only
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  std::string log;
  QString expected;
  for (int tool = 1; tool <= 5; ++tool) {
    for (int line = 1; line <= 6; ++line)
      log += "tool " + std::to_string(tool) + " line " + std::to_string(line) + "\n";
    expected += QString::fromStdString(log) + "\n";
    if (tool == 3) // the user has been reading the top meanwhile
      window.log->moveCursor(QTextCursor::Start);
    PayloadEvent<std::string> report(WM_TRAIN_LOG, log);
    ASSERT_TRUE(window.commands->HandleTrainEvent(&report));

    // Every report whole, in order: the log shows the job growing step by step.
    EXPECT_EQ(window.log->toPlainText(), expected);
    const QScrollBar *bar = window.log->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum()) << tool;
    QTextCursor end = window.log->textCursor();
    end.movePosition(QTextCursor::End);
    end.movePosition(QTextCursor::PreviousBlock); // the last line with text
    EXPECT_TRUE(window.log->viewport()->rect().contains(window.log->cursorRect(end)))
        << tool;
  }
}

TEST(TrainCommands, TheFocusStaysWhereItWasWhileAJobRuns) {
  ProgramDir program;
  const std::string release = program.Scratch() + "release";
  program.ReplaceTool("tesseract",
                      "while [ ! -e '" + release + "' ]; do sleep 0.05; done; echo done");
  // The button clicked with the mouse, which gives it the focus; or the job
  // started while the focus is in another control.
  for (const bool clicked : {true, false}) {
    fs::remove(release);
    Window window(OneSample());
    QObject::connect(window.startButton, &QPushButton::clicked,
                     [&window] { window.commands->OnStartTraining(); });
    window.dataPath->setText(QString::fromStdString(program.Scratch() + "out.traineddata"));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    if (clicked) {
      QTest::mouseClick(window.startButton, Qt::LeftButton);
    } else {
      window.log->setFocus();
      window.commands->OnStartTraining();
    }
    ASSERT_FALSE(window.startButton->isEnabled()) << clicked;
    QApplication::processEvents();
    EXPECT_NE(QApplication::focusWidget(), window.samplePath) << clicked;
    EXPECT_FALSE(window.samplePath->hasSelectedText()) << clicked;
    if (!clicked) {
      EXPECT_EQ(QApplication::focusWidget(), window.log);
    }

    std::ofstream(release).close();
    ASSERT_TRUE(window.WaitForResult());
    EXPECT_EQ(QApplication::focusWidget(),
              clicked ? static_cast<QWidget *>(window.startButton) : window.log)
        << clicked;
    EXPECT_FALSE(window.samplePath->hasSelectedText()) << clicked;
  }
}

} // namespace
