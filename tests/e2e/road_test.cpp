// From a picture of a screen to a .traineddata that reads it, through the
// real window with real clicks and keys, the real engine and the real
// Tesseract tools: once with the legacy training and once with LSTM
// fine-tuning.
#include "float_base_model.h"
#include "road_fixture.h"

#include <filesystem>

#include "engine/morvexa.h"

namespace {

using namespace e2e;

TEST_F(Road, LegacyTrainingReadsTheScreenItWasTrainedOn) {
  OpenAndSplit();
  LabelEveryBox();
  // The legacy job's message carries its self-check after the news.
  const QString result = Train(0, 1, QStringLiteral("08-trained"));
  ASSERT_TRUE(result.startsWith(QStringLiteral("训练完成\n自检："))) << result.toStdString();
  EXPECT_TRUE(std::filesystem::exists(output_.toStdString()));
  // The legacy file has no LSTM network: the legacy engine reads it.
  const QString read = RecogniseWorkspace(0, QStringLiteral("09-tested"));
  EXPECT_EQ(Normalised(read), Normalised(lines_.join(QStringLiteral(" "))));
}

TEST_F(Road, DeepTrainingOnAFloatBaseModelGivesAFileTheEngineReadsWith) {
  shots_ = false; // up to training the road looks as above
  OpenAndSplit();
  LabelEveryBox();
  shots_ = true;
  shotPrefix_ = QStringLiteral("deep-");
  // The float base model, made from the samples the user just labelled,
  // stands where a user would put a downloaded one: bin/tessdata/eng.
  const std::string failure =
      MakeFloatBaseModel(window_->Samples(), "eng", program_->Scratch() + "model/");
  ASSERT_EQ(failure, "");
  // The box names the self-check after the good news; a network this small
  // reads little of its own pages.
  const QString done = Train(1, 0, QStringLiteral("08-trained"));
  ASSERT_TRUE(done.startsWith(QStringLiteral("训练完成\n自检："))) << done.toStdString();

  // A network this small, trained this briefly, does not read exactly; what
  // holds is that the file loads for the LSTM engine and a test runs on it
  // to a result.
  const std::string directory = std::filesystem::path(output_.toStdString()).parent_path();
  const OcrHandle ocr = createOcr(directory.c_str(), "screen", 6, 1);
  EXPECT_NE(ocr, 0);
  releaseOcr(ocr);
  const QString read = RecogniseWorkspace(1, QStringLiteral("09-tested"));
  EXPECT_FALSE(read.trimmed().isEmpty());
}

} // namespace

// Fontconfig keeps its caches until the process ends; a sanitizer build
// must not count them as our leaks.
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}
