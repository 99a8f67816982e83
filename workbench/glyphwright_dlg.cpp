#include "workbench/glyphwright_dlg.h"

#include "training/train_commands.h"

#include "app/about_dlg.h"
#include "app/settings_store.h"
#include "app/qt_text.h"
#include "app/text_codec.h"
#include "workbench/app_icon.h"
#include "workbench/combo_contents.h"
#include "workbench/control_ids.h"
#include "workbench/main_window_layout.h"
#include "workbench/system_menu.h"
#include "workbench/workbench_settings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {

const char kWindowTitle[] = "墨梭光学OCR训练工具(3.0) 请确保安装路径没有中文或者空格";

// Centres the cells of a column, the way a list-view column keeps its own
// alignment whatever rows are added later.
class CentredColumnDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

protected:
  void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignCenter;
  }
};

void FillCombo(QComboBox *combo, int comboId) {
  for (const std::string &item : ComboItems(comboId))
    combo->addItem(QString::fromStdString(item));
}

void SetUpSampleList(QTableWidget *list) {
  list->setColumnCount(2);
  auto *name = new QTableWidgetItem(QStringLiteral("样本名"));
  name->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  auto *data = new QTableWidgetItem(QStringLiteral("样本数据"));
  data->setTextAlignment(Qt::AlignCenter);
  list->setHorizontalHeaderItem(0, name);
  list->setHorizontalHeaderItem(1, data);
  list->setItemDelegateForColumn(1, new CentredColumnDelegate(list));
  // The client width: the list is empty, so no scroll bar takes a share yet.
  const int clientWidth = list->width() - 2 * list->frameWidth();
  list->setColumnWidth(0, clientWidth / 3);
  list->setColumnWidth(1, clientWidth * 2 / 3);
  list->setShowGrid(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->horizontalHeader()->setSectionsMovable(true);
  list->verticalHeader()->hide();
  list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
}

} // namespace

CglyphwrightDlg::CglyphwrightDlg(SettingsStore &settings, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings) {
  // The layout is in dialog units of a 9-point font; text of another size
  // would not fit the controls.
  QFont dialogFont = font();
  dialogFont.setPointSize(9);
  setFont(dialogFont);
  setFixedSize(DialogUnitsToPixelsX(kDialogWidthDu), DialogUnitsToPixelsY(kDialogHeightDu));
  controls_ = BuildMainWindowControls(this);
  systemMenu_ = new QMenu(this);
  CreateSubsystemPanels();
  CreateLibraryCommands();
  CreateUndoHistory();
  OnInitDialog();
  ConnectControls();
}

CglyphwrightDlg::~CglyphwrightDlg() {
  // Destroyed without being closed: the settings are saved all the same.
  OnDestroy();
  StopWorkers();
}

void CglyphwrightDlg::OnInitDialog() {
  MainWindowControls &c = controls_;

  if (QAction *about = AddAboutItem(systemMenu_, AboutMenuText()))
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(kAboutCommandId); });

  setWindowIcon(AppIcon());
  setWindowTitle(QString::fromUtf8(kWindowTitle));

  const WorkbenchSettings s = ReadWorkbenchSettings(settings_);

  c.rows->setText(QString::number(s.rows));
  c.columns->setText(QString::number(s.columns));

  FillCombo(c.method, ControlId::MethodCombo);
  c.method->setCurrentIndex(s.method);

  c.samplePath->setText(FromSystem(s.samplePath));
  c.dataPath->setText(FromSystem(s.dataPath));

  for (QSlider *bar : {c.maximum, c.threshold}) {
    bar->setRange(0, 255);
    bar->setTickInterval(1);
  }
  c.maximum->setValue(s.maximum);
  c.threshold->setValue(s.threshold);

  c.methodType->setText(QString::number(ThresholdTypeForMethod(c.method->currentIndex())));
  c.thresholdValue->setText(QString::number(c.threshold->value()));
  c.maximumValue->setText(QString::number(c.maximum->value()));

  SetUpSampleList(c.sampleList);
  c.trainProgress->setRange(0, 100);
  c.trainProgress->setValue(0);
  c.range->setText(QStringLiteral("0,0,0,0")); // the whole workspace until a range is chosen

  FillCombo(c.testPsm, ControlId::TestPsmCombo);
  FillCombo(c.trainPsm, ControlId::TrainPsmCombo);
  c.testPsm->setCurrentIndex(s.testPsm);
  c.trainPsm->setCurrentIndex(s.trainPsm);

  FillCombo(c.splitType, ControlId::SplitTypeCombo);
  c.splitType->setCurrentIndex(s.splitType);

  // A stray command index selects nothing (Qt's -1), which is saved back as -1.
  FillCombo(c.ocrCommand, ControlId::OcrCommandCombo);
  c.ocrCommand->setCurrentIndex(s.ocrCommand);

  FillCombo(c.trainMode, ControlId::TrainModeCombo);
  c.trainMode->setCurrentIndex(0);
  FillCombo(c.baseLanguage, ControlId::BaseLanguageCombo);
  c.baseLanguage->setCurrentIndex(1);

  FillCombo(c.engine, ControlId::EngineCombo);
  c.engine->setCurrentIndex(s.engine);

  CentreOnScreen();
  ReloadSampleList();
  CreateCaptureWindow();
}

void CglyphwrightDlg::ConnectControls() {
  // Connected after the values are restored, so restoring re-binarizes nothing.
  connect(controls_.threshold, &QSlider::valueChanged, this, [this] { OnThresholdScroll(); });
  connect(controls_.maximum, &QSlider::valueChanged, this, [this] { OnThresholdScroll(); });
  connect(controls_.method, &QComboBox::currentIndexChanged, this,
          &CglyphwrightDlg::OnMethodChanged);

  ConnectWorkspaceCommands();
  ConnectSubsystemCommands();

  auto *aboutKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(aboutKey, &QShortcut::activated, this, [this] { OnSysCommand(kAboutCommandId); });
}

void CglyphwrightDlg::CentreOnScreen() {
  QRect area;
  if (QWidget *owner = parentWidget())
    area = owner->window()->frameGeometry();
  else if (QScreen *where = screen())
    area = where->availableGeometry();
  else
    return;
  QRect placed(QPoint(0, 0), size());
  placed.moveCenter(area.center());
  move(placed.topLeft());
}

void CglyphwrightDlg::OnThresholdScroll() {
  controls_.thresholdValue->setText(QString::number(controls_.threshold->value()));
  controls_.maximumValue->setText(QString::number(controls_.maximum->value()));
  RebinarizeWorkspace();
}

void CglyphwrightDlg::OnMethodChanged(int method) {
  RebinarizeWorkspace();
  controls_.methodType->setText(QString::number(ThresholdTypeForMethod(method)));
}

void CglyphwrightDlg::OnSysCommand(int commandId) {
  if (IsAboutCommand(commandId))
    ShowAboutBox();
}

void CglyphwrightDlg::ShowAboutBox() {
  CAboutDlg about(this);
  about.exec();
}

void CglyphwrightDlg::contextMenuEvent(QContextMenuEvent *event) {
  // Only the dialog's own background: labels and frames are part of it,
  // every other control keeps its right click.
  QWidget *hit = childAt(event->pos());
  const bool background = !hit || qobject_cast<QLabel *>(hit) || qobject_cast<QGroupBox *>(hit);
  if (!background || systemMenu_->actions().isEmpty()) {
    event->ignore();
    return;
  }
  systemMenu_->popup(event->globalPos());
}

void CglyphwrightDlg::done(int result) {
  OnDestroy();
  StopWorkers();
  QDialog::done(result);
}

void CglyphwrightDlg::closeEvent(QCloseEvent *event) {
  QDialog::closeEvent(event);
  if (event->isAccepted()) {
    OnDestroy();
    StopWorkers();
  }
}

void CglyphwrightDlg::OnDestroy() {
  if (settingsSaved_)
    return;
  settingsSaved_ = true;
  const MainWindowControls &c = controls_;
  WorkbenchSettings s;
  s.method = c.method->currentIndex();
  s.testPsm = c.testPsm->currentIndex();
  s.trainPsm = c.trainPsm->currentIndex();
  s.rows = ParseLeadingInt(c.rows->text().toStdString());
  s.columns = ParseLeadingInt(c.columns->text().toStdString());
  s.samplePath = ToSystem(c.samplePath->text());
  s.dataPath = ToSystem(c.dataPath->text());
  s.threshold = c.threshold->value();
  s.maximum = c.maximum->value();
  s.splitType = c.splitType->currentIndex();
  s.ocrCommand = c.ocrCommand->currentIndex();
  s.engine = c.engine->currentIndex();
  WriteWorkbenchSettings(settings_, s);
}
