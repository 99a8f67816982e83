#pragma once
// A new user's whole road through the real main window on an X display:
// open a picture of text, binarize, split, label every box into a sample
// file, train, and read the picture back with the trained file. Each step
// is taken with real clicks and key presses and leaves a picture of the
// window in $GLYPHWRIGHT_E2E_SHOTS (the test's own directory by default).
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableWidget>
#include <gtest/gtest.h>
#include <memory>

#include "app/settings_store.h"
#include "gui_input.h"
#include "samples/sample_file.h"
#include "samples/sample_list.h"
#include "tests/training/program_dir.h"
#include "training/train_commands.h"
#include "workbench/control_ids.h"
#include "workbench/glyphwright_dlg.h"
#include "workspace/binar_ctrl.h"

namespace e2e {

namespace Id = ControlId;

// The main window with one stand-in: the file-open dialog of button 1010
// answers with the picture the test drew. Everything else is the program's.
class RoadWindow : public CglyphwrightDlg {
public:
  explicit RoadWindow(SettingsStore &settings) : CglyphwrightDlg(settings) {}
  QString imageToOpen;

protected:
  QString AskImagePath() override { return imageToOpen; }
};

// Text as the recognition result box shows it, compared without regard to
// how the white space between words and lines came out.
inline QString Normalised(const QString &text) {
  return text.simplified();
}

class Road : public ::testing::Test {
protected:
  // What the user's screen shows: every digit and a few letters, each once,
  // on two lines.
  const QStringList lines_ = {QStringLiteral("7394051826"), QStringLiteral("AKRex")};

  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs a real X display (run under xvfb-run)";
    program_ = std::make_unique<training_test::ProgramDir>();
    const QByteArray shots = qgetenv("GLYPHWRIGHT_E2E_SHOTS");
    shotDir_ = shots.isEmpty() ? QString::fromStdString(program_->Scratch()) + "shots/"
                               : QString::fromLocal8Bit(shots) + "/";
    QDir().mkpath(shotDir_);
    window_ = std::make_unique<RoadWindow>(Settings());
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    // Key presses go where the focus is, as for a user at this window.
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    answerer_ = std::make_unique<MessageBoxAnswerer>();
  }

  void TearDown() override {
    answerer_.reset();
    window_.reset();
    program_.reset();
  }

  template <typename T = QWidget> T *Control(int id) const {
    T *control = window_->findChild<T *>(QString::number(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
  }

  // The window as the screen shows it, with an open list or a message box
  // over it, as a small PNG.
  void Shot(const QString &name) const {
    if (!shots_)
      return;
    QTest::qWait(150);
    const QRect frame = window_->frameGeometry();
    const QImage picture = window_->screen()
                               ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                               .toImage();
    // A palette keeps the flat colours of a dialog exact and the file small.
    const QImage small = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    EXPECT_TRUE(small.save(shotDir_ + shotPrefix_ + name + ".png")) << name.toStdString();
  }

  // Black text on white, exactly as large as the workspace, drawn from a
  // known font without smoothing so every character is one shape.
  QString DrawText() const {
    const QSize size = Control<CBinarCtrl>(Id::WorkspaceView)->size();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int id =
        QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    QFont font(QFontDatabase::applicationFontFamilies(id).value(0));
    font.setPixelSize(40);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines_.size(); ++i)
      painter.drawText(30, 70 + 70 * i, lines_[i]);
    painter.end();
    // A copy beside the pictures of the steps, for a reader to open.
    if (shots_) {
      EXPECT_TRUE(image.save(shotDir_ + shotPrefix_ + "screen-text.png"));
    }
    const QString path = QString::fromStdString(program_->Scratch()) + "screen text.png";
    EXPECT_TRUE(image.save(path));
    return path;
  }

  // Open the picture, binarize it so the text is white, cut it into boxes.
  void OpenAndSplit() {
    Shot(QStringLiteral("01-window"));
    window_->imageToOpen = DrawText();
    Click(Control(Id::OpenImageButton));
    auto *view = Control<CBinarCtrl>(Id::WorkspaceView);
    ASSERT_TRUE(view->hasImage());
    Shot(QStringLiteral("02-image-opened"));

    // The splits cut out white shapes: dark text on a light screen needs
    // the inverting method.
    ChooseItem(Control<QComboBox>(Id::MethodCombo), 1,
               [this] { Shot(QStringLiteral("03-method-list")); });
    EXPECT_EQ(Control<QLineEdit>(Id::MethodTypeEdit)->text(), QStringLiteral("1"));
    Shot(QStringLiteral("04-binarized"));

    Click(Control(Id::DirectSplitButton));
    ASSERT_EQ(int(view->boxes().size()), Normalised(lines_.join("")).size());
    Shot(QStringLiteral("05-split"));
  }

  // Choose the sample file, then click every box, type what it shows and
  // add it to the library.
  void LabelEveryBox() {
    samplePath_ = QString::fromStdString(program_->Scratch()) + "samples.txt";
    window_->SampleList()->SetPathChooser([this] { return samplePath_; });
    Click(Control(Id::ChooseSampleFileButton));
    EXPECT_EQ(Control<QLineEdit>(Id::SamplePathEdit)->text(), samplePath_);

    auto *view = Control<CBinarCtrl>(Id::WorkspaceView);
    auto *label = Control<QLineEdit>(Id::LabelEdit);
    auto *list = Control<QTableWidget>(Id::SampleList);
    // The direct split gives the boxes in reading order.
    const QString text = lines_.join(QString());
    const std::vector<SegBox> boxes = view->boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const SegBox &box = boxes[i];
      Click(view, QPoint(box.x + box.width / 2, box.y + box.height / 2));
      ASSERT_EQ(window_->SampleList()->CurrentSample().toStdString(), box.data) << i;
      EXPECT_EQ(label->text(), QString()) << "a new sample has no label yet";
      Click(label);
      Type(label, text.mid(qsizetype(i), 1));
      EXPECT_EQ(label->text(), text.mid(qsizetype(i), 1));
      if (i == 0)
        Shot(QStringLiteral("06-label"));
      Click(Control(Id::AddSampleButton));
      ASSERT_EQ(list->rowCount(), int(i + 1));
    }
    EXPECT_EQ(window_->Samples().size(), boxes.size());
    // Written at each addition: the file holds the library as it is now.
    SampleStore onDisk;
    EXPECT_TRUE(LoadSampleFile(samplePath_.toStdString(), onDisk).loaded);
    EXPECT_EQ(onDisk, window_->Samples());
    Shot(QStringLiteral("07-samples"));
    EXPECT_TRUE(answerer_->texts.isEmpty()) << answerer_->texts.join("|").toStdString();
  }

  // Choose the output file, the training mode and base language, start the
  // job and wait for its result box. The box's text comes back.
  QString Train(int mode, int baseLanguage, const QString &shotName) {
    output_ = QString::fromStdString(program_->Scratch()) + "screen";
    window_->Training()->SetSaveFileDialog([this](QWidget *) { return output_; });
    Click(Control(Id::ChooseDataFileButton));
    output_ += QStringLiteral(".traineddata");
    EXPECT_EQ(Control<QLineEdit>(Id::DataPathEdit)->text(), output_);

    auto *modes = Control<QComboBox>(Id::TrainModeCombo);
    if (modes->currentIndex() != mode)
      ChooseItem(modes, mode);
    auto *bases = Control<QComboBox>(Id::BaseLanguageCombo);
    if (bases->currentIndex() != baseLanguage)
      ChooseItem(bases, baseLanguage);
    // The job pauses between its steps so a user can watch; not needed here.
    window_->Training()->SetSettleWait(std::chrono::milliseconds(0));

    answerer_->texts.clear();
    answerer_->onShown = [this, shotName](QMessageBox *) { Shot(shotName); };
    Click(Control(Id::StartTrainingButton));
    EXPECT_FALSE(Control(Id::StartTrainingButton)->isEnabled());
    const bool ended = SpinUntil([this] { return !answerer_->texts.isEmpty(); }, 120000);
    answerer_->onShown = nullptr;
    if (!ended)
      return QStringLiteral("<no result within two minutes>");
    EXPECT_TRUE(SpinUntil([this] { return Control(Id::StartTrainingButton)->isEnabled(); }));
    return answerer_->texts.join(QStringLiteral("|"));
  }

  // Pick the engine, test the whole workspace and return what edit 1028
  // shows afterwards.
  QString RecogniseWorkspace(int engine, const QString &shotName) {
    ChooseItem(Control<QComboBox>(Id::EngineCombo), engine);
    EXPECT_EQ(Control<QLineEdit>(Id::RangeEdit)->text(), QStringLiteral("0,0,0,0"));
    answerer_->texts.clear();
    Click(Control(Id::StartTestButton));
    EXPECT_TRUE(SpinUntil([this] { return Control(Id::StartTestButton)->isEnabled(); }, 60000));
    QTest::qWait(200); // a failure is told just after the result
    EXPECT_TRUE(answerer_->texts.isEmpty()) << answerer_->texts.join("|").toStdString();
    // The script snippet for the same recognition is there at once.
    EXPECT_FALSE(Control<QPlainTextEdit>(Id::ScriptEdit)->toPlainText().isEmpty());
    Shot(shotName);
    return Control<QPlainTextEdit>(Id::ResultEdit)->toPlainText();
  }

  std::unique_ptr<training_test::ProgramDir> program_;
  std::unique_ptr<RoadWindow> window_;
  std::unique_ptr<MessageBoxAnswerer> answerer_;
  QString shotDir_;
  QString shotPrefix_; // tells the pictures of one test from another's
  bool shots_ = true;
  QString samplePath_;
  QString output_;
};

} // namespace e2e
