#include "workbench/combo_contents.h"

#include "workbench/control_ids.h"

std::vector<std::string> ComboItems(int comboId) {
  switch (comboId) {
  case ControlId::MethodCombo:
    return {"THRESH_BINARY",     "THRESH_BINARY_INV", "THRESH_TRUNC", "THRESH_TOZERO",
            "THRESH_TOZERO_INV", "THRESH_MASK",       "THRESH_OTSU",  "THRESH_TRIANGLE"};
  case ControlId::TestPsmCombo:
  case ControlId::TrainPsmCombo: {
    std::vector<std::string> modes;
    for (int mode = 0; mode <= 12; ++mode)
      modes.push_back(std::to_string(mode));
    return modes;
  }
  case ControlId::SplitTypeCombo:
    return {"RIL_BLOCK", "RIL_PARA", "RIL_TEXTLINE", "RIL_WORD", "RIL_SYMBOL"};
  case ControlId::OcrCommandCombo:
    return {"ocrTextEx", "ocrTextExJ"};
  case ControlId::TrainModeCombo:
    return {"普通训练", "深度训练"};
  case ControlId::BaseLanguageCombo:
    return {"英语模板", "中文模板"};
  case ControlId::EngineCombo:
    return {"OEM_TESSERACT_ONLY", "OEM_LSTM_ONLY", "OEM_TESSERACT_LSTM_COMBINED", "OEM_DEFAULT"};
  default:
    return {};
  }
}

int ThresholdTypeForMethod(int method) {
  if (method < 0 || method >= static_cast<int>(kThresholdTypes.size()))
    method = kDefaultMethod;
  return kThresholdTypes[method];
}
