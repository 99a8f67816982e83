#include "training/classifier_settings.h"

std::string ClassifierSettingsConfig() {
  return "classify_norm_adj_midpoint 8\n"
         "classify_norm_adj_curl 1\n"
         "classify_class_pruner_multiplier 30\n";
}
