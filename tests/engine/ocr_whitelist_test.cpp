// setOcrWhitelist: what the recognizer may read, per handle.
#include "engine_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

using namespace engine_test;

namespace {

class Whitelist : public testing::Test {
protected:
  static void SetUpTestSuite() {
    digits_ = new TextLine(renderTextLine("4096 735"));
    letters_ = new TextLine(renderTextLine("HELLO"));
  }
  static void TearDownTestSuite() {
    delete digits_;
    delete letters_;
    digits_ = letters_ = nullptr;
  }
  void SetUp() override {
    ocr_ = createOcr(tessdataDir().c_str(), "eng", 7, 3);
    ASSERT_NE(ocr_, 0) << "eng.traineddata in " << tessdataDir();
  }
  void TearDown() override { releaseOcr(ocr_); }

  static std::string read(OcrHandle ocr, const TextLine &line) {
    Block<char> text(getTextExTest(ocr, line.mask.data(), 0, 0, line.width, line.height));
    EXPECT_NE(text.p, nullptr);
    return text.p ? text.p : "";
  }
  static bool hasLetter(const std::string &s) {
    return std::any_of(s.begin(), s.end(), [](unsigned char c) { return std::isalpha(c); });
  }

  static TextLine *digits_, *letters_;
  OcrHandle ocr_ = 0;
};
TextLine *Whitelist::digits_ = nullptr;
TextLine *Whitelist::letters_ = nullptr;

TEST_F(Whitelist, DigitsOnlyKeepDigitsAndRefuseLetters) {
  ASSERT_TRUE(hasLetter(read(ocr_, *letters_))) << "without a whitelist the letters are read";
  ASSERT_TRUE(setOcrWhitelist(ocr_, "0123456789"));
  EXPECT_EQ(read(ocr_, *digits_), "4096 735\n") << "the space between words stays";
  const std::string letters = read(ocr_, *letters_);
  EXPECT_FALSE(hasLetter(letters)) << letters;
}

TEST_F(Whitelist, EmptyOrNullLiftsIt) {
  for (const char *none : {"", static_cast<const char *>(nullptr)}) {
    ASSERT_TRUE(setOcrWhitelist(ocr_, "0123456789"));
    ASSERT_FALSE(hasLetter(read(ocr_, *letters_)));
    ASSERT_TRUE(setOcrWhitelist(ocr_, none));
    EXPECT_NE(read(ocr_, *letters_).find("HELLO"), std::string::npos) << (none ? "\"\"" : "NULL");
  }
}

TEST_F(Whitelist, BelongsToItsHandleOnly) {
  const OcrHandle other = createOcr(tessdataDir().c_str(), "eng", 7, 3);
  ASSERT_NE(other, 0);
  ASSERT_TRUE(setOcrWhitelist(ocr_, "0123456789"));
  EXPECT_NE(read(other, *letters_).find("HELLO"), std::string::npos);
  releaseOcr(other);
}

TEST_F(Whitelist, RefusesUnknownHandlesAndBrokenUtf8) {
  EXPECT_FALSE(setOcrWhitelist(0, "0123456789"));
  EXPECT_FALSE(setOcrWhitelist(ocr_ + 100000, "0123456789"));
  ASSERT_TRUE(setOcrWhitelist(ocr_, "0123456789"));
  const char *broken[] = {
      "12\xC3",          // cut short
      "\xFF",            // never a lead byte
      "\xC0\xAF",        // overlong '/'
      "\xED\xA0\x80",    // a surrogate
      "\xF4\x90\x80\x80" // past U+10FFFF
  };
  for (const char *text : broken)
    EXPECT_FALSE(setOcrWhitelist(ocr_, text)) << testing::PrintToString(text);
  // the refused lists changed nothing: still digits only
  EXPECT_FALSE(hasLetter(read(ocr_, *letters_)));
  EXPECT_TRUE(setOcrWhitelist(ocr_, "\xE4\xB8\x80\xC3\xA9"
                                    "0123456789"))
      << "valid UTF-8";
}

} // namespace
