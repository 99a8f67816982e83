// A survey of what a trained model reads, for tuning the training pages:
//   GW_CER="font file:pixel size:set[;...]" training_tests --gtest_filter='HeldOutSurvey.*'
// set is "ascii" (printable ASCII), "alnum" (its letters and digits), "cjk"
// (100 common Chinese characters) or "frames" (Chinese characters in frames);
// a fourth field "bw" draws without antialiasing. GW_CER_LINES sets the number
// of held-out lines (four by default; a difference of a few errors in four
// lines of thirty characters is noise).
// One antialiased sample per character, thresholded at half coverage the way
// a screen's text comes out of the binarizer; four held-out lines of the same
// characters in other orders; the mean character error rate, spaces ignored,
// beside what the stock eng / chi_sim data read on the same lines.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>

#include "app/text_codec.h"
#include "digit_glyphs.h"
#include "edit_distance.h"
#include "engine/morvexa.h"
#include "program_dir.h"
#include "training/train_job.h"
#include "workspace/dot_matrix.h"

namespace {

namespace fs = std::filesystem;
using training_test::ProgramDir;
using training_test::RecordingReporter;

const char kCommonChinese[] =
    "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能"
    "下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量"
    "都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重"
    "新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已"
    "通并提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将"
    "组见计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处理世车";

// Ink where the antialiased coverage reaches half.
QImage Draw(const QString &text, const QFont &font, int pixelSize) {
  QImage image(pixelSize * (int(text.size()) + 4), pixelSize * 3, QImage::Format_Grayscale8);
  image.fill(255);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(pixelSize, pixelSize * 2, text);
  return image;
}

std::string Sample(const QImage &image) {
  std::vector<std::uint8_t> mask(std::size_t(image.width()) * image.height());
  PixelRect box{image.width(), image.height(), -1, -1};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.constScanLine(y)[x] < 128) {
        mask[std::size_t(y) * image.width() + x] = 1;
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x);
        box.bottom = std::max(box.bottom, y);
      }
  if (box.right < 0)
    return {};
  return EncodeDotMatrix(box, mask.data(), image.width(), image.height());
}

std::string Read(const std::string &dir, const char *language, const QImage &image,
                 int engineMode) {
  const OcrHandle ocr = createOcr(dir.c_str(), language, 7, engineMode);
  if (!ocr)
    return "<createOcr failed>";
  std::vector<unsigned char> mask;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      mask.push_back(image.constScanLine(y)[x] < 128 ? 0 : 255);
  char *result = getTextExTest(ocr, mask.data(), 0, 0, image.width(), image.height());
  std::string read = result ? result : "<no text>";
  ocFree(&result);
  releaseOcr(ocr);
  read.erase(std::remove_if(read.begin(), read.end(),
                            [](char c) { return std::isspace((unsigned char)c); }),
             read.end());
  return read;
}

TEST(HeldOutSurvey, Print) {
  const char *spec = std::getenv("GW_CER");
  if (!spec)
    GTEST_SKIP() << "set GW_CER to survey";
  std::stringstream all(spec);
  std::string item;
  double sum = 0;
  int sets = 0;
  while (std::getline(all, item, ';')) {
    std::stringstream fields(item);
    std::string file, size, set, look;
    std::getline(fields, file, ':');
    std::getline(fields, size, ':');
    std::getline(fields, set, ':');
    std::getline(fields, look, ':');
    const int pixelSize = std::stoi(size);
    const bool cjk = set == "cjk" || set == "frames";
    QString characters;
    if (set == "frames") // characters whose frame holds a part of its own
      characters = QString::fromUtf8("四回因图困团园围国日田目中口品器");
    else if (cjk)
      characters = QString::fromUtf8(kCommonChinese).left(100);
    else
      for (char c = '!'; c <= '~'; ++c)
        if (set != "alnum" || std::isalnum(static_cast<unsigned char>(c)))
          characters += QChar(c);
    const QFont font = training_test::FontOf(file.c_str(), pixelSize, look != "bw");

    ProgramDir program;
    // GW_CER_KEEP also keeps tmp/ as the last tool left it.
    struct KeepingReporter : RecordingReporter {
      void Log(const std::string &wholeLog) override {
        RecordingReporter::Log(wholeLog);
        if (!keep.empty())
          fs::copy(tmp, keep, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
      }
      std::string tmp, keep;
    } reporter;
    if (const char *keep = std::getenv("GW_CER_KEEP")) {
      reporter.tmp = program.Tmp();
      reporter.keep = std::string(keep) + "/tmp-" + fs::path(file).stem().string() + "-" + size;
      fs::create_directories(reporter.keep);
    }
    SampleMap samples;
    for (const QChar c : characters) {
      const std::string data = Sample(Draw(QString(c), font, pixelSize));
      if (!data.empty())
        samples[data] = Utf8ToSystem(QString(c).toStdString());
    }
    const std::string out = program.Scratch() + "out/";
    fs::create_directories(out);
    auto job = std::make_unique<TrainJob>();
    job->reporter = &reporter;
    job->mode = 0;
    job->baseLanguage = "eng";
    job->samples = samples;
    job->outputPath = out + "survey.traineddata";
    job->settleWait = std::chrono::milliseconds(0);
    RunTrainJob(std::move(job));
    const std::string log = SystemToUtf8(reporter.doneLog);
    const std::size_t learned = log.find("训练结果");
    std::cout << file << " " << pixelSize << " " << set << ": "
              << (learned == std::string::npos ? log : log.substr(learned)) << "\n";

    std::mt19937 random(7u + unsigned(pixelSize));
    std::size_t errors = 0, stockErrors = 0, total = 0;
    const int lines = std::getenv("GW_CER_LINES") ? std::atoi(std::getenv("GW_CER_LINES")) : 4;
    for (int line = 0; line < lines; ++line) {
      std::u32string order = characters.toStdU32String();
      std::shuffle(order.begin(), order.end(), random);
      order.resize(cjk ? 16 : 30);
      QString text;
      for (std::size_t i = 0; i < order.size(); ++i) {
        if (!cjk && i > 0 && random() % 6 == 0)
          text += ' ';
        text += QString::fromStdU32String(order.substr(i, 1));
      }
      QFont lineFont = font;
      if (const char *spacing = std::getenv("GW_CER_SPACING"))
        lineFont.setLetterSpacing(QFont::AbsoluteSpacing, std::atof(spacing));
      const QImage image = Draw(text, lineFont, pixelSize);
      // GW_CER_KEEP=dir keeps the model and the lines for trying settings.
      if (const char *keep = std::getenv("GW_CER_KEEP")) {
        const std::string stem = std::string(keep) + "/" + fs::path(file).stem().string() + "-" +
                                 size + "-" + std::to_string(line);
        fs::create_directories(keep);
        image.save(QString::fromStdString(stem + ".png"));
        std::ofstream(stem + ".gt.txt") << QString::fromStdU32String(order).toStdString() << "\n";
        std::ofstream(stem + ".drawn.txt") << text.toStdString() << "\n"; // with its spaces
        fs::copy_file(out + "survey.traineddata",
                      std::string(keep) + "/" + fs::path(file).stem().string() + "-" + size +
                          ".traineddata",
                      fs::copy_options::overwrite_existing);
      }
      const std::string read = Read(out, "survey", image, 0);
      const std::string stock =
          Read(program.Root() + "bin/tessdata", cjk ? "chi_sim" : "eng", image, 1);
      const std::u32string truth = order;
      const std::size_t e =
          training_test::EditDistance(truth, QString::fromStdString(read).toStdU32String());
      const std::size_t s =
          training_test::EditDistance(truth, QString::fromStdString(stock).toStdU32String());
      errors += e;
      stockErrors += s;
      total += truth.size();
      std::cout << "  " << QString::fromStdU32String(truth).toStdString() << "\n  " << read << "  ("
                << e << ")\n  " << stock << "  (stock " << s << ")\n";
    }
    const double cer = double(errors) / double(total);
    std::cout << "  CER " << cer << "  stock " << double(stockErrors) / double(total) << "\n";
    sum += cer;
    ++sets;
  }
  std::cout << "mean CER " << sum / std::max(sets, 1) << "\n";
}

} // namespace
