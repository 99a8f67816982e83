// The JSON layout of positioned text, checked by parsing it back: Tesseract
// rarely produces quotes or control characters, so they are fed in here.
#include "engine/ocr_json.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>

namespace {

Json::Value parse(const std::string &text) {
  Json::Value value;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors))
      << errors << text;
  return value;
}

TEST(OcrJson, AwkwardTextSurvivesTheRoundTrip) {
  const std::string awkward[] = {"say \"hi\"",       "back\\slash",
                                 "tab\tline\nend\r", std::string("nul\x01\x1f", 5),
                                 "中文 ü",           "/"};
  std::vector<morvexa::TextElement> elements;
  for (const std::string &text : awkward)
    elements.push_back({text, -3, 0, 2147483648LL, 7, 42.5f});
  const Json::Value parsed = parse(morvexa::elementsToJson(elements));
  ASSERT_EQ(parsed.size(), std::size(awkward));
  for (Json::ArrayIndex i = 0; i < parsed.size(); ++i) {
    EXPECT_EQ(parsed[i]["text"].asString(), awkward[i]);
    EXPECT_EQ(parsed[i]["left"].asInt64(), -3);
    EXPECT_EQ(parsed[i]["right"].asInt64(), 2147483648LL);
    EXPECT_DOUBLE_EQ(parsed[i]["confidence"].asDouble(), 42.5);
  }
}

TEST(OcrJson, LayoutIsOneElementPerLine) {
  const std::vector<morvexa::TextElement> two = {{"a", 1, 2, 3, 4, 95.0f},
                                                 {"b", 5, 6, 7, 8, 150.0f}};
  EXPECT_EQ(morvexa::elementsToJson(two),
            "[\n"
            "{\"text\":\"a\",\"left\":1,\"top\":2,\"right\":3,\"bottom\":4,\"confidence\":95.00},\n"
            "{\"text\":\"b\",\"left\":5,\"top\":6,\"right\":7,\"bottom\":8,\"confidence\":100.00}\n"
            "]\n");
  EXPECT_EQ(morvexa::elementsToJson({}), "[]\n");
}

} // namespace
