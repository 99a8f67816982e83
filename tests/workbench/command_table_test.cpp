// Every command and notification of the main window, acted out on the whole
// window as a user would, each on a fresh window; and a real training job and
// a real test, during which only their own buttons change state.
#include "window_session.h"

#include "app/text_codec.h"
#include "tests/training/program_dir.h"

#include <QFont>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>
#include <algorithm>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 60000; // a bound for a hung worker, not a speed claim

// What a double-click could disturb in the sample area.
struct SampleAreaState {
  std::vector<std::pair<QString, QString>> rows;
  std::vector<int> selectedRows;
  std::vector<int> columnWidths;
  std::vector<int> columnOrder;
  QString label;
  QString currentSample;
  QImage preview;
  std::string sampleFile;
  bool editing = false;
  bool menuShown = false;

  friend bool operator==(const SampleAreaState &, const SampleAreaState &) = default;
};

// Chinese is typed through an input method, which commits whole characters.
void TypeThroughInputMethod(QWidget &edit, const QString &text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QCoreApplication::sendEvent(&edit, &commit);
}

class CommandTableTest : public WindowSession {
protected:
  enum class Given { Fresh, Image, Boxes, Library };

  void Arrange(Given given) {
    Open();
    if (given == Given::Fresh)
      return;
    if (given == Given::Image) {
      OpenGlyphs();
      return;
    }
    OpenAndSplit();
    if (given == Given::Library)
      ChooseLibraryOfBothBoxes();
  }

  SampleAreaState SampleArea() {
    SampleAreaState s;
    QTableWidget &list = List();
    for (int row = 0; row < list.rowCount(); ++row)
      s.rows.emplace_back(list.item(row, 0)->text(), list.item(row, 1)->text());
    for (const QModelIndex &index : list.selectionModel()->selectedRows())
      s.selectedRows.push_back(index.row());
    std::sort(s.selectedRows.begin(), s.selectedRows.end());
    for (int column = 0; column < list.columnCount(); ++column) {
      s.columnWidths.push_back(list.columnWidth(column));
      s.columnOrder.push_back(list.horizontalHeader()->logicalIndex(column));
    }
    s.label = Text(1011);
    s.currentSample = dialog_->SampleList()->CurrentSample();
    s.preview = Get<CShowCtrl>(1016).grab().toImage();
    s.sampleFile = dir_.Read("samples.txt");
    // An in-place editor would be a line edit over the viewport.
    s.editing = list.viewport()->findChild<QLineEdit *>() != nullptr;
    s.menuShown = dialog_->SampleList()->PopupMenu()->isVisible();
    return s;
  }

  // Pixels of the workspace drawn in the green of box outlines.
  int OutlinePixels() {
    const QImage shown = Workspace().grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x)
        count += shown.pixel(x, y) == qRgb(0x90, 0xEE, 0x90);
    return count;
  }

  // Left press and release, then a double click, on the capture window:
  // the first press takes the whole screen as the selection, the double
  // click finishes it.
  void FinishCaptureWithWholeScreen() {
    CSnapCipWnd *capture = dialog_->CaptureWindow();
    const QPoint middle = capture->rect().center();
    QTest::mouseClick(capture, Qt::LeftButton, {}, middle);
    QTest::mouseDClick(capture, Qt::LeftButton, {}, middle);
  }
};

TEST_F(CommandTableTest, EveryCommandDoesWhatItsRowSays) {
  using G = Given;
  struct Row {
    const char *command;
    Given given;
    std::function<void()> act;
    QStringList messages;
    std::function<void()> check;
  };
  const auto none = [] {};

  const Row kTable[] = {
      {"system menu: About", G::Fresh,
       [&] {
         for (QMenu *menu : dialog_->findChildren<QMenu *>())
           for (QAction *item : menu->actions())
             if (item->text() == QStringLiteral("关于 glyphwright(&A)..."))
               item->trigger();
       },
       {},
       [&] { EXPECT_EQ(dialog_->aboutBoxes, 1); }},

      {"1009 window capture", G::Fresh,
       [&] {
         Click(1009);
         ASSERT_TRUE(dialog_->CaptureWindow()->isVisible());
         EXPECT_EQ(dialog_->CaptureWindow()->CurrentMode(), CSnapCipWnd::CaptureMode);
         FinishCaptureWithWholeScreen();
       },
       {},
       [&] {
         // The capture arrives as WM_CAPTURE_DONE: in the workspace, binarized.
         EXPECT_FALSE(dialog_->CaptureWindow()->isVisible());
         EXPECT_TRUE(Workspace().hasImage());
         EXPECT_EQ(Workspace().sourceWidth(), QApplication::primaryScreen()->geometry().width());
       }},

      {"1010 local image", G::Fresh,
       [&] {
         dialog_->imageToOpen = SaveImage("glyphs.png", TwoGlyphs());
         Click(1010);
       },
       {},
       [&] {
         EXPECT_EQ(Workspace().sourceWidth(), 40);
         EXPECT_EQ(WhitePixels(), kGlyphPixels); // binarized at once (Otsu)
       }},

      {"1010 cancelled", G::Fresh, [&] { Click(1010); }, {},
       [&] { EXPECT_FALSE(Workspace().hasImage()); }},

      {"3 sample file", G::Boxes,
       [&] {
         SampleStore store{{BoxData(0).toStdString(), ToSystemCodePage(u"甲")}};
         ASSERT_TRUE(WriteSampleFile(dir_.File("other.txt"), store));
         sampleFileToChoose_ = Path("other.txt");
         Click(3);
       },
       {},
       [&] {
         EXPECT_EQ(Text(1008), Path("other.txt"));
         ASSERT_EQ(List().rowCount(), 1);
         EXPECT_EQ(List().item(0, 0)->text(), "甲");
         EXPECT_EQ(List().item(0, 1)->text(), BoxData(0));
         EXPECT_EQ(dialog_->Samples().size(), 1u);
       }},

      {"3 cancelled", G::Library,
       [&] {
         sampleFileToChoose_.clear();
         Click(3);
       },
       {},
       [&] {
         EXPECT_EQ(Text(1008), Path("samples.txt"));
         EXPECT_EQ(List().rowCount(), 2);
       }},

      {"6 data file", G::Fresh,
       [&] {
         dataFileToChoose_ = Path("digits");
         Click(6);
       },
       {}, [&] { EXPECT_EQ(Text(1006), Path("digits.traineddata")); }},

      {"5 without samples", G::Fresh,
       [&] {
         Get<QPlainTextEdit>(1035).setPlainText(QStringLiteral("last job"));
         Get<QLineEdit>(1006).setText(Path("out.traineddata"));
         Click(5);
       },
       {QStringLiteral("请先分割出样本")},
       [&] {
         EXPECT_EQ(Text(1035), QString()); // emptied before the checks
         EXPECT_FALSE(dialog_->Training()->IsTraining());
       }},

      {"5 without data file", G::Library,
       [&] {
         Get<QPlainTextEdit>(1035).setPlainText(QStringLiteral("last job"));
         Click(5);
       },
       {QStringLiteral("请设置需要导出的字库的路径")},
       [&] {
         EXPECT_EQ(Text(1035), QString());
         EXPECT_FALSE(dialog_->Training()->IsTraining());
       }},

      {"4 grid split, rows 0", G::Image,
       [&] {
         Get<QLineEdit>(1001).setText(QStringLiteral("0"));
         Click(4);
       },
       {QStringLiteral("分割的行列必须大于0")},
       [&] { EXPECT_TRUE(Workspace().boxes().empty()); }},

      {"4 grid split, columns 0", G::Image,
       [&] {
         Get<QLineEdit>(1002).setText(QStringLiteral("0"));
         Click(4);
       },
       {QStringLiteral("分割的行列必须大于0")},
       [&] { EXPECT_TRUE(Workspace().boxes().empty()); }},

      {"4 grid split", G::Image, [&] { Click(4); }, {},
       [&] { EXPECT_EQ(Workspace().boxes().size(), 2u); }},

      {"7 direct split without image", G::Fresh, [&] { Click(7); },
       {QStringLiteral("请先加载一张图片")}, [&] { EXPECT_TRUE(Workspace().boxes().empty()); }},

      {"7 direct split", G::Image, [&] { Click(7); }, {},
       [&] { EXPECT_EQ(Workspace().boxes().size(), 2u); }},

      {"1004 threshold dragged", G::Image,
       [&] {
         Get<QComboBox>(1005).setCurrentIndex(0); // THRESH_BINARY
         QSlider &bar = Get<QSlider>(1004);
         bar.setSliderDown(true);
         // Each step of the drag re-binarizes: 100 keeps both glyphs, 160
         // only the brighter one, 100 both again.
         const std::pair<int, int> kSteps[] = {{100, kGlyphPixels}, {160, 8}, {100, kGlyphPixels}};
         for (const auto &[position, white] : kSteps) {
           bar.setSliderPosition(position);
           EXPECT_EQ(Text(1019), QString::number(position));
           EXPECT_EQ(WhitePixels(), white) << "at " << position;
         }
         bar.setSliderDown(false);
       },
       {}, none},

      {"1003 maximum by keyboard", G::Image,
       [&] {
         Get<QComboBox>(1005).setCurrentIndex(0);
         QSlider &bar = Get<QSlider>(1003);
         bar.setValue(0); // the brightest value is 0: nothing is white
         EXPECT_EQ(WhitePixels(), 0);
         bar.setFocus();
         QTest::keyClick(&bar, Qt::Key_Right);
       },
       {},
       [&] {
         EXPECT_EQ(Text(1020), "1");
         EXPECT_EQ(Text(1019), "150");
         EXPECT_EQ(WhitePixels(), 8); // threshold 150 stays: only the brighter glyph
       }},

      {"1005 method", G::Image,
       [&] { Get<QComboBox>(1005).setCurrentIndex(1); }, // THRESH_BINARY_INV
       {},
       [&] {
         EXPECT_EQ(Text(1018), "1");
         EXPECT_EQ(WhitePixels(), 40 * 20 - 8); // all but the brighter glyph
       }},

      {"window closed", G::Library, [&] { dialog_->close(); }, {},
       [&] {
         // The settings are written as the window goes.
         EXPECT_NE(SettingsText().find("samples.txt"), std::string::npos) << SettingsText();
       }},

      {"1012 without a box", G::Library, [&] { Click(1012); },
       {QStringLiteral("请先选中分割后的文字")}, none},

      {"1012 without sample file", G::Boxes,
       [&] {
         ClickBox(0);
         Get<QLineEdit>(1011).setText(QStringLiteral("甲"));
         Click(1012);
       },
       {QStringLiteral("请先设置样本要保存的位置")},
       [&] { EXPECT_EQ(List().rowCount(), 0); }},

      {"1012 without label", G::Library,
       [&] {
         ClickBox(0);
         Get<QLineEdit>(1011).clear();
         Click(1012);
       },
       {QStringLiteral("文字内容不能为空")},
       [&] { EXPECT_EQ(dialog_->Samples().at(BoxData(0).toStdString()), "a"); }},

      {"1012 add", G::Boxes,
       [&] {
         sampleFileToChoose_ = Path("samples.txt"); // not there yet
         Click(3);
         ClickBox(1);
         TypeThroughInputMethod(Get<QLineEdit>(1011), QStringLiteral("乙"));
         Click(1012);
       },
       {},
       [&] {
         ASSERT_EQ(List().rowCount(), 1);
         EXPECT_EQ(List().item(0, 0)->text(), "乙");
         SampleStore written;
         EXPECT_TRUE(ParseSampleText(dir_.Read("samples.txt"), written).valid);
         EXPECT_EQ(written, dialog_->Samples());
         EXPECT_EQ(written.size(), 1u);
       }},

      {"header item double click", G::Library,
       [&] {
         ClickRow(RowOf("b"));
         Get<QLineEdit>(1011).setText(QStringLiteral("typed"));
         const SampleAreaState before = SampleArea();
         QHeaderView *header = List().horizontalHeader();
         for (int section : {0, 1}) {
           const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                           header->height() / 2);
           QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, at);
           QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, at);
         }
         EXPECT_TRUE(SampleArea() == before);
       },
       {}, none},

      {"list row double click", G::Library,
       [&] {
         const int row = RowOf("b");
         ClickRow(row); // the first click of the double click previews
         Get<QLineEdit>(1011).setText(QStringLiteral("typed"));
         const SampleAreaState before = SampleArea();
         QTest::mouseDClick(List().viewport(), Qt::LeftButton, {}, RowPoint(row));
         QTest::mouseRelease(List().viewport(), Qt::LeftButton, {}, RowPoint(row));
         EXPECT_TRUE(SampleArea() == before);
       },
       {}, none},

      {"list click", G::Library,
       [&] {
         ASSERT_EQ(PreviewInk(), 0);
         ClickRow(RowOf("b"));
       },
       {},
       [&] {
         EXPECT_EQ(Text(1011), "b");
         EXPECT_EQ(dialog_->SampleList()->CurrentSample(), BoxData(1));
         EXPECT_GT(PreviewInk(), 0);
       }},

      {"list right click", G::Library, [&] { RightClickRow(RowOf("a")); }, {},
       [&] {
         EXPECT_EQ(Text(1011), "a");
         EXPECT_EQ(dialog_->SampleList()->CurrentSample(), BoxData(0));
         EXPECT_GT(PreviewInk(), 0);
         QMenu *menu = dialog_->SampleList()->PopupMenu();
         EXPECT_TRUE(menu->isVisible());
         EXPECT_EQ(menu->objectName(), "129");
         menu->hide();
       }},

      {"list right click below the rows", G::Library,
       [&] {
         ClickRow(RowOf("a"));
         Get<QLineEdit>(1011).setText(QStringLiteral("typed"));
         const QPoint below(10, List().viewport()->height() - 5);
         QTest::mouseClick(List().viewport(), Qt::RightButton, {}, below);
         QContextMenuEvent request(QContextMenuEvent::Mouse, below,
                                   List().viewport()->mapToGlobal(below));
         QCoreApplication::sendEvent(List().viewport(), &request);
       },
       {},
       [&] {
         EXPECT_FALSE(dialog_->SampleList()->PopupMenu()->isVisible());
         EXPECT_EQ(Text(1011), "typed");
       }},

      {"menu 129: 删除", G::Library,
       [&] {
         RightClickRow(RowOf("a"));
         QMenu *menu = dialog_->SampleList()->PopupMenu();
         ASSERT_TRUE(menu->isVisible());
         QAction *remove = menu->findChild<QAction *>(QStringLiteral("32772"));
         ASSERT_NE(remove, nullptr);
         EXPECT_EQ(remove->text(), "删除");
         QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(remove).center());
       },
       {},
       [&] {
         ASSERT_EQ(List().rowCount(), 1);
         EXPECT_EQ(List().item(0, 0)->text(), "b");
         SampleStore written;
         ParseSampleText(dir_.Read("samples.txt"), written);
         EXPECT_EQ(written, (SampleStore{{BoxData(1).toStdString(), "b"}}));
       }},

      {"1029 without dictionary", G::Image, [&] { Click(1029); },
       {QStringLiteral("没有设置字库")},
       [&] { EXPECT_FALSE(dialog_->OcrTest()->testRunning()); }},

      {"1029 without image", G::Fresh,
       [&] {
         Get<QLineEdit>(1006).setText(Path("eng.traineddata"));
         Click(1029);
       },
       {QStringLiteral("请先截图")},
       [&] {
         EXPECT_FALSE(dialog_->OcrTest()->testRunning());
         EXPECT_EQ(Text(1025), QString());
       }},

      {"1013 select range", G::Image,
       [&] {
         Click(1013);
         ASSERT_TRUE(dialog_->CaptureWindow()->isVisible());
         EXPECT_EQ(dialog_->CaptureWindow()->CurrentMode(), CSnapCipWnd::RangeMode);
         FinishCaptureWithWholeScreen();
       },
       {},
       [&] {
         // The whole screen arrives as WM_RANGE_SELECTED, in workspace pixels.
         const QPoint view = Workspace().mapToGlobal(QPoint(0, 0));
         const QRect screen = dialog_->CaptureWindow()->geometry();
         EXPECT_EQ(Text(1022), QString::asprintf("%d,%d,%d,%d", screen.left() - view.x(),
                                                 screen.top() - view.y(),
                                                 screen.right() + 1 - view.x(),
                                                 screen.bottom() + 1 - view.y()));
       }},

      {"1017 clear outlines", G::Boxes,
       [&] {
         ASSERT_GT(OutlinePixels(), 0);
         Click(1017);
       },
       {},
       [&] {
         EXPECT_EQ(OutlinePixels(), 0);
         EXPECT_EQ(Workspace().boxes().size(), 2u); // the boxes stay
       }},

      {"1027 before any test", G::Image,
       [&] { Get<QComboBox>(1027).setCurrentIndex(1); }, {},
       [&] { EXPECT_EQ(Text(1025), QString()); }},
  };

  for (const Row &row : kTable) {
    SCOPED_TRACE(row.command);
    Arrange(row.given);
    if (HasFatalFailure())
      return;
    dialog_->messages.clear();
    row.act();
    EXPECT_EQ(dialog_->messages, row.messages);
    row.check();
    // No command changes what is enabled, apart from the two start buttons
    // while their jobs run.
    for (QWidget *widget : dialog_->findChildren<QWidget *>())
      EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
  }
}

// Every control whose enabled state changes, by objectName.
class EnabledChanges : public QObject {
public:
  explicit EnabledChanges(QWidget *window) : window_(window) { qApp->installEventFilter(this); }
  ~EnabledChanges() override { qApp->removeEventFilter(this); }
  std::set<QString> names;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    auto *widget = qobject_cast<QWidget *>(watched);
    if (event->type() == QEvent::EnabledChange && widget && window_->isAncestorOf(widget))
      names.insert(widget->objectName());
    return false;
  }

private:
  QWidget *window_;
};

// White digits on black, without anti-aliasing so each is one shape.
QImage Digits(const QString &text) {
  QImage image(24 * int(text.size()) + 16, 48, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter paint(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(32);
  font.setStyleStrategy(QFont::NoAntialias);
  paint.setFont(font);
  paint.setPen(Qt::white);
  for (int i = 0; i < text.size(); ++i)
    paint.drawText(QPoint(8 + 24 * i, 38), text.mid(i, 1));
  return image;
}

TEST_F(CommandTableTest, OnlyTheStartButtonsChangeStateDuringARealJobAndTest) {
  training_test::ProgramDir program; // before the window: it fixes the work paths
  // The window goes first, stopping whatever still runs in the program
  // directory when an assertion ends the test early.
  const auto closeWindow = qScopeGuard([this] { dialog_.reset(); });
  Open();
  const QString digits = QStringLiteral("0123");
  dialog_->imageToOpen = SaveImage("digits.png", Digits(digits));
  Click(1010);
  Click(7);
  std::vector<SegBox> boxes = Workspace().boxes();
  ASSERT_EQ(boxes.size(), std::size_t(digits.size()));
  std::sort(boxes.begin(), boxes.end(), [](const SegBox &a, const SegBox &b) { return a.x < b.x; });

  sampleFileToChoose_ = Path("digits.txt");
  Click(3);
  for (int i = 0; i < digits.size(); ++i) {
    QTest::mouseClick(&Workspace(), Qt::LeftButton, {}, QPoint(boxes[i].x + 1, boxes[i].y + 1));
    QTest::keyClicks(&Get<QLineEdit>(1011), digits.mid(i, 1));
    Click(1012);
  }
  ASSERT_EQ(dialog_->Samples().size(), std::size_t(digits.size()));
  dataFileToChoose_ = Path("digits");
  Click(6);
  ASSERT_TRUE(dialog_->messages.isEmpty()) << dialog_->messages.join('\n').toStdString();

  EnabledChanges changes(dialog_.get());
  const auto othersEnabled = [&](int running) {
    for (QWidget *widget : dialog_->findChildren<QWidget *>()) {
      if (widget->objectName() != QString::number(running)) {
        EXPECT_TRUE(widget->isEnabled()) << widget->objectName().toStdString();
      }
    }
  };

  bool enabledAtMessage = false;
  dialog_->onMessage = [&](const QString &) { enabledAtMessage = Get<QPushButton>(5).isEnabled(); };
  Click(5);
  EXPECT_FALSE(Get<QPushButton>(5).isEnabled());
  othersEnabled(5);
  // The disabled button's focus goes nowhere else, least of all to the next
  // edit in the tab order with its text selected; it comes back at the end.
  EXPECT_NE(dialog_->focusWidget(), &Get<QLineEdit>(1008));
  EXPECT_FALSE(Get<QLineEdit>(1008).hasSelectedText());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog_->messages.isEmpty(); }, kWaitMs));
  ASSERT_EQ(dialog_->messages.size(), 1) << Text(1035).toStdString();
  EXPECT_TRUE(dialog_->messages[0].startsWith(QStringLiteral("训练完成")))
      << dialog_->messages[0].toStdString();
  EXPECT_TRUE(enabledAtMessage);
  EXPECT_EQ(dialog_->focusWidget(), &Get<QPushButton>(5));
  EXPECT_EQ(Get<QProgressBar>(1007).value(), 100);
  EXPECT_TRUE(fs::is_empty(program.Tmp()));

  // The test recognises the workspace with the dictionary just trained.
  dialog_->messages.clear();
  Click(1029);
  EXPECT_FALSE(Get<QPushButton>(1029).isEnabled());
  othersEnabled(1029);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Get<QPushButton>(1029).isEnabled(); }, kWaitMs));
  EXPECT_EQ(Text(1028).trimmed(), digits);
  EXPECT_TRUE(Text(1025).contains(QStringLiteral("ocrTextEx(handle,")));
  EXPECT_TRUE(fs::is_empty(program.Root() + "tessdata")); // the dictionary's copy is gone

  // Another command rebuilds the snippet from the last test.
  Get<QComboBox>(1027).setCurrentIndex(1);
  EXPECT_TRUE(Text(1025).contains(QStringLiteral("ocrTextExJ(handle,")));

  EXPECT_EQ(changes.names, (std::set<QString>{QStringLiteral("5"), QStringLiteral("1029")}));
  QApplication::processEvents(); // a failure's reason comes after the result
  EXPECT_TRUE(dialog_->messages.isEmpty()) << dialog_->messages.join('\n').toStdString();
}

} // namespace
