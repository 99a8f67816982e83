#include "workbench/main_window_controls.h"

#include "ocrtest/script_edit.h"
#include "workbench/control_ids.h"
#include "workbench/embedded_views.h"
#include "workbench/main_window_layout.h"
#include "workspace/binar_ctrl.h"
#include "workspace/show_ctrl.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QTableWidget>

namespace {

QPlainTextEdit *MultiLineEdit(QWidget *parent, bool readOnly, int id = ControlId::None) {
  // The script snippet box copies its text with CR LF line ends, as scripts want them.
  auto *edit = id == ControlId::ScriptEdit ? new CScriptEdit(parent) : new QPlainTextEdit(parent);
  edit->setReadOnly(readOnly);
  edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return edit;
}

QWidget *MakeControl(const LayoutControl &control, QWidget *parent) {
  const QString text = QString::fromUtf8(control.text);
  switch (control.kind) {
  case ControlKind::PushButton:
  case ControlKind::DefaultPushButton:
    return new QPushButton(text, parent);
  case ControlKind::CustomView:
    return control.id == ControlId::WorkspaceView ? CreateWorkspaceView(parent)
                                                  : CreateSamplePreview(parent);
  case ControlKind::GroupBox:
    return new QGroupBox(text, parent);
  case ControlKind::StaticText: {
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
  }
  case ControlKind::DigitsEdit: {
    auto *edit = new QLineEdit(parent);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
  }
  case ControlKind::ReadOnlyEdit: {
    auto *edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
  }
  case ControlKind::Edit:
    return new QLineEdit(parent);
  case ControlKind::MultiLineEdit:
    return MultiLineEdit(parent, false);
  case ControlKind::ReadOnlyMultiLineEdit:
    return MultiLineEdit(parent, true, control.id);
  case ControlKind::DropDownList: {
    auto *combo = new QComboBox(parent);
    combo->setMaxVisibleItems(13); // every PSM without scrolling
    return combo;
  }
  case ControlKind::TrackBar:
    return new QSlider(Qt::Horizontal, parent);
  case ControlKind::ProgressBar: {
    auto *bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    return bar;
  }
  case ControlKind::ListView: {
    auto *list = new QTableWidget(parent);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
  }
  }
  return new QWidget(parent);
}

template <typename T> void Bind(T *&member, const QHash<int, QWidget *> &byId, int id) {
  member = qobject_cast<T *>(byId.value(id));
  Q_ASSERT(member);
}

MainWindowControls BindControls(const QHash<int, QWidget *> &byId) {
  namespace Id = ControlId;
  MainWindowControls c;
  Bind(c.workspaceView, byId, Id::WorkspaceView);
  Bind(c.previewView, byId, Id::PreviewView);
  Bind(c.rows, byId, Id::RowsEdit);
  Bind(c.columns, byId, Id::ColumnsEdit);
  Bind(c.method, byId, Id::MethodCombo);
  Bind(c.threshold, byId, Id::ThresholdTrackBar);
  Bind(c.maximum, byId, Id::MaximumTrackBar);
  Bind(c.methodType, byId, Id::MethodTypeEdit);
  Bind(c.thresholdValue, byId, Id::ThresholdEdit);
  Bind(c.maximumValue, byId, Id::MaximumEdit);
  Bind(c.samplePath, byId, Id::SamplePathEdit);
  Bind(c.dataPath, byId, Id::DataPathEdit);
  Bind(c.trainMode, byId, Id::TrainModeCombo);
  Bind(c.baseLanguage, byId, Id::BaseLanguageCombo);
  Bind(c.trainPsm, byId, Id::TrainPsmCombo);
  Bind(c.trainProgress, byId, Id::TrainProgress);
  Bind(c.trainLog, byId, Id::TrainLogEdit);
  Bind(c.label, byId, Id::LabelEdit);
  Bind(c.sampleList, byId, Id::SampleList);
  Bind(c.range, byId, Id::RangeEdit);
  Bind(c.engine, byId, Id::EngineCombo);
  Bind(c.testPsm, byId, Id::TestPsmCombo);
  Bind(c.splitType, byId, Id::SplitTypeCombo);
  Bind(c.ocrCommand, byId, Id::OcrCommandCombo);
  Bind(c.whitelist, byId, Id::WhitelistEdit);
  Bind(c.script, byId, Id::ScriptEdit);
  Bind(c.result, byId, Id::ResultEdit);
  Bind(c.captureButton, byId, Id::CaptureButton);
  Bind(c.openImageButton, byId, Id::OpenImageButton);
  Bind(c.clearBoxesButton, byId, Id::ClearBoxesButton);
  Bind(c.gridSplitButton, byId, Id::GridSplitButton);
  Bind(c.directSplitButton, byId, Id::DirectSplitButton);
  Bind(c.chooseSampleButton, byId, Id::ChooseSampleFileButton);
  Bind(c.chooseDataButton, byId, Id::ChooseDataFileButton);
  Bind(c.startTrainingButton, byId, Id::StartTrainingButton);
  Bind(c.addSampleButton, byId, Id::AddSampleButton);
  Bind(c.selectRangeButton, byId, Id::SelectRangeButton);
  Bind(c.startTestButton, byId, Id::StartTestButton);
  return c;
}

} // namespace

MainWindowControls BuildMainWindowControls(QWidget *dialog) {
  QHash<int, QWidget *> byId;
  for (const LayoutControl &control : MainWindowLayout()) {
    QWidget *widget = MakeControl(control, dialog);
    const ControlRect r = ControlPixelRect(control);
    widget->setGeometry(r.x, r.y, r.width, r.height);
    if (control.id != ControlId::None) {
      widget->setObjectName(QString::number(control.id));
      byId.insert(control.id, widget);
    }
    // Frames are drawn behind the controls they surround, whatever their
    // place in the table, and must not take their clicks.
    if (control.kind == ControlKind::GroupBox)
      widget->lower();
  }
  return BindControls(byId);
}
