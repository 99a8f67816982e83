#include "engine_test_support.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <clocale>
#include <locale.h>
#include <memory>
#include <string>

using namespace engine_test;

namespace {

Json::Value parseJson(const char *text) {
  Json::Value value;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  EXPECT_TRUE(reader->parse(text, text + std::strlen(text), &value, &errors)) << errors << text;
  return value;
}

class Ocr : public testing::Test {
protected:
  static void SetUpTestSuite() { line_ = new TextLine(renderTextLine("4096 735")); }
  static void TearDownTestSuite() {
    delete line_;
    line_ = nullptr;
  }
  void SetUp() override {
    ocr_ = createOcr(tessdataDir().c_str(), "eng", 7, 3); // single line, default engine
    ASSERT_NE(ocr_, 0) << "eng.traineddata in " << tessdataDir();
  }
  void TearDown() override { releaseOcr(ocr_); }

  Json::Value words(int x, int y) {
    Block<char> json(
        getTextWithPosTest(ocr_, line_->mask.data(), 3, x, y, line_->width, line_->height));
    EXPECT_NE(json.p, nullptr);
    return json.p ? parseJson(json.p) : Json::Value();
  }

  static TextLine *line_;
  OcrHandle ocr_ = 0;
};
TextLine *Ocr::line_ = nullptr;

TEST_F(Ocr, RecognisesTheRenderedDigits) {
  Block<char> text(getTextExTest(ocr_, line_->mask.data(), 0, 0, line_->width, line_->height));
  ASSERT_NE(text.p, nullptr);
  const std::string s = text.p;
  EXPECT_NE(s.find("4096"), std::string::npos) << s;
  EXPECT_NE(s.find("735"), std::string::npos) << s;
}

TEST_F(Ocr, WordsComeWithRectanglesAroundTheInk) {
  const Json::Value found = words(0, 0);
  ASSERT_TRUE(found.isArray());
  ASSERT_EQ(found.size(), 2u) << found;
  EXPECT_EQ(found[0]["text"].asString(), "4096");
  EXPECT_EQ(found[1]["text"].asString(), "735");
  // Inclusive corners: the words start and end exactly where the ink does.
  EXPECT_EQ(found[0]["left"].asInt(), line_->inkLeft);
  EXPECT_EQ(found[1]["right"].asInt(), line_->inkRight);
  EXPECT_LT(found[0]["right"].asInt(), found[1]["left"].asInt());
  for (const Json::Value &word : found) {
    EXPECT_GE(word["top"].asInt(), line_->inkTop);
    EXPECT_LE(word["bottom"].asInt(), line_->inkBottom);
    EXPECT_GT(word["confidence"].asDouble(), 50.0);
    EXPECT_LE(word["confidence"].asDouble(), 100.0);
  }
}

TEST_F(Ocr, XAndYMoveEveryRectangle) {
  const Json::Value plain = words(0, 0), moved = words(100, -20);
  ASSERT_EQ(plain.size(), moved.size());
  for (Json::ArrayIndex i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(moved[i]["text"], plain[i]["text"]);
    EXPECT_EQ(moved[i]["left"].asInt(), plain[i]["left"].asInt() + 100);
    EXPECT_EQ(moved[i]["right"].asInt(), plain[i]["right"].asInt() + 100);
    EXPECT_EQ(moved[i]["top"].asInt(), plain[i]["top"].asInt() - 20);
    EXPECT_EQ(moved[i]["bottom"].asInt(), plain[i]["bottom"].asInt() - 20);
  }
}

TEST_F(Ocr, EveryLevelGivesItsElements) {
  // block, paragraph and line hold the whole text; symbols are the characters
  const char *expected[] = {"4096 735", "4096 735", "4096 735", nullptr, nullptr};
  for (int level = 0; level <= 4; ++level) {
    SCOPED_TRACE(level);
    Block<char> json(
        getTextWithPosTest(ocr_, line_->mask.data(), level, 0, 0, line_->width, line_->height));
    ASSERT_NE(json.p, nullptr);
    const Json::Value found = parseJson(json.p);
    ASSERT_TRUE(found.isArray());
    ASSERT_FALSE(found.empty());
    if (expected[level] != nullptr) {
      ASSERT_EQ(found.size(), 1u);
      EXPECT_EQ(found[0]["text"].asString(), expected[level]);
      EXPECT_EQ(found[0]["left"].asInt(), line_->inkLeft);
      EXPECT_EQ(found[0]["top"].asInt(), line_->inkTop);
      EXPECT_EQ(found[0]["right"].asInt(), line_->inkRight);
      EXPECT_EQ(found[0]["bottom"].asInt(), line_->inkBottom);
    }
  }
  Block<char> symbols(
      getTextWithPosTest(ocr_, line_->mask.data(), 4, 0, 0, line_->width, line_->height));
  std::string joined;
  for (const Json::Value &symbol : parseJson(symbols.p))
    joined += symbol["text"].asString();
  EXPECT_EQ(joined, "4096735");
}

TEST(OcrBlank, BlankMaskGivesEmptyResults) {
  // Automatic page layout: a single-line mode would read a blank strip as
  // one line and make something up.
  const OcrHandle ocr = createOcr(tessdataDir().c_str(), "eng", 3, 3);
  ASSERT_NE(ocr, 0);
  const std::vector<unsigned char> white(200 * 60, 255);
  Block<char> text(getTextExTest(ocr, white.data(), 0, 0, 200, 60));
  ASSERT_NE(text.p, nullptr);
  EXPECT_STREQ(text.p, "");
  Block<char> json(getTextWithPosTest(ocr, white.data(), 3, 0, 0, 200, 60));
  ASSERT_NE(json.p, nullptr);
  EXPECT_STREQ(json.p, "[]\n");
  releaseOcr(ocr);
}

TEST_F(Ocr, TextCallsRefuseBadArguments) {
  const unsigned char *mask = line_->mask.data();
  const int w = line_->width, h = line_->height;
  struct Case {
    const char *what;
    OcrHandle ocr;
    const unsigned char *mask;
    int level, width, height;
  };
  const Case cases[] = {
      {"handle 0", 0, mask, 3, w, h},        {"made-up handle", ocr_ + 100000, mask, 3, w, h},
      {"NULL mask", ocr_, nullptr, 3, w, h}, {"width 0", ocr_, mask, 3, 0, h},
      {"height -1", ocr_, mask, 3, w, -1},   {"level 5", ocr_, mask, 5, w, h},
      {"level -1", ocr_, mask, -1, w, h},
  };
  for (const Case &c : cases) {
    Block<char> json(getTextWithPosTest(c.ocr, c.mask, c.level, 0, 0, c.width, c.height));
    EXPECT_EQ(json.p, nullptr) << c.what;
    if (c.level == 3) {
      Block<char> text(getTextExTest(c.ocr, c.mask, 0, 0, c.width, c.height));
      EXPECT_EQ(text.p, nullptr) << c.what;
    }
  }
}

TEST(CreateOcr, FailsWithZero) {
  const std::string dir = tessdataDir();
  struct Case {
    const char *what;
    const char *dir, *language;
    int psm, oem;
  };
  const Case cases[] = {
      {"missing folder", "/no/such/tessdata", "eng", 3, 3},
      {"missing language", dir.c_str(), "zzz_none", 3, 3},
      {"legacy engine of an LSTM-only file", dir.c_str(), "eng", 3, 0},
      {"NULL language", dir.c_str(), nullptr, 3, 3},
      {"empty language", dir.c_str(), "", 3, 3},
      {"psm -1", dir.c_str(), "eng", -1, 3},
      {"psm 14", dir.c_str(), "eng", 14, 3},
      {"oem -1", dir.c_str(), "eng", 3, -1},
      {"oem 4", dir.c_str(), "eng", 3, 4},
  };
  for (const Case &c : cases) {
    const OcrHandle ocr = createOcr(c.dir, c.language, c.psm, c.oem);
    EXPECT_EQ(ocr, 0) << c.what;
    releaseOcr(ocr);
  }
}

TEST(CreateOcr, EveryLstmModeAndSeveralLanguages) {
  for (const char *language : {"eng", "chi_sim", "eng+chi_sim"})
    for (int oem : {1, 3}) {
      const OcrHandle ocr = createOcr(tessdataDir().c_str(), language, 6, oem);
      EXPECT_NE(ocr, 0) << language << " oem " << oem;
      releaseOcr(ocr);
    }
}

TEST(CreateOcr, EveryPageSegModeRecognises) {
  // 0 and 1 ask for orientation data that the program's tessdata lacks;
  // Tesseract then goes on without it.
  const TextLine line = renderTextLine("42");
  for (int psm = 0; psm <= 13; ++psm) {
    const OcrHandle ocr = createOcr(tessdataDir().c_str(), "eng", psm, 3);
    ASSERT_NE(ocr, 0) << "psm " << psm;
    Block<char> text(getTextExTest(ocr, line.mask.data(), 0, 0, line.width, line.height));
    EXPECT_NE(text.p, nullptr) << "psm " << psm;
    releaseOcr(ocr);
  }
}

TEST(CreateOcr, LeavesTheThreadsLocaleAsItWas) {
  const locale_t mine = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(nullptr));
  ASSERT_NE(mine, locale_t(nullptr));
  const locale_t before = uselocale(mine);
  const OcrHandle ocr = createOcr(tessdataDir().c_str(), "eng", 7, 3);
  EXPECT_EQ(uselocale(locale_t(nullptr)), mine);
  const unsigned char white[16 * 16] = {};
  Block<char> text(getTextExTest(ocr, white, 0, 0, 16, 16));
  EXPECT_EQ(uselocale(locale_t(nullptr)), mine);
  releaseOcr(ocr);
  uselocale(before);
  freelocale(mine);
  EXPECT_NE(ocr, 0);
}

TEST(ReleaseOcr, IsSafeForAnyHandle) {
  releaseOcr(0);
  releaseOcr(-77);
  const OcrHandle ocr = createOcr(tessdataDir().c_str(), "eng", 3, 3);
  ASSERT_NE(ocr, 0);
  releaseOcr(ocr);
  releaseOcr(ocr);
  const unsigned char white[4] = {255, 255, 255, 255};
  Block<char> text(getTextExTest(ocr, white, 0, 0, 2, 2));
  EXPECT_EQ(text.p, nullptr) << "released handle";
}

TEST(Handles, AnImageHandleIsNoRecognizer) {
  unsigned char pixels[16] = {};
  const MatHandle mat = newMat(pixels, 2, 2, 8, 4);
  ASSERT_NE(mat, 0);
  Block<char> text(getTextExTest(mat, pixels, 0, 0, 2, 2));
  EXPECT_EQ(text.p, nullptr);
  releaseOcr(mat); // ignored: not a recognizer
  Block<unsigned char> mask(thresoldImage(0, mat, 100, 255, 2, 2));
  EXPECT_NE(mask.p, nullptr) << "the image survives";
  delMat(mat);
}

} // namespace
