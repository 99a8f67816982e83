#include "float_base_model.h"

#include <filesystem>
#include <fstream>

#include "app/text_codec.h"
#include "app/work_paths.h"
#include "training/tool_runner.h"
#include "training/train_files.h"
#include "training/train_paths.h"

namespace e2e {

std::string MakeFloatBaseModel(const SampleMap &samples, const std::string &language,
                               const std::string &scratch) {
  namespace fs = std::filesystem;
  const std::string base = scratch + "base/";
  fs::create_directories(base);
  std::string log;
  // The job's own training image of the samples is the model's only page.
  if (PrepareTrainingInputs(samples, log, [](int) {}) != 0)
    return "no training image: " + SystemToUtf8(log);
  fs::copy_file(TmpFilePath("tmp.font.exp0.tif"), base + "page.tif",
                fs::copy_options::overwrite_existing);
  fs::copy_file(TmpFilePath("tmp.font.exp0.box"), base + "page.box",
                fs::copy_options::overwrite_existing);
  ResetDirectory(GetWorkPaths().TempDir);
  std::ofstream(base + "radical-stroke.txt") << "#\n"; // no Han characters here
  std::ofstream(base + "list.txt") << base + "page.lstmf";

  ToolRunOptions quiet;
  quiet.trace = nullptr;
  RunTool(BinFilePath("tesseract"), {base + "page.tif", base + "page", "--psm", "6", "lstm.train"},
          log, quiet);
  RunTool(BinFilePath("unicharset_extractor"),
          {"--output_unicharset", base + "unicharset", base + "page.box"}, log, quiet);
  RunTool(GLYPHWRIGHT_COMBINE_LANG_MODEL,
          {"--input_unicharset", base + "unicharset", "--script_dir", base, "--output_dir", base,
           "--lang", "starter"},
          log, quiet);
  RunTool(BinFilePath("lstmtraining"),
          {"--traineddata", base + "starter/starter.traineddata", "--net_spec",
           "[1,36,0,1 Ct3,3,8 Mp3,3 Lfys16 Lbx32 O1c1]", "--model_output", base + "float",
           "--train_listfile", base + "list.txt", "--max_iterations", "10", "--debug_interval",
           "-1"},
          log, quiet);
  const std::string model = base + language + ".traineddata";
  RunTool(BinFilePath("lstmtraining"),
          {"--stop_training", "--continue_from", base + "float_checkpoint", "--traineddata",
           base + "starter/starter.traineddata", "--model_output", model},
          log, quiet);
  if (!fs::exists(model))
    return SystemToUtf8(log);
  const std::string installed = BaseDataPath(language);
  fs::remove(installed); // the link to the system's integer model
  fs::copy_file(model, installed);
  return {};
}

} // namespace e2e
