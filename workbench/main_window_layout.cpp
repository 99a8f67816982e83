#include "workbench/main_window_layout.h"

#include "workbench/control_ids.h"

#include <array>

namespace {

using enum ControlKind;
namespace Id = ControlId;

constexpr std::array<LayoutControl, 55> kLayout{{
    {Id::CaptureButton, DefaultPushButton, "窗口截图", 268, 208, 73, 14},
    {Id::OpenImageButton, PushButton, "本地图片", 268, 232, 73, 14},
    {Id::WorkspaceView, CustomView, "", 7, 7, 340, 155},
    {Id::None, GroupBox, "分割配置", 12, 172, 82, 81},
    {Id::RowsEdit, DigitsEdit, "", 44, 184, 45, 14},
    {Id::None, StaticText, "行 数:", 19, 186, 19, 8},
    {Id::ColumnsEdit, DigitsEdit, "", 44, 203, 45, 14},
    {Id::None, StaticText, "列 数:", 19, 205, 19, 8},
    {Id::GridSplitButton, DefaultPushButton, "按行列分割", 19, 219, 65, 14},
    {Id::None, GroupBox, "二值化配置", 99, 172, 155, 81},
    {Id::MaximumTrackBar, TrackBar, "", 136, 230, 92, 15},
    {Id::None, StaticText, "最大值:", 106, 233, 30, 12},
    {Id::None, StaticText, "阈  值:", 106, 209, 30, 12},
    {Id::ThresholdTrackBar, TrackBar, "", 136, 208, 92, 15},
    {Id::MethodCombo, DropDownList, "", 141, 187, 84, 30},
    {Id::None, StaticText, "方  式:", 107, 188, 30, 12},
    {Id::None, GroupBox, "图片获取", 258, 172, 90, 81},
    {Id::DataPathEdit, ReadOnlyEdit, "", 14, 283, 240, 14},
    {Id::ChooseSampleFileButton, DefaultPushButton, "设置样本存储位置", 268, 261, 74, 14},
    {Id::TrainProgress, ProgressBar, "", 144, 308, 109, 12},
    {Id::StartTrainingButton, DefaultPushButton, "开始训练样本", 268, 307, 74, 14},
    {Id::SamplePathEdit, ReadOnlyEdit, "", 15, 261, 240, 14},
    {Id::ChooseDataFileButton, DefaultPushButton, "设置字库保存位置", 268, 284, 74, 14},
    {Id::PreviewFrame, GroupBox, "", 353, 5, 178, 138},
    {Id::LabelEdit, Edit, "", 400, 149, 61, 14},
    {Id::None, StaticText, "定义文字 :", 356, 149, 40, 12},
    {Id::AddSampleButton, PushButton, "添加到样本库", 464, 149, 68, 14},
    {Id::SampleList, ListView, "", 352, 176, 179, 215},
    {Id::PreviewView, CustomView, "", 359, 13, 164, 124},
    {Id::MethodTypeEdit, ReadOnlyEdit, "", 228, 187, 22, 12},
    {Id::ThresholdEdit, ReadOnlyEdit, "", 228, 210, 22, 12},
    {Id::MaximumEdit, ReadOnlyEdit, "", 228, 232, 22, 12},
    {Id::None, GroupBox, "测试区", 537, 82, 155, 309},
    {Id::SelectRangeButton, PushButton, "选择范围", 541, 20, 46, 13},
    {Id::RangeEdit, ReadOnlyEdit, "", 591, 20, 95, 13},
    {Id::TestPsmCombo, DropDownList, "", 592, 56, 94, 45},
    {Id::None, StaticText, "PSM:", 546, 58, 40, 8},
    {Id::SplitTypeCombo, DropDownList, "", 592, 73, 94, 45},
    {Id::None, StaticText, "分割类型:", 546, 75, 40, 8},
    {Id::None, StaticText, "白名单:", 546, 113, 40, 8},
    {Id::WhitelistEdit, Edit, "", 592, 110, 95, 13},
    {Id::OcrCommandCombo, DropDownList, "", 593, 91, 94, 45},
    {Id::None, StaticText, "查找命令:", 547, 93, 40, 8},
    {Id::ScriptEdit, ReadOnlyMultiLineEdit, "", 540, 130, 149, 67},
    {Id::ResultEdit, ReadOnlyMultiLineEdit, "", 540, 209, 149, 162},
    {Id::StartTestButton, PushButton, "开始测试", 541, 377, 148, 14},
    {Id::ClearBoxesButton, DefaultPushButton, "清除分割框", 268, 186, 73, 14},
    {Id::DirectSplitButton, DefaultPushButton, "直接分割", 19, 236, 65, 14},
    {Id::TrainModeCombo, DropDownList, "", 15, 308, 48, 34},
    {Id::BaseLanguageCombo, DropDownList, "", 78, 308, 48, 34},
    {Id::EngineCombo, DropDownList, "", 592, 38, 94, 45},
    {Id::None, StaticText, "引擎:", 546, 40, 40, 8},
    {Id::TrainPsmCombo, DropDownList, "", 78, 325, 48, 30},
    {Id::None, StaticText, "训练PSM==》", 14, 327, 59, 8},
    {Id::TrainLogEdit, MultiLineEdit, "", 7, 341, 345, 50},
}};

// Rounds numerator / denominator to nearest, halves away from zero.
int DivideRounded(int numerator, int denominator) {
  const int half = denominator / 2;
  return numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
}

} // namespace

std::span<const LayoutControl> MainWindowLayout() {
  return kLayout;
}

int DialogUnitsToPixelsX(int du) {
  return DivideRounded(du * 7, 4);
}
int DialogUnitsToPixelsY(int du) {
  return DivideRounded(du * 15, 8);
}

ControlRect ControlPixelRect(const LayoutControl &control) {
  const int height =
      control.kind == ControlKind::DropDownList ? kDropDownVisibleHeightDu : control.height;
  return {DialogUnitsToPixelsX(control.x), DialogUnitsToPixelsY(control.y),
          DialogUnitsToPixelsX(control.width), DialogUnitsToPixelsY(height)};
}
