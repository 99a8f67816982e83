#pragma once
// Control IDs of the main window. Every control with an ID carries it as its
// objectName ("1001"), so handlers, tests and tools find it the same way.
namespace ControlId {
inline constexpr int None = -1; // labels and frames nobody addresses

inline constexpr int ChooseSampleFileButton = 3;
inline constexpr int GridSplitButton = 4;
inline constexpr int StartTrainingButton = 5;
inline constexpr int ChooseDataFileButton = 6;
inline constexpr int DirectSplitButton = 7;

inline constexpr int WorkspaceView = 1000;
inline constexpr int RowsEdit = 1001;
inline constexpr int ColumnsEdit = 1002;
inline constexpr int MaximumTrackBar = 1003;
inline constexpr int ThresholdTrackBar = 1004;
inline constexpr int MethodCombo = 1005;
inline constexpr int DataPathEdit = 1006;
inline constexpr int TrainProgress = 1007;
inline constexpr int SamplePathEdit = 1008;
inline constexpr int CaptureButton = 1009;
inline constexpr int OpenImageButton = 1010;
inline constexpr int LabelEdit = 1011;
inline constexpr int AddSampleButton = 1012;
inline constexpr int SelectRangeButton = 1013;
inline constexpr int SampleList = 1014;
inline constexpr int PreviewFrame = 1015;
inline constexpr int PreviewView = 1016;
inline constexpr int ClearBoxesButton = 1017;
inline constexpr int MethodTypeEdit = 1018;
inline constexpr int ThresholdEdit = 1019;
inline constexpr int MaximumEdit = 1020;
inline constexpr int RangeEdit = 1022;
inline constexpr int TestPsmCombo = 1023;
inline constexpr int SplitTypeCombo = 1024;
inline constexpr int ScriptEdit = 1025;
inline constexpr int WhitelistEdit = 1026;
inline constexpr int OcrCommandCombo = 1027;
inline constexpr int ResultEdit = 1028;
inline constexpr int StartTestButton = 1029;
inline constexpr int TrainModeCombo = 1030;
inline constexpr int BaseLanguageCombo = 1031;
inline constexpr int EngineCombo = 1032;
inline constexpr int TrainPsmCombo = 1034;
inline constexpr int TrainLogEdit = 1035;
} // namespace ControlId
